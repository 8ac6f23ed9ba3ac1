// The plain-text filter: normalisation of control characters and paragraph detection.
#include "document/txt_filter.h"

#include <algorithm>

#include "document/encoding.h"

namespace lectra {

namespace {

// One raw block, the book's first: enough lines to judge, and the one its first page reads.
constexpr uint32_t kLineSample = kRawBlockBytes;
constexpr int kWrappedLineChars = 120;

// Whether the line that the line feed just before `after` ends holds nothing but spaces, tabs and
// carriage returns. Read backwards a unit at a time (a line feed is one byte in every single-byte
// code page and in UTF-8, two in UTF-16); a longer run of them than 64 counts as text.
bool EndsBlankLine(Document& doc, uint32_t after) {
    const uint32_t width = doc.bookCodePage == kCodePageUtf16 ? 2 : 1;
    if (after < doc.textStart + width) return false;
    uint32_t at = after - width;  // the line feed
    for (int i = 0; i < 64; ++i) {
        if (at < doc.textStart + width) return true;  // the first line of the text
        at -= width;
        uint32_t u = ReadSourceByte(doc, at);
        if (width == 2) u |= ReadSourceByte(doc, at + 1) << 8;
        if (u == 10) return true;
        if (u != 13 && u != 32 && u != 9) return false;
    }
    return false;
}

}  // namespace

char16_t DetectParagraph(Document& doc, uint32_t offset) {
    const uint32_t after = offset;
    // Bounded by the source: every step advances the offset by at least one byte.
    while (offset < doc.sourceSize) {
        char16_t u = Normalise(ReadSourceChar(doc, offset));
        if (u == 0) continue;
        if (u == 10 || u == u' ' || u == u'*' || u == u'-') return kMarkBody;
        return doc.paragraphLines && !EndsBlankLine(doc, after) ? kMarkBody : u' ';
    }
    return u' ';
}

int ParagraphLines(Document& doc) {
    if (doc.textStart >= doc.sourceSize) return 0;
    const uint32_t limit = std::min<uint32_t>(kLineSample, doc.sourceSize);
    int lines = 0, longLines = 0, length = 0, text = 0;
    for (uint32_t at = doc.textStart; at < limit;) {
        const char16_t u = ReadSourceChar(doc, at);
        if (u == 10) {
            lines += text;
            longLines += length > kWrappedLineChars;
            length = text = 0;
        } else if (u != 13) {
            ++length;
            text |= u > 32;
        }
    }
    return longLines * 10 > lines;
}

int TxtFilter(Document& doc, char16_t& unit, uint32_t offset) {
    char16_t u = Normalise(unit);
    if (u == 0) {
        u = u' ';
    } else if (u == 10 && doc.txtParagraphMode != kTxtPlainAsIs) {
        u = DetectParagraph(doc, offset);
    }
    unit = u;
    return 1;
}

}  // namespace lectra
