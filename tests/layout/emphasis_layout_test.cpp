// Emphasis in lines on the fixed-advance services: runs measured and drawn in their own fonts.
#include <gtest/gtest.h>

#include "document/text_cache.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using Book = test::HtmlBook;

std::vector<LineRecord> AllLines(FakeLayout& f, Document& doc) {
    std::vector<LineRecord> lines;
    for (int32_t pos = 0; pos < DocLength(doc) && lines.size() < 100000;) {
        LineRecord record;
        const int32_t next = LayoutLine(f.layout, doc, record, pos, TextContext(f.layout));
        lines.push_back(record);
        if (next <= pos) break;
        pos = next;
    }
    return lines;
}

TEST(EmphasisLines, AnItalicWordTakesItsOwnWidth) {
    // After the paragraph's mark, "   aaaa bbbb cccc" is 170 pixels plain; with "bbbb" italic
    // it is 182.
    Book book("<p>aaaa <i>bbbb</i> cccc</p>");
    FakeLayout f(175);
    LineRecord record;
    LayoutLine(f.layout, *book.doc, record, 1, TextContext(f.layout));
    EXPECT_EQ(record.text, u"   aaaa bbbb");
    ASSERT_EQ(record.styles.size(), record.text.size());
    const std::vector<uint8_t> want = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
    EXPECT_EQ(record.styles, want);
    FakeLayout wide(182);
    LayoutLine(wide.layout, *book.doc, record, 1, TextContext(wide.layout));
    EXPECT_EQ(record.text, u"   aaaa bbbb cccc");
}

TEST(EmphasisLines, NoLineIsWiderThanTheTextArea) {
    std::string html = "<p>";
    for (int i = 0; i < 200; ++i) {
        html += "plain <i>slanted extraordinarily " + std::to_string(i) + "</i> H<sub>2</sub>O ";
        html += "<tt>monospaced</tt> <b><i>both</i></b>x<sup>10</sup> <u>under lined</u> ";
        if (i % 11 == 0) html += "</p><p align=right>right <em>aligned</em></p><p>";
    }
    Book book(html + "</p>");
    for (int width : {60, 97, 150, 233, 470}) {
        FakeLayout f(width);
        ASSERT_EQ(test::LoadEnPat(f.layout.patterns), 1);
        const std::vector<LineRecord> lines = AllLines(f, *book.doc);
        int emphasised = 0;
        for (const LineRecord& line : lines) {
            ASSERT_EQ(line.styles.size(), line.text.size());
            emphasised += LineHasEmphasis(line);
            std::u16string_view text = line.text;
            if (!text.empty() && text.back() == u' ') text.remove_suffix(1);
            // A line of one unit is the cut that must advance, whatever its width.
            if (text.size() <= 1) continue;
            EXPECT_LE(MeasureRuns(f.layout, TextContext(f.layout), text.data(), line.styles.data(),
                                  static_cast<int>(text.size())),
                      width)
                << Utf16ToUtf8(text) << " at " << line.start;
        }
        EXPECT_GT(emphasised, 0) << width;
    }
}

TEST(EmphasisLines, AnEmphasisedWordIsHyphenatedInItsFont) {
    Book book("<p>aa <i>extraordinarily</i> bb</p>");
    FakeLayout f(130);
    ASSERT_EQ(test::LoadEnPat(f.layout.patterns), 1);
    const std::vector<LineRecord> lines = AllLines(f, *book.doc);
    // The paragraph's mark, then its lines.
    ASSERT_GE(lines.size(), 3u);
    const LineRecord& first = lines[1];
    ASSERT_FALSE(first.text.empty());
    EXPECT_EQ(first.text.back(), u'-') << Utf16ToUtf8(first.text);
    EXPECT_GT(first.text.size(), 7u) << "a piece of the italic word stays on the first line";
    // The piece and its hyphen are italic, 13 pixels a unit.
    EXPECT_EQ(first.styles.back(), kEmphasisItalic);
    EXPECT_EQ(first.styles[6], kEmphasisItalic);
    EXPECT_LE(MeasureRuns(f.layout, TextContext(f.layout), first.text.data(), first.styles.data(),
                          static_cast<int>(first.text.size())),
              130);
    EXPECT_EQ(lines[2].styles[0], kEmphasisItalic);
}

// Right-aligned runs, drawn whole: superscripts take the small font. (Spread runs are checked by
// the search mark's test against where the mark's edges put them.)
TEST(EmphasisLines, RunsAreDrawnWhereTheyWereMeasured) {
    FakeLayout f(200);
    const std::vector<uint8_t> styles = {0, 0, 0, kEmphasisSuper, kEmphasisSuper, 0, 0, 0};
    LineRecord record{u"ab cd ef", kStyleRight, 3, 0, 0, styles, 0, 0};
    DrawLineRuns(f.layout, TextContext(f.layout), record, PixelRect{0, 20, 200, 34}, kAlignRight);
    EXPECT_EQ(*test::Fake(f.layout.surface), (test::Pieces{"128:ab ", "158:cd", "170: ef"}));
    // A line whose styles do not match its text, or a title, is drawn whole in its font.
    record.styles.pop_back();
    EXPECT_FALSE(LineHasEmphasis(record));
    record.styles.push_back(0);
    record.flags = kStyleTitle;
    EXPECT_FALSE(LineHasEmphasis(record));
}

TEST(EmphasisLines, FontsAreMadeOnceAndDroppedWithTheTextFont) {
    FakeLayout f(200);
    int ascent = 0;
    PlatformFont* italic =
        EmphasisFont(f.layout, f.layout.fonts.textFont, kEmphasisItalic, &ascent);
    EXPECT_TRUE(test::Fake(italic)->desc.italic);
    EXPECT_EQ(EmphasisFont(f.layout, f.layout.fonts.textFont, kEmphasisItalic, nullptr), italic);
    EXPECT_EQ(EmphasisFont(f.layout, f.layout.fonts.textFont, 0, &ascent), f.layout.fonts.textFont);
    EXPECT_EQ(ascent, f.layout.fonts.textFontAscent);
    ReleaseEmphasisFonts(f.layout);
    EXPECT_EQ(f.layout.fonts.emphasisFonts[1], nullptr);
    // Without a description (a layout made by hand) emphasis is drawn in the text font.
    f.layout.fonts.emphasisDesc = FontDesc{};
    EXPECT_EQ(EmphasisFont(f.layout, f.layout.fonts.textFont, kEmphasisBold, nullptr),
              f.layout.fonts.textFont);
}

}  // namespace
}  // namespace lectra
