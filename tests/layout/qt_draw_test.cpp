// The layout on Qt's real fonts (offscreen): measured widths are the drawn advances, a page drawn
// twice is the same to the pixel, the width adjustment, and colours cut to the surface's depth.
#include "platform/qt/qt_draw.h"

#include <gtest/gtest.h>

#include <random>

#include "layout/hyphen_patterns.h"
#include "layout/justify.h"
#include "layout/layout_fonts.h"
#include "layout/page_geometry.h"
#include "layout/pagination.h"
#include "layout_test_support.h"
#include "platform/qt/gui_platform.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

struct QtDraw : ::testing::Test {
    const DrawServices& draw = QtDrawServices();
    static void SetUpTestSuite() {
        test::QtTestEnvironment();
        ASSERT_EQ(StartGuiPlatform(), 1);
    }
    PlatformFont* Font(int size, int quality, int width = 0) {
        return draw.createFont(FontDesc{u"DejaVu Sans", -size, width, 400, quality});
    }
    static std::vector<uint32_t> Pixels(const DrawServices& draw, PlatformSurface* surface) {
        int w = 0, h = 0, stride = 0;
        const uint32_t* p = draw.surfacePixels(surface, &w, &h, &stride);
        std::vector<uint32_t> out;
        for (int y = 0; y < h; ++y) out.insert(out.end(), p + y * stride, p + y * stride + w);
        return out;
    }
};

std::u16string RandomText(std::mt19937& rng) {
    static const std::u16string alphabet =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
        u"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
        u"     .,;:!?-—«»“”'()0123456789";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(2, 50);
    std::u16string s;
    for (int i = length(rng); i > 0; --i) s += alphabet[pick(rng)];
    return s;
}

// Drawn whole, or in two pieces with the second placed at the measured width of the first: the
// same pixels only when measuring gives exactly the advance that drawing uses.
TEST_F(QtDraw, MeasuredWidthIsTheDrawnAdvance) {
    std::mt19937 rng(7);
    for (int quality : {0, kQualityClearType}) {
        for (int size : {9, 14, 23}) {
            PlatformFont* font = Font(size, quality);
            ASSERT_NE(font, nullptr);
            PlatformSurface* whole = draw.createSurface(900, 40, kMaskSet565);
            PlatformSurface* pieces = draw.createSurface(900, 40, kMaskSet565);
            for (int round = 0; round < 40; ++round) {
                const std::u16string text = RandomText(rng);
                const int cut =
                    std::uniform_int_distribution<int>(1, static_cast<int>(text.size()) - 1)(rng);
                const PixelRect all{0, 0, 900, 40};
                draw.fillRect(whole, all, 0xFFFFFF);
                draw.fillRect(pieces, all, 0xFFFFFF);
                draw.drawText(whole, font, 0, PixelRect{3, 5, 900, 40}, text.data(),
                              static_cast<int>(text.size()), kAlignLeft);
                const int first = draw.measureText(font, text.data(), cut);
                draw.drawText(pieces, font, 0, PixelRect{3, 5, 900, 40}, text.data(), cut,
                              kAlignLeft);
                draw.drawText(pieces, font, 0, PixelRect{3 + first, 5, 900, 40}, text.data() + cut,
                              static_cast<int>(text.size()) - cut, kAlignLeft);
                ASSERT_EQ(Pixels(draw, whole), Pixels(draw, pieces))
                    << Utf16ToUtf8(text) << " cut at " << cut << ", size " << size << ", quality "
                    << quality;
                EXPECT_EQ(draw.measureText(font, text.data(), static_cast<int>(text.size())),
                          first + draw.measureText(font, text.data() + cut,
                                                   static_cast<int>(text.size()) - cut));
            }
            draw.deleteSurface(whole);
            draw.deleteSurface(pieces);
            draw.deleteFont(font);
        }
    }
}

TEST_F(QtDraw, TextWithUnitsThatDoNotAddUpIsMeasuredWhole) {
    PlatformFont* font = Font(14, 0);
    // Controls and the soft hyphen take no room inside a text, though alone they would.
    const std::u16string plain = u"ab";
    const std::u16string inner = u"a\x10\u00ADb";
    EXPECT_EQ(draw.measureText(font, inner.data(), 4), draw.measureText(font, plain.data(), 2));
    draw.deleteFont(font);
}

TEST_F(QtDraw, FontMetricsAndTheWidthAdjustment) {
    Settings settings = test::DefaultSettings();
    settings.fontFaceText = u"DejaVu Sans";
    Layout layout;
    layout.draw = &draw;
    layout.settings = &settings;
    const std::u16string text =
        u"The quick brown fox jumps over the lazy dog; съешь же ещё этих булок";
    std::vector<int> widths;
    std::vector<int> heights;
    for (int adjust : {0, -3, 3}) {
        settings.fontWidthChar[0] = adjust;
        CreateLayoutFont(layout, 0, 480);
        const FontMetrics m = draw.fontMetrics(layout.fonts.textFont);
        EXPECT_EQ(m.height, m.ascent + m.descent);
        widths.push_back(MeasureText(TextContext(layout), text));
        heights.push_back(layout.fonts.textFontHeight);
    }
    EXPECT_LT(widths[1], widths[0]);
    EXPECT_GT(widths[2], widths[0]);
    EXPECT_EQ(heights[1], heights[0]);
    EXPECT_EQ(heights[2], heights[0]);
    // Bold is wider than normal in this face.
    settings.fontWidthChar[0] = 0;
    settings.fontBoldText[0] = 1;
    CreateLayoutFont(layout, 0, 480);
    EXPECT_GT(MeasureText(TextContext(layout), text), widths[0]);
    // A cell height asked for is the cell height made.
    EXPECT_NEAR(draw.fontMetrics(layout.fonts.clockFont).height, 400, 8);
    ReleaseLayoutFonts(layout);
}

TEST_F(QtDraw, ColoursAreCutToTheSurfacesDepth) {
    for (int maskSet : {kMaskSet565, kMaskSetAlternate}) {
        PlatformSurface* s = draw.createSurface(4, 4, maskSet);
        EXPECT_EQ(draw.surfaceMaskSet(s), maskSet);
        draw.fillRect(s, PixelRect{0, 0, 4, 4}, MakeColour(0x0F, 0x0F, 0xFF));
        // Red and blue keep 5 bits, green 6 or 5; each is widened back by repeating its top bits.
        const uint32_t green = maskSet == kMaskSet565 ? 0x0C : 0x08;
        EXPECT_EQ(Pixels(draw, s)[5], 0xFF000000u | 0x08 << 16 | green << 8 | 0xFF);
        draw.deleteSurface(s);
    }
    EXPECT_EQ(draw.createSurface(0, 10, 0), nullptr);
}

// A page as the painter will draw it: body lines justified unless they end their paragraph,
// the others placed by their style.
void PaintPage(const Layout& layout, PlatformSurface* surface) {
    const DrawServices& draw = *layout.draw;
    draw.fillRect(surface, PixelRect{0, 0, 480, 640}, 0xFFFFFF);
    DrawContext dc = TextContext(layout);
    dc.surface = surface;
    const PixelRect& r = layout.textRect;
    for (int i = 0; i < layout.linesPerPage; ++i) {
        LineRecord line = layout.pageLines[static_cast<size_t>(i)];
        const int y = r.top + i * LinePitch(layout);
        const PixelRect rect{r.left, y, r.right, y + layout.fonts.textFontHeight};
        const int n = static_cast<int>(line.text.size());
        if ((line.flags & (kStyleBody | kStyleNine)) && !(line.flags & kParaEnd)) {
            JustifyAndDrawLine(layout, dc, line, rect);
        } else {
            const unsigned align = (line.flags & kStyleRight)   ? kAlignRight
                                   : (line.flags & kStyleTitle) ? kAlignCentre
                                                                : kAlignLeft;
            draw.drawText(surface, dc.font, dc.textColour, rect, line.text.data(), n, align);
        }
    }
}

TEST_F(QtDraw, APageDrawnTwiceIsTheSameToThePixel) {
    auto doc = NewDocument();
    ASSERT_EQ(test::Open(*doc, std::string(LECTRA_SAMPLES) + "/ru-story.fb2"), 1);
    Settings settings = test::DefaultSettings();
    settings.fontFaceText = u"DejaVu Sans";
    Layout layout;
    layout.draw = &draw;
    layout.settings = &settings;
    CreateLayoutFont(layout, 0, 480);
    CreateLayoutFont(layout, 1, 480);
    ASSERT_EQ(LoadHyphenPatterns(layout.patterns, Utf8ToUtf16(test::EnPatFolder())), 1);
    layout.textRect =
        ComputePageGeometry(settings, 480, 640, 480, layout.fonts.statusFontHeight, 0).textRect;
    doc->pageStart = 1658;
    LayoutPage(layout, *doc, doc->pageStart);
    PlatformSurface* first = draw.createSurface(480, 640, kMaskSet565);
    PlatformSurface* second = draw.createSurface(480, 640, kMaskSet565);
    PaintPage(layout, first);
    LayoutPage(layout, *doc, doc->pageStart);
    PaintPage(layout, second);
    const std::vector<uint32_t> a = Pixels(draw, first);
    EXPECT_EQ(a, Pixels(draw, second));
    // Something was drawn, and justified lines reach the right margin (the ink of the last
    // letter ends within a few pixels of it).
    EXPECT_GT(
        std::count_if(a.begin(), a.end(), [](uint32_t p) { return (p & 0xFFFFFF) != 0xFFFFFF; }),
        5000);
    const int y = layout.textRect.top + LinePitch(layout) * 2;  // a body line inside a paragraph
    int rightmost = 0;
    for (int row = y; row < y + layout.fonts.textFontHeight; ++row) {
        for (int x = 0; x < 480; ++x) {
            if ((a[static_cast<size_t>(row * 480 + x)] & 0xFFFFFF) != 0xFFFFFF)
                rightmost = std::max(rightmost, x);
        }
    }
    EXPECT_GE(rightmost, layout.textRect.right - 4);
    EXPECT_LT(rightmost, layout.textRect.right);
    draw.deleteSurface(first);
    draw.deleteSurface(second);
    ReleaseLayoutFonts(layout);
}

}  // namespace
}  // namespace lectra
