// lectra-tool's hyphenate verb, the language line of info, and layout in the book's language.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace lectra {
namespace {

using test::Tool;

TEST(HyphenateTool, WordsInTheLanguageNamedOrShownByTheirLetters) {
    EXPECT_EQ(Tool("hyphenate hyphenation электричество Straße przedsiębiorstwo заўсёды"),
              "hy-phen-ation\nэлек-три-че-ство\nStra-ße\nprzed-się-bior-stwo\nзаў-сё-ды\n");
    EXPECT_EQ(Tool("hyphenate --language de Freundschaft Kindergarten"),
              "Freund-schaft\nKin-der-gar-ten\n");
    EXPECT_EQ(Tool("hyphenate --language de-AT Freundschaft"), "Freund-schaft\n");
    EXPECT_EQ(Tool("hyphenate --language fr développement"), "dé-ve-lop-pe-ment\n");
    // A language without patterns leaves every word whole; a short word has no breaks anyway.
    EXPECT_EQ(Tool("hyphenate --language nl ontwikkeling hyphenation"),
              "ontwikkeling\nhyphenation\n");
    EXPECT_EQ(Tool("hyphenate --language en cat"), "cat\n");
    for (const char* bad : {"hyphenate", "hyphenate --language", "hyphenate --language de",
                            "hyphenate --bogus word", "hyphenate --language de --language fr x"}) {
        EXPECT_EQ(test::Run(std::string(LECTRA_TOOL) + " " + bad + " >/dev/null 2>&1; echo $?"),
                  "2\n")
            << bad;
    }
    // A word past the work area comes out whole after it.
    const std::string longWord(300, 'a');
    EXPECT_EQ(Tool("hyphenate " + longWord), longWord + "\n");
}

// The same long German words in a narrow column: declared German, lines end in German breaks;
// declared Dutch, which has no patterns, no line ends in a hyphen.
TEST(HyphenateTool, TheBooksLanguageChoosesItsLineBreaks) {
    test::ScratchDir dir;
    std::string words;
    for (int i = 0; i < 6; ++i)
        words += "Geschwindigkeitsbegrenzung Bundesverfassungsgericht Lebensmittelgeschäft ";
    auto book = [&](const std::string& name, const std::string& lang) {
        return dir.Write(name,
                         "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description>"
                         "<title-info><book-title>T</book-title><lang>" +
                             lang + "</lang></title-info></description><body><p>" + words +
                             "</p></body></FictionBook>");
    };
    const std::string options = "layout --width 200 --height 400 --size 14 ";
    const std::string german = Tool(options + "'" + book("de.fb2", "de") + "'");
    const std::string dutch = Tool(options + "'" + book("nl.fb2", "nl") + "'");
    ASSERT_NE(german.find("page 0"), std::string::npos) << german;
    ASSERT_NE(dutch.find("page 0"), std::string::npos) << dutch;
    // The pieces before each break the hyphenate verb gives these words in German.
    std::vector<std::string> pieces;
    for (const std::string& w : test::Words(Tool("hyphenate --language de " + words))) {
        for (size_t at = w.find('-'); at != std::string::npos; at = w.find('-', at + 1)) {
            std::string piece = w.substr(0, at);
            std::erase(piece, '-');
            pieces.push_back(piece);
        }
    }
    ASSERT_GT(pieces.size(), 10u);
    int hyphenated = 0;
    for (const std::string& token : test::Words(german)) {
        if (token.size() < 2 || token.back() != '-') continue;
        ++hyphenated;
        EXPECT_NE(std::find(pieces.begin(), pieces.end(), token.substr(0, token.size() - 1)),
                  pieces.end())
            << token;
    }
    EXPECT_GT(hyphenated, 3) << german;
    for (const std::string& line : test::Words(dutch)) EXPECT_NE(line.back(), '-') << line;
    EXPECT_NE(german, dutch);
}

}  // namespace
}  // namespace lectra
