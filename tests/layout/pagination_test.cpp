// Pagination on the fixed-advance services, and lectra-tool layout over whole books.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <sstream>

#include "layout/autoscroll.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using test::MemoryBook;
using test::Sample;

using test::LayOut;
using test::Move;
using test::WalkForward;

// Pages tile every book at several page sizes and the moves return; among the books, emphasis
// fonts wider or narrower than the text font (italic, bold, sub- and superscripts, monospace),
// where the way back must lay out the lines as forward does.
TEST(Pagination, PagesTileEveryBookAndAPageForwardAndBackReturns) {
    const std::string samples = LECTRA_SAMPLES;
    for (const std::string& path :
         {samples + "/ru-story.fb2", samples + "/en-story.html", samples + "/ru-story.txt",
          test::Fixture("en-emphasis.fb2"), test::Fixture("en-emphasis-pandoc.epub")}) {
        test::OpenedBook doc;
        ASSERT_TRUE(test::Open(*doc, path)) << path;
        for (auto [width, height] : {std::pair{200, 140}, {470, 600}, {90, 30}, {1000, 14}}) {
            FakeLayout f(width, height);
            ASSERT_EQ(test::LoadEnPat(f.layout.patterns), 1);
            SCOPED_TRACE(testing::Message() << path << " " << width << "x" << height);
            test::CheckPagesTileAndMovesReturn(f, *doc);
        }
    }
}

// A paragraph of five blocks without a mark: the way back lays out from a block boundary, so the
// page before may break differently from the way forward, but it never skips text, never shows
// more than a page before the old start, and always moves back.
TEST(Pagination, PreviousPageInsideAParagraphLongerThanTwoBlocks) {
    std::u16string text = u"\n";
    for (int i = 0; text.size() < 5 * kBlockUnits; ++i)
        text += std::u16string(1 + i * 7 % 9, u'w') + u' ';
    MemoryBook book(text);
    FakeLayout f(200, 140);
    const std::vector<int32_t> starts = WalkForward(f, *book);
    const int32_t pageUnits = starts[2] - starts[1] + 40;
    for (size_t i = 1; i < starts.size(); i += 3) {
        const int32_t start = Move(f, *book, starts[i], PreviousPage);
        SCOPED_TRACE("back from " + std::to_string(starts[i]));
        EXPECT_LT(start, starts[i]);
        EXPECT_GE(start, starts[i] - pageUnits);
        EXPECT_GE(book.doc->pageEnd, starts[i]);
    }
}

TEST(Pagination, TheBackwardScanStaysInsideTheBookAndItsTwoBlocks) {
    auto doc = Sample("ru-story.fb2");
    for (int32_t p = 0; p <= DocLength(*doc) + 5; ++p) {
        const int32_t q = BackwardScan(*doc, p);
        ASSERT_GE(q, 0);
        ASSERT_LE(q, std::max(p - 1, 0));
        ASSERT_GE(q, ((p >> kBlockShift) - 2) * kBlockUnits);
    }
    // A book without marks: the scan stops two blocks back, at a block's first position.
    MemoryBook plain(std::u16string(5 * kBlockUnits, u'z'));
    EXPECT_EQ(BackwardScan(*plain, 4 * kBlockUnits + 100), 2 * kBlockUnits);
    EXPECT_EQ(BackwardScan(*plain, 4 * kBlockUnits), 2 * kBlockUnits);
    EXPECT_EQ(BackwardScan(*plain, 1000), 0);
}

// A book of one-line paragraphs: "\nb0\nb1…" then a title and the paragraph after it.
std::u16string LinesThenTitle(int before, const std::u16string& title) {
    std::u16string text;
    for (int i = 0; i < before; ++i) text += u"\nb" + Utf8ToUtf16(std::to_string(i));
    return text + title + u"\nafter the title\nand more\nand more";
}

// A title line at the foot of a page goes to the next page with the paragraph after it: the page
// ends where the title begins and its foot is left blank. The way back returns to the page the
// reader came from; without that memory, to the full page before the title, whose way forward
// is the title's page too.
TEST(Pagination, ATitleAtThePageFootGoesOverWithTheParagraphAfterIt) {
    // Ten lines a page: the first is the empty line of the first mark and b0…b8, the second
    // (b9…) has nine body lines and the title as its tenth.
    MemoryBook book(LinesThenTitle(18, u"\rChapter two"));
    const int32_t title = static_cast<int32_t>(book.units.find(u"Chapter"));
    FakeLayout f(200, 140);
    LayOut(f, *book);
    ASSERT_EQ(f.layout.linesPerPage, 10);
    const int32_t second = Move(f, *book, 0, NextPage);
    EXPECT_EQ(f.layout.pageLines[0].text, u"   b9");
    EXPECT_EQ(f.layout.titleHeld, 1);
    EXPECT_EQ(book.doc->pageEnd, title);
    EXPECT_EQ(f.layout.pageLines[9].text, u"");
    EXPECT_EQ(f.layout.pageLines[9].start, title);

    // Scrolling by lines from the page that held the title, the title moves up in its place.
    {
        FakeLayout scroll(200, 140);
        scroll.settings.aswMode = kAutoscrollLine;
        book.doc->pageStart = second;
        LayOut(scroll, *book);
        ASSERT_EQ(scroll.layout.titleHeld, 1);
        Autoscroll as;
        StartAutoscroll(as, scroll.layout, *book);
        EXPECT_EQ(scroll.layout.titleHeld, 0);
        EXPECT_EQ(scroll.layout.pageLines[9].text, u"Chapter two");
        AutoscrollTick(as, scroll.layout, *book);
        EXPECT_EQ(scroll.layout.pageLines[8].text, u"Chapter two");
        EXPECT_EQ(scroll.layout.pageLines[9].text, u"   after the title");
        StopAutoscroll(as, scroll.layout, *book);
    }

    EXPECT_EQ(Move(f, *book, second, NextPage), title);
    EXPECT_EQ(f.layout.pageLines[0].text, u"Chapter two");
    EXPECT_EQ(f.layout.pageLines[1].text, u"   after the title");
    EXPECT_EQ(Move(f, *book, title, PreviousPage), second);

    FakeLayout fresh(200, 140);
    const int32_t full = Move(fresh, *book, title, PreviousPage);
    EXPECT_EQ(fresh.layout.pageLines[0].text, u"   b8");
    EXPECT_EQ(book.doc->pageEnd, title);
    EXPECT_EQ(Move(fresh, *book, full, NextPage), title);

    // From the line after the title (reached by lines), the page before would hold the title:
    // the way back shows the title's page instead of passing over it.
    FakeLayout byLines(200, 140);
    const int32_t after = static_cast<int32_t>(book.units.find(u"after the title"));
    EXPECT_EQ(Move(byLines, *book, after, PreviousPage), title);

    // A title and a blank line after it go over together.
    MemoryBook blank(LinesThenTitle(17, u"\rChapter two\r"));
    LayOut(f, *blank);
    EXPECT_EQ(Move(f, *blank, 0, NextPage), second);
    EXPECT_EQ(f.layout.titleHeld, 2);
    EXPECT_EQ(blank.doc->pageEnd, static_cast<int32_t>(blank.units.find(u"Chapter")));

    // With the last line kept for the next page, the title at the foot is that page's first line
    // above its paragraph: nothing is held.
    FakeLayout keep(200, 140);
    keep.settings.keepOneItem = 1;
    const int32_t repeated = Move(keep, *book, second, NextPage);
    EXPECT_EQ(keep.layout.pageLines[0].text, u"Chapter two");
    EXPECT_EQ(keep.layout.pageLines[1].text, u"   after the title");
    EXPECT_EQ(Move(keep, *book, repeated, PreviousPage), second);
}

TEST(Pagination, APageOfTitlesIsShownAsItIs) {
    std::u16string titles;
    for (int i = 0; i < 30; ++i) titles += u"\rTitle " + Utf8ToUtf16(std::to_string(i));
    MemoryBook book(titles + u"\nbody");
    FakeLayout f(200, 140);
    LayOut(f, *book);
    EXPECT_EQ(f.layout.titleHeld, 0);
    EXPECT_EQ(f.layout.pageLines[9].text, u"Title 8");
    const std::vector<int32_t> starts = WalkForward(f, *book);
    EXPECT_EQ(starts.size(), 4u);
    for (size_t i = starts.size() - 1; i > 0; --i)
        EXPECT_EQ(Move(f, *book, starts[i], PreviousPage), starts[i - 1]);
}

TEST(Pagination, KeepingTheOneLineOfAOneLinePage) {
    auto doc = Sample("en-story.html");
    FakeLayout f(300, 140);
    // A page start that the continuous layout from the book's start passes through.
    const int32_t start = WalkForward(f, *doc).at(5);
    f.settings.keepOneItem = 1;
    // One line a page, that line kept: neither move goes anywhere (the page of several lines is
    // ATitleAtThePageFoot's last case).
    f.layout.geometry.textRect.bottom = 14;
    EXPECT_EQ(Move(f, *doc, start, NextPage), start);
    ASSERT_EQ(f.layout.linesPerPage, 1);
    EXPECT_EQ(Move(f, *doc, start, PreviousPage), start);
}

TEST(Pagination, MovesReplaceTheHistoryEntryAndStopAtTheStart) {
    auto doc = Sample("ru-story.txt");
    FakeLayout f(300, 140);
    const int32_t start = WalkForward(f, *doc).at(10);
    doc->historyIndex = 2;
    const int32_t second = Move(f, *doc, start, NextLine);
    EXPECT_EQ(doc->history[2], second);
    PreviousLine(f.layout, *doc);
    LayOut(f, *doc);
    EXPECT_EQ(doc->history[2], start);
    EXPECT_EQ(doc->history[1], -1);  // moves replace the current entry, they add none
    // The backward moves stop on the first page.
    EXPECT_EQ(Move(f, *doc, 0, PreviousLine), 0);
    EXPECT_EQ(Move(f, *doc, 0, PreviousPage), 0);
}

// The NULs of a sparse file (the filters' spaces and control characters), and the closing tags
// of deeply nested sections: such a run is cut into lines on block boundaries, so that no line
// and no page costs the run's length and the text around the run is all shown; the pages
// forwards and backwards agree, End and a page up too.
TEST(Pagination, PagesOfWhiteSpaceAreBoundedAndTheMovesAgree) {
    std::u16string nested;
    for (int i = 0; i < 300; ++i) nested += u"\r" + Utf8ToUtf16(std::to_string(i)) + u"\r\r";
    nested += std::u16string(60 * kBlockUnits + 77, u' ');
    std::u16string run(50 * kBlockUnits, u' ');
    for (size_t i = 7; i < run.size(); i += 1000) run[i] = u'\x1f';
    const std::u16string sparse = u"\nsome text before" + run + u"\nand after";
    const auto visible = [](std::u16string text) {
        std::erase_if(text, [](char16_t c) { return c <= u' '; });
        return text;
    };
    for (const std::u16string& text : {nested, sparse}) {
        MemoryBook book(text);
        FakeLayout f(200, 140);
        LayOut(f, *book);
        const int lines = f.layout.linesPerPage;
        const std::vector<int32_t> starts = WalkForward(f, *book);
        SCOPED_TRACE(testing::Message() << "book of " << text.size() << " units");
        const std::vector<LineRecord> all = test::LinesFromStart(f, *book);
        std::u16string shown;
        for (const LineRecord& line : all) {
            ASSERT_LE(line.end - line.start, 2 * kBlockUnits) << "line at " << line.start;
            shown += line.text;
        }
        EXPECT_EQ(Utf16ToUtf8(visible(shown)), Utf16ToUtf8(visible(text)));
        for (size_t i = 0; i < starts.size(); ++i) {
            const int32_t end = i + 1 < starts.size() ? starts[i + 1] : DocLength(*book);
            ASSERT_LE(end - starts[i], (lines + 1) * kBlockUnits) << "page " << i;
        }
        for (size_t i = starts.size() - 1; i > 0; --i)
            ASSERT_EQ(Move(f, *book, starts[i], PreviousPage), starts[i - 1]) << "page " << i;
        // End, then a page up: the last full page, and the page before it on the forward lines.
        ASSERT_GE(all.size(), 2u * lines);
        const int32_t last = ClampToLastPage(f.layout, *book, DocLength(*book));
        ASSERT_EQ(last, all[all.size() - static_cast<size_t>(lines)].start);
        EXPECT_EQ(Move(f, *book, last, PreviousPage), all[all.size() - 2 * lines].start);
        EXPECT_EQ(Move(f, *book, book.doc->pageStart, NextPage), last);
    }
}

// End, 100 % or the last page number: never past the page whose lines end with the book's.
TEST(Pagination, TheLastFullPageIsTheFurthestAMoveGoes) {
    for (const char* name : {"ru-story.fb2", "en-story.html"}) {
        auto doc = Sample(name);
        const int32_t length = DocLength(*doc);
        for (auto [width, height] : {std::pair{200, 140}, {470, 600}, {90, 30}}) {
            for (const int keep : {0, 1}) {
                FakeLayout f(width, height);
                f.settings.keepOneItem = keep;
                SCOPED_TRACE(testing::Message()
                             << name << " " << width << "x" << height << " keep " << keep);
                const std::vector<LineRecord> lines = test::LinesFromStart(f, *doc);
                const int perPage = PageLineCount(f.layout);
                ASSERT_GE(lines.size(), static_cast<size_t>(perPage));
                const int32_t last = lines[lines.size() - static_cast<size_t>(perPage)].start;
                for (const int32_t pos :
                     {0, last - 1, last, last + 1, length - 1, length, length + 9, INT32_MAX, -3})
                    EXPECT_EQ(ClampToLastPage(f.layout, *doc, pos), std::clamp(pos, 0, last))
                        << pos;
                doc->pageStart = last;
                LayOut(f, *doc);
                EXPECT_EQ(f.layout.linesPerPage, perPage);
                EXPECT_EQ(doc->pageEnd, length);
                EXPECT_NE(f.layout.pageLines[perPage - 1].text.find_first_not_of(u' '),
                          std::u16string::npos);
                // Down does nothing there, nor anywhere the page shows the end.
                for (const int32_t at : {last, last + 1, length - 1, length}) {
                    EXPECT_EQ(Move(f, *doc, at, NextPage), at);
                    EXPECT_EQ(Move(f, *doc, at, NextLine), at);
                }
                // Up then down comes back to the last page.
                const int32_t before = Move(f, *doc, last, PreviousPage);
                EXPECT_LT(before, last);
                EXPECT_EQ(Move(f, *doc, before, NextPage), last);
            }
        }
    }
    // A book shorter than a page, and an empty one: the last page is the first.
    FakeLayout f(200, 140);
    for (const char16_t* text : {u"\na few words", u""}) {
        MemoryBook book(text);
        EXPECT_EQ(ClampToLastPage(f.layout, *book, 11), 0);
        EXPECT_EQ(Move(f, *book, 0, NextPage), 0);
        EXPECT_EQ(Move(f, *book, 0, NextLine), 0);
    }
}

// A jump steps back to the space or mark before its word. When the last full page begins a
// paragraph, a jump to the end would land on the paragraph's mark, whose empty line pushes the
// book's last line off the page; the jump to the page lands on its first line instead. Other
// jumps step back as ever.
TEST(Pagination, AJumpToTheLastPageThatBeginsAParagraphShowsItWhole) {
    MemoryBook book(LinesThenTitle(20, u""));
    FakeLayout f(200, 140);
    LayOut(f, *book);
    const int32_t length = DocLength(*book);
    const int32_t last = ClampToLastPage(f.layout, *book, length);
    ASSERT_LT(GetChar(*book, last - 1), 16);
    for (const int32_t pos : {length, last, INT32_MAX}) {
        JumpToPage(f.layout, *book, pos);
        EXPECT_EQ(book.doc->pageStart, last);
        EXPECT_EQ(book.doc->history[0], last);
        LayOut(f, *book);
        EXPECT_EQ(book.doc->pageEnd, length) << pos;
    }
    const int32_t b3 = static_cast<int32_t>(book.units.find(u"b3"));
    JumpToPage(f.layout, *book, b3 + 1);
    EXPECT_EQ(book.doc->pageStart, b3 - 1);
    EXPECT_EQ(book.doc->history[1], last);
}

// lectra-tool layout as the outside world checks layout: its output format, and a walk through a
// whole book that carries every word of it once.
struct Page {
    int start, end;
    std::vector<std::string> lines;
};

std::string Tool(const std::string& command, const char* book) {
    return test::Run(std::string(LECTRA_TOOL) + " " + command + " '" + LECTRA_SAMPLES + "/" + book +
                     "'");
}

std::vector<Page> ToolPages(const char* book, const std::string& args) {
    test::QtTestEnvironment();
    std::istringstream out(Tool("layout " + args, book));
    std::vector<Page> pages;
    const std::regex header("page (\\d+) (\\d+)"), line("[0-9a-f]{4}\t.*");
    std::smatch m;
    for (std::string text; std::getline(out, text);) {
        if (std::regex_match(text, m, header)) {
            pages.push_back({std::stoi(m[1]), std::stoi(m[2]), {}});
        } else {
            EXPECT_TRUE(!pages.empty() && std::regex_match(text, line)) << text;
            if (!pages.empty()) pages.back().lines.push_back(text);
        }
    }
    return pages;
}

TEST(LayoutTool, AWalkThroughTheBookCarriesItsTextOnce) {
    // The letters of a text: white space and hyphens (added or the book's own) dropped.
    auto letters = [](std::string text) {
        std::erase_if(text, [](char c) { return std::strchr(" \n\t-\r", c) != nullptr; });
        return text;
    };
    // The HTML book's <title> is repeated by its first heading, and the page shows it once.
    for (auto [book, passedOver] :
         {std::pair{"en-story.html", "The Clock at Wrenfield Halt"}, {"ru-story.fb2", ""}}) {
        const std::string info = Tool("info", book);
        const int length = std::stoi(info.substr(info.find("length: ") + 8));
        const std::string size = "--width 320 --height 300 --size 17 ";
        // Far more pages than the book has: the walk stops at its last page.
        const std::vector<Page> pages = ToolPages(book, size + "--pages 100000");
        ASSERT_EQ(pages.back().end, length) << book;
        ASSERT_LT(pages.end()[-2].end, length) << book;
        std::string text;
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(pages[i].start, i > 0 ? pages[i - 1].end : 0);
            for (const std::string& line : pages[i].lines) text += line.substr(5) + "\n";
        }
        const std::string expected = letters(Tool("dump", book));
        const std::string title = letters(passedOver);
        ASSERT_EQ(expected.rfind(title + title, 0), 0u) << book;
        EXPECT_EQ(letters(text), expected.substr(title.size())) << book;
    }
}

}  // namespace
}  // namespace lectra
