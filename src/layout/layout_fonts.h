// The text, status and clock fonts and the brushes, made from the active profile; measuring.
#pragma once
#include "layout/layout.h"

namespace lectra {

// which = 0 makes the text font (and the clock font the first time), 1 the status font. A font
// that is made again replaces the old one. `screenWidth` sizes the clock font.
void CreateLayoutFont(Layout& layout, int which, int screenWidth);
// which = 0 makes the background brush, 1 the status brush; either makes the red mark brush once.
void CreateLayoutBrush(Layout& layout, int which);
// Deletes every font; for shutdown.
void ReleaseLayoutFonts(Layout& layout);

// Width in pixels of `length` units of `text` as drawn with the context's font.
int MeasureText(const DrawContext& dc, const char16_t* text, int length);
inline int MeasureText(const DrawContext& dc, const std::u16string& text) {
    return MeasureText(dc, text.data(), static_cast<int>(text.size()));
}
// The font of a run of emphasis `style` (kEmphasis… bits): `plain` for none, else a font made
// from the text font's description on first use and kept until the text font is made again.
// `ascent`, when given, receives the font's ascent, for placing its baseline on the line's.
PlatformFont* EmphasisFont(const Layout& layout, PlatformFont* plain, uint8_t style, int* ascent);
// Deletes the emphasis fonts; the next run that needs one makes it again.
void ReleaseEmphasisFonts(Layout& layout);
// Width of `length` units whose emphasis `styles` gives, each run measured in its own font (the
// context's font for plain runs): what drawing them run by run covers.
int MeasureRuns(const Layout& layout, const DrawContext& dc, const char16_t* text,
                const uint8_t* styles, int length);
// The page surface with the text font selected, in the text colour of the active profile.
DrawContext TextContext(const Layout& layout);

}  // namespace lectra
