// Space around the headings of HTML and EPUB books: the blank line above a heading and the
// opening title that the first heading repeats.
#include "layout/heading_space.h"

#include <algorithm>
#include <string>

#include "document/format_table.h"
#include "document/text_cache.h"
#include "layout/paragraph_style.h"
#include "layout/picture_blocks.h"

namespace lectra {

namespace {

// A title longer than this is a paragraph centred by the markup, not a title to compare.
constexpr int32_t kTitleCompareUnits = 512;
// How far into the book the opening title and its heading are looked for.
constexpr int32_t kLeadSearchUnits = 4096;

bool MarkupBook(const Document& doc) {
    return doc.formatKind == kKindHtml || doc.formatKind == kKindEpub;
}

bool IsMarkUnit(char16_t c) {
    return c < 16;
}

// The first unit at or after `pos` that is neither white space nor a mark, or `limit`.
int32_t SkipBlank(Document& doc, int32_t pos, int32_t limit) {
    while (pos < limit && GetChar(doc, pos) <= 32) ++pos;
    return pos;
}

// The words of the paragraph at `pos` with their white space made single spaces, and where the
// paragraph ends (after its mark); false when it is longer than a title can be.
bool ReadTitle(Document& doc, int32_t pos, int32_t limit, std::u16string& words, int32_t& end) {
    words.clear();
    for (; pos < limit; ++pos) {
        const char16_t c = GetChar(doc, pos);
        if (IsMarkUnit(c)) break;
        if (c <= 32) {
            if (!words.empty() && words.back() != u' ') words += u' ';
        } else {
            words += c;
        }
        if (static_cast<int32_t>(words.size()) > kTitleCompareUnits) return false;
    }
    if (pos >= limit) return false;
    while (!words.empty() && words.back() == u' ') words.pop_back();
    end = pos + 1;
    return !words.empty();
}

// The position after the mark that opens the paragraph holding `pos` (0 at the book's start).
int32_t LineStartOf(Document& doc, int32_t pos) {
    while (pos > 0 && !IsMarkUnit(GetChar(doc, pos - 1))) --pos;
    return pos;
}

LineSpan FindHiddenLead(Document& doc) {
    const int32_t limit = std::min(DocLength(doc), kLeadSearchUnits);
    const int32_t first = SkipBlank(doc, 0, limit);
    if (first >= limit || !(ParagraphStyleAt(doc, first) & kStyleTitle)) return {};
    std::u16string title, heading;
    int32_t titleEnd = 0, headingEnd = 0;
    if (!ReadTitle(doc, first, limit, title, titleEnd)) return {};
    const int32_t next = SkipBlank(doc, titleEnd, limit);
    if (next >= limit || !(ParagraphStyleAt(doc, next) & kStyleTitle)) return {};
    if (!ReadTitle(doc, next, limit, heading, headingEnd) || heading != title) return {};
    // The title's lines and the blank lines below it; the heading keeps its own blank line below.
    const LineSpan span{LineStartOf(doc, first), LineStartOf(doc, next)};
    // A picture among them (a cover between the two) keeps the title where it is.
    for (const PictureAnchor& anchor : doc.pictures.anchors) {
        if (anchor.position > span.from && anchor.position < span.to) return {};
    }
    return span;
}

}  // namespace

bool HeadingGapAt(Layout& layout, Document& doc, int32_t start) {
    if (start < 2 || start >= DocLength(doc) || !MarkupBook(doc)) return false;
    if (GetChar(doc, start - 1) != kMarkTitle) return false;
    // The paragraph before: text, not a blank line nor a title (a heading has its blank line).
    int32_t p = start - 2;
    const int32_t stop = std::max(0, start - 1 - kBlockUnits);
    while (p >= stop) {
        const char16_t c = GetChar(doc, p);
        if (IsMarkUnit(c)) return false;
        if (c > 32 && c != u'*') break;
        --p;
    }
    if (p < stop || (ParagraphStyleAt(doc, p) & kStyleTitle)) return false;
    return PictureSlotsAt(layout, doc, start) == 0;
}

LineSpan HiddenLead(Layout& layout, Document& doc) {
    HiddenLeadCache& lead = layout.hiddenLead;
    if (lead.bookPath != doc.bookPath || lead.bookLength != DocLength(doc) ||
        lead.formatKind != doc.formatKind) {
        lead.bookPath = doc.bookPath;
        lead.bookLength = DocLength(doc);
        lead.formatKind = doc.formatKind;
        lead.span = MarkupBook(doc) ? FindHiddenLead(doc) : LineSpan{};
    }
    return lead.span;
}

int32_t PastHiddenLead(Layout& layout, Document& doc, int32_t pos) {
    const LineSpan span = HiddenLead(layout, doc);
    return pos >= span.from && pos < span.to ? span.to : pos;
}

}  // namespace lectra
