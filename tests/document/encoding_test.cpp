// The character layer and code-page detection on real Russian and English books.
#include "document/encoding.h"

#include <gtest/gtest.h>

#include "document/code_page_detect.h"
#include "document/open_book.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

std::u16string ReadUtf8Book(const std::string& bytes) {
    ScratchDir dir;
    auto doc = NewDocument();
    doc->txtParagraphMode = kTxtPlainAsIs;
    if (!Open(*doc, dir.Write("u.txt", bytes), kCodePageUtf8)) return u"<open failed>";
    return test::ReadAll(*doc);
}

TEST(ReadSourceChar, Utf8AsTheReaderTakesIt) {
    EXPECT_EQ(ReadUtf8Book("\xE2\x80\x94"), u"\u2014");
    EXPECT_EQ(ReadUtf8Book("ab\xC3"), u"ab\u00C0");  // cut by the end: zero bits
    EXPECT_EQ(ReadUtf8Book("\xD0\x96x"), u"\u0416x");
    // Continuation bytes are taken as they come.
    EXPECT_EQ(ReadUtf8Book("\xC3\x41z"), u"\u00C1z");
    // A character beyond U+FFFF is one replacement character and does not eat the next one.
    EXPECT_EQ(ReadUtf8Book("\xF0\x9F\x98\x80" "a!"), u"\uFFFDa!");
    EXPECT_EQ(ReadUtf8Book("x\xF0\x9F"), u"x\uFFFD");  // cut: the pass still ends at the end
}

TEST(BuildByteToChar, KnownAndUnknownCodePages) {
    auto doc = NewDocument();
    doc->bookCodePage = 1251;
    BuildByteToChar(*doc);
    EXPECT_EQ(doc->byteToChar[0x41], u'A');
    EXPECT_EQ(doc->byteToChar[0xC0], u'\u0410');
    doc->bookCodePage = 12345;
    BuildByteToChar(*doc);
    EXPECT_EQ(doc->byteToChar[0x7F], 0x7F);
    for (int b = 128; b < 256; ++b) EXPECT_EQ(doc->byteToChar[b], u'?');
}

TEST(CodePageList, RowsAndValidation) {
    EXPECT_EQ(CodePageListSize(), 47);
    EXPECT_EQ(kCodePageList[9].name, std::u16string(u"Central Europe - 28592 ISO 8859-2 "));
    EXPECT_EQ(kCodePageList[46].id, 437);
    EXPECT_TRUE(IsListedCodePage(65001));
    EXPECT_TRUE(IsListedCodePage(10017));
    EXPECT_FALSE(IsListedCodePage(-1));
    EXPECT_FALSE(IsListedCodePage(1234));
}

int Detect(const std::string& path) {
    auto doc = NewDocument();
    if (!Open(*doc, path)) return 0;
    return doc->bookCodePage;
}

TEST(DetectCodePage, RussianProseInEachCandidate) {
    EXPECT_EQ(Detect(test::Fixture("ru-cp1251.txt")), 1251);
    EXPECT_EQ(Detect(test::Fixture("ru-koi8r.txt")), 20866);
    EXPECT_EQ(Detect(test::Fixture("ru-cp866.txt")), 866);
    EXPECT_EQ(Detect(test::Fixture("ru-iso8859-5.txt")), 28595);
}

TEST(DetectCodePage, ScoresFavourTheRightCandidate) {
    const std::string koi = test::ReadBytes(test::Fixture("ru-koi8r.txt"));
    const auto* s = reinterpret_cast<const uint8_t*>(koi.data());
    const uint32_t n = static_cast<uint32_t>(koi.size());
    EXPECT_GT(ScoreCandidate(s, n, 20866), 2 * ScoreCandidate(s, n, 1251));
    EXPECT_GT(ScoreCandidate(s, n, 20866), 2 * ScoreCandidate(s, n, 866));
    EXPECT_EQ(ScoreCandidate(s, n, 1252), 0u);
    const std::string latin = test::ReadBytes(test::Fixture("en-cp1252.txt"));
    const auto* l = reinterpret_cast<const uint8_t*>(latin.data());
    for (int cp : {1251, 20866, 866, 28595}) EXPECT_EQ(ScoreCandidate(l, 1024, cp), 0u) << cp;
    EXPECT_EQ(ScoreRussian(l, 1024), 1251);
    EXPECT_EQ(ScoreRussian(s, 2), 1251);
}

TEST(DetectCodePage, PlainTextMarksAndUtf8) {
    ScratchDir dir;
    EXPECT_EQ(Detect(dir.Write("two.txt", "\xE0\xE1")), 1251);  // too short to score
    EXPECT_EQ(Detect(test::Fixture("en-cp1252.txt")), 1251);    // Latin only
    EXPECT_EQ(Detect(test::Fixture("en-utf8.txt")), kCodePageUtf8);
    EXPECT_EQ(Detect(test::Fixture("ru-utf8.txt")), kCodePageUtf8);
    EXPECT_EQ(Detect(test::Fixture("ru-utf8-bom-crlf.txt")), kCodePageUtf8);
    EXPECT_EQ(Detect(test::Fixture("ru-utf16le-bom.txt")), kCodePageUtf16);
    EXPECT_EQ(Detect(dir.Write("ascii.txt", "only ascii here")), 1251);
    // A sequence cut by the end of the 2048-byte sample is still UTF-8.
    std::string cut(2045, 'a');
    cut += "\xD0\x96";
    EXPECT_EQ(Detect(dir.Write("cut.txt", "\xD0\x96" + cut)), kCodePageUtf8);
    EXPECT_EQ(Detect(dir.Write("bad.txt", "\xD0\x96 \xC0\xC1")), 1251);  // not well-formed
    EXPECT_EQ(LooksLikeUtf8(reinterpret_cast<const uint8_t*>("\xED\xA0\x80"), 3), 0);  // surrogate
    EXPECT_EQ(LooksLikeUtf8(reinterpret_cast<const uint8_t*>("\xC0\xAF"), 2), 0);      // overlong
}

// Detection alone, without the rest of the open sequence (markup kinds need their filters to open).
int DetectOnly(const std::string& path) {
    auto doc = NewDocument();
    doc->bookPath = Utf8ToUtf16(path);
    doc->formatKind = FormatKindFromPath(doc->bookPath);
    if (!OpenSourceFile(*doc)) return 0;
    doc->sourceSize = static_cast<uint32_t>(FileSize(doc->source));
    return DetectCodePage(*doc);
}

TEST(DetectCodePage, MarkupDeclarations) {
    ScratchDir dir;
    EXPECT_EQ(DetectOnly(test::Fixture("ru-cp1251.html")), 1251);
    EXPECT_EQ(DetectOnly(test::Fixture("en-utf8.html")), kCodePageUtf8);
    EXPECT_EQ(DetectOnly(test::Fixture("ru.fb2")), 1251);
    EXPECT_EQ(DetectOnly(test::Fixture("en.fb2")), kCodePageUtf8);
    struct Case {
        const char* name;
        const char* text;
        int codePage;
    } cases[] = {
        {"a.htm", "<meta charset=utf-8>", kCodePageUtf8},
        {"b.htm", "<meta charset=\"UTF-8\">", kCodePageUtf8},
        {"c.htm", "<meta charset='koi8-r'>", 20866},
        {"d.htm", "<meta content=\"text/html; charset=cp866\">", 866},
        {"e.htm", "<p>no declaration</p>", 1251},
        {"f.xml", "<?xml version=\"1.0\" encoding=\"koi8-r\"?>", 20866},
        {"g.xml", "<?xml version=\"1.0\" encoding='utf-8'?>", kCodePageUtf8},
        {"h.xml", "<?xml version=\"1.0\" encoding = \"utf-8\"?>", 1251},
        {"i.rtf", "{\\rtf1 encoding=\"ISO-8859-5\"", 28595},
    };
    for (const Case& c : cases) EXPECT_EQ(DetectOnly(dir.Write(c.name, c.text)), c.codePage) << c.name;
    // An XML declaration in UTF-16 names "Unicode".
    std::string wide;
    for (char ch : std::string("<?xml version=\"1.0\" encoding=\"Unicode\"?>")) wide += std::string(1, ch) + '\0';
    EXPECT_EQ(DetectOnly(dir.Write("w.fb2", wide)), kCodePageUtf16);
}

}  // namespace
}  // namespace lectra
