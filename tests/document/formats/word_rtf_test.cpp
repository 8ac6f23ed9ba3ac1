// The Word reader (every generation, pieces and raw blocks, damaged and cut books) and the RTF
// filter (control words, destinations, escapes, Unicode fallbacks, header code pages).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <regex>

#include "book_builders.h"
#include "document/format_table.h"
#include "document/formats/rtf_filter.h"
#include "document/formats/word_document.h"
#include "document/text_cache.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::OpenedBook;
using test::ScratchDir;

// The text that tools/gen_word_fixtures.py takes from a story: whole paragraphs while they fit in
// `limit` characters, each ended by the paragraph mark, as the Word filter shows it.
std::u16string WordText(const std::u16string& story, size_t limit) {
    std::u16string text;
    size_t start = 0;
    while (start < story.size()) {
        size_t end = story.find(u'\n', start);
        if (end == std::u16string::npos) end = story.size();
        if (text.size() + (end - start) + 1 > limit) break;
        text += story.substr(start, end - start);
        text += kMarkBody;
        for (size_t i = text.size() - (end - start) - 1; i < text.size(); ++i) {
            if (text[i] == u'\t') text[i] = u' ';  // the Word filter's space
        }
        start = end + 1;
    }
    return text;
}

std::u16string Story(const std::string& language) {
    return Utf8ToUtf16(test::ReadBytes(test::Fixture("source/" + language + ".txt")));
}

uint32_t Le32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void PutLe32(std::string& b, size_t at, uint32_t v) {
    std::memcpy(&b[at], &v, 4);
}
void PutLe16(std::string& b, size_t at, uint16_t v) {
    std::memcpy(&b[at], &v, 2);
}

// The file offset of directory entry `index` of a test book (512-byte sectors, the directory in
// one sector, as the generator writes it).
size_t DirectoryEntryAt(const std::string& b, uint32_t index) {
    return 512 + static_cast<size_t>(Le32(b, 48)) * 512 + index * 128;
}

// The file offset of FAT entry `sector` (the first FAT sector covers sectors 0–127).
size_t FatEntryAt(const std::string& b, uint32_t sector) {
    return 512 + static_cast<size_t>(Le32(b, 76)) * 512 + 4 * sector;
}

// Peers reads Word for DOS in 866, WinWord 2, Word 6 and Word 97 against antiword and catdoc; here
// Word for DOS in 1251, and the text of WinWord 2's complex (fast-saved) book with the marks its
// words leave out (the generator's books hold the Russian story's first characters).
TEST(WordDocument, DosWordIn1251AndAComplexWinWord2BookOpenWithTheirKindCodePageAndText) {
    OpenedBook book;
    ASSERT_EQ(test::Open(*book, test::Fixture("dos-word-1251.doc")), 1);
    EXPECT_EQ(book->formatKind, kKindWordDos);
    EXPECT_EQ(book->bookCodePage, 1251);
    ASSERT_EQ(test::Open(*book, test::Fixture("winword2-complex.doc")), 1);
    EXPECT_EQ(book->formatKind, kKindWinWord2);
    EXPECT_EQ(book->bookCodePage, 1251);
    EXPECT_EQ(test::ReadAll(*book), WordText(Story("ru"), 2000));
}

TEST(WordDocument, EightBitPiecesAreWidenedAndPiecesEndInsideRawBlocks) {
    // 8-bit English (its curly quotes and dashes windows-1252's, not C1 controls), a 16-bit
    // Russian piece from 3001, 8-bit again inside the second raw block.
    const std::u16string en = WordText(Story("en"), 6500);
    const std::u16string ru = WordText(Story("ru"), 2499);
    const std::u16string expected = en.substr(0, 3001) + ru + en.substr(3001);
    for (const char* file : {"word97-pieces.doc", "word97-0table-difat.doc"}) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(file)), 1) << file;
        EXPECT_EQ(book->sourceSize, 2 * expected.size()) << file;
        // A block decoded alone first, then the whole book.
        EXPECT_EQ(GetChar(*book, 3001 + 2000), expected[3001 + 2000]) << file;
        EXPECT_EQ(test::ReadAll(*book), expected) << file;
    }
}

// Where `what` is in a test book.
size_t Find(const std::string& book, const std::string& what) {
    const size_t at = book.find(what);
    if (at != std::string::npos) return at;
    ADD_FAILURE() << "not in the test book: " << what;
    return 0;
}

TEST(WordDocument, DamagedBooksAreRefusedOrReadAsTextWithoutLoopingOrReadingOutside) {
    const std::string fib97("\xEC\xA5\xC1\x00", 4), fib6("\xDC\xA5\x65\x00", 4),
        fib2("\xDB\xA5\x2D\x00", 4);
    // The piece table: property block, 2, lcb (+10), positions (+14 …), descriptors (+30 …).
    const std::string clx("\x01\x06\x00\x06\x00\x01\x02\x03\x04\x02", 10);
    // The first sector of the text stream (directory entry 1).
    const auto first = [](const std::string& b) { return Le32(b, DirectoryEntryAt(b, 1) + 116); };
    const std::string wordDocument("W\0o\0r\0d\0D", 9);
    const char* const w97 = "word97-pieces.doc";
    const char* const dos = "dos-word-1251.doc";
    const struct {
        const char* file;
        const char* what;
        std::function<void(std::string&)> patch;
        int kind;  // once opened and read through, or −1: refused with "Error reading file!"
        int32_t length = -1;
    } cases[] = {
        {w97, "the untouched book", [](std::string&) {}, kKindWord97},
        {w97, "encrypted", [&](std::string& b) { b[Find(b, fib97) + 11] |= 1; }, -1},
        {"word6.doc", "encrypted", [&](std::string& b) { b[Find(b, fib6) + 11] |= 1; }, -1},
        {"winword2.doc", "encrypted", [&](std::string& b) { b[Find(b, fib2) + 11] |= 1; }, -1},
        // A compound file is not handed on: without "WordDocument" it is refused.
        {w97, "no WordDocument", [&](std::string& b) { b[Find(b, wordDocument)] = 'X'; }, -1},
        // A FAT chain that loops back cuts the text stream short: its pieces lie outside it.
        {w97, "FAT loop",
         [&](std::string& b) { PutLe32(b, FatEntryAt(b, first(b) + 2), first(b)); }, -1},
        // A FAT entry outside the table makes the container inconsistent: the book is plain text.
        {w97, "FAT entry outside",
         [&](std::string& b) { PutLe32(b, FatEntryAt(b, first(b) + 1), 0x7FFFFFF0u); }, kKindText},
        // A directory tree whose siblings point at each other never reaches "WordDocument".
        {w97, "directory loop",
         [](std::string& b) {
             PutLe32(b, DirectoryEntryAt(b, 0) + 76, 2);
             PutLe32(b, DirectoryEntryAt(b, 2) + 72, 3);
             PutLe32(b, DirectoryEntryAt(b, 3) + 72, 2);
         },
         -1},
        {w97, "piece table larger than its stream",
         [&](std::string& b) { PutLe32(b, Find(b, clx) + 10, 0x7FFFFFF0u); }, -1},
        {w97, "fcClx beyond the stream",
         [&](std::string& b) { PutLe32(b, Find(b, fib97) + 418, 0x00FFFFFFu); }, -1},
        {w97, "ccpText beyond the last piece",
         [&](std::string& b) { PutLe32(b, Find(b, fib97) + 76, 9000); }, -1},
        {w97, "first position not 0", [&](std::string& b) { PutLe32(b, Find(b, clx) + 14, 1); },
         -1},
        {w97, "positions not increasing", [&](std::string& b) { PutLe32(b, Find(b, clx) + 18, 0); },
         -1},
        {w97, "piece past the text stream",
         [&](std::string& b) { PutLe32(b, Find(b, clx) + 40, 0x00100000u); }, -1},
        // An unbelievable sector size is not a compound file: the book is read as plain text.
        {w97, "sector size", [](std::string& b) { PutLe16(b, 30, 40); }, kKindText},
        // Word for DOS: the end of the text must lie in the file, the text starting at 128.
        {dos, "end of text 127", [](std::string& b) { PutLe32(b, 14, 127); }, -1},
        {dos, "end of text past the file", [](std::string& b) { PutLe32(b, 14, b.size() + 1); },
         -1},
        {dos, "end of text 128", [](std::string& b) { PutLe32(b, 14, 128); }, kKindWordDos, 0},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        std::string bytes = test::ReadBytes(test::Fixture(c.file));
        c.patch(bytes);
        OpenedBook book;
        const std::string at = std::string(c.file) + ": " + c.what;
        if (!test::Open(*book, dir.Write("p.doc", bytes))) {
            EXPECT_EQ(c.kind, -1) << at;
            EXPECT_EQ(book->openErrorText, u"Error reading file!") << at;
            continue;
        }
        EXPECT_EQ(book->formatKind, c.kind) << at;
        const size_t n = test::ReadAll(*book).size();  // read through, the sanitizers watching
        if (c.length >= 0) {
            EXPECT_EQ(n, static_cast<size_t>(c.length)) << at;
        }
    }
}

TEST(WordDocument, TruncatedBooksNeverReadOutside) {
    // Every cut of every generation either is refused or reads to its end; the sanitizers watch.
    ScratchDir dir;
    for (const char* file : {"word97-pieces.doc", "word6.doc", "winword2-complex.doc",
                             "dos-word-866.doc", "word97-0table-difat.doc"}) {
        const std::string bytes = test::ReadBytes(test::Fixture(file));
        for (size_t cut = 0; cut < bytes.size(); cut += cut < 1024 ? 37 : 1021) {
            OpenedBook book;
            if (test::Open(*book, dir.Write("cut.doc", bytes.substr(0, cut)))) {
                EXPECT_EQ(test::ReadAll(*book).size(), static_cast<size_t>(DocLength(*book)));
            }
        }
    }
}

TEST(RtfFilter, ControlWordsDestinationsEscapesAndFallbacks) {
    const struct {
        const char* rtf;
        std::u16string text;
        int codePage = 1251;
    } cases[] = {
        // Control words by prefix in table order: par and pararsid are both paragraphs, pard is
        // nothing, cellx (by "CELL") a space.
        {"{a\\par b\\pararsid123 c\\pard d\\cellx100 e}", u"a\nb\ncd e"},
        {"{\\rtf1\\ansi\\deff0 Hello\\f1;World}", u"HelloWorld"},  // unknown words and ";"
        // Destinations vanish with their nested groups; escaped braces do not end them early, and
        // one that never closes swallows the rest of the source. (The writers' books below hide
        // their font tables, style sheets, information and generators.)
        {"{{\\pict 0a0b {nested}}{\\*\\x a\\}b\\{c\\\\}Y}", u"Y"},
        {"{ok{\\*\\x {{{ never closed", u"ok"},
        // Escapes: hex through the book's code page, Unicode (above 32767 as negative numbers)
        // swallowing a "?", braces and backslash, symbols; a backslash escaping nothing is shown.
        {"{\\'e0\\'E0}", u"\u0430\u0430"},
        {"{\\u1072?b\\u-3913?x}", u"\u0430b\uF0B7x"},
        {"{\\{x\\}\\\\a\\~b\\_c\\-d}", u"{x}\\a b-cd"},
        {"{a\\'zz}", u"a\\'zz"},
        {"end\\", u"end\\"},
        // Unicode fallbacks are skipped (hex-escaped, none and two: the next test): a letter, cut
        // short by a brace or a control word, across a source line break.
        {"{caf\\u233e}", u"caf\u00E9"},
        {"{{\\u1044}x}", u"\u0414x"},
        {"{\\u1044\\par x}", u"\u0414\nx"},
        {"{\\u1044\r\n?z}", u"\u0414z"},
        // The code page from \ansicpg, unless it is not in the list or would leave the book
        // unfiltered; an explicit choice still wins.
        {"{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}", u"caf\u00E9", kCodePageAuto},
        {"{\\rtf1\\ansicpg65001 \\'e0}", u"\u0430", kCodePageAuto},
        {"{\\rtf1\\ansicpg4242 \\'e0}", u"\u0430", kCodePageAuto},
        {"{\\rtf1\\ansicpg1252 \\'e0}", u"\u0430"},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, dir.Write("t.rtf", c.rtf), c.codePage), 1) << c.rtf;
        EXPECT_EQ(book->formatKind, kKindRtf) << c.rtf;
        EXPECT_EQ(test::ReadAll(*book), c.text) << c.rtf;
    }
}

TEST(RtfFilter, FallbacksSurviveBlockBoundaries) {
    // Escapes straddle every block boundary, whatever the \uc in force.
    std::string text = "{\\rtf1 ";
    for (int i = 0; i < 3000; ++i) text += "\\uc1\\u1044\\'3fa\\uc0\\u1072 b\\uc2\\u1073??";
    std::u16string expected;
    for (int i = 0; i < 3000; ++i) expected += u"\u0414a\u0430b\u0431";
    ScratchDir dir;
    OpenedBook book;
    ASSERT_EQ(test::Open(*book, dir.Write("long.rtf", text + "}"), 1251), 1);
    ASSERT_EQ(DocLength(*book), static_cast<int32_t>(expected.size()));
    // Every block decoded alone, from the last.
    for (int32_t i = DocLength(*book) - 1; i >= 0; --i)
        ASSERT_EQ(GetChar(*book, i), expected[i]) << i;
}

TEST(RtfFilter, WriterBooksGiveTheStory) {
    // LibreOffice (\uN\'3f everywhere) and AbiWord (\uc0 Cyrillic, \ansicpg1252) give the story's
    // words; AbiWord keeps its note references in \* field results, which vanish.
    for (const char* file : {"en-lo.rtf", "ru-lo.rtf", "en-abiword.rtf", "ru-abiword.rtf"}) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(file)), 1) << file;
        std::string story =
            test::ReadBytes(test::Fixture(file[0] == 'e' ? "source/en.txt" : "source/ru.txt"));
        if (std::string(file).find("abiword") != std::string::npos)
            story = std::regex_replace(story, std::regex(R"((\S)\[[12]\])"), "$1");
        EXPECT_EQ(test::StreamWords(*book), test::Words(story)) << file;
    }
}

}  // namespace
}  // namespace lectra
