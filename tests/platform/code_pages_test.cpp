// The single-byte code-page tables, against glibc's iconv and known values, and encoding.
#include "platform/sys/code_pages.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "document/encoding.h"

namespace lectra {
namespace {

// The single-byte rows of the code-page list, the automatic row, UTF-8 and Unicode left out.
std::vector<int> SingleBytePages() {
    std::vector<int> pages;
    for (int i = 0, id; i < CodePageListSize(); ++i) {
        if ((id = kCodePageList[i].id) != -1 && id != 65001 && id != 16777215) pages.push_back(id);
    }
    return pages;
}

using HighHalf = std::array<char16_t, 128>;

HighHalf TableOf(int codePage) {
    HighHalf high{};
    EXPECT_EQ(CodePageHighHalf(codePage, high.data()), 1) << "code page " << codePage;
    return high;
}

// What a code page leaves undefined reads as U+0080 + (byte − 128).
bool Defined(const HighHalf& high, int i) {
    return high[i] != 0x80 + i;
}

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
        const HighHalf ours = TableOf(c.codePage);
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

TEST(CodePageEncoding, EveryDefinedByteEncodesBackToItself) {
    for (int codePage : SingleBytePages()) {
        const HighHalf high = TableOf(codePage);
        std::map<char16_t, int> firstByte;  // over defined bytes only
        for (int i = 0; i < 128; ++i)
            if (Defined(high, i)) firstByte.emplace(high[i], 128 + i);
        for (int i = 0; i < 128; ++i) {
            const int got = CodePageEncodeChar(codePage, high[i], 0);
            SCOPED_TRACE(testing::Message() << "code page " << codePage << std::hex << " byte 0x"
                                            << 128 + i << " U+" << static_cast<int>(high[i]));
            if (high[i] < 0x80) {
                EXPECT_EQ(got, high[i]);  // EBCDIC letters: ASCII is written as ASCII
            } else if (Defined(high, i)) {
                EXPECT_EQ(got, firstByte[high[i]]);
            } else if (got != 0) {
                // Either a defined C1 control (ISO 8859-1) or an undefined byte whose filler is a
                // character found elsewhere in the page (857): whatever byte comes back holds it.
                EXPECT_EQ(high[got - 128], high[i]);
            }
        }
        EXPECT_EQ(CodePageEncodeChar(codePage, u'中'), '?') << codePage;
        EXPECT_EQ(CodePageEncodeChar(codePage, u'中', 0x7F), 0x7F) << codePage;
        std::string out;
        EXPECT_EQ(CodePageEncode(codePage, u"Hello, world! ~{}[]\t\n", out), 1) << codePage;
        EXPECT_EQ(out, "Hello, world! ~{}[]\t\n") << codePage;
    }
}

}  // namespace
}  // namespace lectra
