// UTF-8 and UTF-16 conversion at the edges of the program.
#include "platform/sys/utf.h"

#include <gtest/gtest.h>

namespace lectra {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
    const std::u16string text = u"a\u00E9\u0416\u2014\U0001F600z";
    EXPECT_EQ(Utf16ToUtf8(text), "a\xC3\xA9\xD0\x96\xE2\x80\x94\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(Utf, IllFormedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x80"), u"\uFFFD");        // cut sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"
                          "x"),
              u"\uFFFDx");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(Utf, FileNamesRoundTripEveryByte) {
    const struct {
        std::string bytes;
        std::u16string path;
    } rows[] = {
        {"/\xD0\x9A\xD0\xBD.txt", u"/Кн.txt"},                                // UTF-8 as itself
        {"\xCA\xED\xE8\xE3\xE0.txt", u"\xDCCA\xDCED\xDCE8\xDCE3\xDCE0.txt"},  // cp1251
        {"a\xD0"
         "b\xED\xA0\x80\xF0\x9F\x98\x80",
         u"a\xDCD0"
         "b\xDCED\xDCA0\xDC80\U0001F600"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(PathFromBytes(r.bytes), r.path) << r.bytes;
        EXPECT_EQ(PathToBytes(r.path), r.bytes) << r.bytes;
    }
    EXPECT_TRUE(IsUtf8("/\xD0\x9A.txt"));
    EXPECT_FALSE(IsUtf8("\xCA\xED.txt"));
}

}  // namespace
}  // namespace lectra
