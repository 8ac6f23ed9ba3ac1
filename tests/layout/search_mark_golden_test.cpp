// The search hit's mark as Qt paints it: a page of the story with a match across a hyphenated
// break against its golden picture, and the mark turning with the page at every rotation.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <fstream>

#include "layout/page_paint.h"
#include "layout_test_support.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"

namespace lectra {
namespace {

// DejaVu Sans 12 on a screen of 240 × 320, as the other golden pages are painted.
struct HitPage : ::testing::Test {
    const DrawServices& draw = QtDrawServices();
    Settings settings = test::DefaultSettings();
    Layout layout;
    std::unique_ptr<Document> doc = test::Sample("en-story.html");
    static void SetUpTestSuite() {
        test::QtTestEnvironment();
        ASSERT_EQ(StartGuiPlatform(), 1);
    }
    HitPage() {
        settings.fontFaceText = settings.fontFaceStatus = u"DejaVu Sans";
        settings.fontSizeText[0] = 12;
        layout.draw = &draw;
        layout.settings = &settings;
        test::LoadEnPat(layout.patterns);
        EXPECT_EQ(EnsurePageSurface(layout, 240, 320), 1);
    }
    ~HitPage() override {
        ReleaseLayoutFonts(layout);
        ReleasePageSurface(layout);
    }
    void Lay(int rotation) {
        settings.rotateScreen = rotation;
        for (int which : {0, 1}) {
            CreateLayoutFont(layout, which, 240);
            CreateLayoutBrush(layout, which);
        }
        layout.geometry =
            ComputePageGeometry(settings, 240, 320, 240, layout.fonts.statusFontHeight, 0);
        doc->pageStart = 2000;
        LayoutPage(layout, *doc, 2000);
    }
    // The screen area after painting with units from .. to − 1 marked.
    std::vector<uint32_t> Paint(int rotation, int32_t from, int32_t to) {
        layout.searchMark = from;
        layout.searchMarkEnd = to;
        Lay(rotation);
        UpdateStatusSnapshot(layout, doc.get(), {12, 34, 87, 1});
        PaintPage(layout, doc.get());
        int w = 0, h = 0, stride = 0;
        const uint32_t* p = draw.surfacePixels(layout.surface, &w, &h, &stride);
        std::vector<uint32_t> out;
        for (int y = 0; y < 320; ++y) out.insert(out.end(), p + y * stride, p + y * stride + 240);
        return out;
    }
    // The upright page's first hyphenated line: from the start of its last whole word to the end
    // of the word's tail on the next line.
    bool HitAcrossABreak(int32_t* from, int32_t* to) {
        Lay(0);
        for (int i = 0; i + 1 < layout.linesPerPage; ++i) {
            const LineRecord& line = layout.pageLines[static_cast<size_t>(i)];
            const std::u16string& next = layout.pageLines[static_cast<size_t>(i) + 1].text;
            if (line.text.size() < 2 || line.text.back() != u'-' || next.find(u' ') == 0) continue;
            const size_t space = line.text.rfind(u' ', line.text.rfind(u' ') - 1);
            if (space == std::u16string::npos || next.find(u' ') == std::u16string::npos) continue;
            *from = line.end - static_cast<int32_t>(line.text.size() - 2 - space);
            *to = line.end + static_cast<int32_t>(next.find(u' '));
            return true;
        }
        return false;
    }
};

// Compared by pixels with tests/fixtures/golden/NAME.png; LECTRA_UPDATE_GOLDEN=1 writes it anew.
void CompareWithGolden(const std::string& name, const std::string& made) {
    const std::string golden = test::Fixture("golden/" + name + ".png");
    const char* update = std::getenv("LECTRA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(golden, std::ios::binary) << test::ReadBytes(made);
        return;
    }
    const auto load = [](const std::string& path) {
        return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32);
    };
    const QImage got = load(made), want = load(golden);
    ASSERT_FALSE(got.isNull()) << name;
    ASSERT_FALSE(want.isNull()) << name << ": no golden picture";
    EXPECT_TRUE(got == want) << name << ": pixels differ from the golden picture (" << made << ")";
}

TEST_F(HitPage, AMatchAcrossAHyphenatedBreakMatchesItsGoldenPicture) {
    int32_t from = -1, to = -1;
    ASSERT_TRUE(HitAcrossABreak(&from, &to));
    const test::ScratchDir scratch;
    for (int rotation : {0, 900}) {
        const std::vector<uint32_t> plain = Paint(rotation, -1, -1);
        EXPECT_NE(Paint(rotation, from, to), plain) << rotation;
        const std::string name = "search-hit-" + std::to_string(rotation);
        const std::string out = scratch.path() + "/" + name + ".png";
        ASSERT_EQ(WriteSurfacePng(layout.surface, 240, 320, Utf8ToUtf16(out)), 1);
        CompareWithGolden(name, out);
    }
}

// Half a turn is the upright picture upside down, mark and all.
TEST_F(HitPage, TheMarkTurnsWithThePage) {
    int32_t from = -1, to = -1;
    ASSERT_TRUE(HitAcrossABreak(&from, &to));
    const auto upsideDown = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        int differ = 0;
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 240; ++x)
                differ += a[static_cast<size_t>(y * 240 + x)] !=
                          b[static_cast<size_t>((319 - y) * 240 + 239 - x)];
        return differ;
    };
    const std::vector<uint32_t> upright = Paint(0, from, to);
    EXPECT_NE(upright, Paint(0, -1, -1));
    EXPECT_EQ(upsideDown(upright, Paint(1800, from, to)), 0);
    EXPECT_EQ(upsideDown(Paint(900, from, to), Paint(2700, from, to)), 0);
}

}  // namespace
}  // namespace lectra
