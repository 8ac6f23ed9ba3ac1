// Qt's drawing services: measured widths are the drawn advances, colours cut to the depth.
#include <gtest/gtest.h>

#include <random>

#include "layout_test_support.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"

namespace lectra {
namespace {

struct QtDraw : ::testing::Test {
    const DrawServices& draw = QtDrawServices();
    static void SetUpTestSuite() {
        test::QtTestEnvironment();
        ASSERT_EQ(StartGuiPlatform(), 1);
    }
    std::vector<uint32_t> Pixels(PlatformSurface* surface) {
        int w = 0, h = 0, stride = 0;
        const uint32_t* p = draw.surfacePixels(surface, &w, &h, &stride);
        std::vector<uint32_t> out;
        for (int y = 0; y < h; ++y) out.insert(out.end(), p + y * stride, p + y * stride + w);
        return out;
    }
};

// Random text drawn whole, or in two pieces with the second placed at the measured width of the
// first: the same pixels only when measuring gives exactly the advance that drawing uses. A text
// is measured whole, not as the sum of its units.
TEST_F(QtDraw, MeasuredWidthIsTheDrawnAdvance) {
    const std::u16string alphabet =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
        u"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
        u"     .,;:!?-—«»“”'()0123456789";
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    PlatformSurface* whole = draw.createSurface(900, 40, kMaskSet565);
    PlatformSurface* pieces = draw.createSurface(900, 40, kMaskSet565);
    for (int quality : {0, kQualityClearType}) {
        for (int size : {9, 14, 23}) {
            PlatformFont* font = draw.createFont(FontDesc{u"DejaVu Sans", -size, 0, 400, quality});
            ASSERT_NE(font, nullptr);
            // Controls and the soft hyphen take no room inside a text, though alone they would.
            EXPECT_EQ(draw.measureText(font, u"a\x10\u00ADb", 4), draw.measureText(font, u"ab", 2));
            for (int round = 0; round < 40; ++round) {
                std::u16string text;
                for (int i = pick(2, 50); i > 0; --i)
                    text += alphabet[pick(0, static_cast<int>(alphabet.size()) - 1)];
                const int n = static_cast<int>(text.size()), cut = pick(1, n - 1);
                const int first = draw.measureText(font, text.data(), cut);
                for (PlatformSurface* s : {whole, pieces})
                    draw.fillRect(s, {0, 0, 900, 40}, 0xFFFFFF);
                draw.drawText(whole, font, 0, {3, 5, 900, 40}, text.data(), n, kAlignLeft);
                draw.drawText(pieces, font, 0, {3, 5, 900, 40}, text.data(), cut, kAlignLeft);
                draw.drawText(pieces, font, 0, {3 + first, 5, 900, 40}, text.data() + cut, n - cut,
                              kAlignLeft);
                ASSERT_EQ(Pixels(whole), Pixels(pieces)) << Utf16ToUtf8(text) << " cut at " << cut
                                                         << ", size " << size << ", " << quality;
                EXPECT_EQ(draw.measureText(font, text.data(), n),
                          first + draw.measureText(font, text.data() + cut, n - cut));
            }
            draw.deleteFont(font);
        }
    }
    draw.deleteSurface(whole);
    draw.deleteSurface(pieces);
}

TEST_F(QtDraw, ColoursAreCutToTheSurfacesDepth) {
    for (int maskSet : {kMaskSet565, kMaskSetAlternate}) {
        PlatformSurface* s = draw.createSurface(4, 4, maskSet);
        draw.fillRect(s, PixelRect{0, 0, 4, 4}, MakeColour(0x0F, 0x0F, 0xFF));
        // Red and blue keep 5 bits, green 6 or 5; each is widened back by repeating its top bits.
        const uint32_t green = maskSet == kMaskSet565 ? 0x0C : 0x08;
        EXPECT_EQ(Pixels(s)[5], 0xFF000000u | 0x08 << 16 | green << 8 | 0xFF);
        draw.deleteSurface(s);
    }
    EXPECT_EQ(draw.createSurface(0, 10, 0), nullptr);
}

}  // namespace
}  // namespace lectra
