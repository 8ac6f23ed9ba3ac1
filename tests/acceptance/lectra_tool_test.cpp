// lectra-tool as the outside world uses it: info and dump of real books, compared with iconv.
#include <gtest/gtest.h>

#include "test_support.h"

namespace lectra {
namespace {

using test::Tool;

std::string Iconv(const std::string& from, const std::string& file) {
    return test::Run("iconv -f " + from + " -t UTF-8 '" + test::Fixture(file) + "'");
}

struct Book {
    const char* file;
    const char* iconvName;
    int detected;  // 0: detection does not consider it; read with the code page named below
    int forced;
};

TEST(LectraTool, DumpGivesIconvsWordsForEveryRussianEncoding) {
    const Book books[] = {
        {"ru-cp1251.txt", "CP1251", 1251, 0},
        {"ru-koi8r.txt", "KOI8-R", 20866, 0},
        {"ru-cp866.txt", "CP866", 866, 0},
        {"ru-iso8859-5.txt", "ISO-8859-5", 28595, 0},
        {"ru-mac.txt", "MAC-CYRILLIC", 0, 10007},
        {"ru-utf8.txt", "UTF-8", 65001, 0},
        {"ru-utf16le-bom.txt", "UTF-16", 16777215, 0},
    };
    for (const Book& b : books) {
        const std::string options = b.forced ? "--code-page " + std::to_string(b.forced) + " " : "";
        const std::string path = "'" + test::Fixture(b.file) + "'";
        const std::string dump = Tool("dump " + options + path);
        std::vector<std::string> expected = test::Words(Iconv(b.iconvName, b.file));
        if (!expected.empty() && expected[0].rfind("\xEF\xBB\xBF", 0) == 0) expected[0].erase(0, 3);
        EXPECT_EQ(test::Words(dump), expected) << b.file;
        if (b.detected) {
            EXPECT_NE(Tool("info " + path).find("code page: " + std::to_string(b.detected) + "\n"),
                      std::string::npos)
                << b.file;
        }
    }
}

TEST(LectraTool, AWordBookKeepsItsOwnCodePageUnderAMultiByteOne) {
    for (const char* book : {"dos-word-866.doc", "dos-word-1251.doc", "word97-pieces.doc"}) {
        const std::string path = " '" + test::Fixture(book) + "'";
        const std::string own = Tool("dump" + path);
        EXPECT_EQ(Tool("dump --code-page 65001" + path), own) << book;
        EXPECT_EQ(Tool("dump --code-page 16777215" + path), own) << book;
    }
}

TEST(LectraTool, InfoFormat) {
    EXPECT_EQ(Tool("info '" + test::Fixture("ru-cp1251.txt") + "'"),
              "kind: 0\ncode page: 1251\nsource size: 7213\nlength: 7213\nblocks: 2\n"
              "language: ru\n");
    EXPECT_EQ(Tool("info '" + test::Fixture("en-utf16le-bom.txt") + "'"),
              "kind: 0\ncode page: 16777215\nsource size: 13432\nlength: 6715\nblocks: 2\n"
              "language: en\n");
}

TEST(LectraTool, DumpWritesMarksAsLineFeedsAndFailsCleanly) {
    test::ScratchDir dir;
    const std::string book = dir.Write("m.txt", "one\ntwo\x01\x1f three\n");
    EXPECT_EQ(Tool("dump --paragraph-mode 0 '" + book + "'"), "one\ntwo   three\n");
    EXPECT_EQ(Tool("dump '" + dir.path() + "/none.txt'"), "Error reading file!\n");
    EXPECT_NE(test::Run(std::string(LECTRA_TOOL) + " dump '" + dir.path() +
                        "/none.txt' 2>/dev/null; echo $?"),
              "0\n");
    EXPECT_EQ(Tool("dump '" + dir.Write("b.tcr", "xyz") + "'"), "Bad Format!\n");
    // A FIFO (or a device) is no book, and must not block the open waiting for a writer.
    test::Run("mkfifo '" + dir.path() + "/f.txt'");
    EXPECT_EQ(test::Run("timeout 10 " + std::string(LECTRA_TOOL) + " info '" + dir.path() +
                        "/f.txt' 2>&1; echo $?"),
              "Error reading file!\n1\n");
    EXPECT_EQ(Tool("dump '" + dir.Write("\xCA\xED\xE8\xE3\xE0.txt", "x") + "'"), "x");
}

// Each reference: its position, its note's position and the note's first 80 characters, the
// paragraphs run together; the same book read by `dump` has the marks and the notes there.
TEST(LectraTool, NotesListEachReferenceWithItsNotesPlaceAndText) {
    const std::string book = test::Fixture("en-nested.fb2");
    EXPECT_EQ(
        Tool("notes '" + book + "'"),
        "371\t6143\t1 The stair had nineteen steps when the cinema opened, and it kept them.\n"
        "772\t6221\t2 Nitrate film, the stock of those years, burns fiercely and cannot be put "
        "out o\n"
        "2468\t6417\t3 The lamp house held the carbon arc.\n"
        "5901\t6460\t4 The log is the book in which every performance is written down.\n");
    const std::u16string dump = Utf8ToUtf16(Tool("dump '" + book + "'"));
    EXPECT_EQ(dump.substr(371, 3), u"[1]");
    EXPECT_EQ(dump.substr(5901, 1), u"4");
    EXPECT_EQ(dump.substr(6143, 9), u"1\n\nThe st");
    EXPECT_EQ(Tool("notes '" + test::Fixture("en-utf8.txt") + "'"), "");
    EXPECT_NE(Tool("--help").find("lectra-tool notes [--code-page N]"), std::string::npos);
}

}  // namespace
}  // namespace lectra
