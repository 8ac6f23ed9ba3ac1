// The RTF filter: control words, destinations, escapes, Unicode fallbacks, header code pages.
#include "document/formats/rtf_filter.h"

#include <gtest/gtest.h>

#include <regex>

#include "document/format_table.h"
#include "word_test_support.h"

namespace lectra {
namespace {

using test::OpenedBook;

TEST(RtfFilter, ControlWordsDestinationsEscapesAndFallbacks) {
    const struct {
        const char* rtf;
        int codePage;
        std::u16string text;
    } cases[] = {
        // Control words by prefix in table order: par and pararsid are both paragraphs, pard is
        // nothing, cellx (by "CELL") a space.
        {"{a\\par b\\pararsid123 c\\pard d\\cellx100 e}", 1251, u"a\nb\ncd e"},
        {"{\\qc Title\\par\\qr Right\\line x\\tab y\\emdash\\bullet}", 1251,
         u"\rTitle\n\fRight\nx y\u2014\u2022"},
        {"{\\lquote q\\rquote \\ldblquote Q\\rdblquote\\endash}", 1251,
         u"\u2018q\u2019\u201CQ\u201D-"},
        {"{\\rtf1\\ansi\\deff0 Hello\\f1;World}", 1251, u"HelloWorld"},  // unknown words and ";"
        // Destinations vanish with their nested groups; escaped braces do not end them early, and
        // one that never closes swallows the rest of the source.
        {"{\\rtf1{\\fonttbl{\\f0\\froman Times;}{\\f1 Arial;}}Text}", 1251, u"Text"},
        {"{\\rtf1{\\*\\generator Writer {nested {deeper}} end;}After}", 1251, u"After"},
        {"{{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\pict 0a0b}X}", 1251, u"X"},
        {"{{\\*\\x a\\}b\\{c\\\\}Y}", 1251, u"Y"},
        {"{ok{\\*\\x {{{ never closed", 1251, u"ok"},
        // Escapes: hex through the book's code page, Unicode (above 32767 as negative numbers)
        // swallowing a "?", braces and backslash, symbols; a backslash escaping nothing is shown.
        {"{\\'e0\\'E0}", 1251, u"\u0430\u0430"},
        {"{caf\\'e9}", 1252, u"caf\u00E9"},
        {"{\\u1072?b}", 1251, u"\u0430b"},
        {"{\\u-3913?x}", 1251, u"\uF0B7x"},
        {"{\\{x\\}\\\\}", 1251, u"{x}\\"},
        {"{a\\~b\\_c\\-d}", 1251, u"a b-cd"},
        {"{a\\'zz}", 1251, u"a\\'zz"},
        {"end\\", 1251, u"end\\"},
        // Unicode fallbacks are skipped: hex-escaped, none (\uc0; a delimiting space is not text),
        // two, a letter, cut short by a brace or a control word, across a source line break.
        {"{\\u1044\\'3f\\u1072\\'3f x}", 1251, u"\u0414\u0430 x"},
        {"{\\uc0\\u1044 \\u1072 x}", 1251, u"\u0414\u0430x"},
        {"{\\uc2\\u1044??x\\uc1\\u1072\\'e0y}", 1251, u"\u0414x\u0430y"},
        {"{caf\\u233e}", 1251, u"caf\u00E9"},
        {"{{\\u1044}x}", 1251, u"\u0414x"},
        {"{\\u1044\\par x}", 1251, u"\u0414\nx"},
        {"{\\u1044\r\n?z}", 1251, u"\u0414z"},
        // The code page from \ansicpg, unless it is not in the list or would leave the book
        // unfiltered; an explicit choice still wins.
        {"{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}", kCodePageAuto, u"caf\u00E9"},
        {"{\\rtf1\\ansicpg65001 \\'e0}", kCodePageAuto, u"\u0430"},
        {"{\\rtf1\\ansicpg4242 \\'e0}", kCodePageAuto, u"\u0430"},
        {"{\\rtf1\\ansicpg1252 \\'e0}", 1251, u"\u0430"},
    };
    test::ScratchDir dir;
    for (const auto& c : cases) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, dir.Write("t.rtf", c.rtf), c.codePage), 1) << c.rtf;
        EXPECT_EQ(book->formatKind, kKindRtf) << c.rtf;
        EXPECT_EQ(test::ReadAll(*book), c.text) << c.rtf;
    }
}

TEST(RtfFilter, FallbacksSurviveBlockBoundaries) {
    // Escapes straddle every block boundary, whatever the \uc in force.
    std::string text = "{\\rtf1 ";
    for (int i = 0; i < 3000; ++i) text += "\\uc1\\u1044\\'3fa\\uc0\\u1072 b\\uc2\\u1073??";
    text += "}";
    std::u16string expected;
    for (int i = 0; i < 3000; ++i) expected += u"\u0414a\u0430b\u0431";
    test::ScratchDir dir;
    const std::string path = dir.Write("long.rtf", text);
    OpenedBook straight;
    ASSERT_EQ(test::Open(*straight, path, 1251), 1);
    ASSERT_EQ(test::ReadAll(*straight), expected);
    OpenedBook backwards;
    ASSERT_EQ(test::Open(*backwards, path, 1251), 1);
    for (int32_t i = DocLength(*backwards) - 1; i >= 0; --i)
        ASSERT_EQ(GetChar(*backwards, i), expected[i]) << i;
}

TEST(RtfFilter, WriterBooksGiveTheStory) {
    // LibreOffice (\uN\'3f everywhere) and AbiWord (\uc0 Cyrillic, \ansicpg1252) give the story's
    // words; AbiWord keeps its note references in \* field results, which vanish.
    for (const char* file : {"en-lo.rtf", "ru-lo.rtf", "en-abiword.rtf", "ru-abiword.rtf"}) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(file)), 1) << file;
        std::string story =
            test::ReadBytes(test::Fixture(file[0] == 'e' ? "source/en.txt" : "source/ru.txt"));
        if (std::string(file).find("abiword") != std::string::npos)
            story = std::regex_replace(story, std::regex(R"((\S)\[[12]\])"), "$1");
        EXPECT_EQ(test::WordsOf(test::ReadAll(*book)), test::Words(story)) << file;
    }
}

}  // namespace
}  // namespace lectra
