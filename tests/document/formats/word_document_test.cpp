// The Word reader: every generation, pieces and raw blocks, non-Word ".doc" files, refusals.
#include "document/formats/word_document.h"

#include <gtest/gtest.h>

#include <functional>

#include "document/format_table.h"
#include "word_test_support.h"

namespace lectra {
namespace {

using test::OpenedBook;
using test::ScratchDir;

TEST(WordDocument, EveryGenerationOpensWithItsKindCodePageAndText) {
    // The generator's books hold the Russian story's first `limit` characters (for DOS in 866,
    // with ASCII look-alikes); Word 97 books are read through below and against antiword and
    // catdoc.
    const struct {
        const char* file;
        int kind, codePage;
        size_t limit;
    } cases[] = {
        {"dos-word-866.doc", kKindWordDos, 866, 1500},
        {"dos-word-1251.doc", kKindWordDos, 1251, 1500},
        {"winword2.doc", kKindWinWord2, 1251, 2000},
        {"winword2-complex.doc", kKindWinWord2, 1251, 2000},
        {"word6.doc", kKindWord6, 1251, 3000},
    };
    std::u16string ru866;
    for (char16_t c : test::Story("ru")) {
        ru866 += c == u'\u2014'                     ? u"-"
                 : c == u'\u00AB' || c == u'\u00BB' ? u"\""
                 : c == u'\u2026'                   ? u"..."
                                                    : std::u16string(1, c);
    }
    for (const auto& c : cases) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(c.file)), 1) << c.file;
        EXPECT_EQ(book->formatKind, c.kind) << c.file;
        EXPECT_EQ(book->bookCodePage, c.codePage) << c.file;
        const std::u16string text = test::ReadAll(*book);
        const std::u16string expected =
            test::WordText(c.codePage == 866 ? ru866 : test::Story("ru"), c.limit);
        if (c.kind == kKindWordDos) {  // its line ends show as a space and a mark
            EXPECT_EQ(test::WordsOf(text), test::WordsOf(expected)) << c.file;
        } else {
            EXPECT_EQ(text, expected) << c.file;
        }
    }
}

TEST(WordDocument, EightBitPiecesAreWidenedAndPiecesEndInsideRawBlocks) {
    // 8-bit English, a 16-bit Russian piece from 3001, 8-bit again inside the second raw block.
    const std::u16string en = test::WordText(test::Story("en"), 6500);
    const std::u16string ru = test::WordText(test::Story("ru"), 2499);
    const std::u16string expected = en.substr(0, 3001) + ru + en.substr(3001);
    for (const char* file : {"word97-pieces.doc", "word97-0table-difat.doc"}) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(file)), 1) << file;
        EXPECT_EQ(book->sourceSize, 2 * expected.size()) << file;
        // A block decoded alone first, then the whole book.
        EXPECT_EQ(GetChar(*book, 3001 + 2000), expected[3001 + 2000]) << file;
        EXPECT_EQ(test::ReadAll(*book), expected) << file;
    }
    // Curly quotes and dashes of the 8-bit pieces are windows-1252 characters, not C1 controls.
    EXPECT_NE(expected.find(u'\u201C'), std::u16string::npos);
    EXPECT_NE(expected.find(u'\u2014'), std::u16string::npos);
}

// Where `what` is in a test book.
size_t Find(const std::string& book, const std::string& what) {
    const size_t at = book.find(what);
    if (at != std::string::npos) return at;
    ADD_FAILURE() << "not in the test book: " << what;
    return 0;
}

TEST(WordDocument, DamagedBooksAreRefusedOrReadAsTextWithoutLoopingOrReadingOutside) {
    using test::DirectoryEntryAt;
    using test::Le32;
    using test::PutLe32;
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
         [&](std::string& b) { PutLe32(b, test::FatEntryAt(b, first(b) + 2), first(b)); }, -1},
        // A FAT entry outside the table makes the container inconsistent: the book is plain text.
        {w97, "FAT entry outside",
         [&](std::string& b) { PutLe32(b, test::FatEntryAt(b, first(b) + 1), 0x7FFFFFF0u); },
         kKindText},
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
        {w97, "sector size", [](std::string& b) { test::PutLe16(b, 30, 40); }, kKindText},
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

}  // namespace
}  // namespace lectra
