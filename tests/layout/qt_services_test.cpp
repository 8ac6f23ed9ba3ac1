// Qt's services: measured widths are the drawn advances; pictures through Qt's image reader and
// lectra-tool render, damaged ones drawn as frames.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <fstream>
#include <random>

#include "layout_test_support.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"
#include "platform/qt/qt_image.h"

namespace lectra {
namespace {

using test::Fixture;
using test::ReadBytes;

std::string BigEndian(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const uint32_t crc =
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return BigEndian(static_cast<uint32_t>(data.size())) + body + BigEndian(crc);
}

// A PNG whose header claims width × height, with a little data that could never fill it.
std::string LyingPng(uint32_t width, uint32_t height) {
    std::string ihdr =
        BigEndian(width) + BigEndian(height) + std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) +
           Chunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) +
           Chunk("IEND", "");
}

std::string Base64(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64().toStdString();
}

std::string CoverBook(const std::string& base64) {
    return "<FictionBook><description><title-info><coverpage><image l:href=\"#c\"/></coverpage>"
           "</title-info></description><body><p>After the cover.</p></body>"
           "<binary id=\"c\" content-type=\"image/png\">" +
           base64 + "</binary></FictionBook>";
}

// Pixels of the frame's grey (0xC0C0C0 as the 5-6-5 surface holds it) in a rendered page.
int FramePixels(const std::string& png) {
    const QImage page(QString::fromStdString(png));
    int n = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) n += (page.pixel(x, y) & 0xFFFFFF) == 0xC6C3C6;
    return n;
}

std::string Render(const std::string& book, const std::string& out) {
    return test::Run("'" + std::string(LECTRA_TOOL) +
                     "' render --width 240 --height 320 --size 12" + " --out '" + out + "' '" +
                     book + "' 2>&1; echo $?");
}

// A drawing of more than 2 MB (here a comment's padding) is refused unread; the same drawing
// without it is read. Pictures that decode are the golden pages' (the FictionBook's PNG and
// JPEG, the EPUB's SVG cover).
TEST(PictureImages, ADrawingOfMoreThanTwoMegabytesIsRefused) {
    test::QtTestEnvironment();
    ASSERT_TRUE(StartGuiPlatform());
    const ImageServices& images = QtImageServices();
    const std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"120\">"
        "<rect width=\"200\" height=\"120\" fill=\"#4a7\"/><!--";
    for (const std::string& padding : {std::string(), std::string(3 << 20, ' ')}) {
        const std::string drawing = svg + padding + "--></svg>";
        const auto* bytes = reinterpret_cast<const uint8_t*>(drawing.data());
        int w = 0, h = 0;
        EXPECT_EQ(images.readSize(bytes, drawing.size(), &w, &h), padding.empty() ? 1 : 0);
        PlatformImage* image = images.decode(bytes, drawing.size(), 100, 60);
        EXPECT_EQ(image != nullptr, padding.empty());
        images.release(image);
    }
}

TEST(PictureImages, DamagedPicturesAreDrawnAsAFrameWithoutAStall) {
    test::QtTestEnvironment();
    const test::ScratchDir dir;
    const std::string jpeg = ReadBytes(Fixture("source/pictures/illustration.jpg"));
    struct Case {
        const char* name;
        std::string base64;
    };
    const Case cases[] = {
        {"truncated-jpeg", Base64(jpeg.substr(0, jpeg.size() / 2))},
        {"lying-png", Base64(LyingPng(100000, 100000))},
        {"garbage-base64", "iVBORw0KGgo*#!AAAANSUhEUgAA"},
    };
    for (const Case& c : cases) {
        const std::string out = dir.path() + "/" + c.name + ".png";
        ASSERT_EQ(Render(dir.Write(std::string(c.name) + ".fb2", CoverBook(c.base64)), out), "0\n")
            << c.name;
        EXPECT_GT(FramePixels(out), 2000) << c.name << ": the page shows the frame";
    }
    // A binary of 200 MB, generated here: refused unread, in bounded time.
    {
        std::ofstream big(dir.path() + "/big.fb2", std::ios::binary);
        const std::string book = CoverBook("@");
        const size_t at = book.find('@');
        big << book.substr(0, at);
        const std::string line = std::string(76, 'A') + "\n";
        for (size_t written = 0; written < (200u << 20); written += line.size()) big << line;
        big << book.substr(at + 1);
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string out = dir.path() + "/big.png";
    ASSERT_EQ(Render(dir.path() + "/big.fb2", out), "0\n");
    EXPECT_GT(FramePixels(out), 2000);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    EXPECT_LT(seconds, 120) << "the open reads the binary once, and nothing decodes it";
}

struct QtDraw : ::testing::Test {
    const DrawServices& draw = QtDrawServices();
    static void SetUpTestSuite() {
        test::QtTestEnvironment();
        ASSERT_EQ(StartGuiPlatform(), 1);
    }
    std::vector<uint32_t> Pixels(PlatformSurface* surface) {
        int w = 0, h = 0, stride = 0;
        const uint32_t* p = draw.surfacePixels(surface, &w, &h, &stride);
        std::vector<uint32_t> out;
        for (int y = 0; y < h; ++y) out.insert(out.end(), p + y * stride, p + y * stride + w);
        return out;
    }
};

// Random text drawn whole, or in two pieces with the second placed at the measured width of the
// first: the same pixels only when measuring gives exactly the advance that drawing uses. A text
// is measured whole, not as the sum of its units.
TEST_F(QtDraw, MeasuredWidthIsTheDrawnAdvance) {
    const std::u16string alphabet =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
        u"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
        u"     .,;:!?-—«»“”'()0123456789";
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    PlatformSurface* whole = draw.createSurface(900, 40, kMaskSet565);
    PlatformSurface* pieces = draw.createSurface(900, 40, kMaskSet565);
    for (int quality : {0, kQualityClearType}) {
        for (int size : {9, 14, 23}) {
            PlatformFont* font = draw.createFont(FontDesc{u"DejaVu Sans", -size, 0, 400, quality});
            ASSERT_NE(font, nullptr);
            // Controls and the soft hyphen take no room inside a text, though alone they would.
            EXPECT_EQ(draw.measureText(font, u"a\x10\u00ADb", 4), draw.measureText(font, u"ab", 2));
            for (int round = 0; round < 40; ++round) {
                std::u16string text;
                for (int i = pick(2, 50); i > 0; --i)
                    text += alphabet[pick(0, static_cast<int>(alphabet.size()) - 1)];
                const int n = static_cast<int>(text.size()), cut = pick(1, n - 1);
                const int first = draw.measureText(font, text.data(), cut);
                for (PlatformSurface* s : {whole, pieces})
                    draw.fillRect(s, {0, 0, 900, 40}, 0xFFFFFF);
                draw.drawText(whole, font, 0, {3, 5, 900, 40}, text.data(), n, kAlignLeft);
                draw.drawText(pieces, font, 0, {3, 5, 900, 40}, text.data(), cut, kAlignLeft);
                draw.drawText(pieces, font, 0, {3 + first, 5, 900, 40}, text.data() + cut, n - cut,
                              kAlignLeft);
                ASSERT_EQ(Pixels(whole), Pixels(pieces)) << Utf16ToUtf8(text) << " cut at " << cut
                                                         << ", size " << size << ", " << quality;
                EXPECT_EQ(draw.measureText(font, text.data(), n),
                          first + draw.measureText(font, text.data() + cut, n - cut));
            }
            draw.deleteFont(font);
        }
    }
    draw.deleteSurface(whole);
    draw.deleteSurface(pieces);
}

}  // namespace
}  // namespace lectra
