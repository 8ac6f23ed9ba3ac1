// lectra-tool against antiword, catdoc and unrtf on the Word and RTF books, white space aside.
#include <gtest/gtest.h>

#include <regex>

#include "test_support.h"

namespace lectra {
namespace {

std::string Dump(const std::string& file) {
    return test::Run(std::string(LECTRA_TOOL) + " dump '" + test::Fixture(file) + "' 2>&1");
}

// antiword 0.37 crashes now and then on the generated books (their FIB has no style sheet or
// formatting tables), so a crashed run is tried again.
std::string Antiword(const std::string& file, const std::string& then = "") {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string out =
            test::Run("f=$(mktemp) && antiword -m UTF-8.txt -w 0 '" + test::Fixture(file) +
                      "' > \"$f\" 2>/dev/null && cat \"$f\"" + then + "; rm -f \"$f\"");
        if (!out.empty()) return out;
    }
    return "";
}

bool Have(const char* program) {
    return test::Run(std::string("command -v ") + program + " >/dev/null && echo yes") == "yes\n";
}

// The text without white space (the readers break lines and cells differently).
std::string Squash(const std::string& s) {
    return std::regex_replace(s, std::regex("\\s|\xC2\xA0"), "");  // no-break spaces too
}

// Field instructions (" HYPERLINK \l "n1" ") are shown by the Word filter, which has no state to
// hide them; antiword hides them.
std::string WithoutHyperlinkInstructions(const std::string& s) {
    return std::regex_replace(s, std::regex(R"(HYPERLINK\s+\\l\s+"n[0-9]+")"), "");
}

TEST(Peers, WordBooksReadAsCatdocAndAntiwordReadThem) {
    if (!Have("antiword") || !Have("catdoc"))
        GTEST_SKIP() << "antiword or catdoc missing (scripts/setup.sh)";
    // LibreOffice's book: catdoc shows field instructions as we do.
    const std::string ours = Dump("ru-lo.doc");
    EXPECT_EQ(Squash(ours),
              Squash(test::Run("catdoc -d utf-8 '" + test::Fixture("ru-lo.doc") + "'")));
    std::string antiword = Antiword("ru-lo.doc");
    std::erase(antiword, '|');  // its cell rules
    EXPECT_EQ(Squash(WithoutHyperlinkInstructions(ours)), Squash(antiword));
    // 8-bit and 16-bit pieces: antiword follows the piece table (catdoc reads the stream in
    // storage order and loses the 16-bit piece).
    EXPECT_EQ(Squash(Dump("word97-pieces.doc")), Squash(Antiword("word97-pieces.doc")));
    // Word 6 and WinWord 2.0 in windows-1251: antiword reads their bytes as windows-1252, so its
    // output is turned back into those bytes and read as windows-1251.
    for (const char* file : {"word6.doc", "winword2.doc"}) {
        const std::string antiword =
            Antiword(file, " | iconv -f UTF-8 -t CP1252 | iconv -f CP1251 -t UTF-8");
        EXPECT_EQ(Squash(Dump(file)), Squash(antiword)) << file;
    }
    // Word for DOS: catdoc reads it as a Write file in the code page it is told (its first line is
    // a note of that).
    std::string catdoc =
        test::Run("catdoc -s cp866 -d utf-8 '" + test::Fixture("dos-word-866.doc") + "'");
    if (catdoc.rfind("[", 0) == 0) catdoc.erase(0, catdoc.find('\n'));
    EXPECT_EQ(Squash(Dump("dos-word-866.doc")), Squash(catdoc));
}

TEST(Peers, RtfBooksReadAsUnrtfReadsThem) {
    if (!Have("unrtf") || !Have("python3"))
        GTEST_SKIP() << "unrtf or python3 missing (scripts/setup.sh)";
    // ru-abiword.rtf is left out: unrtf drops the character after every "\uc0\uN " delimiter (a
    // comma, a space), which our reading keeps; RtfFilter.WriterBooksGiveTheStory checks it
    // against the story instead.
    for (const char* file : {"ru-lo.rtf", "en-abiword.rtf"}) {
        // unrtf's HTML as text (unrtf --text writes Latin-1 only): head, comments, <title> and
        // tags removed, character references decoded by Python's html module.
        const std::string unrtf = test::Run(
            "unrtf --html '" + test::Fixture(file) + "' 2>/dev/null | PYTHONIOENCODING=utf-8 " +
            "python3 -c \"import html, re, sys; print(html.unescape(re.sub(r'(?s)<head>.*?</head>" +
            "|<!--.*?-->|<title>.*?</title>|<[^>]*>', '', sys.stdin.read())))\"");
        EXPECT_EQ(Squash(Dump(file)), Squash(unrtf)) << file;
    }
}

}  // namespace
}  // namespace lectra
