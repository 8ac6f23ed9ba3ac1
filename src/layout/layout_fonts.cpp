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
        ReleaseEmphasisFonts(layout);
        f.emphasisDesc = desc;
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
    ReleaseEmphasisFonts(layout);
    f.emphasisDesc = FontDesc{};
    f.textFontHeight = 0;
    f.textFontAscent = 0;
    f.titleFontAscent = 0;
    f.statusFontHeight = 0;
}

int MeasureText(const DrawContext& dc, const char16_t* text, int length) {
    if (length <= 0) return 0;
    return dc.draw->measureText(dc.font, text, length);
}

int EmphasisFontIndex(uint8_t style) {
    int index = 0;
    if (style & kEmphasisItalic) index |= 1;
    if (style & kEmphasisBold) index |= 2;
    if (style & kEmphasisMono) index |= 4;
    if (style & (kEmphasisSuper | kEmphasisSub)) index |= 8;
    if (style & kEmphasisUnderline) index |= 16;
    if (style & kEmphasisStrike) index |= 32;
    return index;
}

PlatformFont* EmphasisFont(const Layout& layout, PlatformFont* plain, uint8_t style, int* ascent) {
    const LayoutFonts& f = layout.fonts;
    const int index = EmphasisFontIndex(style);
    if (ascent) *ascent = f.textFontAscent;
    if (index == 0 || (f.emphasisDesc.face.empty() && f.emphasisDesc.height == 0)) return plain;
    if (!f.emphasisFonts[index]) {
        FontDesc desc = f.emphasisDesc;
        desc.italic = index & 1;
        if (index & 2) desc.weight = std::max(layout.settings->boldWeight, desc.weight);
        desc.fixedPitch = (index & 4) != 0;
        if (index & 8) {
            // Two thirds of the text's size, as a printed superscript is.
            desc.height = desc.height < 0 ? std::min(-1, (desc.height * 2 - 1) / 3)
                                          : std::max(1, (desc.height * 2 + 1) / 3);
            if (desc.width > 0) desc.width = std::max(1, desc.width * 2 / 3);
        }
        desc.underline = (index & 16) != 0;
        desc.strikeOut = (index & 32) != 0;
        f.emphasisFonts[index] = layout.draw->createFont(desc);
        if (!f.emphasisFonts[index]) return plain;
        f.emphasisAscents[index] = layout.draw->fontMetrics(f.emphasisFonts[index]).ascent;
    }
    if (ascent) *ascent = f.emphasisAscents[index];
    return f.emphasisFonts[index];
}

void ReleaseEmphasisFonts(Layout& layout) {
    LayoutFonts& f = layout.fonts;
    for (int i = 0; i < kEmphasisFonts; ++i) {
        if (f.emphasisFonts[i]) layout.draw->deleteFont(f.emphasisFonts[i]);
        f.emphasisFonts[i] = nullptr;
        f.emphasisAscents[i] = 0;
    }
}

int MeasureRuns(const Layout& layout, const DrawContext& dc, const char16_t* text,
                const uint8_t* styles, int length) {
    if (length <= 0) return 0;
    int width = 0;
    for (int at = 0; at < length;) {
        int end = at + 1;
        while (end < length && styles[end] == styles[at]) ++end;
        PlatformFont* font = EmphasisFont(layout, dc.font, styles[at], nullptr);
        width += dc.draw->measureText(font, text + at, end - at);
        at = end;
    }
    return width;
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
