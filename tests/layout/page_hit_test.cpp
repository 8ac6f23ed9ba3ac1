// The point under a tap as a position of the book, measured as the line is painted.
#include "layout/page_hit.h"

#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using test::MemoryBook;

// A title, a justified paragraph of distinct words, a right-aligned line.
std::u16string Book() {
    std::u16string text = u"\rThe Title\n";
    for (int i = 0; i < 40; ++i) {
        text += u"w";
        text += static_cast<char16_t>(u'a' + i % 26);
        text += static_cast<char16_t>(u'a' + i / 26);
        text += i % 3 == 0 ? u"xyz " : u" ";
    }
    text += u"end.";
    text += kMarkRight;
    text += u"signed";
    return text;
}

TEST(PageHit, EveryCharacterOfALeftAlignedOrCentredLineIsFoundWhereItIsDrawn) {
    MemoryBook book(Book());
    FakeLayout f(300, 200);
    LayoutPage(f.layout, *book, 0);
    const Layout& l = f.layout;
    const int pitch = LinePitch(l);
    // The title (after the empty line its mark opens): centred, in the title font's 12-pixel
    // units.
    const LineRecord& title = l.pageLines[1];
    ASSERT_EQ(title.text, u"The Title");
    const int titleLeft = (300 - 12 * 9) / 2;
    int32_t from = -1, to = -1;
    for (int k = 0; k < 9; ++k) {
        const int32_t p = PositionAtPoint(l, *book, titleLeft + 12 * k + 6, pitch + 3, &from, &to);
        if (title.text[static_cast<size_t>(k)] == u' ') {
            EXPECT_EQ(p, 3) << "the gap is the word before";
        } else {
            ASSERT_GE(p, 0) << k;
            EXPECT_EQ(GetChar(*book, p), title.text[static_cast<size_t>(k)]) << k;
        }
    }
    EXPECT_EQ(PositionAtPoint(l, *book, titleLeft - 2, pitch + 3, &from, &to), -1);
    // The last line, right-aligned as its whole text is (the line breaker fills it out).
    int last = 0;
    while (last + 1 < l.linesPerPage && l.pageLines[last + 1].end > l.pageLines[last + 1].start)
        ++last;
    const std::u16string& signedLine = l.pageLines[static_cast<size_t>(last)].text;
    ASSERT_EQ(signedLine.substr(0, 6), u"signed");
    const int signedLeft = 300 - 10 * static_cast<int>(signedLine.size());
    const int32_t s = PositionAtPoint(l, *book, signedLeft + 5, last * pitch + 2, &from, &to);
    ASSERT_GE(s, 0);
    EXPECT_EQ(GetChar(*book, s), u's');
    EXPECT_EQ(to - from, 6);
    // Below the lines and left of the text is nothing.
    EXPECT_EQ(PositionAtPoint(l, *book, 5, (last + 1) * pitch + 2, &from, &to), -1);
}

TEST(PageHit, AJustifiedLineFindsEachWordAcrossItsSpreadGaps) {
    MemoryBook book(Book());
    for (int justify = 0; justify < 2; ++justify) {
        FakeLayout f(300, 200);
        f.settings.justify = justify;
        LayoutPage(f.layout, *book, 0);
        const Layout& l = f.layout;
        // The paragraph's first line, its indent before the first word.
        const LineRecord& line = l.pageLines[2];
        ASSERT_FALSE(line.flags & kParaEnd);
        ASSERT_EQ(line.text.substr(0, 4), u"   w");
        const int y = 2 * LinePitch(l) + 2;
        // Sweeping the line finds its words in order, each once, the last one at the right edge
        // when the line is spread.
        std::vector<int32_t> words;
        int32_t last = -1;
        for (int x = 0; x < 300; ++x) {
            int32_t from = -1, to = -1;
            const int32_t p = PositionAtPoint(l, *book, x, y, &from, &to);
            if (p < 0) continue;
            ASSERT_GE(p, line.start);
            ASSERT_LT(p, line.end);
            ASSERT_GT(GetChar(*book, p), 32);
            ASSERT_GE(p, last) << x;
            last = p;
            if (words.empty() || words.back() != from) words.push_back(from);
            if (justify && x == 299) EXPECT_EQ(p, to - 1);
        }
        EXPECT_EQ(static_cast<int>(words.size()), line.words) << justify;
    }
}

}  // namespace
}  // namespace lectra
