// Helpers of the layout tests: a book in memory, fixed-advance drawing services, real Qt.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "document/encoding.h"
#include "layout/hyphen_patterns.h"
#include "layout/hyphenate.h"
#include "layout/justify.h"
#include "layout/layout_fonts.h"
#include "layout/line_breaker.h"
#include "layout/page_geometry.h"
#include "layout/pagination.h"
#include "layout/paragraph_style.h"
#include "layout/picture_blocks.h"
#include "test_support.h"

namespace lectra::test {

// A book whose units are given: every block points into one buffer, so GetChar never decodes.
struct MemoryBook {
    std::u16string units;
    std::unique_ptr<Document> doc = NewDocument();
    explicit MemoryBook(std::u16string text) : units(std::move(text)) {
        const size_t blocks = (units.size() + kBlockUnits - 1) / kBlockUnits;
        doc->docLength = static_cast<int32_t>(units.size());
        units.resize(blocks * kBlockUnits, u'\0');
        doc->blocks.resize(blocks);
        for (size_t b = 0; b < blocks; ++b) doc->blocks[b].chars = units.data() + b * kBlockUnits;
        for (int32_t& entry : doc->history) entry = -1;
    }
    Document& operator*() { return *doc; }
};

// A book opened from the HTML given, in windows-1252.
struct HtmlBook {
    ScratchDir dir;
    OpenedBook doc;
    explicit HtmlBook(const std::string& html) {
        EXPECT_TRUE(Open(*doc, dir.Write("b.html", html), 1252));
    }
};

// Fonts of the fixed-advance services: every unit is `advance` pixels wide, a space `space`.
struct FakeFont {
    FontDesc desc;
    int advance = 10;
    int space = 10;
};
// What the fixed-advance services have drawn: "x:text" for each piece, and each text and fill
// with where it went. A surface made with a size has pixel memory, and a fill outside it is a
// failure: the painter must clip.
struct FakeText {
    std::u16string text;
    PixelRect rect;
    unsigned align;
    const PlatformFont* font;
};
struct FakeSurface : std::vector<std::string> {
    int width = 0, height = 0, maskSet = kMaskSet565;
    std::vector<uint32_t> pixels;
    std::vector<FakeText> texts;
    std::vector<PixelRect> fills;
};
using Pieces = std::vector<std::string>;

inline FakeFont* Fake(PlatformFont* font) {
    return reinterpret_cast<FakeFont*>(font);
}
inline FakeSurface* Fake(PlatformSurface* surface) {
    return reinterpret_cast<FakeSurface*>(surface);
}

// Fixed-advance drawing services. A font asked for with a width gets that advance; else an
// italic one advances 13, a monospaced one 8 and one under 8 pixels high 6, the space as much.
// The cell height is the character height plus 4.
inline const DrawServices& FakeDraw() {
    static const DrawServices services = {
        [](const FontDesc& desc) {
            auto* f = new FakeFont{desc};
            if (desc.italic) f->advance = f->space = 13;
            if (desc.fixedPitch) f->advance = f->space = 8;
            if (desc.height != 0 && std::abs(desc.height) < 8) f->advance = f->space = 6;
            if (desc.width > 0) f->advance = f->space = desc.width;
            return reinterpret_cast<PlatformFont*>(f);
        },
        [](PlatformFont* font) { delete Fake(font); },
        [](const PlatformFont* font) {
            const auto* f = reinterpret_cast<const FakeFont*>(font);
            const int h = std::abs(f->desc.height);
            return FontMetrics{h + 4, h + 1, 3, f->advance};
        },
        [](PlatformFont* font, const char16_t* text, int length) {
            int width = 0;
            for (int i = 0; i < length; ++i)
                width += text[i] == u' ' ? Fake(font)->space : Fake(font)->advance;
            return width;
        },
        [](int w, int h, int maskSet) {
            auto* s = new FakeSurface;
            s->width = w, s->height = h, s->maskSet = maskSet;
            s->pixels.assign(static_cast<size_t>(w) * h, 0);
            return reinterpret_cast<PlatformSurface*>(s);
        },
        [](PlatformSurface* surface) { delete Fake(surface); },
        [](const PlatformSurface* s) { return reinterpret_cast<const FakeSurface*>(s)->maskSet; },
        [](PlatformSurface* s, int* w, int* h, int* stride) {
            *w = *stride = Fake(s)->width;
            *h = Fake(s)->height;
            return Fake(s)->pixels.data();
        },
        [](PlatformSurface* surface, PixelRect r, uint32_t colour) {
            FakeSurface& s = *Fake(surface);
            s.fills.push_back(r);
            if (r.left < 0 || r.top < 0 || r.right > s.width || r.bottom > s.height) {
                ADD_FAILURE() << "fill outside the surface";
                return;
            }
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    s.pixels[static_cast<size_t>(y * s.width + x)] = colour;
        },
        [](PlatformSurface* surface, PlatformFont* font, uint32_t, PixelRect rect,
           const char16_t* text, int length, unsigned align) {
            const std::u16string units(text, text + length);
            Fake(surface)->push_back(std::to_string(rect.left) + ":" + Utf16ToUtf8(units));
            Fake(surface)->texts.push_back({units, rect, align, font});
        },
        [](PlatformSurface*, int, int) {},
    };
    return services;
}

// Settings as a first run loads them.
inline Settings DefaultSettings() {
    SettingsStore store;
    store.capacity = kConfigCapacity;
    store.entries.resize(kConfigCapacity);
    Settings s;
    LoadSettings(s, store, IsListedCodePage);
    return s;
}

// A sample book, opened.
inline std::unique_ptr<Document> Sample(const std::string& name) {
    auto doc = NewDocument();
    EXPECT_EQ(Open(*doc, std::string(LECTRA_SAMPLES) + "/" + name), 1) << name;
    return doc;
}

// The patterns supplied with the program.
inline int LoadEnPat(HyphenPatterns& patterns) {
    return LoadHyphenPatterns(patterns, PatternFolder());
}

// A layout on the fixed-advance services: units of 10 pixels, a text font 10 pixels high (cell
// 14), titles in units of 12 pixels, a text area `width` × `height` and a surface as large.
struct FakeLayout {
    Settings settings = DefaultSettings();
    Layout layout;
    FakeLayout(int width, int height = 140) {
        layout.draw = &FakeDraw();
        layout.settings = &settings;
        settings.fontSizeText[0] = 10;
        layout.fonts.textFont = FakeDraw().createFont(FontDesc{u"Fake", -10, 0, 400, 0});
        layout.fonts.titleFont = FakeDraw().createFont(FontDesc{u"Fake", -12, 12, 700, 0});
        layout.fonts.textFontHeight = 14;
        layout.fonts.textFontAscent = 11;
        layout.fonts.titleFontAscent = 13;
        layout.fonts.emphasisDesc = FontDesc{u"Fake", -10, 0, 400, 0};
        layout.surface = FakeDraw().createSurface(width, height, kMaskSet565);
        layout.geometry.textRect = {0, 0, width, height};
    }
    ~FakeLayout() {
        FakeDraw().deleteSurface(layout.surface);
        FakeDraw().deleteFont(layout.fonts.textFont);
        FakeDraw().deleteFont(layout.fonts.titleFont);
        ReleaseEmphasisFonts(layout);
    }
};

// The lines of the layout from the book's start, one after another.
inline std::vector<LineRecord> LinesFromStart(FakeLayout& f, Document& doc) {
    std::vector<LineRecord> lines;
    for (int32_t pos = 0; pos < DocLength(doc);) {
        lines.emplace_back();
        const int32_t next =
            LayoutPageLine(f.layout, doc, lines.back(), pos, TextContext(f.layout));
        if (next <= pos) break;
        pos = next;
    }
    return lines;
}

// Lays out the page at PageStart, as the window does after every move.
inline void LayOut(FakeLayout& f, Document& doc) {
    LayoutPage(f.layout, doc, doc.pageStart);
}

// Lays out the page at `start` and makes a move; the page start after it, laid out.
inline int32_t Move(FakeLayout& f, Document& doc, int32_t start, int (*move)(Layout&, Document&)) {
    doc.pageStart = start;
    LayOut(f, doc);
    move(f.layout, doc);
    LayOut(f, doc);
    return doc.pageStart;
}

// The page starts from the book's first page to the one that shows its end, page by page.
inline std::vector<int32_t> WalkForward(FakeLayout& f, Document& doc) {
    std::vector<int32_t> starts;
    doc.pageStart = 0;
    LayOut(f, doc);
    for (;;) {
        starts.push_back(doc.pageStart);
        EXPECT_EQ(f.layout.pageLines[0].start, doc.pageStart);
        if (doc.pageEnd >= DocLength(doc)) break;
        const int32_t end = doc.pageEnd;
        NextPage(f.layout, doc);
        LayOut(f, doc);
        EXPECT_EQ(doc.pageStart, end) << "a page forward starts where the page ended";
        if (doc.pageStart != end || starts.size() > static_cast<size_t>(DocLength(doc))) break;
    }
    return starts;
}

// Pages tile the book: a page forward starts where the page ended, a page back from it returns,
// a line forward and back returns, and the page that shows the end goes no further. `samples`
// pages spread over the book are checked, which keeps the sanitizer build quick.
inline void CheckPagesTileAndMovesReturn(FakeLayout& f, Document& doc, size_t samples = 40) {
    const std::vector<int32_t> starts = WalkForward(f, doc);
    EXPECT_EQ(doc.pageEnd, DocLength(doc));
    const size_t stride = std::max<size_t>(1, starts.size() / samples);
    for (size_t i = 1; i < starts.size(); i += stride) {
        ASSERT_EQ(Move(f, doc, starts[i - 1], NextPage), starts[i]);
        if (doc.pageEnd < DocLength(doc)) {
            // A line down from a page that opens with a picture block passes the block and the
            // line after it.
            const LineRecord& first = f.layout.pageLines[0];
            const int32_t second = (first.flags & kPictureFirst)
                                       ? f.layout.pageLines[static_cast<size_t>(first.words)].end
                                       : f.layout.pageLines[1].start;
            ASSERT_EQ(Move(f, doc, starts[i], NextLine), second);
            ASSERT_EQ(Move(f, doc, second, PreviousLine), starts[i]) << "line " << second;
        } else {
            ASSERT_EQ(Move(f, doc, starts[i], NextLine), starts[i]);
            ASSERT_EQ(Move(f, doc, starts[i], NextPage), starts[i]);
        }
        PreviousPage(f.layout, doc);
        LayOut(f, doc);
        ASSERT_EQ(doc.pageStart, starts[i - 1]) << "back from page " << i;
    }
    // Backwards, from pages spread over the book down to the start.
    for (size_t i = starts.size() - 1; i > 0; i -= std::min(i, stride))
        ASSERT_EQ(Move(f, doc, starts[i], PreviousPage), starts[i - 1]) << "back from page " << i;
}

// Offscreen Qt with a private runtime folder and the fonts of the golden pictures alone, for this
// process and the tools it starts.
inline void QtTestEnvironment() {
    static bool done = false;
    if (done) return;
    done = true;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("FONTCONFIG_FILE", Fixture("fonts.conf").c_str(), 1);
    static char runtime[] = "/tmp/lectra-runtime-XXXXXX";
    if (mkdtemp(runtime)) {
        chmod(runtime, 0700);
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        std::atexit([] { std::system((std::string("rm -rf '") + runtime + "'").c_str()); });
    }
}

}  // namespace lectra::test
