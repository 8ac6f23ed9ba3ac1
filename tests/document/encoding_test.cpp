// The character layer and code-page detection on real Russian and English books.
#include "document/encoding.h"

#include <gtest/gtest.h>

#include "document/code_page_detect.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

TEST(ReadSourceChar, Utf8AsTheReaderTakesIt) {
    const struct {
        const char* bytes;
        std::u16string units;
    } cases[] = {
        {"\xE2\x80\x94", u"\u2014"},
        {"ab\xC3", u"ab\u00C0"},    // cut by the end: zero bits
        {"\xC3\x41z", u"\u00C1z"},  // continuation bytes taken as they come
        {"\xF0\x9F\x98\x80"
         "a!",
         u"\uFFFDa!"},              // beyond U+FFFF: one unit, nothing eaten
        {"x\xF0\x9F", u"x\uFFFD"},  // cut: the pass still ends at the end
    };
    ScratchDir dir;
    auto doc = NewDocument();
    doc->txtParagraphMode = kTxtPlainAsIs;
    for (const auto& c : cases) {
        ASSERT_TRUE(test::Open(*doc, dir.Write("u.txt", c.bytes), kCodePageUtf8));
        EXPECT_EQ(test::ReadAll(*doc), c.units) << c.bytes;
    }
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

TEST(DetectCodePage, RussianProseLatinTextMarksUtf8AndMarkupDeclarations) {
    ScratchDir dir;
    std::string cut(2045, 'a');  // a sequence cut by the end of the 2048-byte sample
    cut = "\xD0\x96" + cut + "\xD0\x96";
    std::string wide;
    for (char ch : std::string("<?xml version=\"1.0\" encoding=\"Unicode\"?>"))
        wide += std::string(1, ch) + '\0';
    const struct {
        std::string path;
        int codePage;
    } cases[] = {
        {test::Fixture("ru-cp1251.txt"), 1251},
        {test::Fixture("ru-koi8r.txt"), 20866},
        {test::Fixture("ru-cp866.txt"), 866},
        {test::Fixture("ru-iso8859-5.txt"), 28595},
        {test::Fixture("en-cp1252.txt"), 1251},  // Latin only: nothing scores
        {test::Fixture("ru-utf8.txt"), kCodePageUtf8},
        {test::Fixture("ru-utf8-bom-crlf.txt"), kCodePageUtf8},
        {test::Fixture("ru-utf16le-bom.txt"), kCodePageUtf16},
        {dir.Write("two.txt", "\xE0\xE1"), 1251},  // too short to score
        {dir.Write("ascii.txt", "only ascii here"), 1251},
        {dir.Write("cut.txt", cut), kCodePageUtf8},
        {dir.Write("bad.txt", "\xD0\x96 \xC0\xC1"), 1251},  // not well-formed
        {test::Fixture("ru-cp1251.html"), 1251},
        {test::Fixture("ru.fb2"), 1251},
        {dir.Write("a.htm", "<meta charset=utf-8>"), kCodePageUtf8},
        {dir.Write("c.htm", "<meta charset='koi8-r'>"), 20866},
        {dir.Write("d.htm", "<meta content=\"text/html; charset=cp866\">"), 866},
        {dir.Write("e.htm", "<meta charset=utf-16>"), kCodePageUtf16},
        {dir.Write("f.htm", "<p>no declaration</p>"), 1251},
        {dir.Write("g.xml", "<?xml version=\"1.0\" encoding=\"koi8-r\"?>"), 20866},
        {dir.Write("h.xml", "<?xml version=\"1.0\" encoding='utf-8'?>"), kCodePageUtf8},
        {dir.Write("i.xml", "<?xml version=\"1.0\" encoding = \"utf-8\"?>"), 1251},
        {dir.Write("j.rtf", "{\\rtf1 encoding=\"ISO-8859-5\""), 28595},
        {dir.Write("k.fb2", wide), kCodePageUtf16},
        {dir.Write("l.fb2", "\xFF\xFE<"), kCodePageUtf16},
        {dir.Write("m.htm", "\xEF\xBB\xBF<p>\xD0\x96"), kCodePageUtf8},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectOnly(c.path), c.codePage) << c.path;
    EXPECT_EQ(LooksLikeUtf8(reinterpret_cast<const uint8_t*>("\xED\xA0\x80"), 3), 0);  // surrogate
    EXPECT_EQ(LooksLikeUtf8(reinterpret_cast<const uint8_t*>("\xC0\xAF"), 2), 0);      // overlong
}

}  // namespace
}  // namespace lectra
