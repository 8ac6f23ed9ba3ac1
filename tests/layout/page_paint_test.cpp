// The page painter on recording services, and on Qt's fonts against the golden pictures (a
// search hit's mark among them).
#include "layout/page_paint.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <fstream>

#include "layout_test_support.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"

namespace lectra {
namespace {

// "C 0-480 text": the placement, the rectangle's sides and the text of a drawn text.
std::string Describe(const test::FakeText& op) {
    const char* align = (op.align & kAlignRight) ? "R" : (op.align & kAlignCentre) ? "C" : "L";
    return std::string(align) + " " + std::to_string(op.rect.left) + "-" +
           std::to_string(op.rect.right) + " " + Utf16ToUtf8(op.text);
}

// A layout on the fixed-advance services: status font 9 (cell 13, 10 pixels a unit), the window the
// whole screen, the clock at 12:34, the battery at 87 percent on mains.
struct RecPage {
    Settings settings = test::DefaultSettings();
    Layout layout;
    int width, height;
    RecPage(int w = 480, int h = 640) : width(w), height(h) {
        layout.draw = &test::FakeDraw();
        layout.settings = &settings;
        settings.fontSizeStatus = 9;
        for (int which : {0, 1}) {
            CreateLayoutFont(layout, which, w);
            CreateLayoutBrush(layout, which);
        }
        EXPECT_EQ(EnsurePageSurface(layout, w, h), 1);
        Place();
    }
    ~RecPage() {
        ReleaseLayoutFonts(layout);
        ReleasePageSurface(layout);
    }
    void Place() {
        layout.geometry =
            ComputePageGeometry(settings, width, height, width, layout.fonts.statusFontHeight, 0);
    }
    test::FakeSurface& Surface() { return *test::Fake(layout.surface); }
    // Paints afresh and returns what the status font drew.
    std::vector<std::string> Status(const Document* doc) {
        UpdateStatusSnapshot(layout, doc, {12, 34, 87, 1});
        Surface().texts.clear();
        PaintPage(layout, doc);
        std::vector<std::string> out;
        for (const test::FakeText& op : Surface().texts)
            if (op.font == layout.fonts.statusFont) out.push_back(Describe(op));
        return out;
    }
};

// A book of `length` units with a space after every ninth.
test::MemoryBook Book(int length) {
    std::u16string text;
    for (int i = 0; i < length; ++i) text += i % 10 == 9 ? u' ' : u'a';
    return test::MemoryBook(text);
}

// The status line at 480 pixels keeps 360 for the path between the clock and the battery; a
// path too long for its room loses its start, down to the ellipsis alone, never half a pair.
TEST(PaintPage, ThePathOnTheStatusLineIsCutAtItsStart) {
    const struct {
        int width;
        std::u16string path;
        const char* shown;
    } cases[] = {
        {480, u"/mnt/card/library/fiction/the-long-story.txt",
         "R 50-410 …/library/fiction/the-long-story.txt"},
        {130, u"/abc", "R 50-60 …"},
        {160, u"ab\U0001F4D6cd", "R 50-90 …cd"},
    };
    auto book = Book(5000);
    for (const auto& c : cases) {
        RecPage page(c.width);
        page.settings.modeStatus = 0;
        (*book).bookPath = c.path;
        const std::string width = std::to_string(c.width);
        EXPECT_EQ(page.Status(book.doc.get()),
                  (std::vector<std::string>{"R 0-" + width + " 12:34 ", "L 0-" + width + " ~87%",
                                            c.shown}));
    }
}

// Sizes the surface cannot hold are refused, and with no surface the painter paints nothing.
TEST(PaintPage, RefusedSurfaceSizes) {
    RecPage page;
    for (auto [w, h] : {std::pair{0, 640}, {480, -1}, {20000, 480}, {480, 2147483647}})
        EXPECT_EQ(EnsurePageSurface(page.layout, w, h), 0) << w << "x" << h;
    ReleasePageSurface(page.layout);
    PaintPage(page.layout, nullptr);
}

// Every turn on a geometry that does not fit the surface stays inside it (the fixed-advance
// services' pixel memory is checked by the sanitizers).
TEST(PaintPage, TurningAPageThatDoesNotFitStaysInsideTheSurface) {
    for (int rotation : {900, 1800, 2700}) {
        RecPage page(120, 90);
        page.settings.rotateScreen = rotation;
        page.Place();
        page.layout.geometry.pageWidth = 5000;
        page.layout.geometry.pageHeight = 4000;
        page.layout.geometry.x0 = 100;
        page.layout.geometry.progressRect = {-50, -60, 5000, 4000};
        page.Status(nullptr);
    }
}

// A page of the story painted by Qt with DejaVu Sans 12 on a screen of 240 × 320, as the golden
// pages are.
struct QtPage : ::testing::Test {
    const DrawServices& draw = QtDrawServices();
    Settings settings = test::DefaultSettings();
    Layout layout;
    std::unique_ptr<Document> doc = test::Sample("en-story.html");
    static void SetUpTestSuite() {
        test::QtTestEnvironment();
        ASSERT_EQ(StartGuiPlatform(), 1);
    }
    QtPage() {
        settings.fontFaceText = settings.fontFaceStatus = u"DejaVu Sans";
        settings.fontSizeText[0] = 12;
        layout.draw = &draw;
        layout.settings = &settings;
        test::LoadEnPat(layout.patterns);
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
    const std::string golden = test::Fixture("golden/" + name + ".png");
    const std::string bytes = test::ReadBytes(made);
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

// Run from the book's folder, so that the path on the status line is the book's name alone. On a
// screen of two device pixels a logical one (QT_SCALE_FACTOR=2) the page is drawn at that
// resolution, letters drawn finely and colours cut to 16 bits, as its golden picture holds it.
TEST(RenderTool, PagesMatchTheirGoldenPictures) {
    test::QtTestEnvironment();
    const test::ScratchDir scratch;
    const std::string small = "--width 240 --height 320 --size 12 ";
    const std::string large = "--width 480 --height 640 ";
    const struct {
        const char* name;
        const char* book;  // from the samples' folder
        std::string options;
        const char* environment = "";
    } cases[] = {
        {"rotate-0", "en-story.html", small + "--position 2000"},
        {"rotate-900", "en-story.html", small + "--position 2000 --rotate 900"},
        {"rotate-1800", "en-story.html", small + "--position 2000 --rotate 1800"},
        {"rotate-2700", "en-story.html", small + "--position 2000 --rotate 2700 --fullscreen"},
        {"status-0-path", "ru-story.fb2", small + "--status-mode 0"},
        {"status-1-percent", "ru-story.fb2", small + "--status-mode 1 --position 5000"},
        {"status-2-pages", "ru-story.fb2", small + "--status-mode 2 --position 5000 --profile 2"},
        {"status-3-titles", "ru-story.fb2", small + "--status-mode 3 --profile 1"},
        // A FictionBook's cover and an illustration opening a page (it did not fit below the page
        // before); an EPUB's SVG cover page and a PNG between two paragraphs.
        {"pictures-fb2-cover", "../tests/fixtures/en-pictures.fb2", small + "--status-mode 1"},
        {"pictures-fb2-illustration", "../tests/fixtures/en-pictures.fb2",
         small + "--status-mode 1 --position 205"},
        {"pictures-epub-cover", "../tests/fixtures/en-pictures.epub", small + "--status-mode 1"},
        {"pictures-epub-png", "../tests/fixtures/en-pictures.epub",
         small + "--status-mode 1 --position 757"},
        // Emphasis: FictionBook's italic epigraph, bold, sub- and superscript, monospace and
        // strike-through; pandoc's italic and bold in justified, hyphenated lines.
        {"emphasis-fb2", "../tests/fixtures/en-emphasis.fb2", large},
        {"emphasis-epub", "../tests/fixtures/en-emphasis-pandoc.epub", large + "--position 30"},
        {"dpr2-page", "ru-story.fb2", small, "QT_SCALE_FACTOR=2 "},
    };
    for (const auto& c : cases) {
        const std::string out = scratch.path() + "/" + c.name + ".png";
        const std::string command = std::string("cd '") + LECTRA_SAMPLES + "' && " + c.environment +
                                    "'" + LECTRA_TOOL + "' render --out '" + out + "' " +
                                    c.options + " " + c.book + "; echo $?";
        ASSERT_EQ(test::Run(command), "0\n") << c.name;
        CompareWithGolden(c.name, out);
    }
}

TEST_F(QtPage, TheLogoPageMatchesItsGoldenPicture) {
    const test::ScratchDir scratch;
    Paint(0, 0, false);
    const std::string out = scratch.path() + "/logo.png";
    ASSERT_EQ(WriteSurfacePng(layout.surface, 240, 320, Utf8ToUtf16(out)), 1);
    CompareWithGolden("logo-page", out);
    // Larger than the surface, or into a folder that is not there: refused.
    EXPECT_EQ(WriteSurfacePng(layout.surface, 4000, 320, Utf8ToUtf16(out)), 0);
    EXPECT_EQ(WriteSurfacePng(layout.surface, 240, 320, Utf8ToUtf16(out + "/no/such")), 0);
}

// The story's page at 2000, where a line ends in a hyphen, with a search hit's mark.
struct HitPage : QtPage {
    static constexpr int32_t kAt = 2000;
    // The screen area after painting with units from .. to − 1 marked.
    std::vector<uint32_t> Paint(int rotation, int32_t from, int32_t to) {
        layout.searchMark = from;
        layout.searchMarkEnd = to;
        return QtPage::Paint(rotation, kAt);
    }
    // The upright page's first hyphenated line: from the start of its last whole word to the end
    // of the word's tail on the next line.
    bool HitAcrossABreak(int32_t* from, int32_t* to) {
        Lay(0, kAt);
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

// A match across a hyphenated break against its golden pictures; half a turn is the upright
// picture upside down, mark and all.
TEST_F(HitPage, AMatchAcrossAHyphenatedBreakMatchesItsGoldenPictureAndTurnsWithThePage) {
    int32_t from = -1, to = -1;
    ASSERT_TRUE(HitAcrossABreak(&from, &to));
    const test::ScratchDir scratch;
    for (int rotation : {0, 900}) {
        const std::vector<uint32_t> turned = Paint(rotation + 1800, from, to);
        EXPECT_EQ(DifferUpsideDown(Paint(rotation, from, to), turned), 0) << rotation;
        const std::string name = "search-hit-" + std::to_string(rotation);
        const std::string out = scratch.path() + "/" + name + ".png";
        ASSERT_EQ(WriteSurfacePng(layout.surface, 240, 320, Utf8ToUtf16(out)), 1);
        CompareWithGolden(name, out);
    }
}

}  // namespace
}  // namespace lectra
