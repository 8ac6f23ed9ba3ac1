// Conversion between the program's UTF-16 text and the UTF-8 of the operating system and files.
#pragma once
#include <string>
#include <string_view>

namespace lectra {

// Ill-formed UTF-16 (a lone surrogate) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Ill-formed UTF-8 becomes U+FFFD per maximal bad subpart; characters beyond U+FFFF become
// surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);
// 1 when the bytes are well-formed UTF-8 throughout.
int IsUtf8(std::string_view text);

// File names, losslessly: valid UTF-8 as itself, every other byte b as the lone surrogate
// U+DC80 + (b − 0x80), and back, so that a name written in an old code page still opens.
std::u16string PathFromBytes(std::string_view bytes);
std::string PathToBytes(std::u16string_view path);

}  // namespace lectra
