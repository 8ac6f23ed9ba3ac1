// Conversion between the program's UTF-16 text and the UTF-8 of the operating system and files.
#include "platform/sys/utf.h"

#include <cstdint>

namespace lectra {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// The well-formed UTF-8 sequence at text[i]: its length, and its code point in `cp`. Otherwise 0,
// with `bad` the length of the maximal bad subpart there (at least 1).
size_t Utf8SequenceAt(std::string_view text, size_t i, uint32_t* cp, size_t* bad) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t b = byte(i);
    *bad = 1;
    if (b < 0x80) {
        *cp = b;
        return 1;
    }
    size_t need = 0;
    uint32_t v = 0, min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1, v = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2, v = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3, v = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    size_t k = 1;
    for (; k <= need && i + k < text.size() && (byte(i + k) & 0xC0) == 0x80; ++k) {
        v = (v << 6) | (byte(i + k) & 0x3F);
    }
    if (k <= need || v < min || v > 0x10FFFF || (v >= 0xD800 && v < 0xE000)) {
        *bad = k;
        return 0;
    }
    *cp = v;
    return need + 1;
}

bool IsHigh(char16_t u) {
    return u >= 0xD800 && u < 0xDC00;
}
bool IsLow(char16_t u) {
    return u >= 0xDC00 && u < 0xE000;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t u = text[i];
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD;
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text, BadUtf8 badBytes) {
    std::u16string out;
    out.reserve(text.size());
    uint32_t cp = 0;
    size_t bad = 1;
    for (size_t i = 0; i < text.size();) {
        if (const size_t n = Utf8SequenceAt(text, i, &cp, &bad)) {
            AppendUtf16(out, cp);
            i += n;
        } else if (badBytes == BadUtf8::kKeepBytes) {
            // A name in an old code page: each byte that is not UTF-8 is carried in a lone low
            // surrogate, which no UTF-8 name can produce, so that it turns back into that byte.
            out += static_cast<char16_t>(0xDC00 + static_cast<uint8_t>(text[i]));
            ++i;
        } else {
            out += u'\uFFFD';
            i += bad;
        }
    }
    return out;
}

int IsUtf8(std::string_view text) {
    uint32_t cp = 0;
    size_t bad = 1;
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceAt(text, i, &cp, &bad);
        if (!n) return 0;
        i += n;
    }
    return 1;
}

std::string PathToBytes(std::u16string_view path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const char16_t u = path[i];
        if (IsHigh(u) && i + 1 < path.size() && IsLow(path[i + 1])) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800u) << 10) + (path[i + 1] - 0xDC00u));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00);
        } else {
            AppendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
        }
    }
    return out;
}

}  // namespace lectra
