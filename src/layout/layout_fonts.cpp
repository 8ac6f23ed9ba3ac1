// The text, status and clock fonts and the brushes, made from the active profile; measuring.
#include "layout/layout_fonts.h"

#include <algorithm>

namespace lectra {

namespace {

constexpr int kStatusWeight = 500;
constexpr uint32_t kPureRed = 0x0000FF;

void Replace(Layout& layout, PlatformFont*& slot, const FontDesc& desc) {
    if (slot) layout.draw->deleteFont(slot);
    slot = layout.draw->createFont(desc);
}

}  // namespace

void CreateLayoutFont(Layout& layout, int which, int screenWidth) {
    const Settings& s = *layout.settings;
    const int p = ActiveProfile(s);
    LayoutFonts& f = layout.fonts;
    FontDesc desc;
    desc.quality = s.fontCtText[p] ? kQualityClearType : 0;
    if (which == 0) {
        desc.face = s.fontFaceText;
        desc.height = -s.fontSizeText[p];
        desc.weight = s.fontBoldText[p] ? s.boldWeight : s.normalWeight;
        Replace(layout, f.textFont, desc);
        const FontMetrics first = layout.draw->fontMetrics(f.textFont);
        f.textFontHeight = first.height;
        f.textFontAscent = first.ascent;
        FontDesc title = desc;
        title.height = -(s.fontSizeText[p] * 5 + 2) / 4;
        title.weight = std::max(s.boldWeight, desc.weight);
        if (s.fontWidthChar[p] != 0) {
            // Narrower or wider by that many pixels on average; the line height stays that of
            // the face at its own width.
            desc.width = std::max(1, first.aveCharWidth + s.fontWidthChar[p]);
            Replace(layout, f.textFont, desc);
        }
        // A quarter larger than the text: the capitals of a book face then stay inside the text
        // font's ascent, so that a title fits the line pitch without touching its neighbours.
        Replace(layout, f.titleFont, title);
        f.titleFontAscent = f.titleFont ? layout.draw->fontMetrics(f.titleFont).ascent : 0;
    } else {
        desc.face = s.fontFaceStatus;
        desc.height = -s.fontSizeStatus;
        desc.weight = kStatusWeight;
        Replace(layout, f.statusFont, desc);
        f.statusFontHeight = layout.draw->fontMetrics(f.statusFont).height;
    }
    if (!f.clockFont) {
        // The face of the font just made; later changes of face, weight or screen never reach it.
        FontDesc clock;
        clock.face = desc.face;
        clock.width = std::max(0, screenWidth / 6);
        clock.height = 5 * clock.width;
        clock.weight = s.boldWeight;
        clock.quality = 0;
        f.clockFont = layout.draw->createFont(clock);
    }
}

void CreateLayoutBrush(Layout& layout, int which) {
    const Settings& s = *layout.settings;
    const int p = ActiveProfile(s);
    LayoutFonts& f = layout.fonts;
    if (which == 0) {
        f.backgroundBrush = {1, s.colors[kColourBk][p]};
    } else {
        f.statusBrush = {1, s.colors[kColourStatus][p]};
    }
    if (!f.markBrush.exists) f.markBrush = {1, kPureRed};
}

void ReleaseLayoutFonts(Layout& layout) {
    LayoutFonts& f = layout.fonts;
    for (PlatformFont** slot : {&f.textFont, &f.titleFont, &f.statusFont, &f.clockFont}) {
        if (*slot) layout.draw->deleteFont(*slot);
        *slot = nullptr;
    }
    f.textFontHeight = 0;
    f.textFontAscent = 0;
    f.titleFontAscent = 0;
    f.statusFontHeight = 0;
}

int MeasureText(const DrawContext& dc, const char16_t* text, int length) {
    if (length <= 0) return 0;
    return dc.draw->measureText(dc.font, text, length);
}

DrawContext TextContext(const Layout& layout) {
    DrawContext dc;
    dc.draw = layout.draw;
    dc.surface = layout.surface;
    dc.font = layout.fonts.textFont;
    dc.textColour = layout.settings->colors[kColourText][ActiveProfile(*layout.settings)];
    return dc;
}

}  // namespace lectra
