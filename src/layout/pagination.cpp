// Pagination and the reading position: laying out the page from PageStart, the moves by a page
// or a line forwards and backwards, and the progress shown on the status line.
#include "layout/pagination.h"

#include <algorithm>

#include "document/jump_history.h"
#include "document/text_cache.h"
#include "layout/heading_space.h"
#include "layout/layout_fonts.h"
#include "layout/line_breaker.h"
#include "layout/picture_blocks.h"
#include "layout/search_mark.h"

namespace lectra {

namespace {

constexpr int32_t kPageUnits = 1024;

// Blank lines and separator lines of asterisks are centred and never justified.
bool IsBlankOrStars(const std::u16string& text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 32 || c == u'*'; });
}

// Clamps "LINE_IL" of the active profile so that the pitch is between 1 and 4 × the font height,
// stores it back and returns the pitch.
int ClampLineInterval(Layout& layout) {
    Settings& s = *layout.settings;
    int32_t& interval = s.lineIl[ActiveProfile(s)];
    const int height = layout.fonts.textFontHeight;
    if (height + interval > 4 * height) interval = 3 * height;
    // A pitch of 0 would leave no way to count lines; one pixel is the least.
    if (height + interval < 1) interval = 1 - height;
    return height + interval;
}

void StorePosition(Document& doc) {
    if (doc.historyIndex >= 0 && doc.historyIndex < kHistorySize) {
        doc.history[doc.historyIndex] = doc.pageStart;
    }
}

// A record of the page that shows no text: a held line, or the blank line above a heading.
void BlankRecord(LineRecord& r, int32_t at, uint32_t flags) {
    r.text.clear();
    r.styles.clear();
    r.words = 0;
    r.markFrom = r.markTo = 0;
    r.flags = kStyleTitle | kParaStart | kParaEnd | flags;
    r.start = r.end = at;
}

int32_t ClampForward(const Document& doc, int32_t pos) {
    if (pos >= DocLength(doc)) pos = DocLength(doc) - 1;
    return std::max(pos, 0);
}

}  // namespace

int32_t LayoutPageLine(Layout& layout, Document& doc, LineRecord& record, int32_t pos,
                       const DrawContext& dc) {
    const int32_t next = LayoutLine(layout, doc, record, pos, dc);
    if (IsBlankOrStars(record.text)) record.flags = kStyleTitle | kParaEnd | kParaStart;
    return next;
}

int LinePitch(const Layout& layout) {
    const Settings& s = *layout.settings;
    return std::max(1, layout.fonts.textFontHeight + s.lineIl[ActiveProfile(s)]);
}

int PageLineCount(Layout& layout) {
    const int pitch = ClampLineInterval(layout);
    const int fontHeight = layout.fonts.textFontHeight;
    const int height = layout.geometry.textRect.bottom - layout.geometry.textRect.top;
    int lines = height / pitch;
    // The last line needs only the font's height below its top, not a whole pitch.
    while (lines > 0 && (lines - 1) * pitch + fontHeight > height) --lines;
    return lines <= 0 ? 1 : lines;
}

namespace {

// Lays out `lines` + 1 records from `from` and holds the title lines at the page's foot for the
// next page (see Layout::titleHeld); returns how many are held and sets `end` to where the page
// ends. Held records are left blank, beginning and ending at `end`. While autoscroll runs the
// page is a window on the text and holds nothing.
int LayOutHolding(Layout& layout, Document& doc, int32_t from, std::vector<LineRecord>& records,
                  int lines, int32_t& end) {
    if (records.size() < static_cast<size_t>(lines) + 1)
        records.resize(static_cast<size_t>(lines) + 1);
    const DrawContext dc = TextContext(layout);
    int32_t pos = from;
    for (int i = 0; i <= lines; ++i) {
        pos = PastHiddenLead(layout, doc, pos);
        // The pictures at a line's start come before it, or end the page there.
        const int block = PlacePictureBlock(layout, doc, records, i, lines, pos);
        if (block < 0) break;
        i += block;
        // A heading below a line of text has a blank line above it, which may end the page.
        if (i > 0 && i < lines && HeadingGapAt(layout, doc, pos)) {
            BlankRecord(records[static_cast<size_t>(i)], pos, kHeadingGap);
            end = pos;
            ++i;
        }
        const int32_t next = LayoutPageLine(layout, doc, records[static_cast<size_t>(i)], pos, dc);
        if (i < lines) end = PastHiddenLead(layout, doc, next);
        pos = next;
    }
    // The first line stands for what the page passed over at its start.
    if (from >= 0 && PastHiddenLead(layout, doc, from) != from &&
        !(records[0].flags & kPictureSlot))
        records[0].start = from;
    // With "KEEP_ONE_ITEM" a title at the foot is the next page's first line, above its
    // paragraph, already.
    if (layout.autoscrolling || layout.settings->keepOneItem || end >= DocLength(doc)) return 0;
    // The centred lines at the foot: title lines, and the blank lines among and after them.
    int held = 0, titles = 0;
    for (; held < lines; ++held) {
        const uint32_t flags = records[static_cast<size_t>(lines - 1 - held)].flags;
        if (!(flags & kStyleTitle)) break;
        titles += (flags & kTitleFont) != 0;
    }
    // More than half a page of them is a page of titles (a contents list), shown as it comes.
    if (titles == 0 || held > lines / 2) return 0;
    end = records[static_cast<size_t>(lines - held)].start;
    for (int i = lines - held; i < lines; ++i) BlankRecord(records[static_cast<size_t>(i)], end, 0);
    return held;
}

// Whether the page laid out in `records` ends short of its last slot: before a held title, a
// picture that did not fit, or a heading whose blank line took the last slot. The move from such a
// page is remembered, so that the way back returns to it.
bool EndsShort(const std::vector<LineRecord>& records, int lines, int held) {
    if (held > 0 || EndsBeforePicture(records, lines)) return true;
    return lines > 0 && static_cast<size_t>(lines) <= records.size() &&
           (records[static_cast<size_t>(lines - 1)].flags & kHeadingGap);
}

// Where a page forward from the page laid out in `records` starts (past the passed-over title).
int32_t ForwardStart(Layout& layout, Document& doc, const std::vector<LineRecord>& records,
                     int held) {
    const int k = layout.linesPerPage - held - layout.settings->keepOneItem - 1;
    if (k < 0 || k >= layout.linesPerPage || static_cast<size_t>(k) >= records.size()) return -1;
    // A picture's slots end where they begin: the page goes on from the line after them.
    const int32_t end = records[FirstTextRecord(records, static_cast<size_t>(k))].end;
    return ClampForward(doc, PastHiddenLead(layout, doc, end));
}

// The page a forward move to `to` came from, when it held a title and lays out the same way
// still; −1 when none is remembered.
int32_t RememberedHeldMove(Layout& layout, Document& doc, int32_t to) {
    for (const Layout::HeldMove& move : layout.heldMoves) {
        if (move.to != to || move.from < 0 || move.from >= to) continue;
        int32_t end = 0;
        const int held =
            LayOutHolding(layout, doc, move.from, layout.checkLines, layout.linesPerPage, end);
        if (EndsShort(layout.checkLines, layout.linesPerPage, held) &&
            ForwardStart(layout, doc, layout.checkLines, held) == to)
            return move.from;
    }
    return -1;
}

}  // namespace

void LayoutPage(Layout& layout, Document& doc, int32_t from) {
    const int lines = PageLineCount(layout);
    layout.linesPerPage = lines;
    layout.titleHeld = LayOutHolding(layout, doc, from, layout.pageLines, lines, doc.pageEnd);
    PreparePagePictures(layout, doc);
    MarkSearchHit(layout, doc);
}

int NextPage(Layout& layout, Document& doc) {
    layout.searchMark = -1;  // a search hit is marked until the page moves
    // The page that shows the end of the book is the last: a move would leave only its tail.
    if (doc.pageEnd >= DocLength(doc)) return 0;
    const int32_t before = doc.pageStart;
    const int32_t next = ForwardStart(layout, doc, layout.pageLines, layout.titleHeld);
    if (next >= 0) doc.pageStart = next;
    // A page that ended short (EndsShort) is remembered, so that the way back returns to it.
    if (EndsShort(layout.pageLines, layout.linesPerPage, layout.titleHeld) &&
        doc.pageStart > before) {
        Layout::HeldMove& move = layout.heldMoves[layout.heldMoveNext];
        move = {before, doc.pageStart};
        layout.heldMoveNext = (layout.heldMoveNext + 1) % Layout::kHeldMoves;
    }
    StorePosition(doc);
    return doc.pageStart != before;
}

int NextLine(Layout& layout, Document& doc) {
    layout.searchMark = -1;  // a search hit is marked until the page moves
    if (layout.pageLines.empty() || doc.pageEnd >= DocLength(doc)) return 0;
    const int32_t before = doc.pageStart;
    const int32_t end = layout.pageLines[FirstTextRecord(layout.pageLines, 0)].end;
    doc.pageStart = ClampForward(doc, PastHiddenLead(layout, doc, end));
    StorePosition(doc);
    return doc.pageStart != before;
}

int32_t BackwardScan(Document& doc, int32_t p) {
    const int32_t pBlock = p >> kBlockShift;
    int counted = 0;
    for (int32_t q = p - 1; q >= 0; --q) {
        const char16_t c = GetChar(doc, q);
        if (c < 16 || c > 32) ++counted;
        if (c < 16 && counted > 1) return q + 1;
        if ((q & (kBlockUnits - 1)) == 0 && pBlock - (q >> kBlockShift) >= 2) return q;
    }
    return 0;
}

int32_t PreviousLineStart(Layout& layout, Document& doc) {
    // A page that begins just after the passed-over title shows what a page from the title shows.
    const LineSpan hidden = HiddenLead(layout, doc);
    const int32_t pageStart =
        doc.pageStart > hidden.from && doc.pageStart <= hidden.to ? hidden.from : doc.pageStart;
    if (pageStart <= 0) return 0;
    const DrawContext dc = TextContext(layout);
    int32_t pos = BackwardScan(doc, pageStart), line = pos;
    for (;;) {
        pos = PastHiddenLead(layout, doc, pos);
        if (pos >= pageStart) return line;
        line = pos;
        const int32_t next = LayoutLine(layout, doc, layout.scratch, pos, dc);
        if (next >= pageStart || next <= pos) return pos;
        pos = next;
    }
}

int PreviousLine(Layout& layout, Document& doc) {
    layout.searchMark = -1;  // a search hit is marked until the page moves
    const int32_t before = doc.pageStart;
    doc.pageStart = std::max(0, PreviousLineStart(layout, doc));
    StorePosition(doc);
    return doc.pageStart != before;
}

namespace {

// The slots the lines starting at `starts` take on a page that begins with the first: one each,
// their pictures', and the blank line above each heading but the first line.
int64_t SlotsOf(Layout& layout, Document& doc, const std::vector<int32_t>& starts) {
    int64_t slots = static_cast<int64_t>(starts.size());
    if (layout.pictures && !doc.pictures.anchors.empty()) {
        for (const int32_t s : starts) slots += PictureSlotsAt(layout, doc, s);
    }
    for (size_t i = 1; i < starts.size(); ++i) slots += HeadingGapAt(layout, doc, starts[i]);
    return slots;
}

// Takes the line starts of the passed-over title out of `starts`.
void DropHiddenLead(Layout& layout, Document& doc, std::vector<int32_t>& starts) {
    const LineSpan hidden = HiddenLead(layout, doc);
    if (hidden.to <= hidden.from) return;
    starts.erase(std::remove_if(starts.begin(), starts.end(),
                                [&](int32_t s) { return s >= hidden.from && s < hidden.to; }),
                 starts.end());
}

}  // namespace

int32_t StartOfLinesBefore(Layout& layout, Document& doc, int32_t end, int wanted) {
    end = std::clamp(end, 0, std::max(DocLength(doc), 0));
    if (wanted <= 0) return end;
    // A page that begins just after the passed-over title shows what a page from the title shows.
    if (const LineSpan hidden = HiddenLead(layout, doc); end > hidden.from && end <= hidden.to)
        end = hidden.from;
    const DrawContext dc = TextContext(layout);
    // The line starts from the latest scan start up to `end`, in order. Each scan goes one
    // paragraph (or two blocks) further back and lays out only the new stretch: when its lines end
    // exactly where the previous stretch began, or meet one of the lines already found, the lines
    // after that are the ones already found. Only a stretch that meets none of them is laid out on
    // to `end`, and that is one scan's worth of text: the work of a move is about a page and a
    // paragraph, whatever comes before.
    std::vector<int32_t>& starts = layout.lineStarts;
    std::vector<int32_t>& stretch = layout.stretchStarts;
    starts.clear();
    int32_t q = end;
    for (;;) {
        const int32_t limit = q;
        q = BackwardScan(doc, q);
        stretch.clear();
        int32_t pos = q;
        size_t known = 0;  // the first of `starts` not below pos
        while (pos < end) {
            while (known < starts.size() && starts[known] < pos) ++known;
            if (pos >= limit && known < starts.size() && starts[known] == pos) break;
            stretch.push_back(pos);
            const int32_t next = LayoutLine(layout, doc, layout.scratch, pos, dc);
            if (next <= pos) break;
            pos = next;
        }
        if (pos < end && known < starts.size() && starts[known] == pos)
            stretch.insert(stretch.end(), starts.begin() + static_cast<ptrdiff_t>(known),
                           starts.end());
        starts.swap(stretch);
        DropHiddenLead(layout, doc, starts);
        // A scan that stopped on a block boundary inside a paragraph may begin a line that the
        // forward layout does not have (its lines meet the forward ones further on), so a line
        // more is found before it.
        const bool firstIsLine = q <= 0 || GetChar(doc, q - 1) < 16;
        const int64_t needed = wanted + (firstIsLine ? 0 : 1);
        if (SlotsOf(layout, doc, starts) >= needed || q <= 0 || q >= limit) break;
    }
    // As many lines as the page has slots, each with the pictures before it; the first line is
    // taken whatever its pictures take.
    const size_t count = starts.size();
    size_t first = count;
    int64_t taken = 0;
    while (first > 0 && taken < wanted) {
        // The blank line above the heading taken last stands below the line taken now.
        const bool gapBelow = first < count && HeadingGapAt(layout, doc, starts[first]);
        const int64_t slots = 1 + PictureSlotsAt(layout, doc, starts[first - 1]) + gapBelow;
        if (taken + slots > wanted && first < count) break;
        taken += slots;
        --first;
    }
    return count == 0 ? 0 : starts[std::min(first, count - 1)];
}

int PreviousPage(Layout& layout, Document& doc) {
    layout.searchMark = -1;  // a search hit is marked until the page moves
    const int32_t before = doc.pageStart;
    const int wanted = layout.linesPerPage - layout.settings->keepOneItem;
    // With one line a page and that line kept, no line can be wanted: the page stays, as the
    // forward move leaves it. Several pages lead to a title that a page held (the one ending just
    // before it, and those that held one line of it or more): the one the reader came from, if
    // remembered, else the full page before it.
    if (wanted > 0) {
        const int32_t from = RememberedHeldMove(layout, doc, before);
        doc.pageStart = from >= 0 ? from : StartOfLinesBefore(layout, doc, before, wanted);
        // A page that begins just after a title (reached by lines, or by a jump) has no page
        // before it that ends there: that page would hold the title for the next. The way back
        // then shows the title's page, so that the title is not passed over.
        if (from < 0 && doc.pageStart < before && !layout.lineStarts.empty()) {
            const DrawContext dc = TextContext(layout);
            LayoutPageLine(layout, doc, layout.scratch, layout.lineStarts.back(), dc);
            int32_t end = 0;
            if ((layout.scratch.flags & kStyleTitle) &&
                LayOutHolding(layout, doc, doc.pageStart, layout.checkLines, layout.linesPerPage,
                              end) > 0 &&
                end > doc.pageStart && end < before)
                doc.pageStart = end;
        }
    }
    StorePosition(doc);
    return doc.pageStart != before;
}

int32_t ClampToLastPage(Layout& layout, Document& doc, int32_t pos) {
    const int32_t last = StartOfLinesBefore(layout, doc, DocLength(doc), PageLineCount(layout));
    return std::clamp(pos, 0, last);
}

void JumpToPage(Layout& layout, Document& doc, int32_t pos) {
    const int32_t last = ClampToLastPage(layout, doc, DocLength(doc));
    const int32_t target = std::clamp(pos, 0, last);
    JumpTo(doc, target);
    if (target == last && last > 0 && doc.pageStart == last - 1 && GetChar(doc, last - 1) < 16) {
        doc.pageStart = last;
        StorePosition(doc);
    }
}

double PercentRead(const Document& doc) {
    return DocLength(doc) ? 100.0 * doc.pageEnd / DocLength(doc) : 0.0;
}

int32_t CurrentPageNumber(const Document& doc) {
    return doc.pageStart / kPageUnits;
}

int32_t PageCount(const Document& doc) {
    return DocLength(doc) / kPageUnits;
}

}  // namespace lectra
