// Where a point of the page falls in the book: the laid-out lines measured as they are painted.
#include "layout/page_hit.h"

#include <algorithm>
#include <string>
#include <vector>

#include "document/text_cache.h"
#include "layout/line_geometry.h"
#include "layout/pagination.h"

namespace lectra {

int32_t PositionAtPoint(const Layout& layout, Document& doc, int x, int y, int32_t* wordStart,
                        int32_t* wordEnd) {
    const PixelRect& area = layout.geometry.textRect;
    const int px = x + layout.geometry.x0;
    if (px < area.left || px >= area.right || y < area.top) return -1;
    const int pitch = LinePitch(layout);
    const int index = (y - area.top) / pitch;
    const int lines = std::min(layout.linesPerPage, static_cast<int>(layout.pageLines.size()));
    if (index >= lines) return -1;
    const LineRecord& line = layout.pageLines[static_cast<size_t>(index)];
    if (line.end <= line.start || line.text.empty()) return -1;
    const int top = area.top + index * pitch;
    const std::vector<int> edges =
        CharacterEdges(layout, line, {area.left, top, area.right, top + pitch});
    // The character under the point; left of the text is none, right of it the last one.
    const int count = static_cast<int>(edges.size()) - 1;
    if (count <= 0 || px < edges[0]) return -1;
    int k = 0;
    while (k + 1 < count && edges[static_cast<size_t>(k) + 1] <= px) ++k;
    // Its word and place in the word among the line's text, the indent and gaps skipped back.
    const std::u16string_view text = line.text;
    while (k > 0 && text[static_cast<size_t>(k)] == u' ') --k;
    if (text[static_cast<size_t>(k)] == u' ') return -1;
    int word = 0, offset = 0;
    bool inWord = false;
    for (int i = 0; i <= k; ++i) {
        if (text[static_cast<size_t>(i)] == u' ') {
            inWord = false;
            continue;
        }
        if (!inWord) {
            ++word;
            offset = 0;
            inWord = true;
        } else {
            ++offset;
        }
    }
    // The same word among the line's stream: runs of visible units between white space and marks.
    int run = 0;
    int32_t runStart = -1;
    const int32_t end = std::min(line.end, DocLength(doc));
    for (int32_t p = std::max(line.start, 0); p <= end; ++p) {
        const bool visible = p < end && GetChar(doc, p) > 32;
        if (visible && runStart < 0) {
            runStart = p;
            ++run;
        }
        if (!visible && runStart >= 0) {
            if (run == word) {
                if (wordStart) *wordStart = runStart;
                if (wordEnd) *wordEnd = p;
                return std::min(runStart + offset, p - 1);
            }
            runStart = -1;
        }
    }
    return -1;
}

}  // namespace lectra
