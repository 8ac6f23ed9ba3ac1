// The Word reader: every generation, pieces and raw blocks, non-Word ".doc" files, refusals and
// malformed containers.
#include "document/formats/word_document.h"

#include <gtest/gtest.h>

#include <functional>

#include "document/format_table.h"
#include "word_test_support.h"

namespace lectra {
namespace {

using test::OpenedBook;
using test::ScratchDir;

std::u16string Translit866(std::u16string s) {
    std::u16string out;
    for (char16_t c : s) {
        if (c == u'\u2014')
            out += u'-';
        else if (c == u'\u00AB' || c == u'\u00BB')
            out += u'"';
        else if (c == u'\u2026')
            out += u"...";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> WordsOf(const std::u16string& s) {
    std::u16string spaced = s;
    for (char16_t& c : spaced) {
        if (c < 32) c = u' ';
    }
    return test::Words(Utf16ToUtf8(spaced));
}

// The first `n` words of a story.
std::vector<std::string> StoryWords(const std::u16string& story, size_t n) {
    std::vector<std::string> w = WordsOf(story);
    w.resize(std::min(n, w.size()));
    return w;
}

TEST(WordDocument, EveryGenerationOpensWithItsKindCodePageAndText) {
    struct Case {
        const char* file;
        int kind;
        int codePage;
    };
    const Case cases[] = {
        {"dos-word-866.doc", kKindWordDos, 866},
        {"dos-word-1251.doc", kKindWordDos, 1251},
        {"winword2.doc", kKindWinWord2, 1251},
        {"winword2-complex.doc", kKindWinWord2, 1251},
        {"word6.doc", kKindWord6, 1251},
        {"ru-lo.doc", kKindWord97, kCodePageUtf16},
        {"word97-pieces.doc", kKindWord97, kCodePageUtf16},
    };
    const std::u16string ru = test::Story("ru");
    for (const Case& c : cases) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(c.file)), 1) << c.file;
        EXPECT_EQ(book->formatKind, c.kind) << c.file;
        EXPECT_EQ(book->bookCodePage, c.codePage) << c.file;
        const std::vector<std::string> words = WordsOf(test::ReadAll(*book));
        ASSERT_GT(words.size(), 100u) << c.file;
        if (c.kind == kKindWord97) {
            EXPECT_EQ(words.front(), c.file[0] == 'r' ? "Станция" : "The") << c.file;
            continue;
        }
        // The Russian generations carry the story's first words, in order.
        const std::u16string story = c.codePage == 866 ? Translit866(ru) : ru;
        EXPECT_EQ(words, StoryWords(story, words.size())) << c.file;
    }
}

TEST(WordDocument, PiecesComeInCharacterOrderWhateverTheirStorageOrder) {
    OpenedBook plain, complex;
    ASSERT_EQ(test::Open(*plain, test::Fixture("winword2.doc")), 1);
    ASSERT_EQ(test::Open(*complex, test::Fixture("winword2-complex.doc")), 1);
    EXPECT_EQ(test::ReadAll(*complex), test::ReadAll(*plain));
    // Word 6 stores its three pieces last first.
    OpenedBook word6;
    ASSERT_EQ(test::Open(*word6, test::Fixture("word6.doc")), 1);
    EXPECT_EQ(test::ReadAll(*word6), test::WordText(test::Story("ru"), 3000));
}

TEST(WordDocument, EightBitPiecesAreWidenedAndPiecesEndInsideRawBlocks) {
    // 8-bit windows-1252 English, a 16-bit Russian piece from character 3001, 8-bit English again;
    // the second boundary lies inside the second raw block.
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

TEST(WordDocument, ReadsTheSameInEveryParagraphMode) {
    std::u16string first;
    for (int mode : {kTxtPlainAsIs, kTxtDetectParagraph, kTxtPlainAsHtml}) {
        OpenedBook book;
        book->txtParagraphMode = mode;
        ASSERT_EQ(test::Open(*book, test::Fixture("en-lo.doc")), 1);
        const std::u16string text = test::ReadAll(*book);
        if (first.empty()) first = text;
        EXPECT_EQ(text, first) << mode;
    }
    EXPECT_EQ(first.size(), 6648u);  // ccpText of the book
}

TEST(WordDocument, ADocThatIsRtfOrTextIsReadAsSuch) {
    ScratchDir dir;
    OpenedBook rtf;
    ASSERT_EQ(test::Open(*rtf, dir.Write("r.doc", "{\\rtf1\\ansi Hello \\par World}")), 1);
    EXPECT_EQ(rtf->formatKind, kKindRtf);
    EXPECT_EQ(test::ReadAll(*rtf), u"Hello \nWorld");
    OpenedBook text;
    text->txtParagraphMode = kTxtPlainAsIs;
    ASSERT_EQ(test::Open(*text, dir.Write("t.doc", "plain words\n")), 1);
    EXPECT_EQ(text->formatKind, kKindText);
    EXPECT_EQ(test::ReadAll(*text), u"plain words\n");
    OpenedBook empty;
    ASSERT_EQ(test::Open(*empty, dir.Write("e.doc", "")), 1);
    EXPECT_EQ(empty->formatKind, kKindText);
    EXPECT_EQ(DocLength(*empty), 0);
    // A compound file is not handed on: without "WordDocument" it is refused.
    std::string bytes = test::ReadBytes(test::Fixture("word97-pieces.doc"));
    const size_t name = bytes.find(std::string("W\0o\0r\0d\0D", 9));
    ASSERT_NE(name, std::string::npos);
    bytes[name] = 'X';
    OpenedBook other;
    EXPECT_EQ(test::Open(*other, dir.Write("x.doc", bytes)), 0);
    EXPECT_EQ(other->openErrorText, u"Error reading file!");
}

TEST(WordDocument, EncryptedDocumentsAreRefused) {
    ScratchDir dir;
    struct Case {
        const char* file;
        std::string fibMagic;
    };
    const Case cases[] = {
        {"word97-pieces.doc", std::string("\xEC\xA5\xC1\x00", 4)},
        {"word6.doc", std::string("\xDC\xA5\x65\x00", 4)},
        {"winword2.doc", std::string("\xDB\xA5\x2D\x00", 4)},
    };
    for (const Case& c : cases) {
        std::string bytes = test::ReadBytes(test::Fixture(c.file));
        const size_t fib = bytes.find(c.fibMagic);
        ASSERT_NE(fib, std::string::npos) << c.file;
        bytes[fib + 11] |= 0x01;  // flag 0x0100
        OpenedBook book;
        EXPECT_EQ(test::Open(*book, dir.Write(std::string("enc-") + c.file, bytes)), 0) << c.file;
        EXPECT_EQ(book->openErrorText, u"Error reading file!") << c.file;
    }
}

// The Word 97 test book with one patch; whether it opens.
int OpenPatched(const std::function<void(std::string&)>& patch, int* kind = nullptr) {
    std::string bytes = test::ReadBytes(test::Fixture("word97-pieces.doc"));
    patch(bytes);
    ScratchDir dir;
    OpenedBook book;
    const int ok = test::Open(*book, dir.Write("p.doc", bytes));
    if (ok) test::ReadAll(*book);
    if (kind) *kind = book->formatKind;
    return ok;
}

size_t FibAt(const std::string& b) {
    return b.find(std::string("\xEC\xA5\xC1\x00", 4));
}

TEST(WordDocument, MalformedFilesAreRefusedWithoutLoopingOrReadingOutside) {
    // The patches themselves must work on the untouched book.
    ASSERT_EQ(OpenPatched([](std::string&) {}), 1);
    // A FAT chain that loops back cuts the text stream short: its pieces lie outside it.
    EXPECT_EQ(OpenPatched([](std::string& b) {
                  const uint32_t start = test::Le32(b, test::DirectoryEntryAt(b, 1) + 116);
                  test::PutLe32(b, test::FatEntryAt(b, start + 2), start);
              }),
              0);
    // A FAT entry outside the table makes the container inconsistent: the book is plain text.
    int kind = -1;
    EXPECT_EQ(OpenPatched(
                  [](std::string& b) {
                      const uint32_t start = test::Le32(b, test::DirectoryEntryAt(b, 1) + 116);
                      test::PutLe32(b, test::FatEntryAt(b, start + 1), 0x7FFFFFF0u);
                  },
                  &kind),
              1);
    EXPECT_EQ(kind, kKindText);
    // A directory tree whose siblings point at each other never reaches "WordDocument".
    EXPECT_EQ(OpenPatched([](std::string& b) {
                  test::PutLe32(b, test::DirectoryEntryAt(b, 0) + 76, 2);
                  test::PutLe32(b, test::DirectoryEntryAt(b, 2) + 72, 3);
                  test::PutLe32(b, test::DirectoryEntryAt(b, 3) + 72, 2);
              }),
              0);
    // A piece table larger than its stream, and fcClx beyond the stream.
    // The piece table: property block, 2, lcb (+10), positions (+14 …), descriptors (+30 …).
    const std::string clxHead("\x01\x06\x00\x06\x00\x01\x02\x03\x04\x02", 10);
    EXPECT_EQ(
        OpenPatched([&](std::string& b) { test::PutLe32(b, b.find(clxHead) + 10, 0x7FFFFFF0u); }),
        0);
    EXPECT_EQ(OpenPatched([](std::string& b) { test::PutLe32(b, FibAt(b) + 418, 0x00FFFFFFu); }),
              0);
    // ccpText beyond the last piece.
    EXPECT_EQ(OpenPatched([](std::string& b) { test::PutLe32(b, FibAt(b) + 76, 9000); }), 0);
    // A first character position other than 0, and positions that do not increase.
    EXPECT_EQ(OpenPatched([&](std::string& b) { test::PutLe32(b, b.find(clxHead) + 14, 1); }), 0);
    EXPECT_EQ(OpenPatched([&](std::string& b) { test::PutLe32(b, b.find(clxHead) + 18, 0); }), 0);
    // A piece whose text lies past the end of the text stream.
    EXPECT_EQ(
        OpenPatched([&](std::string& b) { test::PutLe32(b, b.find(clxHead) + 40, 0x00100000u); }),
        0);
    // An unbelievable sector size is not a compound file: the book is read as plain text.
    kind = -1;
    EXPECT_EQ(OpenPatched([](std::string& b) { test::PutLe16(b, 30, 40); }, &kind), 1);
    EXPECT_EQ(kind, kKindText);
}

TEST(WordDocument, DosWordEndOfTextMustLieInTheFile) {
    ScratchDir dir;
    std::string bytes = test::ReadBytes(test::Fixture("dos-word-1251.doc"));
    for (uint32_t end : {0u, 127u, static_cast<uint32_t>(bytes.size() + 1)}) {
        test::PutLe32(bytes, 14, end);
        OpenedBook book;
        EXPECT_EQ(test::Open(*book, dir.Write("d.doc", bytes)), 0) << end;
    }
    test::PutLe32(bytes, 14, 128);
    OpenedBook empty;
    ASSERT_EQ(test::Open(*empty, dir.Write("d.doc", bytes)), 1);
    EXPECT_EQ(DocLength(*empty), 0);
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

TEST(WordDocument, ReleaseTwiceAndReopen) {
    auto doc = NewDocument();
    ASSERT_EQ(test::Open(*doc, test::Fixture("word6.doc")), 1);
    CloseDocument(*doc);
    CloseDocument(*doc);
    EXPECT_EQ(doc->word, nullptr);
    ASSERT_EQ(test::Open(*doc, test::Fixture("ru-lo.doc")), 1);
    ASSERT_EQ(test::Open(*doc, test::Fixture("ru-lo.rtf")), 1);  // the open releases the Word state
    EXPECT_EQ(doc->word, nullptr);
    CloseDocument(*doc);
}

}  // namespace
}  // namespace lectra
