// Tests of the single-byte code-page tables (against glibc's iconv and known values) and encoding.
#include "platform/sys/code_pages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace lectra {
namespace {

constexpr int kAllCodePages[] = {866,   1251,  20866, 28595, 10007, 1250,  28592, 500,  775,
                                 850,   852,   1252,  28599, 28605, 28591, 10029, 869,  875,
                                 737,   1253,  10006, 28597, 855,   860,   861,   863,  865,
                                 10082, 874,   857,   1026,  10081, 1254,  1255,  1256, 10000,
                                 10010, 10079, 21866, 10017, 28594, 1257,  37,    437};

using HighHalf = std::array<char16_t, 128>;

HighHalf TableOf(int codePage) {
    HighHalf high{};
    EXPECT_EQ(CodePageHighHalf(codePage, high.data()), 1) << "code page " << codePage;
    return high;
}

char16_t Undefined(int byte) {
    return static_cast<char16_t>(0x80 + (byte - 128));
}

// Runs glibc's iconv on `bytes`; nothing when it fails. With `dropInvalid` (-c) bytes without a
// character are left out instead of failing the conversion.
std::optional<std::u16string> IconvDecode(const std::string& charset, const std::string& bytes,
                                          bool dropInvalid) {
    std::string path = (std::filesystem::temp_directory_path() / "lectra_cp_XXXXXX").string();
    int fd = mkstemp(path.data());
    if (fd < 0) return std::nullopt;
    bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    std::optional<std::u16string> result;
    if (written) {
        std::string command = "iconv " + std::string(dropInvalid ? "-c " : "") + "-f " + charset +
                              " -t UTF-16LE < '" + path + "' 2>/dev/null";
        if (FILE* pipe = popen(command.c_str(), "r")) {
            std::string raw;
            char buffer[512];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) raw.append(buffer, n);
            int status = pclose(pipe);
            if ((status == 0 || (dropInvalid && !raw.empty())) && raw.size() % 2 == 0) {
                std::u16string text;
                for (size_t i = 0; i < raw.size(); i += 2) {
                    text += static_cast<char16_t>(static_cast<uint8_t>(raw[i]) |
                                                  static_cast<uint8_t>(raw[i + 1]) << 8);
                }
                result = text;
            }
        }
    }
    unlink(path.c_str());
    return result;
}

bool IconvAvailable() {
    return std::system("command -v iconv >/dev/null 2>&1") == 0;
}

// What iconv makes of bytes 128..255, one entry per byte; nothing where it has no character.
std::optional<std::array<std::optional<char16_t>, 128>> IconvHighHalf(const std::string& charset) {
    std::array<std::optional<char16_t>, 128> out;
    std::string all;
    for (int b = 128; b < 256; ++b) all += static_cast<char>(b);
    if (auto text = IconvDecode(charset, all, false); text && text->size() == 128) {
        for (int i = 0; i < 128; ++i) out[i] = (*text)[i];
        return out;
    }
    // Some bytes are undefined: put a line feed after each byte and let iconv drop the undefined
    // ones, so each line holds one character or none (ASCII-based charsets only).
    std::string lines;
    for (int b = 128; b < 256; ++b) lines += std::string{static_cast<char>(b), '\n'};
    auto text = IconvDecode(charset, lines, true);
    if (!text) return std::nullopt;
    int i = 0;
    std::u16string line;
    for (char16_t unit : *text) {
        if (unit != u'\n') {
            line += unit;
            continue;
        }
        if (i == 128 || line.size() > 1) return std::nullopt;
        if (!line.empty()) out[i] = line[0];
        ++i;
        line.clear();
    }
    if (i != 128 || !line.empty()) return std::nullopt;
    return out;
}

TEST(CodePageTables, AgreeWithIconv) {
    if (!IconvAvailable()) GTEST_SKIP() << "iconv program not found";
    struct Case {
        int codePage;
        const char* charset;
        std::set<int> windowsDiffers;  // bytes where Windows deliberately departs from glibc
    };
    const Case cases[] = {
        {1251, "CP1251", {}},
        {20866, "KOI8-R", {}},
        {866, "CP866", {}},
        {28595, "ISO-8859-5", {}},
        {10007, "CP10007", {0xB6}},  // Windows keeps the older ∂ where glibc has ґ
        {1252, "CP1252", {}},
        {437, "CP437", {}},
        {37, "CP037", {}},
        {1250, "CP1250", {}},
        {874, "CP874", {}},
        {1255, "CP1255", {0xCA}},
        {21866, "KOI8-U", {0xAE, 0xBE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << " vs iconv " << c.charset);
        HighHalf ours = TableOf(c.codePage);
        auto theirs = IconvHighHalf(c.charset);
        ASSERT_TRUE(theirs) << "iconv output not understood";
        int defined = 0;
        for (int i = 0; i < 128; ++i) {
            int byte = 128 + i;
            if (c.windowsDiffers.count(byte)) continue;
            if ((*theirs)[i]) {
                ++defined;
                EXPECT_EQ(ours[i], *(*theirs)[i]) << std::hex << "byte 0x" << byte;
            } else {
                EXPECT_EQ(ours[i], Undefined(byte)) << std::hex << "undefined byte 0x" << byte;
            }
        }
        EXPECT_GT(defined, 64) << "iconv hardly knows this charset";
    }
}

TEST(CodePageTables, WellKnownCharacters) {
    struct Known {
        int codePage;
        int byte;
        char16_t unit;
    };
    const Known known[] = {
        {1251, 0xC0, u'А'},       {1251, 0xB8, u'ё'},      {1251, 0x98, u'\u0098'},  // undefined
        {20866, 0xC1, u'а'},      {866, 0x80, u'А'},       {28595, 0xB0, u'А'},
        {10007, 0x80, u'А'},      {10007, 0xFF, u'¤'},     {10017, 0xA2, u'Ґ'},
        {1252, 0x80, u'€'},       {1252, 0x81, u'\u0081'}, {28591, 0x80, u'\u0080'},
        {37, 0xC1, u'A'},         {500, 0xB0, u'¢'},       {10000, 0xBD, u'\u2126'},  // Ohm sign
        {1255, 0xCA, u'\u05BA'},  {21866, 0xAE, u'ў'},     {28597, 0xA1, u'\u02BD'},
        {28597, 0xA4, u'\u00A4'},  // unassigned in Windows' 28597, so the filler
    };
    for (const Known& k : known) {
        EXPECT_EQ(TableOf(k.codePage)[k.byte - 128], k.unit)
            << "code page " << k.codePage << std::hex << " byte 0x" << k.byte;
    }
}

TEST(CodePageTables, EveryListedPageHasItsOwnTable) {
    std::map<HighHalf, int> seen;
    for (int codePage : kAllCodePages) {
        EXPECT_EQ(CodePageKnown(codePage), 1) << codePage;
        auto [it, inserted] = seen.emplace(TableOf(codePage), codePage);
        EXPECT_TRUE(inserted) << codePage << " has the same table as " << it->second;
    }
}

TEST(CodePageTables, UnknownCodePages) {
    for (int codePage : {0, -1, 65001, 1200, 932, 12345}) {
        EXPECT_EQ(CodePageKnown(codePage), 0) << codePage;
        HighHalf high;
        high.fill(u'x');
        EXPECT_EQ(CodePageHighHalf(codePage, high.data()), 0) << codePage;
        EXPECT_EQ(high[0], u'x');
        EXPECT_EQ(high[127], u'x');
    }
}

TEST(CodePageEncoding, EveryDefinedByteEncodesBackToItself) {
    for (int codePage : kAllCodePages) {
        HighHalf high = TableOf(codePage);
        std::map<char16_t, int> firstByte;  // over defined bytes only
        for (int i = 0; i < 128; ++i) {
            if (high[i] != Undefined(128 + i)) firstByte.emplace(high[i], 128 + i);
        }
        for (int i = 0; i < 128; ++i) {
            int byte = 128 + i;
            char16_t unit = high[i];
            int got = CodePageEncodeChar(codePage, unit, 0);
            SCOPED_TRACE(testing::Message() << "code page " << codePage << std::hex << " byte 0x"
                                            << byte << " U+" << static_cast<int>(unit));
            if (unit < 0x80) {
                EXPECT_EQ(got, unit);  // EBCDIC letters: ASCII is written as ASCII
            } else if (unit != Undefined(byte)) {
                EXPECT_EQ(got, firstByte[unit]);
            } else if (got != 0) {
                // Either a defined C1 control (ISO 8859-1) or an undefined byte whose filler is a
                // character found elsewhere in the page (857): whatever byte comes back holds it.
                EXPECT_EQ(high[got - 128], unit);
            }
        }
    }
}

TEST(CodePageEncoding, MissingCharactersAndAscii) {
    const std::u16string ascii = u"Hello, world! ~{}[]\t\n";
    for (int codePage : kAllCodePages) {
        EXPECT_EQ(CodePageEncodeChar(codePage, u'中'), '?') << codePage;
        EXPECT_EQ(CodePageEncodeChar(codePage, u'中', 0x7F), 0x7F) << codePage;
        std::string out;
        EXPECT_EQ(CodePageEncode(codePage, ascii, out), 1) << codePage;
        EXPECT_EQ(out, "Hello, world! ~{}[]\t\n") << codePage;
    }
}

TEST(CodePageEncoding, WholeText) {
    std::string out = "left over";
    EXPECT_EQ(CodePageEncode(1251, u"Ёлка 中 №1", out), 1);
    EXPECT_EQ(out,
              "\xA8\xEB\xEA\xE0 ? \xB9"
              "1");

    // A high half decoded and encoded again gives the bytes back, undefined 0x98 aside.
    HighHalf high = TableOf(1251);
    std::string expected;
    for (int b = 128; b < 256; ++b) expected += b == 0x98 ? '?' : static_cast<char>(b);
    EXPECT_EQ(CodePageEncode(1251, std::u16string(high.begin(), high.end()), out), 1);
    EXPECT_EQ(out, expected);

    // One byte per UTF-16 unit, so a character outside the BMP becomes two "?".
    EXPECT_EQ(CodePageEncode(866, u"a\U0001F600b", out), 1);
    EXPECT_EQ(out, "a??b");

    EXPECT_EQ(CodePageEncode(866, u"", out), 1);
    EXPECT_EQ(out, "");
}

TEST(CodePageEncoding, UnknownCodePage) {
    std::string out;
    EXPECT_EQ(CodePageEncode(12345, u"Ab Жé", out), 0);
    EXPECT_EQ(out, "Ab ??");
    EXPECT_EQ(CodePageEncodeChar(12345, u'Ж', 'x'), 'x');
    EXPECT_EQ(CodePageEncodeChar(12345, u'A', 'x'), 'A');
}

}  // namespace
}  // namespace lectra
