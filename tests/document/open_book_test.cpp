// The open sequence: kinds from names, failures and their messages, code-page detection, the
// book's language (tags to codes, the guess from letters and words, the declared language); the
// text cache behind it.
#include "document/open_book.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "document/book_language.h"
#include "document/code_page_detect.h"
#include "document/format_table.h"
#include "document/formats/book_builders.h"
#include "document/text_cache.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

TEST(OpenBook, UnknownNamesOpenAsTextAndFailuresSayWhy) {
    ScratchDir dir;
    auto doc = NewDocument();
    for (const char* name : {"README", "book.odt"}) {
        ASSERT_EQ(Open(*doc, dir.Write(name, "plain words"), 1251), 1) << name;
        EXPECT_EQ(doc->formatKind, kKindText);
        EXPECT_EQ(test::ReadAll(*doc), u"plain words");
    }
    // A file that is not there, or a folder; the refusals of the readers are BookReaders'.
    for (const std::string& path : {dir.path() + "/missing.txt", dir.path()}) {
        EXPECT_EQ(Open(*doc, path), 0);
        EXPECT_EQ(doc->openErrorText, u"Error reading file!");
    }
    // The next open works and reports no stale error.
    EXPECT_EQ(Open(*doc, dir.Write("ok.txt", "fine"), 1251), 1);
    EXPECT_EQ(test::ReadAll(*doc), u"fine");
}

// A sparse file costs no disk; its NULs read as one unit per byte (two in UTF-16).
TEST(OpenBook, ABookTooLongToHoldIsCutAndTheCutIsRecorded) {
    ScratchDir dir;
    const std::string path = dir.path() + "/huge.txt";
    const uint64_t size = 5ull << 30;
    ASSERT_EQ(test::Run("truncate -s 5G '" + path + "' && echo ok"), "ok\n");
    auto doc = NewDocument();
    for (int codePage : {1251, kCodePageUtf16}) {
        ASSERT_EQ(Open(*doc, path, codePage), 1);
        const uint64_t width = codePage == kCodePageUtf16 ? 2 : 1;
        EXPECT_EQ(DocLength(*doc), kMaxDocLength);
        EXPECT_EQ(GetChar(*doc, kMaxDocLength - 1), u' ');  // a zero byte reads as a space
        EXPECT_EQ(GetChar(*doc, kMaxDocLength), 0);
        const BookCut& cut = doc->bookCut;
        EXPECT_EQ(std::tuple(cut.isCut, cut.docLength, cut.sourceOffset, cut.sourceSize),
                  std::tuple(1, kMaxDocLength, uint64_t{kMaxDocLength} * width, size));
    }
    // The next book is read whole and says so.
    ASSERT_EQ(Open(*doc, dir.Write("small.txt", "words"), 1251), 1);
    EXPECT_EQ(doc->bookCut.isCut, 0);
    CloseDocument(*doc);
}

// Detection alone, without the rest of the open sequence (BookReaders and ZipReader check that
// the open keeps what it found).
int DetectOnly(const std::string& path) {
    auto doc = NewDocument();
    doc->bookPath = Utf8ToUtf16(path);
    doc->formatKind = FormatKindFromPath(doc->bookPath);
    if (!OpenSourceFile(*doc)) return 0;
    doc->sourceSize = static_cast<uint32_t>(FileSize(doc->source));
    return DetectCodePage(*doc);
}

// The Russian books' code pages are found in every reader's test and read against iconv by the
// acceptance tests; here the edges of the sample and the declarations.
TEST(DetectCodePage, LatinTextShortSamplesMarksUtf8AndMarkupDeclarations) {
    ScratchDir dir;
    std::string cut(2045, 'a');  // a sequence cut by the end of the 2048-byte sample
    cut = "\xD0\x96" + cut + "\xD0\x96";
    std::string wide;
    for (char ch : std::string("<?xml version=\"1.0\" encoding=\"Unicode\"?>"))
        wide += std::string(1, ch) + '\0';
    const std::pair<std::string, int> cases[] = {
        {test::Fixture("en-cp1252.txt"), 1251},  // Latin only: nothing scores
        {test::Fixture("ru-utf8-bom-crlf.txt"), kCodePageUtf8},
        {dir.Write("two.txt", "\xE0\xE1"), 1251},  // too short to score
        {dir.Write("cut.txt", cut), kCodePageUtf8},
        {dir.Write("bad.txt", "\xD0\x96 \xC0\xC1"), 1251},  // not well-formed
        {dir.Write("c.htm", "<meta charset='koi8-r'>"), 20866},
        {dir.Write("d.htm", "<meta content=\"text/html; charset=cp866\">"), 866},
        {dir.Write("e.htm", "<meta charset=utf-16>"), kCodePageUtf16},
        {dir.Write("g.xml", "<?xml version=\"1.0\" encoding=\"koi8-r\"?>"), 20866},
        {dir.Write("h.xml", "<?xml version=\"1.0\" encoding='utf-8'?>"), kCodePageUtf8},
        {dir.Write("i.xml", "<?xml version=\"1.0\" encoding = \"utf-8\"?>"), 1251},
        {dir.Write("j.rtf", "{\\rtf1 encoding=\"ISO-8859-5\""), 28595},
        {dir.Write("k.fb2", wide), kCodePageUtf16},
        {dir.Write("l.fb2", "\xFF\xFE<"), kCodePageUtf16},
        {dir.Write("m.htm", "\xEF\xBB\xBF<p>\xD0\x96"), kCodePageUtf8},
    };
    for (const auto& [path, codePage] : cases) EXPECT_EQ(DetectOnly(path), codePage) << path;
    EXPECT_EQ(LooksLikeUtf8(reinterpret_cast<const uint8_t*>("\xED\xA0\x80"), 3), 0);  // surrogate
    EXPECT_EQ(LooksLikeUtf8(reinterpret_cast<const uint8_t*>("\xC0\xAF"), 2), 0);      // overlong
}

// The text cache: block index, decoding on demand, the raw layer and its recovery.
// Printable bytes whose value tells the position (mod 64), so misplaced blocks show.
std::string Patterned(size_t n) {
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(48 + (i * 7 + i / 4096) % 64);
    return s;
}

TEST(TextCache, EmptyOneBlockClosedAndOddUtf16Books) {
    ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("empty.txt", ""), 1251), 1);
    EXPECT_EQ(DocLength(*doc), 0);
    EXPECT_EQ(GetChar(*doc, 0), 0);

    const std::string text = Patterned(4096);
    ASSERT_EQ(Open(*doc, dir.Write("one.txt", text), 1251), 1);
    EXPECT_EQ(GetChar(*doc, 4095), static_cast<char16_t>(text[4095]));
    EXPECT_EQ(GetChar(*doc, 4096), 0);
    EXPECT_EQ(GetChar(*doc, INT32_MIN), 0);
    // A closed book reads as nothing.
    CloseDocument(*doc);
    EXPECT_EQ(DocLength(*doc), 0);
    EXPECT_EQ(GetChar(*doc, 3), 0);

    // An odd-length UTF-16 book ends with its last byte alone.
    ASSERT_EQ(Open(*doc, dir.Write("odd.txt", std::string("a\0b\0c\0d\0e\0Z", 11)), kCodePageUtf16),
              1);
    EXPECT_EQ(test::ReadAll(*doc), u"abcdeZ");
}

// An unplugged card fails in read(), not in the seek: the descriptor becomes a write-only one.
void BreakReads(Document& doc, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_GE(::dup2(fd, doc.source.fd), 0);
    ::close(fd);
}

TEST(TextCache, AFailedReadIsRetriedByPathAndOneThatCannotBeIsRecordedNotShown) {
    ScratchDir dir;
    const std::string text = Patterned(6 * 8192);
    const std::pair<const char*, std::string> books[] = {
        {"r.txt", text},
        {"r.pdb", test::StoredPalmDoc(text, 4096)},
        {"r.tcr", test::BuildTcr({}, text)},
    };
    for (const auto& [name, bytes] : books) {
        const std::string path = dir.Write(name, bytes);
        test::OpenedBook doc;
        ASSERT_EQ(Open(*doc, path, 1251), 1);
        BreakReads(*doc, path);
        EXPECT_EQ(GetChar(*doc, 4 * 8192 + 1), static_cast<char16_t>(text[4 * 8192 + 1])) << name;
        EXPECT_EQ(doc->readErrors, 1) << name;
        EXPECT_EQ(TakeReadError(*doc), nullptr) << name;
        BreakReads(*doc, path);
        ::unlink(path.c_str());
        const int32_t base = 5 * 8192;  // the pre-fill: question marks broken into words
        EXPECT_EQ(std::u16string({GetChar(*doc, base + 4), GetChar(*doc, base + 5)}), u"? ")
            << name;
        EXPECT_NE(TakeReadError(*doc), nullptr) << name;
        EXPECT_EQ(TakeReadError(*doc), nullptr) << name;  // reported once
    }
}

// The declared language: its tag as books write it, and whether it holds against the letters (it
// does unless the text is in the other script).
TEST(BookLanguage, TheDeclaredLanguageFromItsTagAndAgainstTheLetters) {
    const std::pair<const char16_t*, const char*> cases[] = {
        // clang-format off
        {u"en-US", "en"}, {u"ru_RU", "ru"}, {u"UKR", "uk"}, {u" fr", "fr"}, {u"kor", "kor"},
        {u"nl", "nl"}, {u"und", ""}, {u"", ""}, {u"x-klingon", ""}, {u"e1", ""}, {u"русский", ""},
        {u"englishlanguage-of-the-book", ""},
        // clang-format on
    };
    for (const auto& [tag, code] : cases) EXPECT_EQ(LanguageCode(tag), code) << Utf16ToUtf8(tag);
    EXPECT_EQ(ChooseLanguage("en", "ru"), "ru");  // a Russian book a converter marked English
    EXPECT_EQ(ChooseLanguage("uk", "ru"), "uk");  // same script: the book knows best
    EXPECT_EQ(ChooseLanguage("", "pl"), "pl");
    EXPECT_EQ(ChooseLanguage("ja", "en"), "ja");  // a script the check does not know
}

// Sentences written for the test in the two languages that share the most words and letters,
// Spanish and Portuguese; English, which has no letters of its own, by its "I"; a German text is
// guessed below, over a book.
TEST(BookLanguage, TheGuessFromTheText) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"El viejo caminó hasta el río y se sentó en la orilla. Pensaba en los años que habían "
         u"pasado y estaba muy cansado.",
         "es"},
        {u"O velho caminhou até o rio e sentou-se na margem. Pensava nos anos que tinham "
         u"passado, e não sabia o que fazer da vida.",
         "pt"},
        // Single words, by their letters alone; a Latin word without any says nothing.
        // clang-format off
        {u"Straße", "de"}, {u"przedsiębiorstwo", "pl"}, {u"заўсёды", "be"}, {u"їжак", "uk"},
        {u"hyphenation", ""}, {u"12345 — 678", ""}, {u"", ""}, {u"日本語の本", ""},
        // clang-format on
    };
    for (const auto& [text, code] : cases)
        EXPECT_EQ(GuessLanguage(text), code) << Utf16ToUtf8(text);

    // A few words of another language in a long text are quotations.
    std::u16string russian;
    for (int i = 0; i < 40; ++i) russian += u"Он долго смотрел на воду и молчал. ";
    EXPECT_EQ(GuessLanguage(russian + u"«Ґанок, їжак, єдиний», — сказал он."), "ru");
    // English's "I" is not Polish's "i".
    EXPECT_EQ(GuessLanguage(u"I said I would, and I did it, I think."), "en");
    // Latin text of a language the table does not know is not taken for one it does.
    std::u16string finnish;
    for (int i = 0; i < 20; ++i) finnish += u"Vanha mies käveli joelle ja istui rannalle. ";
    EXPECT_EQ(GuessLanguage(finnish), "");
}

// A book's guess reads its stream, which every reader's test reads word for word
// (ExportCommands.LectraToolSavesBesideTheBookAndReportsFailure shows it in a book's information;
// the library's DeclaredLanguage has the declared ones): here its sample is bounded.
TEST(BookLanguage, TheGuessOverABookReadsASampleOfBoundedLength) {
    test::ScratchDir dir;
    std::string text;
    while (text.size() < size_t(kLanguageSampleUnits))
        text += "Der alte Mann ging zum Fluss und setzte sich an das Ufer.\n";
    const std::string german = dir.Write("de.txt", text);
    for (int i = 0; i < 4000; ++i) text += "The old man walked to the river and sat on the bank.\n";
    const std::string mixed = dir.Write("mixed.txt", text);
    for (const std::string& path : {german, mixed}) {
        test::OpenedBook doc;
        ASSERT_EQ(test::Open(*doc, path), 1);
        EXPECT_EQ(GuessBookLanguage(*doc), "de") << path;
    }
    test::OpenedBook empty;
    ASSERT_EQ(test::Open(*empty, dir.Write("empty.txt", "")), 1);
    EXPECT_EQ(GuessBookLanguage(*empty), "");
}

}  // namespace
}  // namespace lectra
