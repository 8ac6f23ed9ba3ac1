// lectra-tool layout as the outside world checks layout: its output format, a walk through a
// whole book that carries every word of it once, and the walk back.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "layout_test_support.h"
#include "test_support.h"

namespace lectra {
namespace {

struct Page {
    int start;
    int end;
    std::vector<std::string> lines;
};

std::vector<Page> Layout(const std::string& args) {
    test::QtTestEnvironment();
    std::istringstream out(test::Run(std::string(LECTRA_TOOL) + " layout " + args));
    std::vector<Page> pages;
    const std::regex header("page (\\d+) (\\d+)");
    const std::regex line("[0-9a-f]{4}\t.*");
    std::string text;
    while (std::getline(out, text)) {
        std::smatch m;
        if (std::regex_match(text, m, header)) {
            pages.push_back({std::stoi(m[1]), std::stoi(m[2]), {}});
        } else {
            EXPECT_TRUE(!pages.empty() && std::regex_match(text, line)) << text;
            if (!pages.empty()) pages.back().lines.push_back(text);
        }
    }
    return pages;
}

// The letters of a text: white space and hyphens (added or the book's own) dropped.
std::string Letters(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ' && c != '\n' && c != '\t' && c != '-' && c != '\r') out += c;
    }
    return out;
}

std::string Sample(const char* name) {
    return "'" + std::string(LECTRA_SAMPLES) + "/" + name + "'";
}

TEST(LayoutTool, PrintsPagesOfFlagsAndDrawnText) {
    const std::vector<Page> pages = Layout(Sample("ru-story.fb2") + " --pages 2");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].start, 0);
    EXPECT_EQ(pages[1].start, pages[0].end);
    EXPECT_EQ(pages[0].lines.size(), pages[1].lines.size());
    EXPECT_GT(pages[0].lines.size(), 30u);
    // The title is centred, and a body paragraph begins with its indent.
    EXPECT_NE(
        std::find(pages[0].lines.begin(), pages[0].lines.end(), "0403\tПоследний рейс парома"),
        pages[0].lines.end());
    EXPECT_EQ(pages[0].lines[13].substr(0, 8), "0801\t   ");
}

TEST(LayoutTool, AWalkThroughTheBookCarriesItsTextOnceAndComesBack) {
    for (const char* book : {"en-story.html", "ru-story.fb2"}) {
        const std::string info = test::Run(std::string(LECTRA_TOOL) + " info " + Sample(book));
        const int length = std::stoi(info.substr(info.find("length: ") + 8));
        std::vector<Page> pages =
            Layout(Sample(book) + " --width 320 --height 300 --size 17 --pages 400");
        while (pages.size() > 1 && pages[pages.size() - 2].end == length) pages.pop_back();
        ASSERT_EQ(pages.back().end, length) << book;
        std::string text;
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(pages[i].start, i > 0 ? pages[i - 1].end : 0);
            for (const std::string& line : pages[i].lines) text += line.substr(5) + "\n";
        }
        const std::string dump = test::Run(std::string(LECTRA_TOOL) + " dump " + Sample(book));
        EXPECT_EQ(Letters(text), Letters(dump)) << book;

        const std::vector<Page> back =
            Layout(Sample(book) + " --width 320 --height 300 --size 17 --back --position " +
                   std::to_string(pages.back().start) + " --pages " + std::to_string(pages.size()));
        ASSERT_EQ(back.size(), pages.size());
        for (size_t i = 0; i < back.size(); ++i)
            EXPECT_EQ(back[i].start, pages[pages.size() - 1 - i].start);
    }
}

TEST(LayoutTool, RefusesBadOptions) {
    for (const char* args : {"--width 0", "--pages x", "--size", "--back --wide 3"}) {
        EXPECT_EQ(test::Run(std::string(LECTRA_TOOL) + " layout " + args + " " +
                            Sample("ru-story.fb2") + " >/dev/null 2>&1; echo $?"),
                  "2\n")
            << args;
    }
}

}  // namespace
}  // namespace lectra
