// The RTF filter: control words, destinations, escapes, Unicode fallbacks across block
// boundaries, and the code page an RTF header names.
#include "document/formats/rtf_filter.h"

#include <gtest/gtest.h>

#include "document/format_table.h"
#include "word_test_support.h"

namespace lectra {
namespace {

using test::OpenedBook;

// The units of an RTF text opened in `codePage` (−1: detected).
std::u16string Rtf(const std::string& text, int codePage = 1251) {
    test::ScratchDir dir;
    OpenedBook book;
    if (!test::Open(*book, dir.Write("t.rtf", text), codePage)) return u"<failed>";
    EXPECT_EQ(book->formatKind, kKindRtf);
    return test::ReadAll(*book);
}

TEST(RtfFilter, ControlWordsByPrefixInTableOrder) {
    // par and pararsid are both paragraphs, pard is nothing, cellx (by "CELL") a space.
    EXPECT_EQ(Rtf("{a\\par b\\pararsid123 c\\pard d\\cellx100 e}"), u"a\nb\ncd e");
    EXPECT_EQ(Rtf("{\\qc Title\\par\\qr Right\\line x\\tab y\\emdash\\bullet}"),
              u"\rTitle\n\fRight\nx y\u2014\u2022");
    EXPECT_EQ(Rtf("{\\lquote q\\rquote \\ldblquote Q\\rdblquote\\endash}"),
              u"\u2018q\u2019\u201CQ\u201D-");
    // Unknown words vanish with their delimiting space; ";" too.
    EXPECT_EQ(Rtf("{\\rtf1\\ansi\\deff0 Hello\\f1;World}"), u"HelloWorld");
}

TEST(RtfFilter, DestinationsVanishWithTheirNestedGroups) {
    EXPECT_EQ(Rtf("{\\rtf1{\\fonttbl{\\f0\\froman Times;}{\\f1 Arial;}}Text}"), u"Text");
    EXPECT_EQ(Rtf("{\\rtf1{\\*\\generator Writer {nested {deeper}} end;}After}"), u"After");
    EXPECT_EQ(Rtf("{{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\pict 0a0b}X}"),
              u"X");
    // Escaped braces inside a skipped group do not end it early.
    EXPECT_EQ(Rtf("{{\\*\\x a\\}b\\{c\\\\}Y}"), u"Y");
    // A group that never closes swallows the rest of the source and stops there.
    EXPECT_EQ(Rtf("{ok{\\*\\x {{{ never closed"), u"ok");
}

TEST(RtfFilter, EscapesHexUnicodeAndSymbols) {
    // A hex escape goes through the book's code page.
    EXPECT_EQ(Rtf("{\\'e0\\'E0}", 1251), u"\u0430\u0430");
    EXPECT_EQ(Rtf("{caf\\'e9}", 1252), u"caf\u00E9");
    // \u1072 followed by "?" gives the letter and swallows the "?".
    EXPECT_EQ(Rtf("{\\u1072?b}"), u"\u0430b");
    // Escaped braces and backslash are the characters themselves.
    EXPECT_EQ(Rtf("{\\{x\\}\\\\}"), u"{x}\\");
    EXPECT_EQ(Rtf("{a\\~b\\_c\\-d}"), u"a b-cd");
    // Values above 32767 are written as negative numbers.
    EXPECT_EQ(Rtf("{\\u-3913?x}"), u"\uF0B7x");
    // A backslash that escapes nothing readable is shown.
    EXPECT_EQ(Rtf("{a\\'zz}"), u"a\\'zz");
    EXPECT_EQ(Rtf("end\\"), u"end\\");
}

TEST(RtfFilter, UnicodeFallbacksAreSkipped) {
    // Today's writers follow \uN with a hex-escaped fallback: it must not show.
    EXPECT_EQ(Rtf("{\\u1044\\'3f\\u1072\\'3f x}"), u"\u0414\u0430 x");
    // \uc0 means no fallback; a delimiting space is not text.
    EXPECT_EQ(Rtf("{\\uc0\\u1044 \\u1072 x}"), u"\u0414\u0430x");
    EXPECT_EQ(Rtf("{\\uc2\\u1044??x\\uc1\\u1072\\'e0y}"), u"\u0414x\u0430y");
    // A letter fallback after the number, and one cut short by a brace or a control word.
    EXPECT_EQ(Rtf("{caf\\u233e}"), u"caf\u00E9");
    EXPECT_EQ(Rtf("{{\\u1044}x}"), u"\u0414x");
    EXPECT_EQ(Rtf("{\\u1044\\par x}"), u"\u0414\nx");
    // Source line breaks inside a fallback are not characters.
    EXPECT_EQ(Rtf("{\\u1044\r\n?z}"), u"\u0414z");
}

TEST(RtfFilter, FallbacksSurviveBlockBoundaries) {
    // Escapes straddle every block boundary; decoding each block alone gives what a straight
    // read gives, whatever the \uc in force.
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

TEST(RtfFilter, CodePageFromAnsicpg) {
    EXPECT_EQ(Rtf("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}", kCodePageAuto), u"caf\u00E9");
    EXPECT_EQ(Rtf("{\\rtf1\\ansi\\ansicpg1251 \\'e0}", kCodePageAuto), u"\u0430");
    // Not a code page of the list, or one that would leave the book unfiltered: the default.
    EXPECT_EQ(Rtf("{\\rtf1\\ansicpg65001 \\'e0}", kCodePageAuto), u"\u0430");
    EXPECT_EQ(Rtf("{\\rtf1\\ansicpg4242 \\'e0}", kCodePageAuto), u"\u0430");
    // An explicit choice still wins.
    EXPECT_EQ(Rtf("{\\rtf1\\ansicpg1252 \\'e0}", 1251), u"\u0430");
}

TEST(RtfFilter, WriterBooksGiveTheStory) {
    // LibreOffice (\uN\'3f everywhere) and AbiWord (\uc0 Cyrillic, \ansicpg1252) give the story's
    // words; AbiWord keeps its note references in \* field results, which vanish.
    for (const char* file : {"en-lo.rtf", "ru-lo.rtf", "en-abiword.rtf", "ru-abiword.rtf"}) {
        OpenedBook book;
        ASSERT_EQ(test::Open(*book, test::Fixture(file)), 1) << file;
        std::u16string text = test::ReadAll(*book);
        for (char16_t& c : text) {
            if (c < 32) c = u' ';
        }
        std::vector<std::string> words = test::Words(Utf16ToUtf8(text));
        std::vector<std::string> story =
            test::Words(Utf16ToUtf8(test::Story(file[0] == 'e' ? "en" : "ru")));
        if (std::string(file).find("abiword") != std::string::npos) {
            for (std::string& w : story) {
                for (const char* note : {"[1]", "[2]"}) {
                    if (size_t at = w.find(note); at != std::string::npos && at > 0) w.erase(at, 3);
                }
            }
        }
        EXPECT_EQ(words, story) << file;
    }
}

}  // namespace
}  // namespace lectra
