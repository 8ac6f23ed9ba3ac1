// The platform's drawing services as the reader sees them: fonts, measuring, the page surface and
// text drawn into it. A table of functions, so that the layout can be driven by any implementation
// (the Qt one in platform/qt, or a fixed-advance one in the tests).
#pragma once
#include <cstdint>
#include <string>

namespace lectra {

struct PlatformFont;     // opaque; made and released only through DrawServices
struct PlatformSurface;  // opaque

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A logical font as the reader describes it. `height` < 0 asks for a character height of
// −height pixels, > 0 for a cell height (ascent + descent) of that many pixels, 0 for a default
// size. `width` 0 keeps the face's own widths; otherwise the average character width wanted, in
// pixels. `weight` on the 100–900 scale (0: normal). `quality` 6 draws smoothed text, anything
// else plain pixels. The flags ask for the italic of the face, a monospaced face instead of
// `face`, and lines under or through the text drawn by the font.
struct FontDesc {
    std::u16string face;
    int height = 0;
    int width = 0;
    int weight = 0;
    int quality = 0;
    int italic = 0;
    int fixedPitch = 0;
    int underline = 0;
    int strikeOut = 0;
};
constexpr int kQualityClearType = 6;

struct FontMetrics {
    int height = 0;  // cell height: ascent + descent
    int ascent = 0;
    int descent = 0;
    int aveCharWidth = 0;
};

// The two colour-mask sets a page surface can be made with: 5-6-5, or 5-5-5 with green on top.
// Colours drawn into a surface are cut to its set's depth.
constexpr int kMaskSet565 = 0;
constexpr int kMaskSetAlternate = 1;

// Placement of text in its rectangle; the default is left and top.
enum TextAlign : unsigned {
    kAlignLeft = 0,
    kAlignCentre = 1,
    kAlignRight = 2,
    kAlignVCentre = 4,
};

constexpr int kLogoWidth = 150;
constexpr int kLogoHeight = 32;

// Colours are colour references: red in the low byte, then green, then blue.
struct DrawServices {
    // Null when no font could be made.
    PlatformFont* (*createFont)(const FontDesc& desc);
    void (*deleteFont)(PlatformFont* font);
    FontMetrics (*fontMetrics)(const PlatformFont* font);
    // Width in pixels of `length` units of `text` drawn with `font`: exactly the advance that
    // drawText gives the same text.
    int (*measureText)(PlatformFont* font, const char16_t* text, int length);

    PlatformSurface* (*createSurface)(int width, int height, int maskSet);
    void (*deleteSurface)(PlatformSurface* surface);
    int (*surfaceMaskSet)(const PlatformSurface* surface);
    // The surface's pixels, 0xFFRRGGBB (the top byte is always FF), `*stride` pixels a row;
    // every drawing call before this one has reached them.
    uint32_t* (*surfacePixels)(PlatformSurface* surface, int* width, int* height, int* stride);
    void (*fillRect)(PlatformSurface* surface, PixelRect rect, uint32_t colour);
    // One line of text, unclipped, in `rect` placed as `align` says; transparent background.
    void (*drawText)(PlatformSurface* surface, PlatformFont* font, uint32_t colour, PixelRect rect,
                     const char16_t* text, int length, unsigned align);
    // The program's logo (kLogoWidth × kLogoHeight) at its own size with its top left at x, y;
    // nothing when the logo is unavailable.
    void (*drawLogo)(PlatformSurface* surface, int x, int y);
};

}  // namespace lectra
