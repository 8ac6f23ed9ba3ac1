// Where each unit of a laid-out line is painted: the one description of how PaintLines places a
// line (font, alignment, spread gaps, emphasis runs), shared by the painter, the tap and the mark.
#include "layout/line_geometry.h"

#include <string_view>

#include "layout/justify.h"
#include "layout/layout_fonts.h"

namespace lectra {

LineDrawing HowLineIsDrawn(const Layout& layout, const LineRecord& line) {
    const uint32_t flags = line.flags;
    const bool body = (flags & (kStyleBody | kStyleNine)) != 0;
    if (LineHasEmphasis(line)) {
        if (body) return (flags & kParaEnd) ? LineDrawing::kRunsLeft : LineDrawing::kRunsJustified;
        return (flags & kStyleRight) ? LineDrawing::kRunsRight : LineDrawing::kRunsLeft;
    }
    if (body) return (flags & kParaEnd) ? LineDrawing::kLeft : LineDrawing::kJustified;
    if (flags & kStyleRight) return LineDrawing::kRight;
    if ((flags & kTitleFont) && layout.fonts.titleFont) return LineDrawing::kTitleFont;
    if (flags & kStyleTitle) return LineDrawing::kCentred;
    return LineDrawing::kLeft;
}

std::vector<int> CharacterEdges(const Layout& layout, const LineRecord& line, PixelRect rect) {
    DrawContext dc = TextContext(layout);
    const LineDrawing how = HowLineIsDrawn(layout, line);
    if (how == LineDrawing::kTitleFont) dc.font = layout.fonts.titleFont;
    const bool runs = how == LineDrawing::kRunsLeft || how == LineDrawing::kRunsRight ||
                      how == LineDrawing::kRunsJustified;
    const bool justified = how == LineDrawing::kJustified || how == LineDrawing::kRunsJustified;
    // Justified lines and lines drawn run by run leave one trailing space out.
    std::u16string_view text = line.text;
    if ((runs || justified) && !text.empty() && text.back() == u' ') text.remove_suffix(1);
    const int length = static_cast<int>(text.size());
    // LineHasEmphasis said the styles are one a unit.
    const uint8_t* styles = line.styles.data();
    auto widthOf = [&](int from, int to) {
        return runs ? MeasureRuns(layout, dc, text.data() + from, styles + from, to - from)
                    : MeasureText(dc, text.data() + from, to - from);
    };
    const int width = widthOf(0, length);
    const int spare = rect.right - rect.left - width;
    double left = rect.left;
    if (how == LineDrawing::kRight || how == LineDrawing::kRunsRight) {
        left = rect.right - width;
    } else if (how == LineDrawing::kCentred || how == LineDrawing::kTitleFont) {
        left = rect.left + (rect.right - rect.left - width) / 2;
    }
    const bool spread = justified && spare >= 2 && line.words >= 2 && layout.settings->justify;
    const double gap = spread ? static_cast<double>(spare) / (line.words - 1) : 0;
    std::vector<int> edges;
    edges.reserve(static_cast<size_t>(length) + 1);
    // The pieces as JustifyAndDrawLine cuts them: a piece ends at a space that neither begins it
    // nor follows another space. Inside a piece a unit starts where the piece's units before it
    // end, each run measured in its own font as DrawRuns draws it.
    double pieceX = left;
    int pieceStart = 0;
    for (int i = 0; i < length; ++i) {
        edges.push_back(static_cast<int>(pieceX) + widthOf(pieceStart, i));
        // The last piece runs to the end of the line; no gap follows it.
        const bool ends = text[i] == u' ' && i != pieceStart && text[i - 1] != u' ';
        if (spread && ends && i + 1 < length) {
            pieceX += widthOf(pieceStart, i + 1) + gap;
            pieceStart = i + 1;
        }
    }
    edges.push_back(static_cast<int>(pieceX) + widthOf(pieceStart, length));
    return edges;
}

}  // namespace lectra
