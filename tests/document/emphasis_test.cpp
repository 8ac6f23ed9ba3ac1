// Emphasis beside the stream: the style of each unit from the markup filters, decoded with its
// block from the block's own snapshot, while every tag yields what it yielded before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/markup_filter.h"
#include "document/text_cache.h"
#include "straight_decode.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

// Every unit's style, the blocks decoded from the middle outwards after the cache was dropped.
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

TEST(Emphasis, FictionBookElementsGiveTheirStyles) {
    test::OpenedBook doc;
    ASSERT_TRUE(test::Open(*doc, test::Fixture("en-emphasis.fb2")));
    const struct {
        const char16_t* word;
        uint8_t style;
    } cases[] = {
        {u"Time is a river", kEmphasisItalic},
        {u"Harbour saying", 0},
        {u"word", kEmphasisBold},
        {u"H", 0},
        {u"TICK = 3600", kEmphasisMono},
        {u"wrong", kEmphasisStrike},
        // Nested: italic, then italic and bold, then plain again.
        {u"a promise,", kEmphasisItalic},
        {u"not a warning", kEmphasisItalic | kEmphasisBold},
        {u", and went on", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StyleOfWord(*doc, c.word), c.style) << Utf16ToUtf8(c.word);
    const std::u16string all = test::ReadAll(*doc);
    const int32_t h2o = static_cast<int32_t>(all.find(u"H2O"));
    EXPECT_EQ(GetStyle(*doc, h2o), 0);
    EXPECT_EQ(GetStyle(*doc, h2o + 1), kEmphasisSub);
    EXPECT_EQ(GetStyle(*doc, h2o + 2), 0);
    const int32_t r2 = static_cast<int32_t>(all.find(u"r2,"));
    EXPECT_EQ(GetStyle(*doc, r2 + 1), kEmphasisSuper);
}

TEST(Emphasis, HtmlElementsByWholeName) {
    ScratchDir dir;
    test::OpenedBook doc;
    const std::string html =
        "<p>a <i>it</i> <cite>ci</cite> <b>bo</b> <STRONG>st</STRONG> <tt>tt</tt> <kbd>kb</kbd> "
        "x<sup>up</sup> x<sub>dn</sub> <u>un</u> <s>s1</s> <strike>s2</strike> <del>s3</del> "
        "<img src=x.png>im <ins>in</ins> <big>bi</big> <blockquote>bq</blockquote> <i/>self</p>";
    ASSERT_TRUE(test::Open(*doc, dir.Write("e.html", html), 1252));
    // Rows that "im", "in", "bi" and "bq" fall to by prefix ("I", "B") emphasise nothing.
    const struct {
        const char16_t* word;
        uint8_t style;
    } cases[] = {
        // clang-format off
        {u"it", kEmphasisItalic}, {u"ci", kEmphasisItalic}, {u"bo", kEmphasisBold},
        {u"st", kEmphasisBold}, {u"tt", kEmphasisMono}, {u"kb", kEmphasisMono},
        {u"up", kEmphasisSuper}, {u"dn", kEmphasisSub}, {u"un", kEmphasisUnderline},
        {u"s1", kEmphasisStrike}, {u"s2", kEmphasisStrike}, {u"s3", kEmphasisStrike},
        {u"im", 0}, {u"in", 0}, {u"bi", 0}, {u"bq", 0}, {u"self", 0},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(StyleOfWord(*doc, c.word), c.style) << Utf16ToUtf8(c.word);
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

TEST(Emphasis, EpubPartsFromPandoc) {
    test::OpenedBook doc;
    ASSERT_TRUE(test::Open(*doc, test::Fixture("en-emphasis-pandoc.epub")));
    EXPECT_EQ(StyleOfWord(*doc, u"thoroughly unremarkable"), kEmphasisItalic);
    EXPECT_EQ(StyleOfWord(*doc, u"extraordinarily"), kEmphasisBold);
    EXPECT_EQ(StyleOfWord(*doc, u" patient expression"), 0);
    EXPECT_EQ(StyleOfWord(*doc, u"Northumberland"), kEmphasisItalic);
    std::vector<uint8_t> straight;
    test::StraightDecode(*doc, &straight);
    EXPECT_EQ(StylesFromTheMiddle(*doc), straight);
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
