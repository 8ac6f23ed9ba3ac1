// The filter of Word text: cell, line, page and column breaks into paragraph marks.
#include "document/word_filter.h"

#include "document/encoding.h"

namespace lectra {

int WordFilter(Document& doc, char16_t& unit, uint32_t offset) {
    const char16_t u = unit;
    if (u >= 32) return 1;
    switch (u) {
        case 7:  // cell or row end
        case 10:
        case 11:  // line break
        case 12:  // page or section break
        case 14:  // column break
            unit = kMarkBody;
            break;
        case 13: {
            uint32_t next = offset;
            unit = (next < doc.sourceSize && ReadSourceChar(doc, next) == 10) ? u' ' : kMarkBody;
            break;
        }
        case 30:
        case 31:
            unit = u'-';
            break;
        default:
            unit = u' ';
            break;
    }
    return 1;
}

}  // namespace lectra
