// Character encodings: the code-page list, the byte-to-character table, reading one source
// character.
#pragma once
#include <cstdint>

#include "document/document.h"
#include "document/text_cache.h"

namespace lectra {

struct CodePageRow {
    int id;
    const char16_t* name;
};
// The list the code-page dialogs offer, "Auto (Russian)" first; ends with a null name.
extern const CodePageRow kCodePageList[];
// Rows in kCodePageList, the terminator not counted.
int CodePageListSize();
// Whether `id` is a row of the list (row 0, automatic, excluded).
int IsListedCodePage(int id);

// Fills ByteToChar for BookCodePage: ASCII below 128, the code page's table above, "?" for a code
// page without a table.
void BuildByteToChar(Document& doc);

// Reads one character at `offset` in BookCodePage and advances past it.
inline char16_t ReadSourceChar(Document& doc, uint32_t& offset) {
    const int cp = doc.bookCodePage;
    uint32_t b0 = ReadSourceByte(doc, offset);
    if (cp == kCodePageUtf8) {
        if (b0 < 0x80) {
            offset += 1;
            return static_cast<char16_t>(b0);
        }
        if (b0 >= 0xF0 && b0 <= 0xF4) {
            // A character beyond U+FFFF has no single unit: read its four bytes as one U+FFFD
            // rather than let the fourth swallow the next character.
            offset += 4;
            return 0xFFFD;
        }
        if (b0 & 0x20) {
            uint32_t b1 = ReadSourceByte(doc, offset + 1);
            uint32_t b2 = ReadSourceByte(doc, offset + 2);
            offset += 3;
            return static_cast<char16_t>(((b0 & 15) << 12) | ((b1 & 63) << 6) | (b2 & 63));
        }
        uint32_t b1 = ReadSourceByte(doc, offset + 1);
        offset += 2;
        return static_cast<char16_t>(((b0 & 31) << 6) | (b1 & 63));
    }
    if (cp == kCodePageUtf16) {
        if (offset + 1 >= doc.sourceSize) {
            offset += 1;
            return static_cast<char16_t>(b0);
        }
        uint32_t b1 = ReadSourceByte(doc, offset + 1);
        offset += 2;
        return static_cast<char16_t>(b0 | (b1 << 8));
    }
    offset += 1;
    return doc.byteToChar[b0];
}

}  // namespace lectra
