// The picture services made with Qt's image reader: the header's size, a decode at the drawn size
// (the reader scales while it decodes, so a big JPEG never exists at its full size) and drawing.
#include "platform/qt/qt_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "platform/qt/qt_surface.h"

namespace lectra {

struct PlatformImage {
    // Opaque, at the size it is drawn; cut in place to the depth of the surface it is drawn into
    // (cutting to one depth and then to the other gives what the other alone gives).
    mutable QImage image;
    mutable int cutMaskSet = -1;
};

namespace {

// The bytes are the caller's and outlive the reader, so they are not copied.
QByteArray View(const uint8_t* bytes, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes),
                                   static_cast<qsizetype>(size));
}

bool Acceptable(QSize size) {
    return size.width() > 0 && size.height() > 0 &&
           static_cast<int64_t>(size.width()) * size.height() <= kMaxPicturePixels;
}

// A JPEG cut short decodes to its top with the rest filled in grey, and the reader calls that a
// success; the picture is whole only when its end marker is there (trailing bytes allowed).
bool JpegComplete(const uint8_t* bytes, size_t size) {
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return true;  // not a JPEG
    const size_t from = size > 4096 ? size - 4096 : 2;
    for (size_t i = size - 1; i > from; --i) {
        if (bytes[i - 1] == 0xFF && bytes[i] == 0xD9) return true;
    }
    return false;
}

// A drawing (SVG) is drawn by running it, element by element: one of more than this many bytes is
// not drawn, so that no picture's drawing can take the window's time for long.
constexpr size_t kMaxDrawingBytes = 2 << 20;
bool TooLargeDrawing(QImageReader& reader, size_t size) {
    return size > kMaxDrawingBytes && reader.format().startsWith("svg");
}

int ReadSize(const uint8_t* bytes, size_t size, int* width, int* height) {
    if (!bytes || size == 0) return 0;
    QByteArray data = View(bytes, size);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (TooLargeDrawing(reader, size)) return 0;
    const QSize s = reader.size();
    if (!Acceptable(s)) return 0;
    *width = s.width();
    *height = s.height();
    return 1;
}

PlatformImage* Decode(const uint8_t* bytes, size_t size, int width, int height) {
    if (!bytes || size == 0 || width <= 0 || height <= 0) return nullptr;
    if (static_cast<int64_t>(width) * height > kMaxPicturePixels) return nullptr;
    if (!JpegComplete(bytes, size)) return nullptr;
    QByteArray data = View(bytes, size);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header is checked before anything is decoded: a lying one is refused here, and the
    // reader's own allocation limit stops one that lies differently in its body.
    if (TooLargeDrawing(reader, size) || !Acceptable(reader.size())) return nullptr;
    reader.setScaledSize(QSize(width, height));
    QImage image;
    if (!reader.read(&image) || image.isNull()) return nullptr;
    if (image.size() != QSize(width, height))
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    auto* out = new PlatformImage;
    if (!image.hasAlphaChannel()) {
        out->image = image.convertToFormat(QImage::Format_RGB32);
        return out;
    }
    // A transparent picture is seen on a white page.
    out->image = QImage(image.size(), QImage::Format_RGB32);
    out->image.fill(Qt::white);
    QPainter painter(&out->image);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

void Release(PlatformImage* image) {
    delete image;
}

void Draw(PlatformSurface* surface, const PlatformImage* image, PixelRect rect) {
    if (!surface || !image || rect.right <= rect.left || rect.bottom <= rect.top) return;
    // Cut to the surface's depth as every colour drawn into it is; the colour reference is
    // blue, green, red from the low byte, the image's pixels the other way round.
    if (image->cutMaskSet != surface->maskSet) {
        QImage& cut = image->image;
        for (int y = 0; y < cut.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(cut.scanLine(y));
            for (int x = 0; x < cut.width(); ++x) {
                const QRgb p = row[x];
                const uint32_t reference = static_cast<uint32_t>(qRed(p)) |
                                           static_cast<uint32_t>(qGreen(p)) << 8 |
                                           static_cast<uint32_t>(qBlue(p)) << 16;
                row[x] = 0xFF000000u | QuantiseColour(reference, surface->maskSet);
            }
        }
        image->cutMaskSet = surface->maskSet;
    }
    const QRect r(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    SurfacePainter(surface).drawImage(r, image->image);
    // Blown up without smoothing, so that the fine picture holds only the cut colours too.
    if (QPainter* fine = SurfaceFinePainter(surface)) fine->drawImage(r, image->image);
}

constexpr ImageServices kQtImageServices = {ReadSize, Decode, Release, Draw};

}  // namespace

const ImageServices& QtImageServices() {
    return kQtImageServices;
}

}  // namespace lectra
