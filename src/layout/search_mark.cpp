// The search hit on the page: which units of the page's lines show it, and where they are painted.
#include "layout/search_mark.h"

#include <algorithm>

#include "document/text_cache.h"
#include "layout/line_geometry.h"
#include "layout/pagination.h"
#include "layout/picture_blocks.h"

namespace lectra {

namespace {

constexpr uint32_t kPictureLine = kPictureSlot | kPictureGap;

// Walks the line's text beside the book's units it was read from: a unit of a word is the unit it
// was read as (a soft hyphen shows as "-" where the line breaks at it); a space stands for the
// white space between two words; the indent, the padding and a space the line breaker put between
// the halves of an over-long word stand for nothing; a hyphen added at a break stands for the
// break, and is marked only when the hit runs on past it.
void MarkLine(Document& doc, LineRecord& line, int32_t from, int32_t to) {
    const std::u16string& text = line.text;
    const int n = static_cast<int>(text.size());
    const int32_t end = std::min(line.end, DocLength(doc));
    int32_t p = std::max(line.start, 0);
    int first = -1, last = -1;
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[static_cast<size_t>(i)];
        int32_t a = p, b = p;
        bool whole = false;
        if (c == u' ') {
            while (b < end && GetChar(doc, b) <= 32) ++b;
            p = b;
        } else {
            // White space the line began on is passed over.
            while (p < end && GetChar(doc, p) != c && GetChar(doc, p) <= 32) ++p;
            const char16_t at = p < end ? GetChar(doc, p) : 0;
            const bool lastUnit = i == n - 1;
            if (p < end && (at == c || (lastUnit && c == u'-' && at == u'\u00AD'))) {
                a = p;
                b = ++p;
            } else if (lastUnit && c == u'-' && p > line.start) {
                a = p - 1;
                b = p + 1;
                whole = true;
            } else {
                a = b = p;
            }
        }
        const bool marked = whole ? a >= from && b <= to : a < b && a < to && b > from;
        if (!marked) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first >= 0) {
        line.markFrom = first;
        line.markTo = last + 1;
    }
}

}  // namespace

void MarkSearchHit(Layout& layout, Document& doc) {
    const int32_t from = layout.searchMark;
    const int32_t to = std::max(layout.searchMarkEnd, from + 1);
    for (LineRecord& line : layout.pageLines) {
        line.markFrom = line.markTo = 0;
        if (from < 0 || (line.flags & kPictureLine) || line.start >= to || line.end <= from)
            continue;
        MarkLine(doc, line, from, to);
    }
}

int SearchMarkRect(const Layout& layout, int index, PixelRect* rect) {
    const int lines = std::min(layout.linesPerPage, static_cast<int>(layout.pageLines.size()));
    if (layout.searchMark < 0 || index < 0 || index >= lines) return 0;
    const LineRecord& line = layout.pageLines[static_cast<size_t>(index)];
    if (line.markTo <= line.markFrom || (line.flags & kPictureLine)) return 0;
    const PixelRect& area = layout.geometry.textRect;
    const int y = area.top + index * LinePitch(layout);
    PixelRect r{area.left, y, area.right, y + layout.fonts.textFontHeight};
    const std::vector<int> edges = CharacterEdges(layout, line, r);
    // The trailing space a line is drawn without has no place.
    const int drawn = static_cast<int>(edges.size()) - 1;
    const int first = std::min(line.markFrom, drawn), end = std::min(line.markTo, drawn);
    if (end <= first) return 0;
    r.left = edges[static_cast<size_t>(first)];
    r.right = edges[static_cast<size_t>(end)];
    if (HowLineIsDrawn(layout, line) == LineDrawing::kTitleFont) {
        // The title font's cell, on the text lines' baseline as the title is drawn.
        r.top = y + layout.fonts.textFontAscent - layout.fonts.titleFontAscent;
        r.bottom = r.top + layout.draw->fontMetrics(layout.fonts.titleFont).height;
    }
    *rect = r;
    return r.right > r.left;
}

}  // namespace lectra
