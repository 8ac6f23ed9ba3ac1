// The plain-text filter: normalisation of control characters and paragraph detection.
#include "document/txt_filter.h"

#include "document/encoding.h"

namespace lectra {

char16_t DetectParagraph(Document& doc, uint32_t offset) {
    // Bounded by the source: every step advances the offset by at least one byte.
    while (offset < doc.sourceSize) {
        char16_t u = Normalise(ReadSourceChar(doc, offset));
        if (u == 0) continue;
        if (u == 10 || u == u' ' || u == u'*' || u == u'-') return kMarkBody;
        return u' ';
    }
    return u' ';
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
