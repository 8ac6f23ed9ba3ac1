// The HTML and FictionBook filters on the cases that break real books, and plain text as UTF-8
// and by paragraph mode.
#include "document/markup_filter.h"

#include <gtest/gtest.h>

#include "document/format_table.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

std::u16string Read(const std::string& name, const std::string& bytes, int codePage = 1251,
                    int mode = kTxtDetectParagraph) {
    ScratchDir dir;
    auto doc = NewDocument();
    doc->txtParagraphMode = mode;
    if (!test::Open(*doc, dir.Write(name, bytes), codePage)) return u"<open failed>";
    return test::ReadAll(*doc);
}

const std::string kLines =
    "  First paragraph wraps\r\nonto a second line.\r\n  Second one\r\n\r\nafter a blank line\n- "
    "a list item\n*star\n\ttabbed";

// Marks: \n paragraph, \r centred, \f right or epigraph, \v verse.
TEST(MarkupFilter, SourcesAndTheirStreams) {
    constexpr int kDetect = kTxtDetectParagraph, kAsIs = kTxtPlainAsIs;
    const struct {
        const char* file;
        std::string input;
        int mode;
        std::u16string expected;
        int codePage = 1251;
    } cases[] = {
        // References: named, numeric and rejected.
        {"t.html", "a&lt;b", kDetect, u"a<b"},
        {"t.html", "&#1040;&amp;&quot;", kDetect, u"\u0410&\""},
        {"t.html", "&#x41;", kDetect, u"&#x41;"},              // no hexadecimal references
        {"t.html", "&abcdefghi;x", kDetect, u"&abcdefghi;x"},  // longer than nine characters
        {"t.html", "&abcdefg;x", kDetect, u"&abcdefg;x"},      // fits, but no row matches
        {"t.html", "&notin;", kDetect, u"\u00AC"},             // "not" comes first
        {"t.html", "a&shy;b", kDetect, u"ab"},
        {"t.html", "a&nbsp;&nbsp;b&#160;c", kDetect, u"a  b c"},  // no-break spaces are spaces
        {"t.html", "&#10;x&#13;y", kDetect, u"\nx\ry"},        // numeric values below 32 are marks
        {"t.html", "&#0;&#65535;", kDetect, u"&#0;&#65535;"},  // out of range
        {"t.html", "x&", kDetect, u"x "},                      // at the end of the source
        {"t.html", "x&am", kDetect, u"x&am"},                  // unterminated
        {"t.fb2", "<p>&#1071;&lt;</p>", kDetect, u"\n\u042F<"},
        // Headings, alignment and hidden sections.
        {"t.html", "<h2>Title</h2>text", kDetect, u"\rTitle\ntext"},
        {"t.html", "<P ALIGN=RIGHT>r</p><p align=right>r</p><p align=\"right\">q", kDetect,
         u"\fr\fr\nq"},
        {"t.html", "<div align=center>c</div><p>b", kDetect, u"\rc\nb"},
        {"t.html", "a<script>if (i<n) x='</b>';</script>b", kDetect, u"ab"},
        {"t.html", "a<style>p{}</style>b<SPAN>c</span><img src=x>", kDetect, u"abc"},
        {"t.html", "<b>bold</b><zz>x<unknown>", kDetect, u"bold x"},  // no row: a space
        {"t.html", "<p class=booktitle>T</p><p>x", kDetect, u"\rT\nx"},
        {"t.fb2", "a<style>p{}</style><binary>QUJD</binary>b", kDetect, u"ab"},
        {"t.fb2", "<P>x</P>", kDetect, u" x "},  // FictionBook names are case-sensitive
        // "</pre>" closes PRE, not P; the line feeds after it are joined again.
        {"t.html", "<pre>a\n  b\n</pre>c\nd", kAsIs, u"a\n  b\nc d"},
        {"t.html", "<pre>a\n  b\nc</pre>\nd", kDetect, u"a\n  b c d"},  // detection inside PRE
        {"t.html", "<plaintext>a\nb</plaintext>\nc", kAsIs, u"a\nb c"},
        // Inline elements without a row yield nothing, other unknown tags a space.
        {"t.fb2", "<p>H<sub>2</sub>O, <strong>word</strong>.</p>", kDetect, u"\nH2O, word."},
        {"t.fb2", "<p>x<a l:href=\"#l\">link</a>; <image l:href=\"#p\"/>y<unknown>z</p>", kDetect,
         u"\nxlink; y z"},
        {"t.html", "<p>an <em>emphasised</em>, word</p>", kDetect, u"\nan emphasised, word"},
        {"t.html", "a<wbr>b<Q>c</Q><emblem>d", kDetect, u"abc d"},
        // FictionBook structure; "<title-info>" opens "title" by prefix and must close it again.
        {"t.fb2", "<poem><stanza><v>one</v><v>two</v></stanza></poem><p>after</p>", kDetect,
         u" \vone\vtwo \nafter"},
        {"t.fb2", "<p>a</p><empty-line/><p>b</p>", kDetect, u"\na\n\nb"},
        {"t.fb2", "<epigraph><p>e</p><text-author>A</text-author></epigraph>", kDetect,
         u"\f\fe\fA\f\n"},
        {"t.fb2", "<description><title-info>x</title-info></description><p>body</p>", kDetect,
         u"\nbody"},
        {"t.fb2", "<title-info>t</title-info><p>body</p>", kDetect, u"\rt\n\nbody"},
        {"t.fb2", "<section><title><p>H</p></title><p>b</p></section>", kDetect, u" \r\rH\n\nb "},
        // Malformed tags never swallow the book; closings without openings stay at 0.
        {"t.html", "a < b <i>c</i>", kDetect, u"a < b c"},
        {"t.html", "text <unterminated", kDetect, u"text <"},
        {"t.html", "<", kDetect, u"<"},
        {"t.html", "</p></div></h1>x", kDetect, u"\nx"},
        {"t.html", "<p " + std::string(600, 'x') + ">after", kDetect, u"\nafter"},
        // Plain text read as HTML, or as it is.
        {"t.txt", "a &amp; <b>b</b>\n  c", kTxtPlainAsHtml, u"a & b   c"},
        {"t.txt", "a &amp; <b>b</b>\n  c", kAsIs, u"a &amp; <b>b</b>\n  c"},
        // The emphasis tags yield exactly what they did before they carried emphasis.
        {"t.html",
         "<p>H<SUB>2</SUB>O<EM>a</EM><STRONG>b</STRONG><DFN>c</DFN><STRIKE>d</STRIKE><U>e</U>"
         "<TT>f</TT><CODE>g\nh</CODE></p>",
         kDetect, u"\nH2Oabcdefg h"},
        {"t.fb2",
         "<body><p>H<sub>2</sub>O<emphasis>a</emphasis><strong>b</strong><code>c</code>"
         "<strikethrough>d</strikethrough><sup>e</sup><emphasis/>f</p></body>",
         kDetect, u"\nH2Oabcdef"},
        // UTF-8 and UTF-16 markup.
        {"u.html", "<p>\xD0\x96&mdash;\xF0\x9F\x98\x80<b>x</b>", kDetect, u"\n\u0416\u2014\uFFFDx",
         kCodePageUtf8},
        {"w.fb2", std::string("\xFF\xFE<\0p\0>\0a\0&\0l\0t\0;\0b\0<\0/\0p\0>\0", 28), kDetect,
         u"\na<b", kCodePageAuto},
        // UTF-8 as the reader takes it: cut by the end (zero bits), continuation bytes as they
        // come,
        // beyond U+FFFF one unit that eats nothing, cut there and the pass still ends at the end.
        {"u.txt", "\xE2\x80\x94", kAsIs, u"\u2014", kCodePageUtf8},
        {"u.txt", "ab\xC3", kAsIs, u"ab\u00C0", kCodePageUtf8},
        {"u.txt", "\xC3\x41z", kAsIs, u"\u00C1z", kCodePageUtf8},
        {"u.txt", "\xF0\x9F\x98\x80!", kAsIs, u"\uFFFD!", kCodePageUtf8},
        {"u.txt", "x\xF0\x9F", kAsIs, u"x\uFFFD", kCodePageUtf8},
        // A ".doc" that is no Word book is read as RTF or as text.
        {"r.doc", "{\\rtf1\\ansi Hello \\par World}", kAsIs, u"Hello \nWorld"},
        {"t.doc", "plain words\n", kAsIs, u"plain words\n"},
        {"e.doc", "", kAsIs, u""},
        // Plain text's lines, paragraphs and indents: as it is one unit per byte, or paragraphs
        // found.
        {"m.txt", kLines, kAsIs,
         u"  First paragraph wraps \nonto a second line. \n  Second one \n \nafter a blank line\n- "
         u"a list item\n*star\n tabbed"},
        {"m.txt", kLines, kDetect,
         u"  First paragraph wraps  onto a second line. \n  Second one \n  after a blank line\n- a "
         u"list item\n*star\n tabbed"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.file, c.input, c.codePage, c.mode), c.expected)
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

}  // namespace
}  // namespace lectra
