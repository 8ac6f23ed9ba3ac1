// The markup filters on the cases that break real books, plain text as UTF-8 and by paragraph
// mode, the emphasis beside the stream; and what the open's indexing pass gathers beside it, each
// at its place and bounded in hostile books: the contents (FictionBook titles, HTML headings, an
// EPUB's navigation; plain text's chapters on demand), the notes (FictionBook note links, an
// EPUB's note references, an HTML file's numbered links) and the pictures' anchors.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "document/contents.h"
#include "document/format_table.h"
#include "document/formats/book_builders.h"
#include "document/markup_filter.h"
#include "document/notes.h"
#include "document/pictures.h"
#include "document/text_cache.h"
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
using test::ReadBytes;
using test::ScratchDir;
using test::WriteParts;

std::u16string Read(const std::string& name, const std::string& bytes, int mode, int codePage) {
    ScratchDir dir;
    OpenedBook doc;
    doc->txtParagraphMode = mode;
    if (!Open(*doc, dir.Write(name, bytes), codePage)) return u"<open failed>";
    return test::ReadAll(*doc);
}

const std::string kLines =
    "  First paragraph wraps\r\nonto a second line.\r\n  Second one\r\n\r\nafter a blank line\n- "
    "a list item\n*star\n\ttabbed";

const std::string kLong(130, 'w');

// Marks: \n paragraph, \r centred, \f right or epigraph, \v verse.
TEST(MarkupFilter, SourcesAndTheirStreams) {
    constexpr int kDetect = kTxtDetectParagraph, kAsIs = kTxtPlainAsIs, kUtf8 = kCodePageUtf8;
    const struct {
        const char* file;
        std::string input;
        std::u16string expected;
        int mode = kDetect;
        int codePage = 1251;
    } cases[] = {
        // References: named, numeric and rejected.
        {"t.html", "a&lt;b&#1040;&amp;&quot;", u"a<b\u0410&\""},
        {"t.html", "&#x41;", u"&#x41;"},  // no hexadecimal references
        // Longer than nine characters; one that fits, but no row matches.
        {"t.html", "&abcdefghi;x&abcdefg;y", u"&abcdefghi;x&abcdefg;y"},
        {"t.html", "a&shy;b&nbsp;&nbsp;c&#160;d", u"ab  c d"},  // no-break spaces are spaces
        {"t.html", "&#10;x&#13;y", u"\nx\ry"},                  // below 32: marks
        {"t.html", "&#0;&#65535;", u"&#0;&#65535;"},            // out of range
        {"t.html", "x&", u"x "},                                // at the end of the source
        {"t.html", "x&am", u"x&am"},                            // unterminated
        // Headings, alignment and hidden sections.
        {"t.html", "<h2>Title</h2>text", u"\rTitle\ntext"},
        {"t.html", "<P ALIGN=RIGHT>r</p><p align=right>r</p><p align=\"right\">q", u"\fr\fr\nq"},
        {"t.html",
         "a<script>if (i<n) x='</b>';</script>b<style>p{}</style>c<SPAN>d</span><img src=x>",
         u"abcd"},
        {"t.fb2", "a<style>p{}</style><binary>QUJD</binary>b", u"ab"},
        {"t.fb2", "<P>x</P>", u" x "},  // FictionBook names are case-sensitive
        // "</pre>" closes PRE, not P; the line feeds after it are joined again.
        {"t.html", "<pre>a\n  b\n</pre>c\nd", u"a\n  b\nc d", kAsIs},
        {"t.html", "<pre>a\n  b\nc</pre>\nd", u"a\n  b c d"},  // detection inside PRE
        // Inline elements without a row yield nothing, other unknown tags (by whole name) a space.
        {"t.fb2", "<p>x<a l:href=\"#l\">link</a>; <image l:href=\"#p\"/>y<unknown>z</p>",
         u"\nxlink; y z"},
        {"t.html", "a<wbr>b<Q>c</Q><emblem>d", u"abc d"},
        // FictionBook structure; "<title-info>" opens "title" by prefix and must close it again.
        {"t.fb2", "<poem><stanza><v>one</v><v>two</v></stanza></poem><p>after</p>",
         u" \vone\vtwo \nafter"},
        {"t.fb2", "<p>a</p><empty-line/><p>b</p>", u"\na\n\nb"},
        {"t.fb2", "<description><title-info>x</title-info></description><p>body</p>", u"\nbody"},
        {"t.fb2", "<title-info>t</title-info><p>body</p>", u"\rt\n\nbody"},
        {"t.fb2", "<section><title><p>H</p></title><p>b</p></section>", u" \r\rH\n\nb "},
        // Malformed tags never swallow the book; closings without openings stay at 0.
        {"t.html", "a < b <i>c</i>", u"a < b c"},
        {"t.html", "text <unterminated", u"text <"},
        {"t.html", "<", u"<"},
        {"t.html", "</p></div></h1>x", u"\nx"},
        {"t.html", "<p " + std::string(600, 'x') + ">after", u"\nafter"},
        // Plain text read as HTML, or as it is.
        {"t.txt", "a &amp; <b>b</b>\n  c", u"a & b   c", kTxtPlainAsHtml},
        {"t.txt", "a &amp; <b>b</b>\n  c", u"a &amp; <b>b</b>\n  c", kAsIs},
        // The emphasis tags yield what they did before they carried emphasis (FictionBook's, and
        // EM and STRONG, show in the golden pictures emphasis-fb2 and emphasis-epub).
        {"t.html", "<p>H<SUB>2</SUB>O<DFN>c</DFN><TT>f</TT><CODE>g\nh</CODE>", u"\nH2Ocfg h"},
        // UTF-8 and UTF-16 markup.
        {"u.html", "<p>\xD0\x96&mdash;\xF0\x9F\x98\x80<b>x</b>", u"\n\u0416\u2014\uFFFDx", kDetect,
         kUtf8},
        {"w.fb2", std::string("\xFF\xFE<\0p\0>\0a\0&\0l\0t\0;\0b\0<\0/\0p\0>\0", 28), u"\na<b",
         kDetect, kCodePageAuto},
        // UTF-8 as the reader takes it: cut by the end (zero bits), continuation bytes as they
        // come, beyond U+FFFF one unit that eats nothing, cut there and the pass still ends.
        {"u.txt", "ab\xC3", u"ab\u00C0", kAsIs, kUtf8},
        {"u.txt", "\xC3\x41z", u"\u00C1z", kAsIs, kUtf8},
        {"u.txt", "\xF0\x9F\x98\x80!", u"\uFFFD!", kAsIs, kUtf8},
        {"u.txt", "x\xF0\x9F", u"x\uFFFD", kAsIs, kUtf8},
        // A ".doc" that is no Word book is read as RTF or as text.
        {"r.doc", "{\\rtf1\\ansi Hello \\par World}", u"Hello \nWorld", kAsIs},
        {"t.doc", "plain words\n", u"plain words\n", kAsIs},
        {"e.doc", "", u"", kAsIs},
        // Plain text's lines, paragraphs and indents: one unit per byte as it is, or paragraphs.
        {"m.txt", kLines,
         u"  First paragraph wraps \nonto a second line. \n  Second one \n \nafter a blank line\n- "
         u"a list item\n*star\n tabbed",
         kAsIs},
        // A text written a paragraph to a line keeps its lines apart; a blank line still opens
        // one paragraph, not two.
        {"p.txt", kLong + "\nSecond\n\nThird\r\nFourth",
         std::u16string(kLong.begin(), kLong.end()) + u"\nSecond\n Third \nFourth"},
        {"m.txt", kLines,
         u"  First paragraph wraps  onto a second line. \n  Second one \n  after a blank line\n- a "
         u"list item\n*star\n tabbed"},
        // TCR: a book that marks its paragraphs with tabs has title lines (a line that begins with
        // text); one without (a blank line between paragraphs, as converters write them) reads
        // as plain text does, its "*" items kept.
        {"t.tcr", test::BuildTcr({}, "Title\n\tone\nHead\n  \ttwo"), u"Title\n one\rHead\n   two"},
        {"t.tcr", test::BuildTcr({}, "Title\n\nPara one\nwraps\n\n* item"),
         u"Title\n Para one wraps\n\n  item"},
        {"t.tcr", test::BuildTcr({}, "Title\n\nPara\nwraps"), u"Title\n\nPara\nwraps", kAsIs},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.file, c.input, c.mode, c.codePage), c.expected)
            << c.file << ": " << c.input;
    }
}

TEST(Tags, OnceFlagsDoNotLeakIntoTheNextBook) {
    ScratchDir dir;
    auto doc = NewDocument();
    ASSERT_TRUE(Open(*doc, dir.Write("a.html", "<p align=right>r"), 1251));
    ASSERT_TRUE(Open(*doc, dir.Write("b.html", "plain"), 1251));
    EXPECT_EQ(test::ReadAll(*doc), u"plain");
}

// Emphasis beside the stream, decoded with each block from its own snapshot. Each unit's style
// next to the stream: the units of `word` found after `from` all have `style`.
uint8_t StyleOfWord(Document& doc, const std::u16string& word, int32_t from = 0) {
    const std::u16string all = test::ReadAll(doc);
    const size_t at = all.find(word, static_cast<size_t>(from));
    EXPECT_NE(at, std::u16string::npos) << Utf16ToUtf8(word);
    if (at == std::u16string::npos) return 0xFF;
    const uint8_t style = GetStyle(doc, static_cast<int32_t>(at));
    for (size_t i = 1; i < word.size(); ++i)
        EXPECT_EQ(GetStyle(doc, static_cast<int32_t>(at + i)), style) << Utf16ToUtf8(word);
    return style;
}

TEST(Emphasis, HtmlElementsByWholeName) {
    ScratchDir dir;
    OpenedBook doc;
    const std::string html =
        "<p>a <STRONG>st</STRONG> <s>s1</s> <img src=x.png>im <ins>in</ins> "
        "<big>bi</big> <blockquote>bq</blockquote> <i/>self</p>";
    ASSERT_TRUE(Open(*doc, dir.Write("e.html", html), 1252));
    // A capital name and a one-letter one; rows that "im", "in", "bi" and "bq" fall to by prefix
    // ("I", "B") emphasise nothing, nor does an element closed as it opens.
    const std::pair<const char16_t*, uint8_t> cases[] = {
        // clang-format off
        {u"st", kEmphasisBold}, {u"s1", kEmphasisStrike}, {u"im", 0}, {u"in", 0}, {u"bi", 0},
        {u"bq", 0}, {u"self", 0},
        // clang-format on
    };
    for (const auto& [word, style] : cases)
        EXPECT_EQ(StyleOfWord(*doc, word), style) << Utf16ToUtf8(word);
}

// The emphasis depths ride in each block's snapshot, which the HTML and FictionBook filters share.
TEST(Emphasis, EveryBlockDecodesWithTheStylesOfOneRun) {
    ScratchDir dir;
    std::string text = "<p>";
    for (int n = 0; n < 900; ++n) {
        text += "plain <i>slanted " + std::to_string(n) + " <b>heavy <sub>low</sub></b> tail</i> ";
        std::string deep = "deep";
        for (int k = 0; k < 9; ++k) deep = "<i>" + deep + "</i>";
        if (n % 7 == 0) text += deep + " ";
        if (n % 50 == 0) text += "</p><p>";
    }
    OpenedBook doc;
    ASSERT_TRUE(Open(*doc, dir.Write("long.html", text), 1252));
    ASSERT_GE(doc->blocks.size(), 5u);
    std::vector<uint8_t> straight;
    ASSERT_EQ(test::StraightDecode(*doc, &straight).size(), static_cast<size_t>(DocLength(*doc)));
    // Every block decoded alone, last first (the open's pass decodes none).
    std::vector<uint8_t> styles(straight.size());
    for (int32_t p = DocLength(*doc) - 1; p >= 0; --p) styles[size_t(p)] = GetStyle(*doc, p);
    EXPECT_EQ(styles, straight);
    // And the styles mean what the markup said.
    EXPECT_EQ(StyleOfWord(*doc, u"slanted 450"), kEmphasisItalic);
    EXPECT_EQ(StyleOfWord(*doc, u"low", 20000), kEmphasisItalic | kEmphasisBold | kEmphasisSub);
    EXPECT_EQ(StyleOfWord(*doc, u"plain", 20000), 0);
    EXPECT_EQ(StyleOfWord(*doc, u"deep", 20000), kEmphasisItalic);
}

// The counters saturate, so that the snapshot is exact.
TEST(Emphasis, NestingSaturatesAtTheSnapshotsCap) {
    ScratchDir dir;
    std::string s = "<body><p>";
    for (int i = 0; i < 300; ++i) s += "<title><strong>";
    s += std::string(5000, 'x');
    for (int i = 0; i < kEmphasisDepthMax; ++i) s += "</strong>";
    s += "plain</p></body>";
    OpenedBook doc;
    ASSERT_TRUE(Open(*doc, dir.Write("n.fb2", s), 1252));
    ASSERT_EQ(doc->blocks.size(), 2u);
    // Block 1, among the x's, decoded alone from its snapshot: as many closings end the run.
    EXPECT_EQ(GetStyle(*doc, kBlockUnits), kEmphasisBold);
    EXPECT_EQ(StyleOfWord(*doc, u"plain"), 0);
    // Plain text carries no emphasis.
    OpenedBook txt;
    ASSERT_TRUE(Open(*txt, dir.Write("t.txt", "<b>not bold</b>"), 1252));
    EXPECT_EQ(GetStyle(*txt, 4), 0);
    EXPECT_EQ(GetStyle(*txt, -1), 0);
    EXPECT_EQ(GetStyle(*txt, 1 << 20), 0);
}

using Expected = std::pair<int32_t, std::u16string>;
using List = std::vector<Expected>;

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
using EntryList = std::vector<Entry>;
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
    const std::pair<const char*, List> books[] = {
        // The body's title, then the sections; the notes body is no part of it.
        {"ru.fb2", {{0, ruTitle}, {0, ru1}, {0, ru2}}},
        // EPUB 3: the navigation document, the title above the chapters.
        {"ru-pandoc.epub", {{0, ruTitle}, {1, ru1}, {1, ru2}}},
        // EPUB 2: the NCX as its writer made it, the footnotes it lists included.
        {"en-calibre.epub", {{0, en1}, {0, en2}, {0, u"[1]"}, {0, u"[2]"}}},
        // HTML: H1 to H3, depth below the highest.
        {"en-utf8.html", {{0, enTitle}, {1, en1}, {1, en2}}},
        // Plain text: the chapter-heading lines.
        {"en-utf8.txt", {{0, en1}, {0, en2}}},
        {"ru-utf16le-bom.txt", {{0, ru1}, {0, ru2}}},
    };
    OpenedBook doc;
    for (const auto& [file, contents] : books) {
        ASSERT_EQ(Open(*doc, Fixture(file)), 1) << file;
        EXPECT_EQ(Listed(*doc), contents) << file;
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
    const List expected = {
        {0, u"The Book Second line"}, {0, u"Part One"}, {1, u"Chapter 1"}, {1, u"Chapter 2"}};
    EXPECT_EQ(Listed(*doc), expected);
    // The gathering leaves the stream as the filter alone makes it.
    EXPECT_EQ(test::ReadAll(*doc), test::StraightDecode(*doc));
}

TEST(Contents, HtmlCountsTheLowerHeadingsOnlyWhenTheHigherAreFew) {
    ScratchDir dir;
    OpenedBook doc;
    // Two of H1 to H3 (a hidden H1 is none): H4 to H6 count, each level a depth below the highest.
    const std::string few =
        "<head><title>Page</title></head><h2>Two</h2><h4>Four</h4><H3>Three</H3>"
        "<h7>Seven</h7><script><h1>no</h1></script>";
    ASSERT_EQ(Open(*doc, dir.Write("few.html", few), 1252), 1);
    EXPECT_EQ(Listed(*doc), List({{0, u"Two"}, {2, u"Four"}, {1, u"Three"}}));
    const std::string many = "<h1>A</h1><h2>B</h2><h4>Low</h4><h3>C</h3><h5>Lower</h5>";
    ASSERT_EQ(Open(*doc, dir.Write("many.html", many), 1252), 1);
    EXPECT_EQ(Listed(*doc), List({{0, u"A"}, {1, u"B"}, {2, u"C"}}));
}

TEST(Contents, AnEpubsNavigationResolvesFragmentsAndFallsBackToHeadings) {
    ScratchDir dir;
    const std::string c1 = Page("<h1>One</h1><p>a</p><div id=\"deep\"><p>Deep place</p></div>");
    const std::string c2 = Page("<h2 class='x'>Two</h2><p>b</p>");
    const std::string nav =
        "<nav epub:type='landmarks'><a href='c2.xhtml'>Wrong</a></nav><nav epub:type='toc'><ol>"
        "<li><a href='c1.xhtml'>First &amp; <b>file</b></a><ol><li><a href='c1.xhtml#deep'>Inner"
        "</a></li><li><a href='c1.xhtml#nowhere'>Missing id</a></li></ol></li>"
        "<li><a href='../../outside.xhtml'>Outside</a></li><li><a href='c2.xhtml'>Second</a></li>"
        "</ol></nav>";
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, WriteParts(dir, "nav.epub", {c1, c2}, {{"OPS/nav.xhtml", nav}}, kNavItem)),
              1);
    // A fragment to no id gives the id's part; a link out of the book is none.
    const EntryList expected = {{0, u"First & file", u'O'},
                                {1, u"Inner", u'D'},
                                {1, u"Missing id", u'O'},
                                {0, u"Second", u'T'}};
    EXPECT_EQ(Entries(*doc), expected);

    // EPUB 2: the NCX that the spine names, its navigation map alone.
    const std::string ncx =
        "<ncx><docTitle><text>Book</text></docTitle><pageList><navPoint><navLabel><text>Page</text>"
        "</navLabel><content src='c2.xhtml'/></navPoint></pageList><navMap>"
        "<navPoint><navLabel><text>Chapter A</text></navLabel><content src='c1.xhtml'/>"
        "<navPoint><navLabel><text>Inside A</text></navLabel><content src='c1.xhtml#deep'/>"
        "</navPoint></navPoint><navPoint><navLabel><text>Chapter B</text></navLabel>"
        "<content src='c2.xhtml'/></navPoint></navMap></ncx>";
    const std::string epub2 = WriteParts(dir, "ncx.epub", {c1, c2}, {{"OPS/toc.ncx", ncx}},
                                         "<item id='ncx' href='toc.ncx'/>", " toc='ncx'");
    ASSERT_EQ(Open(*doc, epub2), 1);
    EXPECT_EQ(
        Entries(*doc),
        EntryList({{0, u"Chapter A", u'O'}, {1, u"Inside A", u'D'}, {0, u"Chapter B", u'T'}}));

    // Neither: each part's first heading.
    const std::string bare = Page("<h1>One</h1><h2>Not this</h2>");
    ASSERT_EQ(Open(*doc, WriteParts(dir, "bare.epub", {bare, c2})), 1);
    EXPECT_EQ(Listed(*doc), List({{0, u"One"}, {0, u"Two"}}));
}

TEST(Contents, HostileBooksGiveBoundedContents) {
    using test::Repeat;
    ScratchDir dir;
    OpenedBook doc;
    const size_t cap = kMaxContentsEntries;
    // Ten thousand and one titles: the first ten thousand are kept, the outermost first.
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
    // Each line and its depth as a heading, −1 when it is none (the next test's book has more).
    const std::pair<std::u16string, int32_t> lines[] = {
        // clang-format off
        {u"ГЛАВА ПЯТАЯ", 1}, {u"Chapter 12", 1}, {u"Chapter twelve: The End", 1}, {u"Part II", 0},
        {u"ЭПИЛОГ.", 1}, {u"IV.  ", 1}, {u"Часть людей ушла.", -1}, {u"Главарь 5", -1},
        {u"Глава", -1}, {u"Chapters 1 to 4 are short.", -1}, {u"Пролог к роману был длинным", -1},
        {u"iv", -1}, {u"XIVXIVXIV", -1}, {u"Глава 1 " + std::u16string(90, u'x'), -1}, {u"", -1},
        // clang-format on
    };
    for (const auto& [line, expected] : lines) {
        int32_t depth = -1;
        const int heading = IsChapterHeading(line, &depth);
        EXPECT_EQ(heading ? depth : -1, expected) << Utf16ToUtf8(line);
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
    const List expected = {{1, u"Пролог"},  {0, u"Часть первая"}, {1, u"Глава 1. Начало"},
                           {1, u"Глава 2"}, {1, u"XII"},          {1, u"Эпилог"}};
    EXPECT_EQ(Listed(*doc), expected);
    // The same text in windows-1251 gives the same positions.
    const std::vector<ContentsEntry> utf8 = BookContents(*doc);
    const std::string cp1251 = test::Run("printf '%s' '" + text + "' | iconv -f utf-8 -t cp1251");
    ASSERT_EQ(Open(*doc, dir.Write("c.txt", cp1251), 1251), 1);
    ASSERT_EQ(BookContents(*doc).size(), utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i)
        EXPECT_EQ(BookContents(*doc)[i].position, utf8[i].position);
}

// Ties and a list out of order; a page inside a chapter is NotesWindow's contents test.
TEST(Contents, TheCurrentEntryIsTheLastThatStartsAtOrBeforeThePage) {
    const std::vector<ContentsEntry> entries = {
        {u"a", 10, 0}, {u"c", 900, 1}, {u"b", 500, 0}, {u"b again", 500, 1}};
    EXPECT_EQ(ContentsIndexAt(entries, 500), 3);  // the latest start, the last listed of a place
    EXPECT_EQ(ContentsIndexAt(entries, 5000), 1);
}

// The notes: a reference's own text, and its note's text with the note's paragraphs on lines.
// Reading them decodes blocks after the open's pass, which must add no note.
using Seen = std::pair<std::string, std::string>;

std::vector<Seen> Notes(Document& doc) {
    std::vector<Seen> out;
    for (size_t i = 0; i < doc.notes.size(); ++i) {
        const NoteRef n = doc.notes[i];
        out.push_back({Utf16ToUtf8(NoteLabel(doc, n)), Utf16ToUtf8(NoteText(doc, n, 1000, 1))});
    }
    return out;
}

// A note as the story's source writes it after `key`, its indented paragraphs on lines of their
// own.
std::string SourceNote(const std::string& source, const std::string& key) {
    std::istringstream in(ReadBytes(Fixture("source/" + source)));
    std::string line;
    while (std::getline(in, line) && line.rfind(key, 0) != 0) continue;
    std::string note = line.substr(std::min(key.size(), line.size()));
    while (std::getline(in, line) && (line.empty() || line[0] == ' ')) {
        if (!line.empty()) note += "\n" + line.substr(line.find_first_not_of(' '));
    }
    return note;
}

TEST(Notes, EveryReferenceOfTheFixturesLeadsToItsNotesText) {
    const std::string back = "↩︎";
    const std::string stair = SourceNote("notes-en.md", "[^steps]: "),
                      film = SourceNote("notes-en.md", "[^film]: "),
                      lamp = SourceNote("notes-en.md", "[^lamp]: "),
                      log = SourceNote("notes-en.md", "[^log]: "),
                      arc = SourceNote("en.txt", "[1] "), censor = SourceNote("en.txt", "[2] ");
    const std::pair<const char*, std::vector<Seen>> books[] = {
        // FictionBook: type="note" links and a plain one into the notes body; a link to a section
        // of the text ("back to the booth") is none. Each note ends where its section does.
        {"en-nested.fb2",
         {{"[1]", "1\n" + stair}, {"[2]", "2\n" + film}, {"3", "3\n" + lamp}, {"4", "4\n" + log}}},
        {"en.fb2", {{"[1]", "[1]\n" + arc}, {"[2]", "[2]\n" + censor}}},
        // pandoc's EPUB 3: noteref links to footnotes at the end of each chapter's file (both
        // files have an "fn1"); the back link of each note is no reference.
        {"en-notes-pandoc.epub",
         {{"1", stair + back}, {"2", film + back}, {"3", lamp + back}, {"1", log + back}}},
        // HTML: numbered links to ids of the same file; calibre's EPUB keeps them.
        {"en-utf8.html", {{"[1]", "[1] " + arc}, {"[2]", "[2] " + censor}}},
        {"en-calibre.epub", {{"[1]", "[1] " + arc}, {"[2]", "[2] " + censor}}},
        // pandoc lost the ids these links lead to: links to nowhere.
        {"en-pandoc.epub", {}},
    };
    OpenedBook doc;
    for (const auto& [file, notes] : books) {
        ASSERT_EQ(Open(*doc, Fixture(file)), 1) << file;
        EXPECT_EQ(Notes(*doc), notes) << file;
    }
}

TEST(Notes, AnEpubsReferencesAreKnownByTheirMarkupTheirTextOrTheirTarget) {
    ScratchDir dir;
    const std::string c1 = Page(
        "<p>Said<a epub:type='noteref' href='c2.xhtml#a'>a</a>, "         // the link says so
        "role<a role='doc-noteref' href='../OPS/c2.xhtml#b'>b</a>, "      // in another words
        "aside<a href='c2.xhtml#c'>see</a>, "                             // the target says so
        "star<a href='#d'>*</a>, "                                        // its text says so
        "plain<a href='c2.xhtml#plain'>see</a>, "                         // nothing says so
        "nowhere<a href='c2.xhtml#gone'>7</a><a href='c9.xhtml#a'>8</a>"  // links to nowhere
        "<a href='../../c2.xhtml#a'>9</a><a href='#'>10</a>.</p>"
        "<p id='d'>Star note.</p>");
    const std::string c2 = Page(
        "<p id='plain'>Plain paragraph.</p><aside id='a'><p>Note a.</p></aside>"
        "<div id='b'>Note b.</div><aside epub:type='footnote' id='c'>Note c.</aside>"
        "<p>After.</p>");
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, WriteParts(dir, "notes.epub", {c1, c2})), 1);
    const std::vector<Seen> expected = {
        {"a", "Note a."}, {"b", "Note b."}, {"see", "Note c."}, {"*", "Star note."}};
    EXPECT_EQ(Notes(*doc), expected);
}

TEST(Notes, HtmlTakesNumberedLinksToItsOwnIds) {
    ScratchDir dir;
    const std::string html =
        "<html><body><p>One<a href='#x'>[3]</a> two<a href='#y'>word</a> three<a "
        "href='other.html#x'>4</a> four<A HREF=\"#X\">12</A> five<a href='#old'>5</a> six<a "
        "href='#z'>6</a></p><p id='y'>Y.</p><p><a name='old'>Old</a> anchor.</p>"
        "<p><a id='x'></a>Note x<p>after x<hr id='z'/>Note z<p>text of z</p></body></html>";
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("n.html", html), 1252), 1);
    // An anchor's note (an older anchor's name is its place) ends with its paragraph; with no
    // element of its own to end it, a note runs to the next target or the end.
    const std::vector<Seen> expected = {
        {"[3]", "Note x"}, {"12", "Note x"}, {"5", "Old anchor."}, {"6", "Note z\ntext of z"}};
    EXPECT_EQ(Notes(*doc), expected);
}

TEST(Notes, NoteLabelsAreNumbersBracketedNumbersOrAStar) {
    // The label, whether a star may be one, whether it is one.
    const std::tuple<const char16_t*, int, int> cases[] = {
        {u"1234", 0, 1},  {u"[12]", 0, 1}, {u"*", 1, 1},  {u"*", 0, 0}, {u"", 0, 0},
        {u"12345", 0, 0}, {u"[]", 0, 0},   {u"1a", 0, 0}, {u"[1", 0, 0}};
    for (const auto& [label, star, is] : cases)
        EXPECT_EQ(IsNoteLabel(label, star) != 0, is != 0) << Utf16ToUtf8(label);
}

// A place inside each reference, and the notes of a page, are NotesWindow's.
TEST(Notes, TheReferenceAtAPlaceOrInAWord) {
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, Fixture("en-nested.fb2")), 1);
    const std::vector<NoteRef> notes = doc->notes;
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(NoteIndexAt(*doc, notes[1].end, notes[1].end + 1), -1);
    EXPECT_EQ(NoteIndexAt(*doc, 0, notes[0].start), -1);
    // A word that holds the reference ("nineteen.[1]") finds it.
    EXPECT_EQ(NoteIndexAt(*doc, notes[0].start - 9, notes[0].start + 1), 0);
}

TEST(Notes, HostileBooksGiveBoundedNotes) {
    ScratchDir dir;
    OpenedBook doc;
    std::string fb2 = "<FictionBook><body><p>";
    for (int i = 0; i < 100000; ++i) {
        fb2 += "w<a l:href=\"#n" + std::to_string(i % 20000) + "\" type=\"note\">" +
               std::to_string(i) + "</a> ";
    }
    fb2 += "</p></body><body name=\"notes\">";
    for (int i = 0; i < 30000; ++i)
        fb2 += "<section id=\"n" + std::to_string(i) + "\"><p>N</p></section>";
    fb2 += "<section id=\"long\"><p>" + std::string(20000, 'x') + "</p></section></body>";
    ASSERT_EQ(Open(*doc, dir.Write("many.fb2", fb2), kCodePageUtf8), 1);
    ASSERT_EQ(doc->notes.size(), static_cast<size_t>(kMaxNotes));
    EXPECT_EQ(NoteText(*doc, doc->notes.back(), kMaxNoteText, 0), u"N");
    for (size_t i = 1; i < doc->notes.size(); ++i)
        ASSERT_LT(doc->notes[i - 1].end, doc->notes[i].start);

    // Ids longer than a tag is read, a note that never ends, links to each other and to themselves.
    const std::string longId(100000, 'i');
    std::string html = "<p><a href='#" + longId + "'>1</a><a href='#" + longId.substr(0, 200) +
                       "'>2</a><a id='p' href='#q'>3</a><a id='q' href='#p'>4</a><a id='s' "
                       "href='#s'>5</a></p><p id='" +
                       longId + "'>unreadable</p><p id='" + longId.substr(0, 200) + "'>" +
                       std::string(50000, 'z');
    ASSERT_EQ(Open(*doc, dir.Write("long.html", html), 1252), 1);
    // The gatherer looks forward only: "4" leads back, "5" to itself.
    ASSERT_EQ(doc->notes.size(), 2u);
    EXPECT_EQ(NoteLabel(*doc, doc->notes[0]), u"2");
    const std::u16string cut = NoteText(*doc, doc->notes[0], kMaxNoteText * 2, 0);
    EXPECT_EQ(cut.size(), static_cast<size_t>(kMaxNoteText));
    EXPECT_EQ(cut.find_first_not_of(u'z'), cut.npos);
    EXPECT_EQ(NoteLabel(*doc, doc->notes[1]), u"3");
    EXPECT_EQ(NoteText(*doc, doc->notes[1], 100, 0), u"45");  // to the anchor's paragraph end

    // An EPUB whose links climb out of the archive, name absolute places or other schemes.
    const std::string c1 = Page(
        "<p><a href='/OPS/c1.xhtml#t'>1</a><a href='../../../x#t'>2</a>"
        "<a href='http://x/c1.xhtml#t'>3</a><a href='%2e%2e/OPS/c1.xhtml#t'>4</a></p>"
        "<p id='t'>T</p>");
    ASSERT_EQ(Open(*doc, WriteParts(dir, "out.epub", {c1})), 1);
    ASSERT_EQ(doc->notes.size(), 1u);
    EXPECT_EQ(NoteLabel(*doc, doc->notes[0]), u"4");
}

// The pictures: the bytes of a picture's source, read as far as `limit`.
std::string Bytes(Document& doc, int32_t source, uint32_t limit = kMaxPictureBytes) {
    std::string out;
    EXPECT_EQ(ReadPictureBytes(doc, source, out, limit), 1) << "source " << source;
    return out;
}

// The book with every picture tag and binary taken out.
std::string WithoutPictures(std::string xml) {
    xml = std::regex_replace(xml, std::regex("<image[^>]*/>"), "");
    xml = std::regex_replace(xml, std::regex("<img[^>]*>", std::regex::icase), "");
    return std::regex_replace(xml, std::regex("<binary[^>]*>[^<]*</binary>"), "");
}

// The cover opens the book, a picture stands at the unit after its tag, before the mark that opens
// the chapter's title, and a FictionBook's base64 is decoded only as far as asked. The golden
// pictures of both books (layout tests) show each picture drawn from the book's bytes.
TEST(Pictures, TheCoverOpensTheBookAndAPictureStandsAfterItsTag) {
    OpenedBook book;
    ASSERT_EQ(Open(*book, Fixture("en-pictures.fb2")), 1);
    const PictureTable& t = book->pictures;
    EXPECT_EQ(t.hasCover, 1);
    ASSERT_EQ(t.anchors.size(), 2u);
    EXPECT_EQ(t.anchors[0].position, 0);
    EXPECT_EQ(Bytes(*book, t.anchors[0].source), ReadBytes(Fixture("source/pictures/cover.png")));
    const auto at = static_cast<size_t>(t.anchors[1].position);
    EXPECT_EQ(test::ReadAll(*book).substr(at - 10, 19), u"Usherette  \nChapter");
    const std::string illustration = ReadBytes(Fixture("source/pictures/illustration.jpg"));
    EXPECT_EQ(Bytes(*book, t.anchors[1].source, 10), illustration.substr(0, 10));
}

// No unit is added and no position moves; decoding the blocks again gathers nothing more.
TEST(Pictures, TheStreamIsTheSameWithAndWithoutPictures) {
    const ScratchDir dir;
    const std::string fb2 = ReadBytes(Fixture("en-pictures.fb2"));
    const std::string bare = dir.Write("bare.fb2", WithoutPictures(fb2));
    const std::string html =
        "<html><body><p>One <img src=\"a.png\">two</p><IMG SRC=b.png><p>three</p></body></html>";
    const std::string bareHtml = dir.Write("bare.html", WithoutPictures(html));
    for (auto [with, without] :
         {std::pair{Fixture("en-pictures.fb2"), bare}, {dir.Write("with.html", html), bareHtml}}) {
        OpenedBook a, b;
        ASSERT_EQ(Open(*a, with), 1);
        ASSERT_EQ(Open(*b, without), 1);
        EXPECT_FALSE(a->pictures.anchors.empty()) << with;
        EXPECT_TRUE(b->pictures.anchors.empty()) << without;
        EXPECT_EQ(test::ReadAll(*a), test::ReadAll(*b)) << with;
        const size_t anchors = a->pictures.anchors.size();
        for (size_t block = 0; block < a->blocks.size(); ++block)
            DecodeBlock(*a, static_cast<int32_t>(block));
        EXPECT_EQ(a->pictures.anchors.size(), anchors);
    }
}

TEST(Pictures, AnHtmlBookFindsItsPicturesBesideItAndAnInlineOneEndsNoWord) {
    const ScratchDir dir;
    system(("mkdir -p '" + dir.path() + "/pics'").c_str());
    dir.Write("pics/a b.png", "PNG-A");
    const std::string book = dir.Write(
        "book.html",
        "<html><body><style><img src=\"hidden.png\"></style><p>H<IMG SRC=\"pics/a%20b.png\">2O "
        "<img src=\"http://example.org/x.png\"> <img src=\"data:image/png;base64,AAAA\"> "
        "<img src=\"missing.png\"></p></body></html>");
    OpenedBook doc;
    ASSERT_EQ(Open(*doc, book), 1);
    const PictureTable& t = doc->pictures;
    // Hidden text shows no picture, a remote or data: link is no picture of the book.
    ASSERT_EQ(t.anchors.size(), 2u);
    const std::u16string text = test::ReadAll(*doc);
    EXPECT_EQ(text.substr(static_cast<size_t>(t.anchors[0].position) - 1, 2), u"H2");
    EXPECT_EQ(Bytes(*doc, t.anchors[0].source), "PNG-A");
    std::string out;
    EXPECT_EQ(ReadPictureBytes(*doc, t.anchors[1].source, out, kMaxPictureBytes), 0);
}

// Percent escapes need two hex digits and are decoded once; "." and ".." resolve within the root,
// which a path in an archive may not climb above and a path on disk stays at.
TEST(Pictures, LinksResolveAgainstTheirDocumentsFolder) {
    const std::tuple<const char16_t*, const char16_t*, int, const char16_t*> cases[] = {
        {u"OPS/text/ch1.xhtml", u"../images/./a.png#x", 1, u"OPS/images/a.png"},
        {u"OPS/text/ch1.xhtml", u"/root.png", 1, u"root.png"},
        {u"ch1.xhtml", u"//a//b/", 1, u"a/b"},
        {u"ch1.xhtml", u"a/..", 1, u""},
        {u"ch1.xhtml", u"../../a.png", 1, u""},
        {u"OPS/c.xhtml", u"a%20b%2Fc%2fd", 1, u"OPS/a b/c/d"},
        {u"OPS/c.xhtml", u"%zz%41%4", 1, u"OPS/%zzA%4"},
        {u"OPS/c.xhtml", u"%2541", 1, u"OPS/%41"},
        {u"/home/b/book.html", u"../a%2Fb.png?x=1", 0, u"/home/a/b.png"},
        {u"/home/b/book.html", u"/../../etc/../b", 0, u"/b"},
        {u"/home/b/book.html", u"https://x/p.png", 0, u""},
        {u"/home/b/book.html", u"#only-a-fragment", 0, u""},
        {u"/home/b/book.html", u"  ", 0, u""},
    };
    for (const auto& [base, link, inArchive, path] : cases) {
        EXPECT_EQ(ResolvePicturePath(base, link, inArchive), path)
            << Utf16ToUtf8(base) << " " << Utf16ToUtf8(link);
    }
}

TEST(Pictures, HostileBooksGiveBoundedAnchorsAndDamagedBytesReadAsNone) {
    const ScratchDir dir;
    std::string fb2 = "<FictionBook><body><p>x</p>";
    for (int i = 0; i < kMaxPictureAnchors + 500; ++i) fb2 += "<image l:href=\"#g\"/>.";
    fb2 += "<p>y<image l:href=\"#" + std::string(100000, 'L') + "\"/>z</p>";
    fb2 += "<image l:href=\"#none\"/></body>";
    fb2 += "<binary id=\"g\" content-type=\"image/png\">iVBO Rw0K\nGgo*AAAA</binary>";
    fb2 += "<binary id=\"g\">QUJD</binary>";  // a second id of the same name is not read
    fb2 += "<binary id=\"open\">QUJDRA";      // never closed
    OpenedBook book;
    ASSERT_EQ(Open(*book, dir.Write("hostile.fb2", fb2)), 1);
    const PictureTable& t = book->pictures;
    ASSERT_EQ(t.anchors.size(), static_cast<size_t>(kMaxPictureAnchors));
    std::string out;
    EXPECT_EQ(ReadPictureBytes(*book, t.anchors[0].source, out, kMaxPictureBytes), 0)
        << "base64 with garbage";
    // The unclosed binary runs to the end of the file, and decodes; a link that no binary
    // answers names a missing source.
    for (const auto& [bytes, expected] :
         {std::pair{"<p>a<image xlink:href='#b'/></p></body><binary id='b'>QUJD\r\nRA==", "ABCD"},
          std::pair{"<p>a</p><image l:href=\"#gone\"/></body>", ""}}) {
        ASSERT_EQ(Open(*book, dir.Write("one.fb2", std::string("<FictionBook><body>") + bytes)), 1);
        ASSERT_EQ(t.anchors.size(), 1u);
        out.clear();
        EXPECT_EQ(ReadPictureBytes(*book, t.anchors[0].source, out, 100), *expected != 0);
        EXPECT_EQ(out, expected);
    }
}

}  // namespace
}  // namespace lectra
