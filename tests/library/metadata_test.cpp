// The description readers, the caps on hostile descriptions, the declared language, and the folded
// form of names.
#include <gtest/gtest.h>

#include <string>

#include "library/book_metadata.h"
#include "library/declared_language.h"
#include "library/name_fold.h"
#include "platform/sys/code_pages.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

std::string U8(const std::u16string& s) {
    return Utf16ToUtf8(s);
}

// A FictionBook of the given title-info, between the original's (src-title-info, a translation's)
// and the document-info of its maker, neither of which is the book's.
std::string Fb2(const std::string& titleInfo, const std::string& encoding = "utf-8") {
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n<FictionBook><description><src-title-info><book-title>Original</book-title>"
           "<lang>de</lang></src-title-info><title-info>" +
           titleInfo +
           "</title-info><document-info><author><nickname>maker</nickname></author>"
           "<book-title>Not this</book-title></document-info></description><body><p>text</p>"
           "</body></FictionBook>";
}

// The head as the scanner hands it over: decoded from its declared code page first.
BookMeta ReadFb2(const std::string& bytes) {
    BookMeta meta;
    EXPECT_TRUE(ReadFb2Meta(HeadAsUtf8(bytes, HeadCodePage(bytes)), meta));
    return meta;
}

// The record as "title|name (sort key); …|series #number|language". (The genres, annotation and
// cover the catalogue also keeps are shown nowhere; their bounds: the hostile descriptions.)
std::string Record(const BookMeta& m) {
    std::string authors;
    for (const BookAuthor& a : m.authors)
        authors += U8(AuthorName(a)) + " (" + U8(AuthorSortKey(a)) + "); ";
    return U8(m.title) + "|" + authors + "|" + U8(m.series) + " #" +
           std::to_string(static_cast<int>(m.seriesNumber)) + "|" + U8(m.language);
}

TEST(Fb2Meta, TitleAuthorsSeriesAndLanguage) {
    const BookMeta m =
        ReadFb2(Fb2("<author><first-name>Лев</first-name><middle-name>Николаевич</middle-name>"
                    "<last-name>Толстой</last-name></author>"
                    "<author><nickname>Козьма</nickname></author>"
                    "<book-title>Война  и\n мир &amp; &#1105;ж</book-title><lang>ru</lang>"
                    "<sequence name=\"Эпопеи\" number=\"3\"><sequence name=\"inner\" "
                    "number=\"9\"/></sequence>"));
    EXPECT_EQ(Record(m),
              "Война и мир & ёж|Лев Николаевич Толстой (толстой лев николаевич); Козьма (козьма); "
              "|Эпопеи #3|ru");
}

TEST(Fb2Meta, DeclaredAndUndeclaredCodePages) {
    std::string cp1251;
    CodePageEncode(1251, Utf8ToUtf16(Fb2("<book-title>Тихий Дон</book-title>", "windows-1251")),
                   cp1251);
    EXPECT_EQ(U8(ReadFb2(cp1251).title), "Тихий Дон");
    // Undeclared and not UTF-8: read as windows-1251, the code page of such collections.
    const std::string bare =
        "<FictionBook><description><title-info><book-title>\xA8\xEB\xEA\xE0</book-title>";
    EXPECT_EQ(U8(ReadFb2(bare).title), "Ёлка");
}

TEST(Fb2Meta, HostileDescriptionsEndBounded) {
    // Ten thousand authors, a megabyte of title, NUL and invalid UTF-8 in names, never closed.
    std::string info;
    for (int i = 0; i < 10000; ++i)
        info += "<author><last-name>A" + std::to_string(i) + "</last-name></author>";
    info += "<book-title>" + std::string(1 << 20, 'x') + "</book-title>";
    static constexpr char kSequence[] = "<sequence name=\"S\0r\xFF\xFEs\" number=\"1e300\"/>";
    info += std::string(kSequence, sizeof kSequence - 1);
    BookMeta m;
    EXPECT_TRUE(ReadFb2Meta("<description><title-info>" + info, m));
    EXPECT_EQ(m.authors.size(), kMaxAuthors);
    EXPECT_EQ(m.title.size(), kMaxNameUnits);
    EXPECT_EQ(U8(m.series), "S r\xEF\xBF\xBD\xEF\xBF\xBDs");
    EXPECT_EQ(m.seriesNumber, 0);
    // Unclosed tags, comments and references at the very end.
    for (const char* tail : {"<book-title>", "<book-title", "<!-- ", "<author><last-name>&#x",
                             "<annotation><p>", "<sequence name=\"x", "&#99999999999;"}) {
        EXPECT_TRUE(ReadFb2Meta(std::string("<description><title-info>") + tail, m)) << tail;
    }
    // Thousands of empty, unclosed annotations cost one pass.
    std::string many = "<description><title-info>";
    for (int i = 0; i < 100000; ++i) many += "<annotation>";
    EXPECT_TRUE(ReadFb2Meta(many, m));
    EXPECT_TRUE(m.annotation.empty());
}

TEST(OpfMeta, CreatorsRolesAndSeries) {
    const std::string opf =
        "<package xmlns:opf='http://www.idpf.org/2007/opf'><metadata>"
        "<dc:title>Anna Karenina</dc:title>"
        "<dc:creator opf:file-as='Tolstoy, Leo' opf:role='aut'>Leo Tolstoy</dc:creator>"
        "<dc:creator opf:role='trl'>Constance Garnett</dc:creator>"
        "<dc:creator id='c3'>Somebody Else</dc:creator>"
        "<meta refines='#c3' property='role' scheme='marc:relators'>ill</meta>"
        "<dc:language>en</dc:language><meta name='calibre:series' content='Russian Novels'/>"
        "<meta name='calibre:series_index' content='2.0'/></metadata></package>";
    BookMeta m;
    ASSERT_TRUE(ReadOpfMeta(opf, m));
    EXPECT_EQ(Record(m), "Anna Karenina|Leo Tolstoy (tolstoy leo); |Russian Novels #2|en");

    // EPUB 3: the collection wins over calibre's meta.
    const std::string opf3 =
        "<package><metadata><dc:title>Т</dc:title><dc:creator>Фёдор Достоевский</dc:creator>"
        "<meta name='calibre:series' content='Old'/>"
        "<meta property='belongs-to-collection' id='s1'>Великое Пятикнижие</meta>"
        "<meta refines='#s1' property='collection-type'>series</meta>"
        "<meta refines='#s1' property='group-position'>4</meta></metadata></package>";
    ASSERT_TRUE(ReadOpfMeta(opf3, m));
    EXPECT_EQ(Record(m), "Т|Фёдор Достоевский (достоевский федор); |Великое Пятикнижие #4|");
}

// The language a book declares: an archive's entry's, an EPUB's. (Tags as books write them, and
// the choice between the declared language and the letters' on the open: the book language's
// tests and the reader window's.)
TEST(DeclaredLanguage, AsTheBooksDeclareThem) {
    auto declared = [](const char* fixture, const std::u16string& entry) {
        return DeclaredLanguage(PathFromBytes(test::Fixture(fixture)), entry);
    };
    EXPECT_EQ(declared("ru.fb2.zip", u"ru.fb2"), "ru");
    EXPECT_EQ(declared("ru-calibre.epub", u""), "en");  // calibre's English, for a Russian book
    EXPECT_EQ(DeclaredLanguage(u"/nonexistent/book.fb2", u""), "");
}

TEST(Names, CaseAndYoFoldOverCyrillicAndLatinAndTitlesFromFileNames) {
    EXPECT_EQ(U8(FoldName(u"ТОЛСТОЙ Ёж ÀÉÎ Straße")), "толстой еж àéî straße");
    EXPECT_EQ(FoldedWords(u"«Ёжик» в тумане—Book II, т.3"),
              (std::vector<std::string>{"ежик", "в", "тумане", "book", "ii", "т", "3"}));
    EXPECT_EQ(SearchExpression(u" — "), "");
    EXPECT_EQ(U8(TitleFromName(u"dir/Tolstoy_War_and_Peace.fb2.zip")), "Tolstoy War and Peace");
    EXPECT_EQ(U8(TitleFromName(u".hidden")), ".hidden");
}

}  // namespace
}  // namespace lectra
