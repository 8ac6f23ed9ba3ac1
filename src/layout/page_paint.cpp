// Painting the page into the off-screen surface: background, the clock under the text, the status
// line, the progress bar and the text lines, then the turn for a rotated screen.
#include "layout/page_paint.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "document/text_cache.h"
#include "layout/justify.h"
#include "layout/layout_fonts.h"
#include "layout/line_geometry.h"
#include "layout/pagination.h"
#include "layout/picture_blocks.h"
#include "layout/search_mark.h"

namespace lectra {

namespace {

// The surface may be no wider or higher than this, so that M + W never overflows.
constexpr int kMaxSurfaceSide = 16384;
constexpr int kLogoTop = 16;
constexpr int kStatusGap = 10;
constexpr char16_t kEllipsis = u'\u2026';

int WantedMaskSet(const Settings& s) {
    return s.deleteCt && !s.fontCtText[ActiveProfile(s)] ? kMaskSetAlternate : kMaskSet565;
}

struct SurfaceSize {
    int width = 0;
    int height = 0;
};

// Asking for the pixels ends any drawing in progress, which is harmless before painting starts.
SurfaceSize SizeOf(const Layout& layout) {
    SurfaceSize size;
    int stride = 0;
    if (layout.surface)
        layout.draw->surfacePixels(layout.surface, &size.width, &size.height, &stride);
    return size;
}

void Remake(Layout& layout, int width, int height, int maskSet) {
    ReleasePageSurface(layout);
    layout.surface = layout.draw->createSurface(width, height, maskSet);
}

std::u16string Widen(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

// The painter's view of one paint: the services, the surface and its size, for clipped fills.
struct Canvas {
    const DrawServices* draw;
    PlatformSurface* surface;
    SurfaceSize size;
};

void Fill(const Canvas& c, PixelRect r, uint32_t colour) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, c.size.width);
    r.bottom = std::min(r.bottom, c.size.height);
    if (r.left < r.right && r.top < r.bottom) c.draw->fillRect(c.surface, r, colour);
}

void Text(const Canvas& c, PlatformFont* font, uint32_t colour, PixelRect r,
          const std::u16string& text, unsigned align) {
    c.draw->drawText(c.surface, font, colour, r, text.data(), static_cast<int>(text.size()), align);
}

int Width(const Canvas& c, PlatformFont* font, const std::u16string& text) {
    return text.empty() ? 0 : c.draw->measureText(font, text.data(), static_cast<int>(text.size()));
}

// The book's path cut from the front until it fits `room`: each step drops the first unit and
// writes the ellipsis over the new first one. Half a surrogate pair is not left after it.
std::u16string FittedPath(const Canvas& c, PlatformFont* font, const std::u16string& path,
                          int room) {
    std::u16string shown = path;
    while (shown.size() > 1 && Width(c, font, shown) > room) {
        shown.erase(0, 1);
        shown[0] = kEllipsis;
        if (shown.size() > 1 && shown[1] >= 0xDC00 && shown[1] < 0xE000) shown.erase(1, 1);
    }
    return shown;
}

void PaintStatusLine(const Layout& layout, const Canvas& c, const Document* doc) {
    const Settings& s = *layout.settings;
    const StatusSnapshot& st = layout.status;
    PlatformFont* font = layout.fonts.statusFont;
    if (!font) return;
    const uint32_t colour = s.colors[kColourStatus][ActiveProfile(s)];
    const PixelRect& status = layout.geometry.statusRect;
    PixelRect r = status;
    char buffer[96];

    std::snprintf(buffer, sizeof buffer, "%02d:%02d ", st.hour, st.minute);
    std::u16string item = Widen(buffer);
    Text(c, font, colour, status, item, kAlignRight);
    r.right -= Width(c, font, item) + kStatusGap;

    if (st.bookmarkHere) {
        // A ribbon left of the clock, notched at its foot, drawn rather than written so that no
        // status face lacks it.
        const int h = status.bottom - status.top;
        const int w = std::max(3, h / 3) | 1;
        const PixelRect ribbon{r.right - w, status.top + h / 6, r.right, status.bottom - h / 6};
        if (ribbon.left > r.left && ribbon.bottom - ribbon.top >= 3) {
            Fill(c, ribbon, colour);
            const int notch = std::max(1, (ribbon.bottom - ribbon.top) / 4);
            Fill(c,
                 {ribbon.left + w / 2, ribbon.bottom - notch, ribbon.left + w / 2 + 1,
                  ribbon.bottom},
                 s.colors[kColourBk][ActiveProfile(s)]);
            r.right = ribbon.left - kStatusGap;
        }
    }

    if (layout.autoscrolling && layout.autoscrollTicks % 4 >= 2) {
        std::snprintf(buffer, sizeof buffer, "%1.2fs", s.aswTime / 1000.0);
        item = Widen(buffer);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d%%", st.batteryPercent);
        item = st.power + Widen(buffer);
    }
    Text(c, font, colour, status, item, kAlignLeft);
    r.left += Width(c, font, item) + kStatusGap;

    if (layout.autoscrollPaused) {
        Text(c, font, colour, status, u"pause", kAlignCentre);
        return;
    }
    switch (s.modeStatus) {
        case 0:
            if (doc && !doc->bookPath.empty()) {
                Text(c, font, colour, r, FittedPath(c, font, doc->bookPath, r.right - r.left),
                     kAlignRight);
            }
            return;
        case 1:
            std::snprintf(buffer, sizeof buffer, "%1.2f%%", st.percentRead);
            break;
        case 2:
            std::snprintf(buffer, sizeof buffer, "%d/%d", st.page, st.pages);
            break;
        case 3:
            std::snprintf(buffer, sizeof buffer, "%1.2f%% %d/%d", st.percentRead, st.page,
                          st.pages);
            break;
        default:
            return;
    }
    Text(c, font, colour, status, Widen(buffer), kAlignCentre);
}

// Pixels out of `length` for a share of 0..100; the share is held to that range so that a battery
// reported as unknown (255) or a rounding past 100 stays on the bar.
int Share(int length, double percent) {
    return static_cast<int>(length * std::clamp(percent, 0.0, 100.0) / 100.0);
}

void PaintProgressBar(const Layout& layout, const Canvas& c) {
    const Settings& s = *layout.settings;
    const PixelRect& bar = layout.geometry.progressRect;
    const int L = bar.left, T = bar.top, R = bar.right, B = bar.bottom;
    const uint32_t scale = layout.fonts.statusBrush.colour;
    const uint32_t gap = s.colors[kColourBk][ActiveProfile(s)];
    const int gaps[] = {20, 40, 60, 80};
    const double battery = layout.status.batteryPercent;
    if (s.modeProgress == 0) {
        const int length = R - L - 4;
        Fill(c, {L + 2, B - 2, R - 2, B - 1}, scale);
        for (int p : gaps) {
            const int x = L + 2 + static_cast<int>(int64_t{length} * p / 100);
            Fill(c, {x, B - 2, x + 1, B - 1}, gap);
        }
        const int read = std::max(1, Share(length, layout.status.percentRead));
        Fill(c, {L + 2, B - 3, L + 2 + read, B - 2}, scale);
        for (double at : layout.status.bookmarkPercents) {
            const int x = L + 2 + Share(length, at);
            Fill(c, {x, std::max(T, B - 5), x + 1, B - 1}, scale);
        }
        if (s.visibleBatteryOnProgress) {
            const int x = L + 2 + Share(length, battery);
            Fill(c, {x - 1, T + 1, x + 2, B - 1}, layout.fonts.markBrush.colour);
        }
    } else {
        // The line runs from T + 1 to B − 1, but its marks are placed on a length of B − T − 4
        // as on the bottom bar.
        const int length = B - T - 4;
        Fill(c, {R - 2, T + 1, R - 1, B - 1}, scale);
        for (int p : gaps) {
            const int y = T + 1 + static_cast<int>(int64_t{length} * p / 100);
            Fill(c, {R - 2, y, R - 1, y + 1}, gap);
        }
        const int read = std::max(1, Share(length, layout.status.percentRead));
        Fill(c, {R - 3, T + 1, R - 2, T + 1 + read}, scale);
        for (double at : layout.status.bookmarkPercents) {
            const int y = T + 1 + Share(length, at);
            Fill(c, {std::max(L, R - 5), y, R - 1, y + 1}, scale);
        }
        if (s.visibleBatteryOnProgress) {
            // Measured over B − T − 2 a full battery would land at B, below the bar, and the
            // mark would vanish; it is kept whole above the bar's end instead.
            const int y = std::max(T + 1, std::min(T + 2 + Share(B - T - 2, battery), B - 5));
            Fill(c, {L + 1, y, R, std::min(y + 4, B - 1)}, layout.fonts.markBrush.colour);
        }
    }
}

// A colour moved `steps` of 1/`lines` of the way towards `background`, channel by channel, as
// the fading autoscroll mode ages its lines.
uint32_t Faded(uint32_t colour, uint32_t background, int steps, int lines) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int fg = static_cast<int>((colour >> shift) & 0xFF);
        const int bg = static_cast<int>((background >> shift) & 0xFF);
        const int channel = fg + (bg - fg) / lines * steps;
        out |= (static_cast<uint32_t>(channel) & 0xFF) << shift;
    }
    return out;
}

void PaintLines(const Layout& layout, const Canvas& c) {
    const Settings& s = *layout.settings;
    const PixelRect& text = layout.geometry.textRect;
    DrawContext dc = TextContext(layout);
    dc.surface = c.surface;
    if (!dc.font) return;
    const uint32_t textColour = dc.textColour;
    const uint32_t titles = s.colors[kColourTitles][ActiveProfile(s)];
    const int pitch = LinePitch(layout);
    const int lines = std::min(layout.linesPerPage, static_cast<int>(layout.pageLines.size()));
    const int perPage = std::max(layout.linesPerPage, 1);
    const int mode = layout.autoscrolling ? layout.autoscrollMode : -1;
    const int marker = layout.autoscrollMarker;
    const bool wave = mode == kAutoscrollWave || mode == kAutoscrollWave2;
    const bool fading = mode == kAutoscrollWave2;
    for (int i = 0; i < lines; ++i) {
        // The line under the newest one is left out, between the new text and the old; before
        // the first tick nothing has been written and every line shows.
        if (wave && marker >= 0 && i == marker + 1) continue;
        // A copy: justifying drops the trailing space, and the page may be painted again.
        LineRecord line = layout.pageLines[static_cast<size_t>(i)];
        const int y = text.top + i * pitch;
        const PixelRect rect{text.left, y, text.right, y + layout.fonts.textFontHeight};
        const uint32_t flags = line.flags;
        if (flags & (kPictureSlot | kPictureGap)) {
            if (flags & kPictureFirst)
                PaintPictureBlock(layout, c.surface, line,
                                  {text.left, y, text.right, y + line.words * pitch}, textColour);
            continue;
        }
        uint32_t colour = textColour, titleColour = titles;
        if (fading) {
            int age = i <= marker ? marker - i : marker - i + perPage;
            if (age > 0) --age;
            const uint32_t bg = s.colors[kColourBk][ActiveProfile(s)];
            colour = Faded(textColour, bg, age, perPage);
            titleColour = Faded(titles, bg, age, perPage);
        }
        if (mode >= 0 && i == marker && i < layout.linesPerPage - 1 && !fading) {
            Fill(c, {text.left, rect.bottom - 1, text.right, rect.bottom},
                 layout.fonts.statusBrush.colour);
        }
        dc.textColour = colour;
        if (PixelRect mark; SearchMarkRect(layout, i, &mark)) {
            // The units of the search hit, behind their text: a pale mark between the page's
            // background and its title colour.
            const uint32_t bg = s.colors[kColourBk][ActiveProfile(s)];
            Fill(c, mark, Faded(titleColour, bg, 4, 5));
        }
        switch (HowLineIsDrawn(layout, line)) {
            case LineDrawing::kRunsJustified:
            case LineDrawing::kJustified:
                JustifyAndDrawLine(layout, dc, line, rect);
                break;
            case LineDrawing::kRunsLeft:
                DrawLineRuns(layout, dc, line, rect, kAlignLeft);
                break;
            case LineDrawing::kRunsRight:
                DrawLineRuns(layout, dc, line, rect, kAlignRight);
                break;
            case LineDrawing::kRight:
                Text(c, dc.font, colour, rect, line.text, kAlignRight);
                break;
            case LineDrawing::kTitleFont: {
                // On the text lines' baseline, as it was measured.
                const int top = y + layout.fonts.textFontAscent - layout.fonts.titleFontAscent;
                Text(c, layout.fonts.titleFont, titleColour,
                     {rect.left, top, rect.right, top + rect.bottom - rect.top}, line.text,
                     kAlignCentre);
                break;
            }
            case LineDrawing::kCentred:
                Text(c, dc.font, titleColour, rect, line.text, kAlignCentre);
                break;
            case LineDrawing::kLeft:
                Text(c, dc.font, colour, rect, line.text, kAlignLeft);
                break;
        }
    }
}

// The note over the lower part of the text: a box a status line high.
void PaintNote(const Layout& layout, const Canvas& c) {
    const PixelRect& text = layout.geometry.textRect;
    const int h = layout.fonts.statusFontHeight + 8;
    const int w = std::min<int>(text.right - text.left, h * 12);
    const int left = (text.left + text.right - w) / 2;
    const int top = text.bottom - 2 * h;
    if (w <= 0 || top <= text.top) return;
    const PixelRect box{left, top, left + w, top + h};
    // The page's colours the other way round, so that it reads in every profile.
    const Settings& s = *layout.settings;
    const int p = ActiveProfile(s);
    Fill(c, box, s.colors[kColourText][p]);
    Text(c, layout.fonts.statusFont, s.colors[kColourBk][p], box, layout.note,
         kAlignCentre | kAlignVCentre);
}

// Turns the page painted at X0 into the screen area, one pixel at a time. Every read and write is
// held inside the surface, whatever the geometry says.
void TurnPage(const Layout& layout, PlatformSurface* surface) {
    const int rotation = layout.settings->rotateScreen;
    if (rotation != 900 && rotation != 1800 && rotation != 2700) return;
    int width = 0, height = 0, stride = 0;
    uint32_t* pixels = layout.draw->surfacePixels(surface, &width, &height, &stride);
    if (!pixels || stride < width) return;
    const PageGeometry& g = layout.geometry;
    const int pw = g.pageWidth, ph = g.pageHeight, w = g.screenWidth, x0 = g.x0;
    for (int y = 0; y < std::min(ph, height); ++y) {
        for (int x = 0; x < pw; ++x) {
            const int64_t sx = int64_t{x0} + x;
            if (sx < 0 || sx >= width) continue;
            int64_t dx, dy;
            if (rotation == 900) {
                dx = y;
                dy = int64_t{pw} - 1 - x;
            } else if (rotation == 1800) {
                dx = int64_t{w} - 1 - x;
                dy = int64_t{ph} - 1 - y;
            } else {
                dx = int64_t{ph} - 1 - y;
                dy = x;
            }
            if (dx < 0 || dx >= width || dy < 0 || dy >= height) continue;
            pixels[dy * stride + dx] = pixels[int64_t{y} * stride + sx];
        }
    }
}

}  // namespace

void UpdateStatusSnapshot(Layout& layout, const Document* doc, const StatusSources& sources) {
    StatusSnapshot& st = layout.status;
    st.hour = sources.hour;
    st.minute = sources.minute;
    st.batteryPercent = sources.batteryPercent;
    st.power = sources.onMains ? u'~' : u' ';
    st.percentRead = doc ? PercentRead(*doc) : 0;
    st.page = doc ? CurrentPageNumber(*doc) : 0;
    st.pages = doc ? PageCount(*doc) : 0;
    st.bookmarkHere = 0;
    st.bookmarkPercents.clear();
    const int32_t length = doc ? DocLength(*doc) : 0;
    if (length <= 0) return;
    for (const int32_t at : layout.bookmarks) {
        if (at < 0 || at > length) continue;  // a bookmark of the book as it was before
        if (at >= doc->pageStart && (at < doc->pageEnd || at == doc->pageStart))
            st.bookmarkHere = 1;
        st.bookmarkPercents.push_back(100.0 * at / length);
    }
}

int EnsurePageSurface(Layout& layout, int screenWidth, int screenHeight) {
    if (screenWidth <= 0 || screenHeight <= 0 || screenWidth > kMaxSurfaceSide / 2 ||
        screenHeight > kMaxSurfaceSide / 2) {
        return 0;
    }
    const int m = std::max(screenWidth, screenHeight);
    const int width = m + screenWidth, height = m;
    const int maskSet = WantedMaskSet(*layout.settings);
    const SurfaceSize size = SizeOf(layout);
    if (!layout.surface || layout.draw->surfaceMaskSet(layout.surface) != maskSet ||
        size.width != width || size.height != height) {
        Remake(layout, width, height, maskSet);
    }
    return layout.surface != nullptr;
}

void ReleasePageSurface(Layout& layout) {
    if (layout.surface) layout.draw->deleteSurface(layout.surface);
    layout.surface = nullptr;
}

void PaintPage(Layout& layout, const Document* doc) {
    if (!layout.surface) return;
    const int maskSet = WantedMaskSet(*layout.settings);
    if (layout.draw->surfaceMaskSet(layout.surface) != maskSet) {
        const SurfaceSize size = SizeOf(layout);
        Remake(layout, size.width, size.height, maskSet);
        if (!layout.surface) return;
    }
    PaintPageInto(layout, doc, layout.surface);
}

void PaintPageInto(const Layout& layout, const Document* doc, PlatformSurface* surface) {
    if (!surface) return;
    const Settings& s = *layout.settings;
    const int p = ActiveProfile(s);
    const PageGeometry& g = layout.geometry;
    SurfaceSize size;
    int stride = 0;
    layout.draw->surfacePixels(surface, &size.width, &size.height, &stride);
    const Canvas c{layout.draw, surface, size};

    if (layout.fonts.backgroundBrush.exists)
        Fill(c, g.pageRect, layout.fonts.backgroundBrush.colour);

    // The smooth mode's frames slide; a clock among the lines would slide with them.
    const bool sliding = layout.autoscrolling && layout.autoscrollMode == kAutoscrollSmooth;
    if (layout.fonts.clockFont && s.clockWithText[p] && !sliding) {
        char clock[32];
        std::snprintf(clock, sizeof clock, "%02d:%02d", layout.status.hour, layout.status.minute);
        Text(c, layout.fonts.clockFont, s.colors[kColourCut][p], g.pageRect, Widen(clock),
             kAlignCentre | kAlignVCentre);
    }
    if (g.statusVisible) PaintStatusLine(layout, c, doc);
    if (g.progressVisible) PaintProgressBar(layout, c);

    if (!doc) {
        layout.draw->drawLogo(c.surface, g.x0 + (g.pageWidth - kLogoWidth) / 2, kLogoTop);
    } else {
        PaintLines(layout, c);
    }
    if (!layout.note.empty() && layout.fonts.statusFont) PaintNote(layout, c);
    TurnPage(layout, surface);
}

}  // namespace lectra
