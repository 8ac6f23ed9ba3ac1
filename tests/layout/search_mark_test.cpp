// The search hit's mark on the fixed-advance services: the highlight covers exactly the drawn
// units of the match on plain, justified, title, right-aligned and emphasised lines; a tap on any
// of those lines finds the unit drawn there.
#include "layout/search_mark.h"

#include <gtest/gtest.h>

#include "document/text_cache.h"
#include "layout/line_geometry.h"
#include "layout/page_hit.h"
#include "layout/page_paint.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using Book = test::HtmlBook;

// Where `text` first stands in the book, −1 when nowhere.
int32_t Find(Document& doc, const std::u16string& text) {
    const size_t at = test::ReadAll(doc).find(text);
    return at == std::u16string::npos ? -1 : static_cast<int32_t>(at);
}

// The units drawn on one line, left to right, each with its left and right edge as the recorded
// drawing placed it (every unit of a fake font is its advance wide).
struct DrawnLine {
    std::u16string units;
    std::vector<int> left, right;
};
DrawnLine Drawn(const Layout& layout, int index) {
    const int y = layout.geometry.textRect.top + index * LinePitch(layout);
    std::vector<test::FakeText> ops;
    for (const test::FakeText& op : test::Fake(layout.surface)->texts)
        if (op.rect.top >= y - 4 && op.rect.top <= y + 6) ops.push_back(op);
    // Placed as the platform places aligned text.
    const auto left = [](const test::FakeText& op) {
        const int width = test::FakeDraw().measureText(
            const_cast<PlatformFont*>(op.font), op.text.data(), static_cast<int>(op.text.size()));
        if (op.align & kAlignRight) return op.rect.right - width;
        if (op.align & kAlignCentre)
            return op.rect.left + (op.rect.right - op.rect.left - width) / 2;
        return op.rect.left;
    };
    std::sort(ops.begin(), ops.end(),
              [&](const test::FakeText& a, const test::FakeText& b) { return left(a) < left(b); });
    DrawnLine line;
    for (const test::FakeText& op : ops) {
        const int advance = test::Fake(const_cast<PlatformFont*>(op.font))->advance;
        for (size_t k = 0; k < op.text.size(); ++k) {
            line.units += op.text[k];
            line.left.push_back(left(op) + advance * static_cast<int>(k));
            line.right.push_back(left(op) + advance * static_cast<int>(k + 1));
        }
    }
    return line;
}

struct MarkedPage {
    FakeLayout f;
    Document& doc;
    MarkedPage(Document& d, int width, int height = 300) : f(width, height), doc(d) {}
    std::vector<PixelRect>& Fills() { return test::Fake(f.layout.surface)->fills; }
    // Lays the page out from the start with units from..to − 1 marked and paints it.
    void Paint(int32_t from, int32_t to) {
        f.layout.searchMark = from;
        f.layout.searchMarkEnd = to;
        LayoutPage(f.layout, doc, doc.pageStart);
        test::Fake(f.layout.surface)->texts.clear();
        Fills().clear();
        PaintPage(f.layout, &doc);
    }
    int LineHolding(const std::u16string& text) const {
        const std::vector<LineRecord>& lines = f.layout.pageLines;
        for (int i = 0; i < f.layout.linesPerPage && i < static_cast<int>(lines.size()); ++i)
            if (lines[static_cast<size_t>(i)].text.find(text) != std::u16string::npos) return i;
        return -1;
    }
    // Marks `needle` where the book holds it: one fill, on its line, from the left edge of the
    // needle's first drawn unit to the right edge of its last.
    void MarkAndCheck(const std::u16string& needle, LineDrawing kind, const std::string& what) {
        const int32_t at = Find(doc, needle);
        ASSERT_GE(at, 0) << what;
        Paint(at, at + static_cast<int32_t>(needle.size()));
        const int index = LineHolding(needle);
        ASSERT_GE(index, 0) << what;
        EXPECT_EQ(HowLineIsDrawn(f.layout, f.layout.pageLines[static_cast<size_t>(index)]), kind)
            << what;
        const DrawnLine drawn = Drawn(f.layout, index);
        const size_t first = drawn.units.find(needle);
        ASSERT_NE(first, std::u16string::npos) << what;
        ASSERT_EQ(Fills().size(), 1u) << what;
        const PixelRect& r = Fills()[0];
        const int y = index * LinePitch(f.layout);
        EXPECT_TRUE(r.top <= y + 4 && r.bottom >= y + 8) << what;
        EXPECT_EQ(r.left, drawn.left[first]) << what;
        EXPECT_EQ(r.right, drawn.right[first + needle.size() - 1]) << what;
    }
};

const char kBook[] =
    "<h1>The Title</h1>"
    "<p>alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho "
    "sigma tau upsilon phi chi psi omega</p>"
    "<p>first <i>italic words</i> then plain words fill the line and the next</p>"
    "<p><tt>mono</tt> and <i>slanted</i> H<sub>2</sub>O</p>"
    "<p align=right>signed here</p>";

TEST(SearchMark, TheMarkCoversTheDrawnUnitsOfTheMatchOnEveryKindOfLine) {
    Book book(kBook);
    for (int justify : {1, 0}) {
        MarkedPage page(*book.doc, 300);
        page.f.settings.justify = justify;
        const std::string j = justify ? " (justified)" : " (not justified)";
        page.MarkAndCheck(u"beta gamma", LineDrawing::kJustified, "two words" + j);
        page.MarkAndCheck(u"omega", LineDrawing::kLeft, "a paragraph's last line" + j);
        page.MarkAndCheck(u"Title", LineDrawing::kTitleFont, "a title" + j);
        page.MarkAndCheck(u"here", LineDrawing::kRight, "a right-aligned line" + j);
        page.MarkAndCheck(u"c words then", LineDrawing::kRunsJustified, "italic, plain" + j);
        page.MarkAndCheck(u"no and slan", LineDrawing::kRunsLeft, "mono, plain, italic" + j);
    }
}

// A tap finds the unit drawn under it on every kind of line, justified or not: a title centred in
// its own font, spread gaps, emphasised runs (measured in the text font, a tap landed units away
// from the one drawn under it), a right-aligned line. A tap on a gap finds the word before, with
// that word's extent, and on the indent nothing.
TEST(PageHit, ATapFindsTheUnitDrawnThereOnEveryKindOfLine) {
    Book book(kBook);
    for (int justify : {1, 0}) {
        MarkedPage page(*book.doc, 300);
        page.f.settings.justify = justify;
        page.Paint(-1, -1);
        const Layout& l = page.f.layout;
        int checked = 0;
        for (int i = 0; i < l.linesPerPage; ++i) {
            const LineRecord& line = l.pageLines[static_cast<size_t>(i)];
            const DrawnLine drawn = Drawn(l, i);
            int32_t before = -1, wordFrom = -1, wordTo = -1;
            for (size_t k = 0; k < drawn.units.size(); ++k) {
                const int x = (drawn.left[k] + drawn.right[k]) / 2;
                int32_t from = -1, to = -1;
                const int32_t p =
                    PositionAtPoint(l, *book.doc, x, i * LinePitch(l) + 3, &from, &to);
                SCOPED_TRACE(testing::Message()
                             << "justify " << justify << " line " << i << " x " << x);
                if (drawn.units[k] == u' ') {
                    EXPECT_EQ(std::tie(p, from, to), std::tie(before, wordFrom, wordTo));
                    continue;
                }
                ASSERT_TRUE(p >= line.start && p < line.end) << p;
                EXPECT_EQ(GetChar(*book.doc, p), drawn.units[k]);
                EXPECT_GT(p, before);
                const size_t wordStart = drawn.units.rfind(u' ', k) + 1;
                const size_t wordEnd = std::min(drawn.units.find(u' ', k), drawn.units.size());
                EXPECT_TRUE(from <= p && p < to);
                EXPECT_EQ(static_cast<size_t>(to - from), wordEnd - wordStart);
                before = p, wordFrom = from, wordTo = to;
                ++checked;
            }
        }
        EXPECT_GT(checked, 150);
    }
}

}  // namespace
}  // namespace lectra
