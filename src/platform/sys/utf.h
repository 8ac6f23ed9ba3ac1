// Conversion between the program's UTF-16 text and the UTF-8 of the operating system and files.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace lectra {

// What becomes of bytes that are not well-formed UTF-8.
enum class BadUtf8 : uint8_t {
    kReplace,    // U+FFFD per maximal bad subpart: text
    kKeepBytes,  // each byte b as the lone surrogate U+DC80 + (b − 0x80): file names, losslessly
};

// Ill-formed UTF-16 (a lone surrogate) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Characters beyond U+FFFF become surrogate pairs; bad bytes become what `bad` says.
std::u16string Utf8ToUtf16(std::string_view text, BadUtf8 bad = BadUtf8::kReplace);
// 1 when the bytes are well-formed UTF-8 throughout.
int IsUtf8(std::string_view text);

// File names, losslessly: valid UTF-8 as itself, every other byte b as the lone surrogate
// U+DC80 + (b − 0x80), and back, so that a name written in an old code page still opens.
inline std::u16string PathFromBytes(std::string_view bytes) {
    return Utf8ToUtf16(bytes, BadUtf8::kKeepBytes);
}
std::string PathToBytes(std::u16string_view path);

}  // namespace lectra
