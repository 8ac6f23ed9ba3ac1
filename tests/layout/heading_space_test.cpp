// The blank line above an HTML heading and the opening title shown once: made by the page alone
// (the text keeps both titles, as LayoutTool's walk checks), and the moves still agree.
#include "layout/heading_space.h"

#include <gtest/gtest.h>

#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;

// The page's lines from `from` as "text" ("|" for a blank line above a heading).
std::vector<std::string> Page(FakeLayout& f, Document& doc, int32_t from) {
    doc.pageStart = from;
    LayoutPage(f.layout, doc, from);
    std::vector<std::string> lines;
    for (int i = 0; i < f.layout.linesPerPage; ++i) {
        const LineRecord& r = f.layout.pageLines[static_cast<size_t>(i)];
        lines.push_back((r.flags & kHeadingGap) ? "|" : Utf16ToUtf8(r.text));
    }
    return lines;
}

int Count(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

std::string Story(int chapters) {
    std::string html = "<html><head><title>The Ferry</title></head><body><h1>The Ferry</h1>";
    for (int c = 1; c <= chapters; ++c) {
        for (int p = 0; p < c % 4 + 1; ++p)
            html += "<p>Paragraph " + std::to_string(p) + " of chapter " + std::to_string(c) +
                    " runs on over a line or two of the narrow page.</p>";
        html += "<h2>Chapter " + std::to_string(c) + "</h2>";
    }
    return html + "<p>The end.</p></body></html>";
}

TEST(HeadingSpace, AHeadingBelowTextHasABlankLineAboveAndTheRepeatedTitleShowsOnce) {
    test::ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_TRUE(test::Open(*doc, dir.Write("ferry.html", Story(2)), 1252));
    FakeLayout f(800, 280);
    const std::vector<std::string> page = Page(f, *doc, 0);
    EXPECT_EQ(Count(page, "The Ferry"), 1);
    const auto heading = std::find(page.begin(), page.end(), "Chapter 1");
    ASSERT_NE(heading, page.end());
    EXPECT_EQ(*(heading - 1), "|");
    EXPECT_NE(*(heading - 2), "") << "the blank line stands between the text and the heading";
    // The heading after the title has its own blank line below it, and none is added.
    EXPECT_EQ(Count(page, "|"), 2);
    EXPECT_EQ(f.layout.pageLines[0].start, 0);

    // A page that begins inside the passed-over title, or just after it, shows the same page.
    const LineSpan hidden = HiddenLead(f.layout, *doc);
    ASSERT_LT(hidden.from, hidden.to);
    EXPECT_EQ(Page(f, *doc, hidden.from + 1), Page(f, *doc, hidden.to));
    // A line back from the heading's page goes to the book's start, past the title.
    doc->pageStart = hidden.to;
    EXPECT_EQ(PreviousLineStart(f.layout, *doc), 0);
}

TEST(HeadingSpace, OnlyMarkupBooksAndOnlyARepeatedTitle) {
    test::ScratchDir dir;
    FakeLayout f(800, 280);
    {
        // Another title than the heading stays; so does a heading below a blank line.
        test::OpenedBook doc;
        ASSERT_TRUE(test::Open(*doc,
                               dir.Write("other.html",
                                         "<html><head><title>Ferry (web edition)</title></head>"
                                         "<body><h1>The Ferry</h1><p>Text.</p><br><h2>Two</h2>"),
                               1252));
        const std::vector<std::string> page = Page(f, *doc, 0);
        EXPECT_EQ(Count(page, "Ferry (web edition)"), 1);
        EXPECT_EQ(Count(page, "The Ferry"), 1);
        EXPECT_EQ(Count(page, "|"), 0);
    }
    // A FictionBook's title is never passed over.
    for (const char* name : {"en.fb2", "en-nested.fb2", "ru.fb2"}) {
        test::OpenedBook doc;
        ASSERT_TRUE(test::Open(*doc, test::Fixture(name)));
        EXPECT_EQ(HiddenLead(f.layout, *doc).to, 0) << name;
    }
}

// Pages tile the book and a page back returns where it came from, with blank lines above the
// headings falling on every slot of the page at several page sizes.
TEST(HeadingSpace, PagesTileAndTheMovesAgree) {
    test::ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_TRUE(test::Open(*doc, dir.Write("story.html", Story(60)), 1252));
    for (auto [width, height] : {std::pair{300, 140}, {200, 70}, {470, 600}, {900, 42}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        FakeLayout f(width, height);
        test::CheckPagesTileAndMovesReturn(f, *doc, SIZE_MAX);
    }
}

}  // namespace
}  // namespace lectra
