// The contents: gathered on the open's indexing pass from FictionBook titles, HTML headings and an
// EPUB's navigation, found in plain text on demand; positions at each title's first letter; hostile
// books give bounded contents.
#include "document/contents.h"

#include <gtest/gtest.h>

#include "document/formats/book_builders.h"
#include "document/formats/epub_package.h"
#include "document/text_cache.h"
#include "epub_test_books.h"
#include "platform/sys/utf.h"
#include "straight_decode.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Fixture;
using test::kNavItem;
using test::Open;
using test::OpenedBook;
using test::Page;
using test::ScratchDir;
using test::WriteParts;

using Expected = std::pair<int32_t, std::u16string>;

// The contents as (depth, title); the stream at each position reads the title, white space folded.
// Reading there decodes blocks after the open's pass, which must add no entry.
std::vector<Expected> Listed(Document& doc) {
    std::vector<Expected> out;
    for (size_t i = 0; i < BookContents(doc).size(); ++i) {
        const ContentsEntry e = BookContents(doc)[i];
        out.push_back({e.depth, e.title});
        std::u16string there;
        for (int32_t p = e.position; p < DocLength(doc) && there.size() < e.title.size(); ++p) {
            const char16_t c = GetChar(doc, p) <= 32 ? u' ' : GetChar(doc, p);
            if (c != u' ' || there.empty() || there.back() != u' ') there += c;
        }
        EXPECT_EQ(Utf16ToUtf8(there), Utf16ToUtf8(e.title));
    }
    return out;
}

// The contents as (depth, title, the letter at the position), for titles that the text does not
// repeat.
using Entry = std::tuple<int32_t, std::u16string, char16_t>;
std::vector<Entry> Entries(Document& doc) {
    std::vector<Entry> out;
    for (const ContentsEntry& e : BookContents(doc))
        out.push_back({e.depth, e.title, GetChar(doc, e.position)});
    return out;
}

TEST(Contents, FixturesFromIndependentWritersListTheirHeadingsInOrder) {
    const std::u16string enTitle = u"The Last Reel at the Orion";
    const std::u16string ruTitle = u"Станция на Волчьем мысу";
    const std::u16string en1 = u"Chapter One. The Booth", en2 = u"Chapter Two. The House Lights";
    const std::u16string ru1 = u"Глава первая. Журнал наблюдений",
                         ru2 = u"Глава вторая. Восьмичасовой срок";
    const struct {
        const char* file;
        std::vector<Expected> contents;
    } books[] = {
        // The body's title, then the sections; the notes body is no part of it.
        {"ru.fb2", {{0, ruTitle}, {0, ru1}, {0, ru2}}},
        {"ru.fb2.zip", {{0, ruTitle}, {0, ru1}, {0, ru2}}},
        // EPUB 3: the navigation document, the title above the chapters.
        {"ru-pandoc.epub", {{0, ruTitle}, {1, ru1}, {1, ru2}}},
        // EPUB 2: the NCX as its writer made it, the footnotes it lists included.
        {"en-calibre.epub", {{0, en1}, {0, en2}, {0, u"[1]"}, {0, u"[2]"}}},
        // HTML: H1 to H3, depth below the highest.
        {"en-utf8.html", {{0, enTitle}, {1, en1}, {1, en2}}},
        // Plain text: the chapter-heading lines.
        {"en-utf8.txt", {{0, en1}, {0, en2}}},
        {"ru-utf16le-bom.txt", {{0, ru1}, {0, ru2}}},
        {"ru-utf8-bom-crlf.txt", {{0, ru1}, {0, ru2}}},
        // Word and RTF name no headings here.
        {"en-lo.rtf", {}},
        {"word97-pieces.doc", {}},
    };
    OpenedBook doc;
    for (const auto& b : books) {
        ASSERT_EQ(Open(*doc, Fixture(b.file)), 1) << b.file;
        EXPECT_EQ(Listed(*doc), b.contents) << b.file;
    }
}

TEST(Contents, AFictionBookListsSectionTitlesByNestingAndNothingElse) {
    ScratchDir dir;
    const std::string fb2 =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description><title-info>"
        "<book-title>Hidden</book-title><annotation><title><p>Not this</p></title></annotation>"
        "</title-info></description><body><title><p>The   Book</p><p>Second line</p></title>"
        "<section id=\"s1\"><title><p>Part One</p></title>"
        "<section><title><p>Chapter 1</p></title><p>Text.</p>"
        "<poem><title><p>A poem's title</p></title><stanza><v>line</v></stanza></poem></section>"
        "<section><p>No title here.</p></section>"
        "<section><image l:href=\"#p\"/><title><p>Chapter <emphasis>2</emphasis></p></title>"
        "<p>Words <a l:href=\"#n1\" type=\"note\">[1]</a>.</p></section></section>"
        "<section><title-info>x</title-info><title/><subtitle>Sub</subtitle><p>t</p></section>"
        "</body><body name=\"notes\"><title><p>Notes</p></title>"
        "<section id=\"n1\"><title><p>1</p></title><p>A note.</p></section></body></FictionBook>";
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("b.fb2", fb2)), 1);
    EXPECT_EQ(
        Listed(*doc),
        (std::vector<Expected>{
            {0, u"The Book Second line"}, {0, u"Part One"}, {1, u"Chapter 1"}, {1, u"Chapter 2"}}));
    // The gathering leaves the stream as the filter alone makes it.
    EXPECT_EQ(test::ReadAll(*doc), test::StraightDecode(*doc));
}

TEST(Contents, HtmlCountsTheLowerHeadingsOnlyWhenTheHigherAreFew) {
    ScratchDir dir;
    OpenedBook doc;
    const std::string few =
        "<html><head><title>Page</title></head><body><h2>Two</h2><p>x</p><h4>Four</h4>"
        "<h6 align=center>Six</h6><H3>Three</H3><h7>Seven</h7><script><h1>no</h1></script>"
        "</body></html>";
    ASSERT_EQ(Open(*doc, dir.Write("few.html", few), 1252), 1);
    EXPECT_EQ(Listed(*doc),
              (std::vector<Expected>{{0, u"Two"}, {2, u"Four"}, {4, u"Six"}, {1, u"Three"}}));
    const std::string many = "<h1>A</h1><h2>B</h2><h4>Low</h4><h3>C</h3><h5>Lower</h5>";
    ASSERT_EQ(Open(*doc, dir.Write("many.html", many), 1252), 1);
    EXPECT_EQ(Listed(*doc), (std::vector<Expected>{{0, u"A"}, {1, u"B"}, {2, u"C"}}));
    // A heading never closed ends with the book.
    ASSERT_EQ(Open(*doc, dir.Write("open.html", "<p>x</p><h2>Open   end"), 1252), 1);
    EXPECT_EQ(Listed(*doc), (std::vector<Expected>{{0, u"Open end"}}));
}

TEST(Contents, AnEpubsNavigationResolvesFragmentsAndFallsBackToHeadings) {
    ScratchDir dir;
    const std::string c1 = Page("<h1>One</h1><p>a</p><div id=\"deep\"><p>Deep place</p></div>");
    const std::string c2 = Page("<h2 class='x'>Two</h2><p>b</p>");
    const std::string nav =
        "<html><body><nav epub:type=\"landmarks\"><ol><li><a href=\"c2.xhtml\">Wrong</a></li>"
        "</ol></nav><nav epub:type=\"toc\"><ol><li><a href=\"c1.xhtml\">First &amp; <b>file</b></a>"
        "<ol><li><a href=\"c1.xhtml#deep\">Inner</a></li><li><a href='#self'>Self</a></li>"
        "<li><a href=\"c1.xhtml#nowhere\">Missing id</a></li></ol></li>"
        "<li><a href=\"../../outside.xhtml\">Outside</a></li><li><a href=\"none.xhtml\">None</a>"
        "</li><li><a href=\"c2.xhtml\">Second</a></li></ol></nav></body></html>";
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, WriteParts(dir, "nav.epub", {c1, c2}, {{"OPS/nav.xhtml", nav}}, kNavItem)),
              1);
    // A fragment to no id gives the id's part.
    EXPECT_EQ(Entries(*doc), (std::vector<Entry>{{0, u"First & file", u'O'},
                                                 {1, u"Inner", u'D'},
                                                 {1, u"Missing id", u'O'},
                                                 {0, u"Second", u'T'}}));

    // EPUB 2: the NCX that the spine names, its navigation map alone.
    const std::string ncx =
        "<ncx><docTitle><text>Book</text></docTitle><pageList><navPoint><navLabel><text>Page</text>"
        "</navLabel><content src='c2.xhtml'/></navPoint></pageList><navMap>"
        "<navPoint><navLabel><text>Chapter A</text></navLabel><content src='c1.xhtml'/>"
        "<navPoint><navLabel><text>Inside A</text></navLabel><content src='c1.xhtml#deep'/>"
        "</navPoint></navPoint><navPoint><navLabel><text>Chapter B</text></navLabel>"
        "<content src='c2.xhtml'/></navPoint></navMap></ncx>";
    const std::string item =
        "<item id='ncx' href='toc.ncx' media-type='application/x-dtbncx+xml'/>";
    const std::string epub2 =
        WriteParts(dir, "ncx.epub", {c1, c2}, {{"OPS/toc.ncx", ncx}}, item, " toc='ncx'");
    ASSERT_EQ(Open(*doc, epub2), 1);
    EXPECT_EQ(Entries(*doc),
              (std::vector<Entry>{
                  {0, u"Chapter A", u'O'}, {1, u"Inside A", u'D'}, {0, u"Chapter B", u'T'}}));

    // Neither: each part's first heading.
    const std::string bare = Page("<h1>One</h1><h2>Not this</h2>");
    ASSERT_EQ(Open(*doc, WriteParts(dir, "bare.epub", {bare, c2})), 1);
    EXPECT_EQ(Listed(*doc), (std::vector<Expected>{{0, u"One"}, {0, u"Two"}}));
}

TEST(Contents, HostileBooksGiveBoundedContents) {
    using test::Repeat;
    ScratchDir dir;
    OpenedBook doc;
    const size_t cap = kMaxContentsEntries;
    const std::string many = "<FictionBook><body>" +
                             Repeat("<section><title><p>S</p></title></section>", 12000) +
                             "</body>";
    ASSERT_EQ(Open(*doc, dir.Write("many.fb2", many), kCodePageUtf8), 1);
    ASSERT_EQ(BookContents(*doc).size(), cap);
    // The first ones are kept.
    EXPECT_LT(BookContents(*doc).back().position, DocLength(*doc) * 9 / 10);

    const std::string deep = "<FictionBook><body>" +
                             Repeat("<section><title><p>D</p></title>", 10000) + "<title><p>" +
                             std::string(5000, 'x');  // never closed
    ASSERT_EQ(Open(*doc, dir.Write("deep.fb2", deep), kCodePageUtf8), 1);
    ASSERT_EQ(BookContents(*doc).size(), cap);
    EXPECT_EQ(BookContents(*doc)[0].depth, 0);
    EXPECT_EQ(BookContents(*doc).back().depth, kMaxContentsDepth);

    // Every H1 is cut short by the next heading and left empty: the first H5s are the contents.
    ASSERT_EQ(Open(*doc, dir.Write("many.html", Repeat("<h5>h</h5><h1>", 100000)), 1252), 1);
    ASSERT_EQ(BookContents(*doc).size(), cap);
    EXPECT_EQ(BookContents(*doc).back().title, u"h");
    const std::string longTitle = "<h1>" + std::string(100000, 'y') + "</h1>";
    ASSERT_EQ(Open(*doc, dir.Write("long.html", longTitle), 1252), 1);
    ASSERT_EQ(BookContents(*doc).size(), 1u);
    EXPECT_EQ(BookContents(*doc)[0].title.size(), static_cast<size_t>(kMaxContentsTitle));

    // A navigation of a hundred thousand links, ten thousand lists deep, with ids of any length.
    std::string nav = "<nav epub:type='toc'>" + Repeat("<ol><li>", 10000);
    for (int i = 0; i < 100000; ++i) {
        const size_t idLength = i % 1000 == 0 ? 250 : static_cast<size_t>(i % 5);
        nav += "<a href='c1.xhtml#" + std::string(idLength, 'i') + "'>L</a>";
    }
    nav += "<a href='c1.xhtml#x'>unclosed";
    const std::string c1 = Page("<p id='" + std::string(250, 'I') + "'>Text</p>");
    ASSERT_EQ(Open(*doc, WriteParts(dir, "hostile.epub", {c1}, {{"OPS/nav.xhtml", nav}}, kNavItem)),
              1);
    ASSERT_EQ(BookContents(*doc).size(), cap);
    for (const ContentsEntry& e : BookContents(*doc)) {
        ASSERT_EQ(GetChar(*doc, e.position), u'T');
        ASSERT_EQ(e.depth, kMaxContentsDepth);
    }
}

TEST(Contents, ChapterHeadingsOfPlainTextAreShortLinesOfTheirOwnKind) {
    const struct {
        std::u16string line;
        int32_t depth;  // −1: not a heading
    } lines[] = {
        // clang-format off
        {u"Глава 5", 1}, {u"ГЛАВА ПЯТАЯ", 1}, {u"Глава первая. Журнал наблюдений", 1},
        {u"Часть вторая", 0}, {u"Chapter 12", 1}, {u"Chapter twelve: The End", 1}, {u"Part II", 0},
        {u"Пролог", 1}, {u"ЭПИЛОГ.", 1}, {u"XIV", 1}, {u"IV.  ", 1}, {u"Часть людей ушла.", -1},
        {u"Главарь 5", -1}, {u"Глава", -1}, {u"Chapters 1 to 4 are short.", -1},
        {u"Пролог к роману был длинным", -1}, {u"iv", -1}, {u"XIVXIVXIV", -1},
        {u"Глава 1 " + std::u16string(90, u'x'), -1}, {u"", -1},
        // clang-format on
    };
    for (const auto& l : lines) {
        int32_t depth = -1;
        const int heading = IsChapterHeading(l.line, &depth);
        EXPECT_EQ(heading ? depth : -1, l.depth) << Utf16ToUtf8(l.line);
    }
}

TEST(Contents, PlainTextFindsItsChaptersWhenFirstAsked) {
    ScratchDir dir;
    const std::string text =
        "Пролог\r\n\r\nТекст пролога.\r\nЧасть первая\r\n   Глава 1. Начало\r\nТекст.\r\n"
        "Глава 2\r\nЕщё текст, где Глава 3 стоит в строке.\r\nXII\r\nЭпилог";
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("b.txt", text), kCodePageUtf8), 1);
    EXPECT_TRUE(doc->contents.empty());  // nothing until asked
    EXPECT_EQ(Listed(*doc), (std::vector<Expected>{{1, u"Пролог"},
                                                   {0, u"Часть первая"},
                                                   {1, u"Глава 1. Начало"},
                                                   {1, u"Глава 2"},
                                                   {1, u"XII"},
                                                   {1, u"Эпилог"}}));
    // The same text in windows-1251 gives the same positions.
    const std::vector<ContentsEntry> utf8 = BookContents(*doc);
    const std::string cp1251 = test::Run("printf '%s' '" + text + "' | iconv -f utf-8 -t cp1251");
    ASSERT_EQ(Open(*doc, dir.Write("c.txt", cp1251), 1251), 1);
    ASSERT_EQ(BookContents(*doc).size(), utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i)
        EXPECT_EQ(BookContents(*doc)[i].position, utf8[i].position);
    // A text read as HTML is gathered as HTML.
    doc->txtParagraphMode = kTxtPlainAsHtml;
    ASSERT_EQ(Open(*doc, dir.Write("h.txt", "Chapter 1<h2>Head</h2>"), 1252), 1);
    EXPECT_EQ(Listed(*doc), (std::vector<Expected>{{0, u"Head"}}));
}

TEST(Contents, TheCurrentEntryIsTheLastThatStartsAtOrBeforeThePage) {
    const std::vector<ContentsEntry> entries = {
        {u"a", 10, 0}, {u"c", 900, 1}, {u"b", 500, 0}, {u"b again", 500, 1}};
    EXPECT_EQ(ContentsIndexAt({}, 100), -1);
    EXPECT_EQ(ContentsIndexAt(entries, 5), 0);  // before every entry: the first
    EXPECT_EQ(ContentsIndexAt(entries, 499), 0);
    EXPECT_EQ(ContentsIndexAt(entries, 500), 3);  // the latest start, the last listed of a place
    EXPECT_EQ(ContentsIndexAt(entries, 899), 3);
    EXPECT_EQ(ContentsIndexAt(entries, 5000), 1);
    // A page that starts with the marks before a title is at the title.
    ScratchDir dir;
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("b.html", "<p>x</p><h1>T</h1>"), 1252), 1);
    ASSERT_EQ(BookContents(*doc).size(), 1u);
    const int32_t title = BookContents(*doc)[0].position;
    EXPECT_EQ(FirstVisibleAt(*doc, title - 1, 64), title);
    EXPECT_EQ(GetChar(*doc, FirstVisibleAt(*doc, 0, 64)), u'x');
    EXPECT_EQ(FirstVisibleAt(*doc, title + 1, 64), title + 1);  // nothing visible: the start itself
}

}  // namespace
}  // namespace lectra
