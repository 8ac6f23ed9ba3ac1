// The drawing services made with Qt: fonts, measuring with a width cache, the 32-bit page surface.
#include "platform/qt/qt_draw.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "platform/qt/qt_surface.h"
#include "platform/sys/files.h"

// A resource file compiled into a static library is registered by hand, outside any namespace.
static void StartLogoResource() {
    Q_INIT_RESOURCE(logo);
}

namespace lectra {

namespace {

// Advance of each UTF-16 unit once asked: kUnknown until then, kWhole when the unit's advance
// does not simply add up (controls, marks that combine, surrogates…), so that a text holding
// one is measured whole by Qt.
constexpr int16_t kUnknown = -1;
constexpr int16_t kWhole = -2;

}  // namespace

// With PreferNoShaping, full hinting and no kerning a text's advance is the sum of its units'
// integral advances, so a table of them gives exactly what measuring the whole text gives, in a
// fraction of the time.
// The width cache fills as text is measured, so a font is used by one thread at a time: the
// interface thread, or the smooth-autoscroll worker while it prepares a frame.
struct PlatformFont {
    QFont font;
    QFontMetrics metrics;
    FontMetrics cell;
    std::unique_ptr<int16_t[]> pages[256];
    // The same font for the fine picture: hinted across at the logical size, the advances would
    // space the letters drawn at the screen's resolution unevenly; without that hinting each
    // letter keeps its own advance, and a word is as wide as measured to within a pixel.
    QFont fine;
    explicit PlatformFont(const QFont& f) : font(f), metrics(f), fine(f) {
        fine.setHintingPreference(QFont::PreferVerticalHinting);
    }
};

namespace {

constexpr int kDefaultPixelSize = 12;
constexpr int kMaxPixelSize = 2000;

QFont BaseFont(const FontDesc& desc) {
    QFont f(QString::fromUtf16(desc.face.data(), static_cast<qsizetype>(desc.face.size())));
    int weight = desc.weight == 0 ? 400 : std::clamp(desc.weight, 1, 1000);
    f.setWeight(static_cast<QFont::Weight>(weight));
    if (desc.fixedPitch) {
        // The system's monospaced face, whatever the text face is.
        f.setFamilies({QStringLiteral("monospace")});
        f.setStyleHint(QFont::Monospace);
        f.setFixedPitch(true);
    }
    f.setItalic(desc.italic != 0);
    f.setUnderline(desc.underline != 0);
    f.setStrikeOut(desc.strikeOut != 0);
    f.setKerning(false);
    const bool smooth = desc.quality == kQualityClearType;
    f.setStyleStrategy(static_cast<QFont::StyleStrategy>(
        QFont::PreferNoShaping | (smooth ? QFont::PreferAntialias : QFont::NoAntialias)));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

int CellHeight(const QFont& f) {
    QFontMetrics m(f);
    return m.ascent() + m.descent();
}

void SetHeight(QFont& f, int height) {
    if (height < 0) {
        f.setPixelSize(std::min(-height, kMaxPixelSize));
    } else if (height == 0) {
        f.setPixelSize(kDefaultPixelSize);
    } else {
        // A cell height: start from the same number of pixels and scale by what the face gives.
        const int wanted = std::min(height, kMaxPixelSize);
        int size = wanted;
        for (int pass = 0; pass < 3; ++pass) {
            f.setPixelSize(size);
            const int cell = CellHeight(f);
            if (cell == wanted || cell <= 0) break;
            size = std::clamp(static_cast<int>(std::lround(1.0 * size * wanted / cell)), 1,
                              kMaxPixelSize);
        }
        f.setPixelSize(size);
    }
}

PlatformFont* CreateFont(const FontDesc& desc) {
    QFont f = BaseFont(desc);
    SetHeight(f, desc.height);
    if (desc.width > 0) {
        const int average = QFontMetrics(f).averageCharWidth();
        if (average > 0) {
            // Pinning the style keeps fontconfig from answering a stretch with a Condensed face.
            f.setStyleName(QFontInfo(f).styleName());
            f.setStretch(
                std::clamp(static_cast<int>(std::lround(100.0 * desc.width / average)), 1, 4000));
        }
    }
    auto* font = new PlatformFont(f);
    font->cell.ascent = font->metrics.ascent();
    font->cell.descent = font->metrics.descent();
    font->cell.height = font->cell.ascent + font->cell.descent;
    font->cell.aveCharWidth = font->metrics.averageCharWidth();
    return font;
}

void DeleteFont(PlatformFont* font) {
    delete font;
}

FontMetrics GetFontMetrics(const PlatformFont* font) {
    return font ? font->cell : FontMetrics{};
}

int WholeAdvance(PlatformFont* font, const char16_t* text, int length) {
    return font->metrics.horizontalAdvance(QString::fromUtf16(text, length));
}

int16_t ProbeAdvance(PlatformFont* font, char16_t unit) {
    if (unit >= 0xD800 && unit < 0xE000) return kWhole;
    const QFontMetrics& m = font->metrics;
    const QChar c(unit);
    const int own = m.horizontalAdvance(c);
    const int a = m.horizontalAdvance(QChar(u'a'));
    // The unit must add up beside letters and beside itself; anything that the text engine
    // treats by context (controls, soft hyphens, marks) fails one of the two.
    QString between = QString(QChar(u'a')) + c + QChar(u'a');
    QString twice = QString(c) + c;
    if (own < 0 || own > 0x7FFF || m.horizontalAdvance(between) != 2 * a + own ||
        m.horizontalAdvance(twice) != 2 * own) {
        return kWhole;
    }
    return static_cast<int16_t>(own);
}

int MeasureText(PlatformFont* font, const char16_t* text, int length) {
    if (!font || !text || length <= 0) return 0;
    int width = 0;
    for (int i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        std::unique_ptr<int16_t[]>& page = font->pages[unit >> 8];
        if (!page) {
            page.reset(new int16_t[256]);
            std::fill(page.get(), page.get() + 256, kUnknown);
        }
        int16_t& advance = page[unit & 0xFF];
        if (advance == kUnknown) advance = ProbeAdvance(font, unit);
        if (advance == kWhole) return WholeAdvance(font, text, length);
        width += advance;
    }
    return width;
}

// Cuts a colour to the depth of the surface's mask set and widens it back to 8 bits a channel,
// as the 16-bit surface of the handheld showed it.
uint32_t Quantise(uint32_t colour, int maskSet) {
    auto five = [](uint32_t v) { return (v & 0xF8) | (v >> 5); };
    auto six = [](uint32_t v) { return (v & 0xFC) | (v >> 6); };
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const uint32_t gq = maskSet == kMaskSet565 ? six(g) : five(g);
    return five(r) << 16 | gq << 8 | five(b);  // 0x00RRGGBB, as QImage's RGB32 holds it
}

QColor ColourOf(const PlatformSurface* surface, uint32_t colour) {
    return QColor::fromRgb(Quantise(colour, surface->maskSet));
}

// Device pixels a logical one on the screens of the program: above 1 on a high-resolution screen
// (or a scaled session), where the page is also drawn at that resolution.
qreal DeviceScale() {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return ratio > 1.0 && ratio <= 8.0 ? ratio : 1.0;
}

// The screen area of a surface: the page surface of a W × H screen is (M + W) × M with M the
// larger side, so W is the width less the height; anything else is a screen area as a whole.
void MakeFine(PlatformSurface* surface, int width, int height) {
    const qreal scale = DeviceScale();
    if (scale <= 1.0) return;
    surface->fineWidth = width > height ? width - height : width;
    surface->fineHeight = height;
    surface->fine =
        QImage(static_cast<int>(std::ceil(surface->fineWidth * scale)),
               static_cast<int>(std::ceil(surface->fineHeight * scale)), QImage::Format_RGB32);
    if (surface->fine.isNull()) {
        surface->fineWidth = surface->fineHeight = 0;
        return;
    }
    surface->fine.setDevicePixelRatio(scale);
    surface->fine.fill(QColor(0, 0, 0));
    surface->fineValidWidth = surface->fineWidth;
    surface->fineValidHeight = surface->fineHeight;
}

PlatformSurface* CreateSurface(int width, int height, int maskSet) {
    if (width <= 0 || height <= 0) return nullptr;
    auto* surface = new PlatformSurface;
    surface->image = QImage(width, height, QImage::Format_RGB32);
    if (surface->image.isNull()) {
        delete surface;
        return nullptr;
    }
    surface->image.fill(QColor(0, 0, 0));
    surface->maskSet = maskSet == kMaskSetAlternate ? kMaskSetAlternate : kMaskSet565;
    MakeFine(surface, width, height);
    return surface;
}

void DeleteSurface(PlatformSurface* surface) {
    delete surface;
}

int SurfaceMaskSet(const PlatformSurface* surface) {
    return surface ? surface->maskSet : -1;
}

QPainter& Painter(PlatformSurface* surface) {
    if (!surface->painter) surface->painter = std::make_unique<QPainter>(&surface->image);
    return *surface->painter;
}

// The painter of the fine picture; null at a device pixel ratio of 1.
QPainter* FinePainter(PlatformSurface* surface) {
    if (surface->fine.isNull()) return nullptr;
    if (!surface->finePainter) surface->finePainter = std::make_unique<QPainter>(&surface->fine);
    return surface->finePainter.get();
}

uint32_t* SurfacePixels(PlatformSurface* surface, int* width, int* height, int* stride) {
    if (!surface) return nullptr;
    surface->painter.reset();
    surface->finePainter.reset();
    // The pixels may be changed through the pointer: the fine picture no longer holds the page.
    surface->fineValidWidth = surface->fineValidHeight = 0;
    if (width) *width = surface->image.width();
    if (height) *height = surface->image.height();
    if (stride) *stride = static_cast<int>(surface->image.bytesPerLine() / 4);
    return reinterpret_cast<uint32_t*>(surface->image.bits());
}

void FillRect(PlatformSurface* surface, PixelRect rect, uint32_t colour) {
    if (!surface || rect.right <= rect.left || rect.bottom <= rect.top) return;
    const QRect r(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    Painter(surface).fillRect(r, ColourOf(surface, colour));
    if (QPainter* fine = FinePainter(surface)) {
        fine->fillRect(r, ColourOf(surface, colour));
        // A fill from the top left that covers the area held so far makes a new start.
        const int w = std::min(rect.right, surface->fineWidth);
        const int h = std::min(rect.bottom, surface->fineHeight);
        if (rect.left <= 0 && rect.top <= 0 && w >= surface->fineValidWidth &&
            h >= surface->fineValidHeight) {
            surface->fineValidWidth = w;
            surface->fineValidHeight = h;
        }
    }
}

void DrawText(PlatformSurface* surface, PlatformFont* font, uint32_t colour, PixelRect rect,
              const char16_t* text, int length, unsigned align) {
    if (!surface || !font || !text || length <= 0) return;
    int x = rect.left;
    if (align & (kAlignCentre | kAlignRight)) {
        const int width = MeasureText(font, text, length);
        x = (align & kAlignRight) ? rect.right - width
                                  : rect.left + (rect.right - rect.left - width) / 2;
    }
    int y = rect.top;
    if (align & kAlignVCentre) y += (rect.bottom - rect.top - font->cell.height) / 2;
    const QString s = QString::fromUtf16(text, length);
    QPainter& p = Painter(surface);
    p.setFont(font->font);
    p.setPen(ColourOf(surface, colour));
    p.drawText(QPoint(x, y + font->cell.ascent), s);
    // The same text at the screen's resolution, placed by its own width there: right-aligned
    // lines end, and centred ones centre, exactly as in the logical picture.
    if (QPainter* fine = FinePainter(surface)) {
        qreal fx = rect.left;
        if (align & (kAlignCentre | kAlignRight)) {
            const qreal width = QFontMetricsF(font->fine).horizontalAdvance(s);
            fx = (align & kAlignRight) ? rect.right - width
                                       : rect.left + (rect.right - rect.left - width) / 2;
        }
        fine->setFont(font->fine);
        fine->setPen(ColourOf(surface, colour));
        fine->drawText(QPointF(fx, y + font->cell.ascent), s);
    }
}

// Loaded from the compiled-in resources on first use and kept, with its colours cut to each mask
// set's depth as everything else drawn into a surface; null images when it is missing.
const QImage& Logo(int maskSet) {
    static const std::array<QImage, 2> logos = [] {
        StartLogoResource();
        std::array<QImage, 2> cut;
        QImage image(QStringLiteral(":/lectra/logo.png"));
        if (image.width() != kLogoWidth || image.height() != kLogoHeight) return cut;
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int set : {kMaskSet565, kMaskSetAlternate}) {
            QImage& out = cut[static_cast<size_t>(set)];
            out = image;
            for (int y = 0; y < out.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
                for (int x = 0; x < out.width(); ++x) {
                    const QRgb p = row[x];
                    const uint32_t ref = qRed(p) | qGreen(p) << 8 | qBlue(p) << 16;
                    row[x] = (p & 0xFF000000u) | Quantise(ref, set);
                }
            }
        }
        return cut;
    }();
    return logos[maskSet == kMaskSetAlternate ? 1 : 0];
}

void DrawLogo(PlatformSurface* surface, int x, int y) {
    if (!surface || Logo(surface->maskSet).isNull()) return;
    Painter(surface).drawImage(QPoint(x, y), Logo(surface->maskSet));
    if (QPainter* fine = FinePainter(surface))
        fine->drawImage(QPoint(x, y), Logo(surface->maskSet));
}

constexpr DrawServices kQtDrawServices = {
    CreateFont,     DeleteFont,    GetFontMetrics, MeasureText, CreateSurface, DeleteSurface,
    SurfaceMaskSet, SurfacePixels, FillRect,       DrawText,    DrawLogo,
};

}  // namespace

uint32_t QuantiseColour(uint32_t colour, int maskSet) {
    return Quantise(colour, maskSet);
}

QPainter& SurfacePainter(PlatformSurface* surface) {
    return Painter(surface);
}

QPainter* SurfaceFinePainter(PlatformSurface* surface) {
    return FinePainter(surface);
}

const DrawServices& QtDrawServices() {
    return kQtDrawServices;
}

void DrawSurfaceArea(QPainter& p, QPoint to, PlatformSurface* surface, int width, int height) {
    surface->painter.reset();  // every drawing call reaches the pixels first
    surface->finePainter.reset();
    if (!surface->fine.isNull() && width <= surface->fineValidWidth &&
        height <= surface->fineValidHeight) {
        const qreal scale = surface->fine.devicePixelRatio();
        p.drawImage(QRectF(to, QSizeF(width, height)), surface->fine,
                    QRectF(0, 0, width * scale, height * scale));
    } else {
        p.drawImage(to, surface->image, QRect(0, 0, width, height));
    }
}

int WriteSurfacePng(PlatformSurface* surface, int width, int height, const std::u16string& path) {
    if (!surface || width <= 0 || height <= 0 || width > surface->image.width() ||
        height > surface->image.height()) {
        return 0;
    }
    surface->painter.reset();
    surface->finePainter.reset();
    // The picture the screen shows: at its resolution where the surface holds it finely.
    QImage picture = surface->image.copy(0, 0, width, height);
    if (!surface->fine.isNull() && width <= surface->fineValidWidth &&
        height <= surface->fineValidHeight) {
        const qreal scale = surface->fine.devicePixelRatio();
        picture = surface->fine.copy(0, 0, static_cast<int>(std::ceil(width * scale)),
                                     static_cast<int>(std::ceil(height * scale)));
        picture.setDevicePixelRatio(1.0);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) return 0;
    // Written through the program's own files, so that a path in an old code page works too.
    PlatformFile file;
    if (!FileCreate(file, path)) return 0;
    const int written = FileWrite(file, bytes.constData(), static_cast<uint32_t>(bytes.size()));
    FileClose(file);
    if (!written) FileDelete(path);
    return written;
}

}  // namespace lectra
