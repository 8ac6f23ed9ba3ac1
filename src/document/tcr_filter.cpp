// The filter of decompressed TCR text: list stars, and line breaks into body or title marks.
#include "document/tcr_filter.h"

#include "document/encoding.h"
#include "document/formats/tcr_reader.h"
#include "document/txt_filter.h"

namespace lectra {

namespace {

// Whether the "*" just read (ending at `offset`) starts its line: backwards past spaces and
// controls, the first other character is a line feed. At the start of the source it does not.
bool StarStartsLine(Document& doc, uint32_t offset) {
    // TCR text is single-byte: one byte per character.
    uint32_t at = offset - 1;
    while (at > 0) {
        --at;
        const char16_t u = Normalise(doc.byteToChar[ReadSourceByte(doc, at)]);
        if (u == 10) return true;
        if (u != 0 && u != u' ') return false;
    }
    return false;
}

// A book read through a container (gzip, ZIP) keeps the tab rule.
bool TabIndented(const Document& doc) {
    const TcrState* s = TcrOf(doc);
    return !s || s->tabIndents;
}

}  // namespace

int TcrFilter(Document& doc, char16_t& unit, uint32_t offset) {
    char16_t u = Normalise(unit);
    if (u == u'*') {
        uint32_t next = offset;
        if (next < doc.sourceSize && ReadSourceChar(doc, next) == u' ' &&
            StarStartsLine(doc, offset))
            u = u' ';
    } else if (u == 0) {
        u = u' ';
    } else if (u == 10 && !TabIndented(doc)) {
        // A book whose paragraphs are not marked by tabs (the usual converters write a blank line
        // between them) has no title lines: its lines are taken as plain text's are.
        u = doc.txtParagraphMode != kTxtPlainAsIs ? DetectParagraph(doc, offset) : kMarkBody;
    } else if (u == 10) {
        u = kMarkBody;
        uint32_t at = offset;
        while (at < doc.sourceSize) {
            const char16_t c = ReadSourceChar(doc, at);
            if (c == 9 || c == 10) break;
            if (c > 32) {
                u = kMarkTitle;
                break;
            }
        }
    }
    unit = u;
    return 1;
}

}  // namespace lectra
