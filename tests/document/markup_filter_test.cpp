// The HTML and FictionBook filters on the cases that break real books, plain text as UTF-8 and by
// paragraph mode, and the emphasis the filters give beside the stream.
#include "document/markup_filter.h"

#include <gtest/gtest.h>

#include "document/format_table.h"
#include "document/formats/book_builders.h"
#include "document/text_cache.h"
#include "straight_decode.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

std::u16string Read(const std::string& name, const std::string& bytes, int mode, int codePage) {
    ScratchDir dir;
    test::OpenedBook doc;
    doc->txtParagraphMode = mode;
    if (!test::Open(*doc, dir.Write(name, bytes), codePage)) return u"<open failed>";
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
        {"t.html", "&notin;", u"\u00AC"},                       // "not" comes first
        {"t.html", "a&shy;b&nbsp;&nbsp;c&#160;d", u"ab  c d"},  // no-break spaces are spaces
        {"t.html", "&#10;x&#13;y", u"\nx\ry"},                  // below 32: marks
        {"t.html", "&#0;&#65535;", u"&#0;&#65535;"},            // out of range
        {"t.html", "x&", u"x "},                                // at the end of the source
        {"t.html", "x&am", u"x&am"},                            // unterminated
        {"t.fb2", "<p>&#1071;&lt;</p>", u"\n\u042F<"},
        // Headings, alignment and hidden sections.
        {"t.html", "<h2>Title</h2>text", u"\rTitle\ntext"},
        {"t.html", "<P ALIGN=RIGHT>r</p><p align=right>r</p><p align=\"right\">q", u"\fr\fr\nq"},
        {"t.html", "<div align=center>c</div><p>b", u"\rc\nb"},
        {"t.html",
         "a<script>if (i<n) x='</b>';</script>b<style>p{}</style>c<SPAN>d</span><img src=x>",
         u"abcd"},
        {"t.html", "<p class=booktitle>T</p><p>x", u"\rT\nx"},
        {"t.fb2", "a<style>p{}</style><binary>QUJD</binary>b", u"ab"},
        {"t.fb2", "<P>x</P>", u" x "},  // FictionBook names are case-sensitive
        // "</pre>" closes PRE, not P; the line feeds after it are joined again.
        {"t.html", "<pre>a\n  b\n</pre>c\nd", u"a\n  b\nc d", kAsIs},
        {"t.html", "<pre>a\n  b\nc</pre>\nd", u"a\n  b c d"},  // detection inside PRE
        {"t.html", "<plaintext>a\nb</plaintext>\nc", u"a\nb c", kAsIs},
        // Inline elements without a row yield nothing, other unknown tags (by whole name) a space.
        {"t.fb2", "<p>x<a l:href=\"#l\">link</a>; <image l:href=\"#p\"/>y<unknown>z</p>",
         u"\nxlink; y z"},
        {"t.html", "a<wbr>b<Q>c</Q><emblem>d", u"abc d"},
        // FictionBook structure; "<title-info>" opens "title" by prefix and must close it again.
        {"t.fb2", "<poem><stanza><v>one</v><v>two</v></stanza></poem><p>after</p>",
         u" \vone\vtwo \nafter"},
        {"t.fb2", "<p>a</p><empty-line/><p>b</p>", u"\na\n\nb"},
        {"t.fb2", "<epigraph><p>e</p><text-author>A</text-author></epigraph>", u"\f\fe\fA\f\n"},
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
        // The emphasis tags yield exactly what they did before they carried emphasis.
        {"t.html",
         "<p>H<SUB>2</SUB>O<EM>a</EM><STRONG>b</STRONG><DFN>c</DFN><STRIKE>d</STRIKE><U>e</U>"
         "<TT>f</TT><CODE>g\nh</CODE></p>",
         u"\nH2Oabcdefg h"},
        {"t.fb2",
         "<body><p>H<sub>2</sub>O<emphasis>a</emphasis><strong>b</strong><code>c</code>"
         "<strikethrough>d</strikethrough><sup>e</sup><emphasis/>f</p></body>",
         u"\nH2Oabcdef"},
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
    ASSERT_TRUE(test::Open(*doc, dir.Write("a.html", "<p align=right>r"), 1251));
    ASSERT_TRUE(test::Open(*doc, dir.Write("b.html", "plain"), 1251));
    EXPECT_EQ(test::ReadAll(*doc), u"plain");
}

// Emphasis beside the stream, decoded with each block from its own snapshot. Every unit's style,
// the blocks decoded from the middle outwards after the cache was dropped.
std::vector<uint8_t> StylesFromTheMiddle(Document& doc) {
    for (BlockRecord& r : doc.blocks) r.chars = nullptr;
    std::fill(std::begin(doc.charSlotList), std::end(doc.charSlotList), -1);
    std::fill(std::begin(doc.charSlotFree), std::end(doc.charSlotFree), 1);
    std::vector<uint8_t> styles(static_cast<size_t>(DocLength(doc)));
    const int32_t blocks = static_cast<int32_t>(doc.blocks.size());
    for (int32_t step = 0; step < blocks; ++step) {
        // middle, middle + 1, middle − 1, …
        const int32_t b = (blocks - 1) / 2 + (step % 2 ? (step + 1) / 2 : -(step / 2));
        for (int32_t p = b * kBlockUnits; p < std::min(DocLength(doc), (b + 1) * kBlockUnits); ++p)
            styles[static_cast<size_t>(p)] = GetStyle(doc, p);
    }
    return styles;
}

// Each unit's style next to the stream: the units of `word` found after `from` all have `style`.
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
    test::OpenedBook doc;
    const std::string html =
        "<p>a <STRONG>st</STRONG> x<sup>up</sup> x<sub>dn</sub> <s>s1</s> <strike>s2</strike> "
        "<img src=x.png>im <ins>in</ins> <big>bi</big> <blockquote>bq</blockquote> <i/>self</p>";
    ASSERT_TRUE(test::Open(*doc, dir.Write("e.html", html), 1252));
    // Rows that "im", "in", "bi" and "bq" fall to by prefix ("I", "B") emphasise nothing, nor does
    // an element closed as it opens. The golden picture of pandoc's EPUB shows its italic and bold.
    const std::pair<const char16_t*, uint8_t> cases[] = {
        // clang-format off
        {u"st", kEmphasisBold}, {u"up", kEmphasisSuper}, {u"dn", kEmphasisSub},
        {u"s1", kEmphasisStrike}, {u"s2", kEmphasisStrike}, {u"im", 0}, {u"in", 0}, {u"bi", 0},
        {u"bq", 0}, {u"self", 0},
        // clang-format on
    };
    for (const auto& [word, style] : cases)
        EXPECT_EQ(StyleOfWord(*doc, word), style) << Utf16ToUtf8(word);
}

// The emphasis depths ride in each block's snapshot.
TEST(Emphasis, EveryBlockDecodesWithTheStylesOfOneRun) {
    ScratchDir dir;
    // The same text in HTML's names and in FictionBook's.
    const auto book = [](const std::string& i, const std::string& b) {
        std::string s = "<p>";
        for (int n = 0; n < 900; ++n) {
            s += "plain <" + i + ">slanted " + std::to_string(n) + " <" + b +
                 ">heavy <sub>low</sub></" + b + "> tail</" + i + "> ";
            std::string deep = "deep";
            for (int k = 0; k < 9; ++k) deep = "<" + i + ">" + deep + "</" + i + ">";
            if (n % 7 == 0) s += deep + " ";
            if (n % 50 == 0) s += "</p><p>";
        }
        return s;
    };
    for (const std::string name : {"long.html", "long.fb2"}) {
        const bool html = name.ends_with(".html");
        const std::string text =
            html ? book("i", "b") : "<body>" + book("emphasis", "strong") + "</p></body>";
        test::OpenedBook doc;
        ASSERT_TRUE(test::Open(*doc, dir.Write(name, text), 1252));
        ASSERT_GE(doc->blocks.size(), 5u) << name;
        std::vector<uint8_t> straight;
        ASSERT_EQ(test::StraightDecode(*doc, &straight).size(),
                  static_cast<size_t>(DocLength(*doc)));
        EXPECT_EQ(StylesFromTheMiddle(*doc), straight) << name;
        // And the styles mean what the markup said.
        EXPECT_EQ(StyleOfWord(*doc, u"slanted 450"), kEmphasisItalic) << name;
        EXPECT_EQ(StyleOfWord(*doc, u"heavy", 20000), kEmphasisItalic | kEmphasisBold);
        EXPECT_EQ(StyleOfWord(*doc, u"plain", 20000), 0) << name;
        EXPECT_EQ(StyleOfWord(*doc, u"deep", 20000), kEmphasisItalic) << name;
        if (html) {
            EXPECT_EQ(StyleOfWord(*doc, u"low", 20000),
                      kEmphasisItalic | kEmphasisBold | kEmphasisSub);
        }
    }
}

// The counters saturate, so that the snapshot is exact.
TEST(Emphasis, NestingSaturatesAtTheSnapshotsCap) {
    ScratchDir dir;
    std::string s = "<body><p>";
    for (int i = 0; i < 300; ++i) s += "<title><strong>";
    s += std::string(5000, 'x');
    for (int i = 0; i < kEmphasisDepthMax; ++i) s += "</strong>";
    s += "plain</p></body>";
    test::OpenedBook doc;
    ASSERT_TRUE(test::Open(*doc, dir.Write("n.fb2", s), 1252));
    ASSERT_EQ(doc->blocks.size(), 2u);
    MarkupState m;
    RestoreMarkup(m, doc->blocks[1].state);
    EXPECT_EQ(m.emphasisDepth[1], kEmphasisDepthMax);
    EXPECT_EQ(m.centreDepth, 255);
    EXPECT_EQ(EmphasisOf(m), kEmphasisBold);
    EXPECT_EQ(StyleOfWord(*doc, u"plain"), 0);
    // Plain text carries no emphasis.
    test::OpenedBook txt;
    ASSERT_TRUE(test::Open(*txt, dir.Write("t.txt", "<b>not bold</b>"), 1252));
    EXPECT_EQ(GetStyle(*txt, 4), 0);
    EXPECT_EQ(GetStyle(*txt, -1), 0);
    EXPECT_EQ(GetStyle(*txt, 1 << 20), 0);
}

}  // namespace
}  // namespace lectra
