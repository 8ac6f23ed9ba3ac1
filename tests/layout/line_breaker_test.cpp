// Lines at a fixed advance of 10 pixels a unit: styles, overflow fall-backs, justification.
#include <gtest/gtest.h>

#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeDraw;
using test::FakeLayout;
using test::MemoryBook;

LineRecord Line(FakeLayout& f, MemoryBook& book, int32_t start) {
    LineRecord record;
    LayoutLine(f.layout, *book, record, start, TextContext(f.layout));
    return record;
}

TEST(LayoutLine, LinesOfEachStyleAndEveryOverflowFallBack) {
    constexpr uint32_t B = kStyleBody, L = kStyleLeft, T = kStyleTitle | kTitleFont, S = kParaStart,
                       E = kParaEnd;
    const std::u16string x(30, u'x'), y(300, u'y'), sp(40, u' ');
    const std::u16string para = u"\nabc def\n\nxyz", marks = u"\vleft\fright\rtitle\tnine\5five",
                         hy = u"\vhyphenation";
    const struct {
        int width;
        std::u16string book;
        int32_t start;
        std::u16string text;
        uint32_t flags;
        int32_t end;
        // hyphen 0: off; 2: on with the patterns supplied with the program.
        int words = -1, hyphen = 1;
    } cases[] = {
        // clang-format off
        // A line that starts on a mark is the empty line of that mark; the first line of a body
        // paragraph is indented, the others are not; the book's last line is padded with spaces
        // up to the width and ends at its length.
        {200, para, 0, u"", B | S | E, 1, 0},
        {200, para, 1, u"   abc def", B | S | E, 9, 2},
        {200, para, 10, u"   xyz" + sp.substr(0, 14), B | S, 13},
        {200, para, 5, u"def", B | E, 9, 1},
        // Each mark gives its style and only body is indented.
        {400, marks, 1, u"left", L | S | E, 6},
        {400, marks, 12, u"title", T | S | E, 18},
        {400, marks, 23, u"   five" + sp.substr(0, 33), B | S, 27},
        // White space between mark and text still starts the paragraph.
        {400, u"\v  \x10 text more\v", 5, u"text more", L | S | E, 15, 2},
        // A title line is measured with the title font (12 pixels a unit) and has one pixel less.
        {96, u"\rabcdefghij", 1, u"abcdefg", T | S, 8, 1},
        {97, u"\rabcdefghij", 1, u"abcdefgh", T | S, 9, 1},
        {100, u"\vabcdefghij", 1, u"abcdefghij", L | S, 11, 1},
        // The line ends where the next space would not fit.
        {90, u"\vaaaa bbbb cc", 1, u"aaaa bbbb", L | S, 11, 2},
        // A hyphen-minus breaks the word with hyphenation off.
        {100, u"\vaaaa bbb-ccc dd\v", 1, u"aaaa bbb-", L | S, 10, 2, 0},
        // A break at a soft hyphen shows "-"; inside the line the soft hyphen stays as it is.
        {50, u"\vbes\u00ADpredel", 1, u"bes-", L | S, 5, 1, 0},
        {200, u"\vbes\u00ADpredel", 1, u"bes\u00ADpredel" + sp.substr(0, 10), L | S, 11, -1, 0},
        // Words of three characters go whole to the next line.
        {50, u"\vxx a-b", 1, u"xx", L | S, 4, 1},
        {50, u"\vxx a-bc", 1, u"xx a-", L | S, 6, 2},
        // The longest hyphenation candidate that fits is taken; a word not alone on a non-body
        // line is not hyphenated, on a body line it is; a paragraph's last word that is cut does
        // not end the paragraph.
        {80, hy, 1, u"hyphen-", L | S, 7, 1, 2},
        {60, hy, 1, u"hy-", L | S, 3, 1, 2},
        {100, u"\van hyphenation", 1, u"an", L | S, 4, 1, 2},
        {100, u"\nan hyphenation", 1, u"   an hy-", B | S, 6, 2, 2},
        {100, u"\vhyphenation\v", 1, u"hyphen-", L | S, 7, 1, 2},
        // A word longer than the line is cut by characters; narrower than one character, still
        // one a line so that layout advances; the indent stays with the first character.
        {100, u"\v" + x, 1, x.substr(0, 10), L | S, 11, 1},
        {5, u"\v" + x, 1, u"x", L | S, 2, 1},
        {5, u"\nabc", 1, u"   a", B | S, 2, 1},
        // A run of white space shorter than a block is passed over as one space (longer ones are
        // cut on block boundaries: the pagination's pages of white space).
        {200, u"\vab" + std::u16string(kBlockUnits - 10, u' ') + u"cd\v", 1, u"ab cd", L | S | E,
         kBlockUnits - 4, 2},
        // Runs longer than 255 units are several words.
        {4000, u"\v" + y + u"\v", 1, y.substr(0, 255) + u' ' + y.substr(0, 45), L | S | E, 302, 2},
        // clang-format on
    };
    for (const auto& c : cases) {
        FakeLayout f(c.width);
        f.settings.hyphen = c.hyphen > 0;
        ASSERT_TRUE(c.hyphen != 2 || test::LoadEnPat(f.layout.patterns) == 1);
        MemoryBook book(c.book);
        const LineRecord r = Line(f, book, c.start);
        SCOPED_TRACE("line at " + std::to_string(c.start) + " of " + Utf16ToUtf8(c.book));
        EXPECT_EQ(Utf16ToUtf8(r.text), Utf16ToUtf8(c.text));
        EXPECT_EQ(r.flags, c.flags);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(c.words >= 0 ? r.words : -1, c.words);
    }
}

// When no title font could be made, the text font measures titles.
TEST(LayoutLine, WithoutATitleFontTheTextFontMeasuresTitles) {
    MemoryBook book(u"\rTitle words\nbody words");
    FakeLayout f(130);  // "Title words" is 110 pixels in the text font, 132 in the title font
    FakeDraw().deleteFont(f.layout.fonts.titleFont);
    f.layout.fonts.titleFont = nullptr;
    const LineRecord title = Line(f, book, 1);
    EXPECT_EQ(title.text, u"Title words");
    EXPECT_EQ(title.flags, kStyleTitle | kParaStart | kParaEnd);
}

TEST(LayoutLine, PaddingStopsWhenASpaceTakesNoRoomAndLinesPastTheEndAreTheEnd) {
    FakeLayout f(100);
    test::Fake(f.layout.fonts.textFont)->space = 0;
    MemoryBook book(u"\vend");
    const LineRecord r = Line(f, book, 1);
    EXPECT_EQ(r.end, 4);
    EXPECT_LE(r.text.size(), 6u);
    // Lines at or past the end of the book are blank and end at its length.
    EXPECT_EQ(Line(f, book, 4).end, 4);
    EXPECT_EQ(Line(f, book, 400).end, 4);
    EXPECT_EQ(Line(f, book, 400).start, 4);
}

TEST(ParagraphStyle, AMarkOnTheBlocksLastUnitStartsTheNextBlocksParagraph) {
    for (const std::u16string& gap : {std::u16string(), std::u16string(u"  ")}) {
        std::u16string units = std::u16string(4095 - gap.size(), u'w') + u"\f" + gap + u"text";
        MemoryBook book(units);
        FakeLayout f(400);
        EXPECT_EQ(ParagraphStyleAt(*book, 4096 + gap.size()), kStyleRight);
        const LineRecord line = Line(f, book, 4096);
        EXPECT_EQ(line.flags & ~kParaEnd, kStyleRight | kParaStart);
    }
    MemoryBook body(std::u16string(4095, u'w') + u"\ntext");
    FakeLayout f(400);
    EXPECT_EQ(Line(f, body, 4096).text.substr(0, 8), u"   text ");  // the body paragraph's indent
}

TEST(JustifyAndDrawLine, PiecesFillTheWidthOrTheLineIsDrawnWhole) {
    const struct {
        const char16_t* text;
        int words, width;
        test::Pieces pieces;
        int justify = 1;
    } cases[] = {
        // Spread lines (the indent kept with the first word, the trailing space dropped, pieces
        // placed at whole pixels) are on every golden page; here the edges where they are not.
        {u"ab cd", 2, 52, {"0:ab ", "32:cd"}},
        {u"ab cd", 2, 51, {"0:ab cd"}},  // one pixel to spare
        {u"abcd", 1, 100, {"0:abcd"}},
        {u"ab cd", 2, 40, {"0:ab cd"}},  // wider than the rectangle
        {u"ab cd", 2, 100, {"0:ab cd"}, 0},
    };
    for (const auto& c : cases) {
        FakeLayout f(200);
        f.settings.justify = c.justify;
        LineRecord record{c.text, kStyleBody, c.words, 0, 0, {}, 0, 0};
        JustifyAndDrawLine(f.layout, TextContext(f.layout), record, PixelRect{0, 20, c.width, 34});
        EXPECT_EQ(*test::Fake(f.layout.surface), c.pieces)
            << Utf16ToUtf8(c.text) << " in " << c.width;
    }
}

}  // namespace
}  // namespace lectra
