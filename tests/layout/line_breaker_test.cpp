// The line loop with a fixed advance of 10 pixels a unit: paragraph starts and ends, indents and
// styles, every overflow fall-back, the end of the book, and paragraph styles across blocks.
#include "layout/line_breaker.h"

#include <gtest/gtest.h>

#include "layout/hyphen_patterns.h"
#include "layout/paragraph_style.h"
#include "layout_test_support.h"
#include "platform/sys/utf.h"

namespace lectra {
namespace {

using test::FakeLayout;
using test::MemoryBook;

LineRecord Line(FakeLayout& f, MemoryBook& book, int32_t start) {
    LineRecord record;
    LayoutLine(f.layout, *book, record, start, f.dc);
    return record;
}

void ExpectLine(const LineRecord& r, const std::u16string& text, uint32_t flags, int32_t end,
                int words = -1) {
    EXPECT_EQ(Utf16ToUtf8(r.text), Utf16ToUtf8(text)) << "line at " << r.start;
    EXPECT_EQ(r.flags, flags) << "line at " << r.start;
    EXPECT_EQ(r.end, end) << "line at " << r.start;
    if (words >= 0) {
        EXPECT_EQ(r.words, words) << "line at " << r.start;
    }
}

TEST(LayoutLine, ParagraphsGetTheIndentTheirEndAndEmptyLines) {
    FakeLayout f(200);
    MemoryBook book(u"\nabc def\n\nxyz");
    // A line that starts on a mark is the empty line of that mark.
    ExpectLine(Line(f, book, 0), u"", kStyleBody | kParaStart | kParaEnd, 1, 0);
    ExpectLine(Line(f, book, 1), u"   abc def", kStyleBody | kParaStart | kParaEnd, 9, 2);
    ExpectLine(Line(f, book, 9), u"", kStyleBody | kParaStart | kParaEnd, 10, 0);
    // The book's last line is padded with spaces up to the width and ends at its length.
    const LineRecord last = Line(f, book, 10);
    ExpectLine(last, u"   xyz" + std::u16string(14, u' '), kStyleBody | kParaStart, 13);
    // Inside a paragraph a line starts without indent.
    ExpectLine(Line(f, book, 5), u"def", kStyleBody | kParaEnd, 9, 1);
}

TEST(LayoutLine, EachMarkGivesItsStyleAndOnlyBodyIsIndented) {
    FakeLayout f(400);
    MemoryBook book(
        u"\x0bleft\x0cright\x0dtitle\x09nine\x05"
        u"five");
    ExpectLine(Line(f, book, 1), u"left", kStyleLeft | kParaStart | kParaEnd, 6);
    ExpectLine(Line(f, book, 6), u"right", kStyleRight | kParaStart | kParaEnd, 12);
    ExpectLine(Line(f, book, 12), u"title", kStyleTitle | kParaStart | kParaEnd, 18);
    ExpectLine(Line(f, book, 18), u"nine", kStyleNine | kParaStart | kParaEnd, 23);
    EXPECT_EQ(Line(f, book, 23).text.substr(0, 7), u"   five");
    EXPECT_EQ(Line(f, book, 23).flags, kStyleBody | kParaStart);
}

TEST(LayoutLine, WhiteSpaceBetweenMarkAndTextStillStartsTheParagraph) {
    FakeLayout f(400);
    MemoryBook book(u"\x0b  \x10 text more\x0b");
    ExpectLine(Line(f, book, 3), u"\x10 text more", kStyleLeft | kParaStart | kParaEnd, 15, 3);
    ExpectLine(Line(f, book, 5), u"text more", kStyleLeft | kParaStart | kParaEnd, 15, 2);
    ExpectLine(Line(f, book, 10), u"more", kStyleLeft | kParaEnd, 15, 1);
}

TEST(LayoutLine, ATitleLineHasOnePixelLess) {
    FakeLayout f(100);
    MemoryBook title(
        u"\x0d"
        u"abcdefghij");
    ExpectLine(Line(f, title, 1), u"abcdefghi", kStyleTitle | kParaStart, 10, 1);
    MemoryBook left(
        u"\x0b"
        u"abcdefghij");
    ExpectLine(Line(f, left, 1), u"abcdefghij", kStyleLeft | kParaStart, 11, 1);
}

TEST(LayoutLine, AHyphenMinusBreaksTheWordWithHyphenationOff) {
    FakeLayout f(100);
    f.settings.hyphen = 0;
    MemoryBook book(
        u"\x0b"
        u"aaaa bbb-ccc dd\x0b");
    ExpectLine(Line(f, book, 1), u"aaaa bbb-", kStyleLeft | kParaStart, 10, 2);
    ExpectLine(Line(f, book, 10), u"ccc dd", kStyleLeft | kParaEnd, 17, 2);
}

TEST(LayoutLine, ShortWordsGoWholeToTheNextLine) {
    FakeLayout f(50);
    MemoryBook three(
        u"\x0b"
        u"xx a-b");
    ExpectLine(Line(f, three, 1), u"xx", kStyleLeft | kParaStart, 4, 1);
    MemoryBook four(
        u"\x0b"
        u"xx a-bc");
    ExpectLine(Line(f, four, 1), u"xx a-", kStyleLeft | kParaStart, 6, 2);
}

TEST(LayoutLine, TheLongestCandidateThatFitsIsTaken) {
    FakeLayout f(80);
    ASSERT_EQ(LoadHyphenPatterns(f.layout.patterns, Utf8ToUtf16(test::EnPatFolder())), 1);
    MemoryBook book(
        u"\x0b"
        u"hyphenation");
    ExpectLine(Line(f, book, 1), u"hyphen-", kStyleLeft | kParaStart, 7, 1);
    f.layout.textRect.right = 60;
    ExpectLine(Line(f, book, 1), u"hy-", kStyleLeft | kParaStart, 3, 1);
    // Not alone on a non-body line, the word is not hyphenated: it goes to the next line.
    f.layout.textRect.right = 100;
    MemoryBook after(
        u"\x0b"
        u"an hyphenation");
    ExpectLine(Line(f, after, 1), u"an", kStyleLeft | kParaStart, 4, 1);
    // On a body line it is.
    MemoryBook body(
        u"\x0a"
        u"an hyphenation");
    ExpectLine(Line(f, body, 1), u"   an hy-", kStyleBody | kParaStart, 6, 2);
    // A paragraph's last word that is cut: the line does not end the paragraph.
    MemoryBook last(
        u"\x0b"
        u"hyphenation\x0b");
    ExpectLine(Line(f, last, 1), u"hyphen-", kStyleLeft | kParaStart, 7, 1);
    ExpectLine(Line(f, last, 7), u"ation", kStyleLeft | kParaEnd, 13, 1);
}

TEST(LayoutLine, AWordLongerThanTheLineIsCutByCharacters) {
    FakeLayout f(100);
    MemoryBook book(u"\x0b" + std::u16string(30, u'x'));
    ExpectLine(Line(f, book, 1), std::u16string(10, u'x'), kStyleLeft | kParaStart, 11, 1);
    // Narrower than one character: still one character a line, so layout advances.
    f.layout.textRect.right = 5;
    ExpectLine(Line(f, book, 1), u"x", kStyleLeft | kParaStart, 2, 1);
    ExpectLine(Line(f, book, 2), u"x", kStyleLeft, 3, 1);
    // The indent stays with the first character.
    MemoryBook body(u"\nabc");
    ExpectLine(Line(f, body, 1), u"   a", kStyleBody | kParaStart, 2, 1);
}

TEST(LayoutLine, TheLineEndsWhereTheNextSpaceWouldNotFit) {
    FakeLayout f(90);
    MemoryBook book(
        u"\x0b"
        u"aaaa bbbb cc");
    ExpectLine(Line(f, book, 1), u"aaaa bbbb", kStyleLeft | kParaStart, 11, 2);
}

TEST(LayoutLine, PaddingAtTheEndStopsWhenASpaceTakesNoRoom) {
    FakeLayout f(100);
    f.font().space = 0;
    MemoryBook book(
        u"\x0b"
        u"end");
    const LineRecord r = Line(f, book, 1);
    EXPECT_EQ(r.end, 4);
    EXPECT_LE(r.text.size(), 6u);
    // Lines at or past the end of the book are blank and end at its length.
    EXPECT_EQ(Line(f, book, 4).end, 4);
    EXPECT_EQ(Line(f, book, 400).end, 4);
    EXPECT_EQ(Line(f, book, 400).start, 4);
}

TEST(LayoutLine, RunsLongerThan255UnitsAreSeveralWords) {
    FakeLayout f(4000);
    MemoryBook book(u"\x0b" + std::u16string(300, u'y') + u"\x0b");
    const LineRecord r = Line(f, book, 1);
    EXPECT_EQ(r.words, 2);
    EXPECT_EQ(r.text, std::u16string(255, u'y') + u' ' + std::u16string(45, u'y'));
    EXPECT_EQ(r.end, 302);
}

TEST(ParagraphStyle, MarksWithinTheBlockElseTheBlocksSavedState) {
    std::u16string units = u"\x0c" + std::u16string(5000, u'w');
    units[4200] = u' ';
    MemoryBook book(units);
    EXPECT_EQ(ParagraphStyleAt(*book, 10), kStyleRight);
    // Block 1 holds no mark: its saved state speaks, and without one it is body.
    EXPECT_EQ(ParagraphStyleAt(*book, 4500), kStyleBody);
    book.doc->blocks[1].state[4] = 1;  // left depth
    EXPECT_EQ(ParagraphStyleAt(*book, 4500), kStyleLeft);
    book.doc->blocks[1].state[3] = 2;  // centre depth wins
    EXPECT_EQ(ParagraphStyleAt(*book, 4500), kStyleTitle);
    FakeLayout f(400);
    EXPECT_EQ(Line(f, book, 4201).flags & kStyleMask, kStyleTitle);
    EXPECT_EQ(Line(f, book, 4201).flags & kParaStart, 0u);
    // A mark on the block's first position starts the paragraph after it.
    book.units[4096] = u'\x0b';
    book.doc->blocks[1].state[3] = 0;
    book.doc->blocks[1].state[4] = 0;
    EXPECT_EQ(Line(f, book, 4097).flags, kStyleLeft | kParaStart);
    EXPECT_EQ(MarkStyle(0), kStyleBody);
    EXPECT_EQ(MarkStyle(9), kStyleNine);
    EXPECT_EQ(MarkStyle(15), kStyleBody);
}

}  // namespace
}  // namespace lectra
