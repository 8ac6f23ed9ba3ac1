// A page of the story painted by Qt with DejaVu Sans 12 on a screen of 240 × 320, as the golden
// pages are; a picture compared with another turned by half, and with its golden picture.
#pragma once
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "layout/page_paint.h"
#include "layout_test_support.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"

namespace lectra::test {

struct QtPage : ::testing::Test {
    const DrawServices& draw = QtDrawServices();
    Settings settings = DefaultSettings();
    Layout layout;
    std::unique_ptr<Document> doc = Sample("en-story.html");
    static void SetUpTestSuite() {
        QtTestEnvironment();
        ASSERT_EQ(StartGuiPlatform(), 1);
    }
    QtPage() {
        settings.fontFaceText = settings.fontFaceStatus = u"DejaVu Sans";
        settings.fontSizeText[0] = 12;
        layout.draw = &draw;
        layout.settings = &settings;
        LoadEnPat(layout.patterns);
        EXPECT_EQ(EnsurePageSurface(layout, 240, 320), 1);
    }
    ~QtPage() override {
        ReleaseLayoutFonts(layout);
        ReleasePageSurface(layout);
    }
    // Lays the page out at `position` for the rotation.
    void Lay(int rotation, int32_t position) {
        settings.rotateScreen = rotation;
        for (int which : {0, 1}) {
            CreateLayoutFont(layout, which, 240);
            CreateLayoutBrush(layout, which);
        }
        layout.geometry =
            ComputePageGeometry(settings, 240, 320, 240, layout.fonts.statusFontHeight, 0);
        doc->pageStart = position;
        LayoutPage(layout, *doc, position);
    }
    // The screen area after painting at `position` (no book: the logo).
    std::vector<uint32_t> Paint(int rotation, int32_t position, bool withBook = true) {
        Lay(rotation, position);
        const Document* shown = withBook ? doc.get() : nullptr;
        UpdateStatusSnapshot(layout, shown, {12, 34, 87, 1});
        PaintPage(layout, shown);
        int w = 0, h = 0, stride = 0;
        const uint32_t* p = draw.surfacePixels(layout.surface, &w, &h, &stride);
        std::vector<uint32_t> out;
        for (int y = 0; y < 320; ++y) out.insert(out.end(), p + y * stride, p + y * stride + 240);
        return out;
    }
};

// How many pixels of `a` differ from `b` turned by half.
inline int DifferUpsideDown(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int differ = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            differ += a[static_cast<size_t>(y * 240 + x)] !=
                      b[static_cast<size_t>((319 - y) * 240 + 239 - x)];
    return differ;
}

// Golden pictures: compared pixel by pixel with tests/fixtures/golden/NAME.png; with
// LECTRA_UPDATE_GOLDEN=1 in the environment the picture made replaces the golden one.
inline void CompareWithGolden(const std::string& name, const std::string& made) {
    const std::string golden = Fixture("golden/" + name + ".png");
    const std::string bytes = ReadBytes(made);
    const char* update = std::getenv("LECTRA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(golden, std::ios::binary) << bytes;
        return;
    }
    // Compared by their pixels, not by the bytes of one encoder's output.
    const auto load = [](const std::string& path) {
        return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32);
    };
    const QImage got = load(made), want = load(golden);
    ASSERT_FALSE(got.isNull()) << name << ": no picture made";
    ASSERT_FALSE(want.isNull()) << name << ": no golden picture";
    EXPECT_TRUE(got == want) << name << ": pixels differ from the golden picture (" << made << ")";
}

}  // namespace lectra::test
