// Making the fonts and brushes from the active profile, and the page's rectangles, on the
// fixed-advance drawing services.
#include "layout/layout_fonts.h"

#include <gtest/gtest.h>

#include "layout/page_geometry.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::Fake;

struct Fonts : ::testing::Test {
    Settings settings = test::DefaultSettings();
    Layout layout;
    void SetUp() override {
        layout.draw = &test::FakeDraw();
        layout.settings = &settings;
    }
    void TearDown() override { ReleaseLayoutFonts(layout); }
};

TEST_F(Fonts, TheTextFontComesFromTheActiveProfileAndTheClockOnce) {
    const int before = test::FakeFontsMade();
    CreateLayoutFont(layout, 0, 480);
    EXPECT_EQ(test::FakeFontsMade() - before, 2);  // text and clock
    const FontDesc& text = Fake(layout.fonts.textFont)->desc;
    EXPECT_EQ(text.face, u"Verdana");
    EXPECT_EQ(text.height, -14);
    EXPECT_EQ(text.weight, 500);
    EXPECT_EQ(text.width, 0);
    EXPECT_EQ(text.quality, 0);
    EXPECT_EQ(layout.fonts.textFontHeight, 18);
    const FontDesc& clock = Fake(layout.fonts.clockFont)->desc;
    EXPECT_EQ(clock.width, 80);
    EXPECT_EQ(clock.height, 400);
    EXPECT_EQ(clock.weight, 700);
    EXPECT_EQ(clock.face, u"Verdana");

    // The next profile: bold, ClearType, another face; the clock stays as it was.
    settings.activeProfile = 1;
    settings.fontSizeText[1] = 20;
    settings.fontCtText[1] = 1;
    settings.fontFaceText = u"DejaVu Serif";
    PlatformFont* clockBefore = layout.fonts.clockFont;
    CreateLayoutFont(layout, 0, 800);
    EXPECT_EQ(Fake(layout.fonts.textFont)->desc.weight, 700);
    EXPECT_EQ(Fake(layout.fonts.textFont)->desc.quality, kQualityClearType);
    EXPECT_EQ(layout.fonts.textFontHeight, 24);
    EXPECT_EQ(layout.fonts.clockFont, clockBefore);
    EXPECT_EQ(Fake(layout.fonts.clockFont)->desc.face, u"Verdana");
}

TEST_F(Fonts, AWidthAdjustmentRemakesTheFontAndKeepsTheFirstHeight) {
    settings.fontWidthChar[0] = -3;
    settings.fontSizeText[0] = 30;
    CreateLayoutFont(layout, 0, 480);
    const int before = test::FakeFontsMade();
    CreateLayoutFont(layout, 0, 480);
    EXPECT_EQ(test::FakeFontsMade() - before, 2);  // made, then made again narrower
    EXPECT_EQ(Fake(layout.fonts.textFont)->desc.width, 10 - 3);
    EXPECT_EQ(layout.fonts.textFontHeight, 34);
}

TEST_F(Fonts, TheStatusFontIsAlwaysWeight500) {
    settings.fontBoldText[0] = 1;
    settings.fontCtText[0] = 1;
    CreateLayoutFont(layout, 1, 480);
    const FontDesc& status = Fake(layout.fonts.statusFont)->desc;
    EXPECT_EQ(status.weight, 500);
    EXPECT_EQ(status.height, -9);
    EXPECT_EQ(status.quality, kQualityClearType);
    EXPECT_EQ(layout.fonts.statusFontHeight, 13);
    // Made first, the status font gives the clock its face.
    EXPECT_EQ(Fake(layout.fonts.clockFont)->desc.face, settings.fontFaceStatus);
}

TEST_F(Fonts, BrushesFollowTheProfileAndTheRedMarkIsMadeOnce) {
    CreateLayoutBrush(layout, 0);
    CreateLayoutBrush(layout, 1);
    EXPECT_EQ(layout.fonts.backgroundBrush.colour, MakeColour(255, 255, 255));
    EXPECT_EQ(layout.fonts.statusBrush.colour, MakeColour(32, 32, 32));
    EXPECT_EQ(layout.fonts.markBrush.colour, MakeColour(255, 0, 0));
    settings.activeProfile = 1;
    CreateLayoutBrush(layout, 0);
    EXPECT_EQ(layout.fonts.backgroundBrush.colour, MakeColour(0, 0, 0));
    EXPECT_EQ(layout.fonts.markBrush.colour, MakeColour(255, 0, 0));
}

TEST(PageGeometry, StatusLineAndProgressBarTakeTheirRoomFromTheText) {
    Settings s = test::DefaultSettings();
    PageGeometry g = ComputePageGeometry(s, 480, 640, 480, 11, 0);
    EXPECT_EQ(g.statusRect.top, 628);
    EXPECT_EQ(g.progressRect.top, 624);
    EXPECT_EQ(g.textRect.left, 1);
    EXPECT_EQ(g.textRect.right, 479);
    EXPECT_EQ(g.textRect.bottom, 624);
    // Status line hidden in full screen: the bar sits on the page's bottom.
    s.visibleStatus[1] = 0;
    g = ComputePageGeometry(s, 480, 640, 480, 11, 1);
    EXPECT_EQ(g.progressRect.bottom, 640);
    EXPECT_EQ(g.textRect.bottom, 636);
    // The bar down the right edge; a quarter turn swaps the page's sides and moves it right of
    // the screen area.
    s.modeProgress = 7;
    s.rotateScreen = 900;
    g = ComputePageGeometry(s, 480, 640, 480, 11, 0);
    EXPECT_EQ(g.pageWidth, 640);
    EXPECT_EQ(g.pageHeight, 480);
    EXPECT_EQ(g.x0, 480);
    EXPECT_EQ(g.textRect.right, 480 + 640 - 4 - 1);
    EXPECT_EQ(g.textRect.bottom, 480 - 12);
}

}  // namespace
}  // namespace lectra
