// The single-byte code-page tables against glibc's iconv (encoding is checked through the export).
#include "platform/sys/code_pages.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <optional>
#include <set>
#include <string>

namespace lectra {
namespace {

// What glibc's iconv makes of each byte 128..255 on its own; nothing where it has no character.
std::array<std::optional<char16_t>, 128> IconvHighHalf(const char* charset) {
    std::array<std::optional<char16_t>, 128> out;
    iconv_t cd = iconv_open("UTF-16LE", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    for (int i = 0; i < 128; ++i) {
        char byte = static_cast<char>(128 + i), *in = &byte;
        char16_t units[4];
        char* to = reinterpret_cast<char*>(units);
        size_t inLeft = 1, outLeft = sizeof units;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        // The second call flushes a character held back to see whether a combining mark follows.
        if (iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) &&
            iconv(cd, nullptr, nullptr, &to, &outLeft) != static_cast<size_t>(-1) &&
            outLeft == sizeof units - 2) {
            out[i] = units[0];
        }
    }
    iconv_close(cd);
    return out;
}

TEST(CodePageTables, AgreeWithIconv) {
    const struct {
        int codePage;
        const char* charset;
        std::set<int> windowsDiffers;  // bytes where Windows deliberately departs from glibc
    } cases[] = {
        {1251, "CP1251", {}},     {20866, "KOI8-R", {}},
        {866, "CP866", {}},       {28595, "ISO-8859-5", {}},
        {1252, "CP1252", {}},     {437, "CP437", {}},
        {37, "CP037", {}},        {1250, "CP1250", {}},
        {874, "CP874", {}},       {10007, "CP10007", {0xB6}},  // Windows keeps ∂ where glibc has ґ
        {1255, "CP1255", {0xCA}}, {21866, "KOI8-U", {0xAE, 0xBE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << " vs iconv " << c.charset);
        std::array<char16_t, 128> ours{};
        ASSERT_EQ(CodePageHighHalf(c.codePage, ours.data()), 1);
        const auto theirs = IconvHighHalf(c.charset);
        int defined = 0;
        for (int i = 0; i < 128; ++i) {
            if (c.windowsDiffers.count(128 + i)) continue;
            defined += theirs[i].has_value();
            EXPECT_EQ(ours[i], theirs[i].value_or(0x80 + i)) << std::hex << "byte 0x" << 128 + i;
        }
        EXPECT_GT(defined, 64) << "iconv hardly knows this charset";
    }
}

}  // namespace
}  // namespace lectra
