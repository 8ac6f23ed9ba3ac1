// Emphasis in lines on the fixed-advance services: runs measured and drawn in their own fonts.
#include <gtest/gtest.h>

#include "document/text_cache.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using Book = test::HtmlBook;

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
        const std::vector<LineRecord> lines = test::LinesFromStart(f, *book.doc);
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

}  // namespace
}  // namespace lectra
