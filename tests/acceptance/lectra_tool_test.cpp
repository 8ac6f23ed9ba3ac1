// lectra-tool as the outside world uses it: info and dump of real books, compared with iconv, w3m
// and Python's XML parser.
#include <gtest/gtest.h>

#include "test_support.h"

namespace lectra {
namespace {

using test::Tool;

// Each Russian book is read with the code page it is detected in (forced where detection does not
// consider it), word for word as iconv reads it.
TEST(LectraTool, DumpGivesIconvsWordsForEveryRussianEncoding) {
    const struct {
        const char* file;
        const char* iconvName;
        int forced;
    } books[] = {
        {"ru-cp1251.txt", "CP1251", 0},        {"ru-koi8r.txt", "KOI8-R", 0},
        {"ru-cp866.txt", "CP866", 0},          {"ru-iso8859-5.txt", "ISO-8859-5", 0},
        {"ru-mac.txt", "MAC-CYRILLIC", 10007}, {"ru-utf8.txt", "UTF-8", 0},
        {"ru-utf16le-bom.txt", "UTF-16", 0},
    };
    for (const auto& b : books) {
        const std::string options = b.forced ? "--code-page " + std::to_string(b.forced) + " " : "";
        const std::string dump = Tool("dump " + options + "'" + test::Fixture(b.file) + "'");
        std::vector<std::string> expected = test::Words(test::Run(
            std::string("iconv -f ") + b.iconvName + " -t UTF-8 '" + test::Fixture(b.file) + "'"));
        if (!expected.empty() && expected[0].rfind("\xEF\xBB\xBF", 0) == 0) expected[0].erase(0, 3);
        EXPECT_EQ(test::Words(dump), expected) << b.file;
    }
}

// HTML and FictionBook text against w3m and Python's XML parser (hidden sections removed).
TEST(IndependentReading, SameWordsAsW3mAndXmllint) {
    // w3m does not show the <title> that becomes the first heading here: drop it for both.
    test::ScratchDir dir;
    const std::string html = dir.path() + "/book.html";
    test::Run("LC_ALL=C sed 's#<title>.*</title>##' '" + test::Fixture("ru-cp1251.html") + "' > '" +
              html + "'");
    const std::string w3m =
        test::Run("w3m -dump -T text/html -I cp1251 -O utf-8 -cols 10000 '" + html + "'");
    const std::string ours = Tool("dump '" + html + "'");
    // w3m draws the table with "|" cells and puts the note marks apart; keep the words only.
    auto strip = [](std::vector<std::string> w) {
        std::erase_if(w, [](const std::string& s) { return s == "|" || s == "•"; });
        return w;
    };
    EXPECT_EQ(strip(test::Words(ours)), strip(test::Words(w3m)));

    // A note link yields nothing whatever the order of its attributes ("arc[1].").
    const std::string fb2 = test::Fixture("en.fb2");
    const std::string xml = test::Run("python3 '" + std::string(LECTRA_FIXTURES) +
                                      "/../tools/fb2_text.py' '" + fb2 + "'");
    EXPECT_EQ(test::Words(Tool("dump '" + fb2 + "'")), test::Words(xml));
}

TEST(LectraTool, AWordBookKeepsItsOwnCodePageUnderAMultiByteOne) {
    for (const char* book : {"dos-word-866.doc", "dos-word-1251.doc", "word97-pieces.doc"}) {
        const std::string path = " '" + test::Fixture(book) + "'";
        const std::string own = Tool("dump" + path);
        EXPECT_EQ(Tool("dump --code-page 65001" + path), own) << book;
        EXPECT_EQ(Tool("dump --code-page 16777215" + path), own) << book;
    }
}

TEST(LectraTool, DumpWritesMarksAsLineFeedsAndFailsCleanly) {
    test::ScratchDir dir;
    const std::string book = dir.Write("m.txt", "one\ntwo\x01\x1f three\n");
    EXPECT_EQ(Tool("dump --paragraph-mode 0 '" + book + "'"), "one\ntwo   three\n");
    EXPECT_EQ(Tool("dump '" + dir.path() + "/none.txt'"), "Error reading file!\n");
    EXPECT_EQ(Tool("dump '" + dir.Write("b.tcr", "xyz") + "'"), "Bad Format!\n");
    // A FIFO (or a device) is no book, and must not block the open waiting for a writer.
    test::Run("mkfifo '" + dir.path() + "/f.txt'");
    EXPECT_EQ(test::Run("timeout 10 " + std::string(LECTRA_TOOL) + " info '" + dir.path() +
                        "/f.txt' 2>&1; echo $?"),
              "Error reading file!\n1\n");
    EXPECT_EQ(Tool("dump '" + dir.Write("\xCA\xED\xE8\xE3\xE0.txt", "x") + "'"), "x");
}

// The verbs scripts read a book's outline through, a tab-separated line an entry, and hyphenate
// in the language named or the one the letters show (its patterns found beside the tool).
TEST(LectraTool, ContentsNotesAndHyphenateAsScriptsReadThem) {
    const std::string book = " '" + test::Fixture("en.fb2") + "'";
    EXPECT_EQ(Tool("contents" + book).substr(0, 60),
              "0\t9\tThe Last Reel at the Orion\n0\t208\tChapter One. The Booth\n");
    EXPECT_EQ(Tool("notes" + book).substr(0, 42), "3534\t6402\t[1] The arc: the carbon arc lamp");
    EXPECT_EQ(Tool("hyphenate --language en hyphenation reading"), "hy-phen-ation\nread-ing\n");
    EXPECT_EQ(Tool("hyphenate переправа"), "пе-ре-пра-ва\n");
}

}  // namespace
}  // namespace lectra
