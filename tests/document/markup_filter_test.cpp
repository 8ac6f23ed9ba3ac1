// The HTML and FictionBook filters on the cases that break real books.
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

// Marks: \n paragraph, \r centred, \f right or epigraph, \v verse.
TEST(MarkupFilter, SourcesAndTheirStreams) {
    constexpr int kDetect = kTxtDetectParagraph, kAsIs = kTxtPlainAsIs;
    const struct {
        const char* file;
        std::string input;
        int mode;
        std::u16string expected;
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.file, c.input, 1251, c.mode), c.expected) << c.file << ": " << c.input;
}

TEST(Tags, OnceFlagsDoNotLeakIntoTheNextBook) {
    ScratchDir dir;
    auto doc = NewDocument();
    ASSERT_TRUE(test::Open(*doc, dir.Write("a.html", "<p align=right>r"), 1251));
    ASSERT_TRUE(test::Open(*doc, dir.Write("b.html", "plain"), 1251));
    EXPECT_EQ(test::ReadAll(*doc), u"plain");
}

TEST(Tags, CountersSaturateSoTheSnapshotIsExact) {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "<title>";
    s += std::string(5000, 'x');
    ScratchDir dir;
    auto doc = NewDocument();
    ASSERT_TRUE(test::Open(*doc, dir.Write("s.fb2", s), 1251));
    ASSERT_EQ(doc->blocks.size(), 2u);
    EXPECT_EQ(doc->blocks[1].state[3], 255);  // centre depth; the bold depth in Emphasis
}

TEST(Encodings, Utf8AndUtf16Markup) {
    EXPECT_EQ(Read("u.html", "<p>\xD0\x96&mdash;\xF0\x9F\x98\x80<b>x</b>", kCodePageUtf8),
              u"\n\u0416\u2014\uFFFDx");
    std::string wide;
    for (char c : std::string("\xFF\xFE<p>a&lt;b</p>"))
        wide += c == '\xFF' || c == '\xFE' ? std::string(1, c) : std::string(1, c) + '\0';
    EXPECT_EQ(Read("w.fb2", wide, kCodePageAuto), u"\na<b");
}

}  // namespace
}  // namespace lectra
