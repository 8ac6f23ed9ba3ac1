// The language a book declares, and the one it is read in after the open.
#include "library/declared_language.h"

#include <gtest/gtest.h>

#include "library/book_metadata.h"
#include "test_support.h"

namespace lectra {
namespace {

TEST(DeclaredLanguage, HtmlRootLanguageAndTitleInTheDeclaredCharset) {
    const std::string ru = test::ReadBytes(test::Fixture("ru-cp1251.html"));
    BookMeta m;
    ASSERT_TRUE(ReadHtmlMeta(HeadAsUtf8(ru, HeadCodePage(ru)), m));
    EXPECT_EQ(Utf16ToUtf8(m.title), "Станция на Волчьем мысу");
    ASSERT_TRUE(ReadHtmlMeta("<html xml:lang=\"de-DE\"><head><title>T</title></head>", m));
    EXPECT_EQ(Utf16ToUtf8(m.language), "de-DE");
    ASSERT_TRUE(ReadHtmlMeta("<HTML LANG='uk'><title>T</title>", m));
    EXPECT_EQ(Utf16ToUtf8(m.language), "uk");
    ASSERT_TRUE(ReadHtmlMeta("<html><title>T</title>", m));
    EXPECT_TRUE(m.language.empty());
    // A lang or a title further in is the body's business, not the book's.
    EXPECT_FALSE(ReadHtmlMeta("<html><body><title>x</title><p lang=\"fr\">x</p></body></html>", m));
    EXPECT_TRUE(m.language.empty());
}

TEST(DeclaredLanguage, TheFixturesAsTheyDeclareThemAndAsTheyAreRead) {
    const struct {
        const char* file;
        const char* entry;
        const char* declared;
        const char* read;
    } books[] = {
        {"ru.fb2", "", "ru", "ru"},
        {"ru.fb2.gz", "", "ru", "ru"},
        {"ru.fb2.zip", "ru.fb2", "ru", "ru"},
        {"en-pandoc.epub", "", "en", "en"},
        // Declared English, written in Russian: the letters decide.
        {"ru-calibre.epub", "", "en", "ru"},
        // "und" declares nothing: the letters decide.
        {"ru-gen.epub", "", "", "ru"},
        {"en-utf8.html", "", "en", "en"},
        {"ru-cp1251.html", "", "ru", "ru"},
        {"ru-cp1251.txt", "", "", "ru"},
        {"en-cp1252-stored.zip", "en-cp1252.txt", "", "en"},
    };
    for (const auto& b : books) {
        const std::u16string path = PathFromBytes(test::Fixture(b.file));
        EXPECT_EQ(DeclaredLanguage(path, Utf8ToUtf16(b.entry)), b.declared) << b.file;
        test::OpenedBook doc;
        ASSERT_EQ(test::Open(*doc, test::Fixture(b.file)), 1) << b.file;
        SetBookLanguage(*doc);
        EXPECT_EQ(doc->language, b.read) << b.file;
    }
    EXPECT_EQ(DeclaredLanguage(u"/nonexistent/book.fb2", u""), "");
}

// A language without patterns is kept (the book's own <lang>, not its original's); nothing
// usable declared, the letters decide.
TEST(DeclaredLanguage, WrittenBooks) {
    test::ScratchDir dir;
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description><title-info>"
        "<book-title>T</book-title>";
    const std::string body =
        "</title-info></description><body><p>De oude man liep naar de rivier en ging op de oever "
        "zitten.</p></body></FictionBook>";
    const struct {
        const char* name;
        std::string bytes;
        const char* read;
    } books[] = {
        {"nl.fb2", head + "<lang>nl</lang>" + body, "nl"},
        {"src.fb2", head + "<src-lang>de</src-lang><lang>NL</lang>" + body, "nl"},
        {"none.fb2", head + body, "nl"},
        {"bad.fb2", head + "<lang>12</lang>" + body, "nl"},
    };
    for (const auto& b : books) {
        const std::string path = dir.Write(b.name, b.bytes);
        test::OpenedBook doc;
        ASSERT_EQ(test::Open(*doc, path), 1) << b.name;
        SetBookLanguage(*doc);
        EXPECT_EQ(doc->language, b.read) << b.name;
    }
}

}  // namespace
}  // namespace lectra
