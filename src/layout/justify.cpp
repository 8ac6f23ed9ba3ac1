// Drawing one body line, its spare width spread over the gaps between its words.
#include "layout/justify.h"

#include "layout/layout_fonts.h"

namespace lectra {

void JustifyAndDrawLine(const Layout& layout, const DrawContext& dc, const LineRecord& record,
                        PixelRect rect) {
    // The line record is left as it is: a page is painted again (the clock's repaint) without
    // being laid out again.
    std::u16string_view text = record.text;
    if (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    const int length = static_cast<int>(text.size());
    const int spare = rect.right - rect.left - MeasureText(dc, text.data(), length);
    if (spare < 2 || record.words < 2 || !layout.settings->justify) {
        dc.draw->drawText(dc.surface, dc.font, dc.textColour, rect, text.data(), length,
                          kAlignLeft);
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
        dc.draw->drawText(dc.surface, dc.font, dc.textColour, at, piece, pieceLength, kAlignLeft);
        x += MeasureText(dc, piece, pieceLength) + gap;
        pieceStart = i + 1;
    }
}

}  // namespace lectra
