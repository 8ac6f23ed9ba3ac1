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

std::u16string Html(const std::string& s, int mode = kTxtDetectParagraph) { return Read("t.html", s, 1251, mode); }
std::u16string Fb2(const std::string& s) { return Read("t.fb2", s); }

TEST(References, NamedNumericAndRejected) {
    EXPECT_EQ(Html("a&lt;b"), u"a<b");
    EXPECT_EQ(Html("&#1040;&amp;&quot;"), u"\u0410&\"");
    EXPECT_EQ(Html("&#x41;"), u"&#x41;");                // no hexadecimal references
    EXPECT_EQ(Html("&abcdefghi;x"), u"&abcdefghi;x");    // longer than nine characters
    EXPECT_EQ(Html("&abcdefg;x"), u"&abcdefg;x");        // fits, but no row matches
    EXPECT_EQ(Html("&notin;"), u"\u00AC");               // "not" comes first
    EXPECT_EQ(Html("a&shy;b"), u"ab");
    EXPECT_EQ(Html("a&nbsp;&nbsp;b&#160;c"), u"a  b c");  // no-break spaces are spaces
    EXPECT_EQ(Html("&#10;x&#13;y"), u"\nx\ry");          // numeric values below 32 are marks
    EXPECT_EQ(Html("&#0;&#65535;"), u"&#0;&#65535;");   // out of range
    EXPECT_EQ(Html("x&"), u"x ");                       // at the end of the source
    EXPECT_EQ(Html("x&am"), u"x&am");                   // unterminated
    EXPECT_EQ(Fb2("<p>&#1071;&lt;</p>"), u"\n\u042F<");
}

TEST(Tags, HeadingsAlignmentAndHiddenSections) {
    EXPECT_EQ(Html("<h2>Title</h2>text"), u"\rTitle\ntext");
    EXPECT_EQ(Html("<P ALIGN=RIGHT>r</p><p align=right>r</p><p align=\"right\">q"), u"\fr\fr\nq");
    EXPECT_EQ(Html("<div align=center>c</div><p>b"), u"\rc\nb");
    EXPECT_EQ(Html("a<script>if (i<n) x='</b>';</script>b"), u"ab");
    EXPECT_EQ(Html("a<style>p{}</style>b<SPAN>c</span><img src=x>"), u"abc");  // SPAN is "S", IMG is "I"
    EXPECT_EQ(Html("<b>bold</b><zz>x<unknown>"), u"bold x");  // no row: a space; "U" by prefix
    EXPECT_EQ(Html("<p class=booktitle>T</p><p>x"), u"\rT\nx");
    EXPECT_EQ(Fb2("a<style>p{}</style><binary>QUJD</binary>b"), u"ab");
    EXPECT_EQ(Fb2("<P>x</P>"), u" x ");  // FictionBook names are case-sensitive
}

TEST(Tags, PreformattedTextKeepsItsLinesAndEndsAtItsClosingTag) {
    // "</pre>" closes PRE, not P; the line feeds after it are joined again.
    EXPECT_EQ(Html("<pre>a\n  b\n</pre>c\nd", kTxtPlainAsIs), u"a\n  b\nc d");
    EXPECT_EQ(Html("<pre>a\n  b\nc</pre>\nd"), u"a\n  b c d");  // detection inside PRE
    EXPECT_EQ(Html("<plaintext>a\nb</plaintext>\nc", kTxtPlainAsIs), u"a\nb c");
}

TEST(Tags, InlineElementsWithoutARowYieldNothingOtherUnknownTagsASpace) {
    EXPECT_EQ(Fb2("<p>H<sub>2</sub>O, <strong>word</strong>.</p>"), u"\nH2O, word.");
    EXPECT_EQ(Fb2("<p>x<a l:href=\"#l\">link</a>; <image l:href=\"#p\"/>y<unknown>z</p>"),
              u"\nxlink; y z");
    EXPECT_EQ(Html("<p>an <em>emphasised</em>, word</p>"), u"\nan emphasised, word");
    EXPECT_EQ(Html("a<wbr>b<Q>c</Q><emblem>d"), u"abc d");
}

TEST(Tags, FictionBookStructure) {
    EXPECT_EQ(Fb2("<poem><stanza><v>one</v><v>two</v></stanza></poem><p>after</p>"),
              u" \vone\vtwo \nafter");
    EXPECT_EQ(Fb2("<p>a</p><empty-line/><p>b</p>"), u"\na\n\nb");
    EXPECT_EQ(Fb2("<epigraph><p>e</p><text-author>A</text-author></epigraph>"), u"\f\fe\fA\f\n");
    // "<title-info>" opens "title" by prefix and its closing tag must close it again.
    EXPECT_EQ(Fb2("<description><title-info>x</title-info></description><p>body</p>"), u"\nbody");
    EXPECT_EQ(Fb2("<title-info>t</title-info><p>body</p>"), u"\rt\n\nbody");
    EXPECT_EQ(Fb2("<section><title><p>H</p></title><p>b</p></section>"), u" \r\rH\n\nb ");
}

TEST(Tags, MalformedTagsNeverSwallowTheBook) {
    EXPECT_EQ(Html("a < b <i>c</i>"), u"a < b c");
    EXPECT_EQ(Html("text <unterminated"), u"text <");
    EXPECT_EQ(Html("<"), u"<");
    EXPECT_EQ(Html("</p></div></h1>x"), u"\nx");  // closings without openings stay at 0
    std::string longTag = "<p " + std::string(600, 'x') + ">after";
    EXPECT_EQ(Html(longTag), u"\nafter");
}

TEST(Tags, OnceFlagsDoNotLeakIntoTheNextBook) {
    ScratchDir dir;
    auto doc = NewDocument();
    ASSERT_TRUE(test::Open(*doc, dir.Write("a.html", "<p align=right>r"), 1251));
    ASSERT_TRUE(test::Open(*doc, dir.Write("b.html", "plain"), 1251));
    EXPECT_EQ(test::ReadAll(*doc), u"plain");
    EXPECT_EQ(doc->blocks[0].state[11], 0);
}

TEST(Tags, CountersSaturateSoTheSnapshotIsExact) {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "<title>";
    for (int i = 0; i < 300; ++i) s += "<b>";
    s += std::string(5000, 'x');
    ScratchDir dir;
    auto doc = NewDocument();
    ASSERT_TRUE(test::Open(*doc, dir.Write("s.fb2", s), 1251));
    ASSERT_EQ(doc->blocks.size(), 2u);
    EXPECT_EQ(doc->blocks[1].state[3], 255);  // centre depth
    EXPECT_EQ(doc->blocks[1].state[6], 255);  // inline counter 1
}

TEST(TxtModes, PlainTextAsHtml) {
    EXPECT_EQ(Read("t.txt", "a &amp; <b>b</b>\n  c", 1251, kTxtPlainAsHtml), u"a & b   c");
    EXPECT_EQ(Read("t.txt", "a &amp; <b>b</b>\n  c", 1251, kTxtPlainAsIs), u"a &amp; <b>b</b>\n  c");
}

TEST(Encodings, Utf8AndUtf16Markup) {
    EXPECT_EQ(Read("u.html", "<p>\xD0\x96&mdash;\xF0\x9F\x98\x80<b>x</b>", kCodePageUtf8), u"\n\u0416\u2014\uFFFDx");
    std::string wide;
    for (char c : std::string("\xFF\xFE<p>a&lt;b</p>")) wide += c == '\xFF' || c == '\xFE' ? std::string(1, c) : std::string(1, c) + '\0';
    EXPECT_EQ(Read("w.fb2", wide, kCodePageAuto), u"\na<b");
}

}  // namespace
}  // namespace lectra
