// Single-byte code pages: bytes 128–255 to UTF-16 and back, from generated tables.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace lectra {

// Fills `high` with the characters of bytes 128..255 of a single-byte code page (Windows
// numbering). Returns 0, leaving `high` untouched, when the code page has no table here.
// Bytes the code page leaves undefined read as U+0080 + (byte − 128), as the system converter does.
int CodePageHighHalf(int codePage, char16_t high[128]);

// Whether the code page has a table (the single-byte rows of the code-page list do).
int CodePageKnown(int codePage);

// One character to a byte of the code page: ASCII below 128 as itself, otherwise the byte whose
// table entry is `unit`, or `fallback` when there is none (or the code page is unknown).
uint8_t CodePageEncodeChar(int codePage, char16_t unit, uint8_t fallback = '?');

// Bytes of a single-byte code page to UTF-16: ASCII as itself, the rest through the table (an
// unknown code page keeps U+0080 + (byte − 128)).
std::u16string CodePageDecode(int codePage, std::string_view bytes);

// Whole text; every character without a byte becomes "?". Returns 0 for an unknown code page
// (the output then holds "?" for every non-ASCII character).
int CodePageEncode(int codePage, std::u16string_view text, std::string& out);

}  // namespace lectra
