// Justification with a fixed advance of 10 pixels a unit: where each piece is drawn, the indent
// kept with the first word, and the lines that are drawn whole.
#include "layout/justify.h"

#include <gtest/gtest.h>

#include "layout_test_support.h"
#include "platform/sys/utf.h"

namespace lectra {
namespace {

using test::FakeLayout;

// "x:text" for each piece drawn.
std::vector<std::string> Draw(FakeLayout& f, const std::u16string& text, int words, int width) {
    LineRecord record;
    record.text = text;
    record.words = words;
    record.flags = kStyleBody;
    test::Fake(f.layout.surface)->drawn.clear();
    JustifyAndDrawLine(f.layout, f.dc, record, PixelRect{0, 20, width, 34});
    std::vector<std::string> out;
    for (const test::DrawnText& d : test::Fake(f.layout.surface)->drawn) {
        EXPECT_EQ(d.y, 20);
        out.push_back(std::to_string(d.x) + ":" + Utf16ToUtf8(d.text));
    }
    return out;
}

using Pieces = std::vector<std::string>;

TEST(JustifyAndDrawLine, PiecesFillTheWidthAndTheIndentStaysWithTheFirstWord) {
    FakeLayout f(200);
    // 110 pixels of text, 90 to spare over two gaps of 45.
    EXPECT_EQ(Draw(f, u"   ab cd ef", 3, 200), (Pieces{"0:   ab ", "105:cd ", "180:ef"}));
    // Gaps of 31/3 pixels: each piece starts at its position cut to whole pixels.
    EXPECT_EQ(Draw(f, u"a b c d", 4, 101), (Pieces{"0:a ", "30:b ", "60:c ", "91:d"}));
    // A hyphenated piece is one word like any other.
    EXPECT_EQ(Draw(f, u"ab cd-", 2, 100), (Pieces{"0:ab ", "70:cd-"}));
}

TEST(JustifyAndDrawLine, OneTrailingSpaceIsDroppedFirst) {
    FakeLayout f(200);
    EXPECT_EQ(Draw(f, u"ab cd ", 2, 100), (Pieces{"0:ab ", "80:cd"}));
}

TEST(JustifyAndDrawLine, LinesWithoutRoomOrWordsOrTheSwitchAreDrawnWhole) {
    FakeLayout f(200);
    EXPECT_EQ(Draw(f, u"ab cd", 2, 51), (Pieces{"0:ab cd"}));  // one pixel to spare
    EXPECT_EQ(Draw(f, u"ab cd", 2, 52), (Pieces{"0:ab ", "32:cd"}));
    EXPECT_EQ(Draw(f, u"abcd", 1, 100), (Pieces{"0:abcd"}));
    EXPECT_EQ(Draw(f, u"ab cd", 2, 40), (Pieces{"0:ab cd"}));  // wider than the rectangle
    f.settings.justify = 0;
    EXPECT_EQ(Draw(f, u"ab cd", 2, 100), (Pieces{"0:ab cd"}));
}

}  // namespace
}  // namespace lectra
