// Drawing one line: its spare width spread over the gaps between its words, its emphasised runs
// each in its own font.
#include "layout/justify.h"

#include "layout/layout_fonts.h"

namespace lectra {

namespace {

// Draws `length` units from `rect.left` run by run and returns the width they cover, which is
// what MeasureRuns gives for them.
int DrawRuns(const Layout& layout, const DrawContext& dc, PixelRect rect, const char16_t* text,
             const uint8_t* styles, int length) {
    const int baseline = layout.fonts.textFontAscent;
    int x = 0;
    for (int at = 0; at < length;) {
        int end = at + 1;
        while (end < length && styles[end] == styles[at]) ++end;
        int ascent = baseline;
        PlatformFont* font = EmphasisFont(layout, dc.font, styles[at], &ascent);
        int top = rect.top + baseline - ascent;
        if (styles[at] & kEmphasisSuper) top -= baseline / 3;
        if (styles[at] & kEmphasisSub) top += baseline / 5;
        const PixelRect place{rect.left + x, top, rect.right, top + rect.bottom - rect.top};
        dc.draw->drawText(dc.surface, font, dc.textColour, place, text + at, end - at, kAlignLeft);
        x += dc.draw->measureText(font, text + at, end - at);
        at = end;
    }
    return x;
}

// The line's text and styles without one trailing space.
int DrawnLength(const LineRecord& record) {
    const int length = static_cast<int>(record.text.size());
    return length > 0 && record.text.back() == u' ' ? length - 1 : length;
}

}  // namespace

bool LineHasEmphasis(const LineRecord& record) {
    if ((record.flags & kStyleTitle) || record.styles.size() != record.text.size()) return false;
    for (uint8_t style : record.styles) {
        if (style) return true;
    }
    return false;
}

void DrawLineRuns(const Layout& layout, const DrawContext& dc, const LineRecord& record,
                  PixelRect rect, unsigned align) {
    const int length = DrawnLength(record);
    const char16_t* text = record.text.data();
    const uint8_t* styles = record.styles.data();
    const int width = MeasureRuns(layout, dc, text, styles, length);
    PixelRect at = rect;
    if (align & kAlignRight) at.left = rect.right - width;
    if (align & kAlignCentre) at.left = rect.left + (rect.right - rect.left - width) / 2;
    DrawRuns(layout, dc, at, text, styles, length);
}

void JustifyAndDrawLine(const Layout& layout, const DrawContext& dc, const LineRecord& record,
                        PixelRect rect) {
    // The line record is left as it is: a page is painted again (the clock's repaint) without
    // being laid out again.
    std::u16string_view text = record.text;
    if (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    const int length = static_cast<int>(text.size());
    const bool runs = LineHasEmphasis(record);
    const uint8_t* styles = record.styles.data();
    const int spare = rect.right - rect.left -
                      (runs ? MeasureRuns(layout, dc, text.data(), styles, length)
                            : MeasureText(dc, text.data(), length));
    if (spare < 2 || record.words < 2 || !layout.settings->justify) {
        if (runs) {
            DrawRuns(layout, dc, rect, text.data(), styles, length);
        } else {
            dc.draw->drawText(dc.surface, dc.font, dc.textColour, rect, text.data(), length,
                              kAlignLeft);
        }
        return;
    }
    const double gap = static_cast<double>(spare) / (record.words - 1);
    // Offsets from the line's left edge, so that the same line lands on the same pixels wherever
    // the page sits in the surface.
    double x = 0;
    // A piece ends at a space that neither begins it nor follows another space, so the indent
    // stays with the first word; the space belongs to the piece.
    int pieceStart = 0;
    for (int i = 0; i < length; ++i) {
        const bool ends =
            i == length - 1 || (text[i] == u' ' && i != pieceStart && text[i - 1] != u' ');
        if (!ends) continue;
        const char16_t* piece = text.data() + pieceStart;
        const int pieceLength = i + 1 - pieceStart;
        PixelRect at = rect;
        at.left = rect.left + static_cast<int>(x);
        if (runs) {
            x += DrawRuns(layout, dc, at, piece, styles + pieceStart, pieceLength) + gap;
        } else {
            dc.draw->drawText(dc.surface, dc.font, dc.textColour, at, piece, pieceLength,
                              kAlignLeft);
            x += MeasureText(dc, piece, pieceLength) + gap;
        }
        pieceStart = i + 1;
    }
}

}  // namespace lectra
