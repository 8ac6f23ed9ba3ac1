// The page painter on recording services, and on Qt's fonts against the golden pictures (a
// search hit's mark among them).
#include "layout/page_paint.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <array>
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
    void Place(int fullScreen = 0) {
        layout.geometry = ComputePageGeometry(settings, width, height, width,
                                              layout.fonts.statusFontHeight, fullScreen);
    }
    test::FakeSurface& Surface() { return *test::Fake(layout.surface); }
    // Paints afresh and returns what the status font (or the font given) drew.
    std::vector<std::string> Status(const Document* doc, StatusSources sources = {12, 34, 87, 1},
                                    const PlatformFont* font = nullptr) {
        UpdateStatusSnapshot(layout, doc, sources);
        Surface().texts.clear();
        PaintPage(layout, doc);
        std::vector<std::string> out;
        for (const test::FakeText& op : Surface().texts)
            if (op.font == (font ? font : layout.fonts.statusFont)) out.push_back(Describe(op));
        return out;
    }
    // The pixels that `pick` takes (given x, y and the pixel's index), counted on the progress
    // bar, on the status line and elsewhere.
    template <class Pick>
    std::array<int, 3> Count(Pick pick) {
        const PixelRect bar = layout.geometry.progressRect, status = layout.geometry.statusRect;
        auto in = [](PixelRect r, int x, int y) {
            return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        };
        std::array<int, 3> n{};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (pick(x, y, static_cast<size_t>(y * Surface().width + x)))
                    ++n[in(bar, x, y) ? 0 : in(status, x, y) ? 1 : 2];
        return n;
    }
};

// A book of `length` units with a space after every ninth.
test::MemoryBook Book(int length) {
    std::u16string text;
    for (int i = 0; i < length; ++i) text += i % 10 == 9 ? u' ' : u'a';
    return test::MemoryBook(text);
}

// The status line at 480 pixels keeps 360 for the path between the clock and the battery; a
// book of 5000 units whose first page ends at 1000. Autoscrolling shows its speed on even ticks.
TEST(PaintPage, TheStatusLineItems) {
    struct Case {
        const char* name;
        int width, modeStatus;
        std::u16string path;
        int ticks, paused, onMains;  // ticks −1: not autoscrolling
        const char *left, *middle;
    };
    const Case cases[] = {
        {"pages, on battery", 480, 2, u"", -1, 0, 0, "L 0-480  87%", "C 0-480 0/4"},
        {"a path too long", 480, 0, u"/mnt/card/library/fiction/the-long-story.txt", -1, 0, 1,
         "L 0-480 ~87%", "R 50-410 …/library/fiction/the-long-story.txt"},
        {"no room at all", 130, 0, u"/abc", -1, 0, 1, "L 0-130 ~87%", "R 50-60 …"},
        {"half a pair is not left", 160, 0, u"ab\U0001F4D6cd", -1, 0, 1, "L 0-160 ~87%",
         "R 50-90 …cd"},
        {"autoscroll speed", 480, 3, u"", 6, 0, 1, "L 0-480 1.50s", "C 0-480 20.00% 0/4"},
        {"paused", 480, 0, u"/books/a.txt", 0, 1, 1, "L 0-480 ~87%", "C 0-480 pause"},
    };
    auto book = Book(5000);
    (*book).pageStart = 0;
    (*book).pageEnd = 1000;
    for (const Case& c : cases) {
        RecPage page(c.width);
        page.settings.modeStatus = c.modeStatus;
        page.settings.aswTime = 1500;
        page.layout.autoscrolling = c.ticks >= 0;
        page.layout.autoscrollTicks = static_cast<uint32_t>(std::max(c.ticks, 0));
        page.layout.autoscrollPaused = c.paused;
        (*book).bookPath = c.path;
        const std::string clock = "R 0-" + std::to_string(c.width) + " 12:34 ";
        EXPECT_EQ(page.Status(book.doc.get(), {12, 34, 87, c.onMains}),
                  (std::vector<std::string>{clock, c.left, c.middle}))
            << c.name;
    }
}

// The battery mark is drawn on the progress bar, never off it, in both directions (any mode but
// 0 is the right edge), for a battery reported empty, full or past 100 (unknown).
TEST(PaintPage, TheBatteryMarkStaysOnTheProgressBar) {
    for (auto [mode, battery] : {std::pair{0, 87}, {0, 255}, {0, 0}, {1, 40}, {5, 100}}) {
        RecPage page;
        page.settings.modeProgress = mode;
        page.settings.visibleBatteryOnProgress = 1;
        page.Place();
        auto book = Book(1000);
        page.Status(book.doc.get(), {12, 34, battery, 1});
        const auto n =
            page.Count([&](int, int, size_t i) { return page.Surface().pixels[i] == 0x0000FFu; });
        EXPECT_GT(n[0], 0) << mode << " " << battery;
        EXPECT_EQ(n[1] + n[2], 0) << mode << " " << battery;
    }
}

// A mark beside the clock for a bookmark on the page, a tick on the bar for each; none outside.
TEST(PaintPage, BookmarksOnTheStatusLineAndTheProgressBar) {
    for (int mode : {0, 1}) {
        RecPage page;
        page.settings.modeProgress = mode;
        page.Place();
        auto book = Book(5000);
        (*book).pageStart = 0;
        (*book).pageEnd = 1000;
        const std::vector<std::string> texts = page.Status(book.doc.get());
        const std::vector<uint32_t> plain = page.Surface().pixels;
        int leftmost = page.width;  // of the pixels changed on the status line by the last paint
        // Paints with the bookmarks given: the texts stay, and which pixels changed.
        auto changed = [&](std::vector<int32_t> bookmarks) {
            page.layout.bookmarks = std::move(bookmarks);
            leftmost = page.width;
            EXPECT_EQ(page.Status(book.doc.get()), texts);
            return page.Count([&](int x, int y, size_t i) {
                const bool differs = page.Surface().pixels[i] != plain[i];
                const PixelRect& r = page.layout.geometry.statusRect;
                if (differs && x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                    leftmost = std::min(leftmost, x);
                return differs;
            });
        };
        EXPECT_EQ(changed({-5, 5001}), (std::array<int, 3>{0, 0, 0})) << mode;
        std::array<int, 3> n = changed({3000});  // on a later page: a tick only
        EXPECT_EQ(page.layout.status.bookmarkHere, 0);
        EXPECT_GT(n[0], 0) << mode;
        EXPECT_EQ(n[1] + n[2], 0) << mode;
        n = changed({3000, 400});  // and one on this page: the mark too
        EXPECT_EQ(page.layout.status.bookmarkHere, 1);
        EXPECT_GT(n[1], 0) << mode;
        EXPECT_EQ(n[2], 0) << mode;
        // The mark stands left of the clock, clear of the battery at the left.
        EXPECT_GT(leftmost, page.width / 2) << mode;
    }
}

TEST(PaintPage, TheClockUnderTheText) {
    RecPage page;
    page.settings.clockWithText[0] = 1;
    auto book = Book(3000);
    LayoutPage(page.layout, *book, 0);
    const PlatformFont* clock = page.layout.fonts.clockFont;
    EXPECT_EQ(page.Status(book.doc.get(), {7, 5, 87, 1}, clock),
              std::vector<std::string>{"C 0-480 07:05"});
    const auto inTheCutColour = [&](const test::FakeText& op) {
        return op.font == clock && op.colour == page.settings.colors[kColourCut][0];
    };
    const std::vector<test::FakeText>& texts = page.Surface().texts;
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), inTheCutColour), 1);
}

// The surface is made again for another mask set, also by the painter; sizes it cannot hold are
// refused, and with no surface the painter paints nothing.
TEST(PaintPage, TheSurfaceMaskSetAndRefusedSizes) {
    RecPage page;
    page.settings.deleteCt = 1;
    PaintPage(page.layout, nullptr);
    EXPECT_EQ(page.Surface().maskSet, kMaskSetAlternate);
    page.settings.fontCtText[0] = 1;
    EXPECT_EQ(EnsurePageSurface(page.layout, 640, 480), 1);
    EXPECT_EQ(page.Surface().maskSet, kMaskSet565);
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

TEST(RenderTool, RefusesBadOptions) {
    const std::string book = std::string(" '") + LECTRA_SAMPLES + "/en-story.txt'";
    for (std::string args :
         {"", "--out", "--out x.png --rotate 45", "--out x.png --rotate 3600",
          "--out x.png --status-mode 4", "--out x.png --profile 4", "--out x.png --width 5000",
          "--out x.png --pages 2", "--out x.png --back"}) {
        EXPECT_EQ(test::Run(std::string(LECTRA_TOOL) + " render " + args + book +
                            " >/dev/null 2>&1; echo $?"),
                  "2\n")
            << args;
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
