// Breaking the book into lines: the word reader and the line loop with its overflow fall-backs
// (hyphenation candidates, the cut at the last space, the cut by characters).
#include "layout/line_breaker.h"

#include <algorithm>

#include "document/text_cache.h"
#include "layout/hyphenate.h"
#include "layout/layout_fonts.h"
#include "layout/paragraph_style.h"
#include "layout/picture_blocks.h"

namespace lectra {

namespace {

constexpr char16_t kIndent[] = u"   ";
constexpr int kIndentLength = 3;

bool IsMark(char16_t c) {
    return c < 16;
}
bool IsWhite(char16_t c) {
    return c >= 16 && c <= 32;
}

// Does the line begin a paragraph? Walks back over white space to the mark before the line, or
// to the first position of the block; a mark just before the block still starts the paragraph,
// else the block's saved markup state has its say.
uint32_t ParagraphStartFlags(Document& doc, int32_t start, uint32_t flags) {
    int32_t p = start;
    while (p & (kBlockUnits - 1)) {
        const char16_t c = GetChar(doc, p);
        if (IsMark(c)) return MarkStyle(c) | kParaStart;
        if (!IsWhite(c) && p != start) return flags;
        --p;
    }
    if (const char16_t c = GetChar(doc, p); !IsMark(c) && (p == start || IsWhite(c))) {
        if (const int32_t mark = MarkBefore(doc, p - 1); mark >= 0)
            return MarkStyle(GetChar(doc, mark)) | kParaStart;
    }
    if (const uint32_t saved = BlockStateStyle(doc, p >> kBlockShift)) {
        flags = (flags & ~kStyleMask) | saved;
    }
    if (IsMark(GetChar(doc, p))) flags |= kParaStart;
    return flags;
}

// A soft hyphen adds nothing inside a line, but where the line breaks at it, it shows as "-" and
// is measured as one.
void ShowSoftHyphen(std::u16string& text) {
    if (!text.empty() && text.back() == u'\u00AD') text.back() = u'-';
}

// Where a line that began at `start` stops passing over white space (spaces, the units 16–32,
// the NULs and control characters that the filters turn into spaces) met at `pos`: at the first
// block boundary once the line spans a block. A page of nothing but white space then costs a
// bounded number of units a line, and the lines inside a long run begin on block boundaries
// whichever way the run is reached, which keeps the backward moves on the forward moves' lines.
// No line of a book's text spans a block, so its lines are not cut.
int32_t SkipEnd(int32_t start, int32_t pos) {
    const int64_t least = std::max<int64_t>(pos, static_cast<int64_t>(start) + kBlockUnits);
    const int64_t boundary = (least + kBlockUnits - 1) & ~static_cast<int64_t>(kBlockUnits - 1);
    return static_cast<int32_t>(std::min<int64_t>(boundary, INT32_MAX));
}

int32_t EndLine(LineRecord& record, int32_t end) {
    record.end = end;
    return end;
}

// The text and its styles change together, so that the styles stay one per unit.
void Resize(LineRecord& record, size_t length) {
    record.text.resize(length);
    record.styles.resize(length);
}
void Append(LineRecord& record, const char16_t* text, const uint8_t* styles, size_t length) {
    record.text.append(text, length);
    record.styles.insert(record.styles.end(), styles, styles + length);
}
void Push(LineRecord& record, char16_t unit, uint8_t style) {
    record.text.push_back(unit);
    record.styles.push_back(style);
}
void Pop(LineRecord& record) {
    record.text.pop_back();
    record.styles.pop_back();
}

// A title is drawn in the title font whatever its emphasis; other lines run by run.
int Measure(const Layout& layout, const DrawContext& dc, const LineRecord& record) {
    if (record.flags & kStyleTitle) return MeasureText(dc, record.text);
    return MeasureRuns(layout, dc, record.text.data(), record.styles.data(),
                       static_cast<int>(record.text.size()));
}

// A space between words keeps the emphasis of the white space it stands for, but never the
// small size of a superscript or subscript.
uint8_t SpaceStyle(Document& doc, int32_t pos) {
    return GetStyle(doc, pos) & ~(kEmphasisSuper | kEmphasisSub);
}

// The overflowing word does not fit: take the longest break candidate that fits, else give the
// word to the next line, else cut it by characters (one at least, so that layout advances).
int32_t Overflow(Layout& layout, LineRecord& record, size_t wordAt, int indentLength, int available,
                 const DrawContext& dc) {
    const WordBuffer& word = layout.word;
    const int n = word.length;
    record.flags &= ~kParaEnd;

    HyphenWork& work = layout.hyphenation;
    SetHyphenationWord(work, word.text, n);
    const int allowed = (record.flags & kStyleBody) || record.words == 0;
    HyphenateWord(work, layout.patterns, layout.settings->hyphen, allowed);
    for (int k = n - 2; k >= 0; --k) {
        const char mark = work.marks[k];
        if (mark == '*') continue;
        Resize(record, wordAt);
        Append(record, word.text, word.style, static_cast<size_t>(k + 1));
        if (mark == 'a') Push(record, u'-', word.style[k]);
        ShowSoftHyphen(record.text);
        if (Measure(layout, dc, record) <= available) {
            ++record.words;
            return EndLine(record, word.pos[k + 1]);
        }
    }

    if (record.words > 0) {
        // The space before the word goes with it.
        Resize(record, wordAt);
        const size_t space = record.text.rfind(u' ');
        Resize(record, space == std::u16string::npos ? 0 : space);
        return EndLine(record, word.pos[0]);
    }

    Resize(record, static_cast<size_t>(indentLength));
    Append(record, word.text, word.style, static_cast<size_t>(n));
    record.words = 1;
    for (int keep = n - 1; keep >= 1; --keep) {
        Resize(record, static_cast<size_t>(indentLength + keep));
        ShowSoftHyphen(record.text);
        if (Measure(layout, dc, record) <= available) return EndLine(record, word.pos[keep]);
    }
    Resize(record, static_cast<size_t>(indentLength + 1));
    return EndLine(record, word.pos[0] + 1);
}

}  // namespace

int32_t ReadWord(WordBuffer& word, Document& doc, int32_t pos, int32_t skipEnd, int32_t stop) {
    const int32_t length = std::min(DocLength(doc), stop);
    word.length = 0;
    while (pos < length && pos < skipEnd && GetChar(doc, pos) == u' ') ++pos;
    while (pos < length && word.length < kMaxWord) {
        const char16_t c = GetChar(doc, pos);
        if (c == u' ' || IsMark(c)) break;
        word.text[word.length] = c;
        word.pos[word.length] = pos;
        word.style[word.length] = GetStyle(doc, pos);
        ++word.length;
        ++pos;
    }
    word.text[word.length] = 0;
    return pos;
}

int32_t LayoutLine(Layout& layout, Document& doc, LineRecord& record, int32_t start,
                   const DrawContext& textDc) {
    const int32_t length = DocLength(doc);
    // A position past the end (a stale bookmark, a book that shrank) lays out as the end, so no
    // line ends beyond the book.
    start = std::clamp(start, 0, std::max(length, 0));
    record.text.clear();
    record.styles.clear();
    record.words = 0;
    record.markFrom = record.markTo = 0;
    record.start = start;
    record.flags = ParagraphStartFlags(doc, start, ParagraphStyleAt(doc, start));

    int available = layout.geometry.textRect.right - layout.geometry.textRect.left;
    DrawContext dc = textDc;
    if (record.flags & kStyleTitle) {
        --available;
        // A title is measured with the font it is drawn with, so its lines break where they show.
        if (layout.fonts.titleFont) {
            dc.font = layout.fonts.titleFont;
            record.flags |= kTitleFont;
        }
    }

    int32_t pos = start;
    int indentLength = 0;
    bool first = true;
    // Pictures stand between lines: a line ends where the next of them stands.
    const int32_t stop = PictureStop(layout, doc, start);
    for (;;) {
        int32_t next = ReadWord(layout.word, doc, pos, SkipEnd(start, pos), stop);
        const int32_t wordEnd = next;
        const bool empty = layout.word.length == 0;
        const int32_t skipEnd = SkipEnd(start, next);
        bool cut = false;
        while (next < length && next < stop) {
            const char16_t c = GetChar(doc, next);
            if (IsMark(c)) {
                ++next;
                record.flags |= kParaEnd;
                if (empty) return EndLine(record, next);
                break;
            }
            if (!IsWhite(c)) break;
            if (next >= skipEnd) {
                cut = true;
                break;
            }
            ++next;
        }
        // A run of white space too long to pass over ends the line; an empty word there leaves
        // the line as it stands.
        if (cut && empty) {
            if (record.words > 0 && !record.text.empty() && record.text.back() == u' ') Pop(record);
            return EndLine(record, next);
        }

        if (first && (record.flags & kParaStart) && (record.flags & kStyleBody)) {
            constexpr uint8_t kPlain[kIndentLength] = {};
            Append(record, kIndent, kPlain, kIndentLength);
            indentLength = kIndentLength;
        }
        first = false;

        const size_t wordAt = record.text.size();
        Append(record, layout.word.text, layout.word.style,
               static_cast<size_t>(layout.word.length));
        const int width = Measure(layout, dc, record);
        if (width > available) {
            // Only the end of the book reads an empty word; there is nothing to cut.
            if (empty) return EndLine(record, next);
            return Overflow(layout, record, wordAt, indentLength, available, dc);
        }

        pos = next;
        ++record.words;
        if ((record.flags & kParaEnd) || cut) return EndLine(record, next);
        if (next >= stop) {
            // Not justified: the line ends as a paragraph's last line does.
            record.flags |= kParaEnd;
            return EndLine(record, next);
        }

        Push(record, u' ', SpaceStyle(doc, wordEnd));
        const int spaced = Measure(layout, dc, record);
        if (spaced > available) {
            Pop(record);
            return EndLine(record, next);
        }
        // At the end of the book the line is padded with spaces up to the width; a space that
        // takes no room would pad for ever.
        if (empty && spaced <= width) return EndLine(record, next);
    }
}

}  // namespace lectra
