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
// The page surface with the text font selected, in the text colour of the active profile.
DrawContext TextContext(const Layout& layout);

}  // namespace lectra
