// Picture blocks on the fixed-advance services: placement, moves, the bounded cache.
#include "layout/picture_blocks.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "document/pictures.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using test::MemoryBook;

// Fake picture services: a picture's bytes are "pic W H" (anything else is no picture), and one
// that says "bad" does not decode.
struct FakeImage {
    int width, height;
};
const ImageServices& FakeImages() {
    static const ImageServices services = {
        [](const uint8_t* bytes, size_t size, int* w, int* h) {
            const std::string text(reinterpret_cast<const char*>(bytes), size);
            return std::sscanf(text.c_str(), "pic %d %d", w, h) == 2 ? 1 : 0;
        },
        [](const uint8_t* bytes, size_t size, int w, int h) -> PlatformImage* {
            const std::string text(reinterpret_cast<const char*>(bytes), size);
            if (text.find("bad") != std::string::npos) return nullptr;
            return reinterpret_cast<PlatformImage*>(new FakeImage{w, h});
        },
        [](PlatformImage* image) { delete reinterpret_cast<FakeImage*>(image); },
        [](PlatformSurface*, const PlatformImage*, PixelRect) {},
    };
    return services;
}

// A layout that shows pictures.
struct PictureLayout : FakeLayout {
    PictureBlocks blocks;
    explicit PictureLayout(int width, int height = 140) : FakeLayout(width, height) {
        blocks.images = &FakeImages();
        layout.pictures = &blocks;
    }
    ~PictureLayout() { ReleasePictures(blocks); }
};

// A picture of natural size w × h anchored at `position` (already measured), after those added
// before it, which must not lie further on.
void AddPicture(Document& doc, int32_t position, int w, int h) {
    PictureSource s;
    s.sized = 1;
    s.width = w;
    s.height = h;
    doc.pictures.sources.push_back(s);
    ASSERT_TRUE(doc.pictures.anchors.empty() || doc.pictures.anchors.back().position <= position);
    doc.pictures.anchors.push_back(
        {position, static_cast<int32_t>(doc.pictures.sources.size() - 1)});
}

// One paragraph a line: "p0", "p1", …; the position of paragraph k's mark (k > 0).
std::u16string Paragraphs(int count) {
    std::u16string text = u"p0";
    for (int k = 1; k < count; ++k) text += u"\n" + Utf8ToUtf16("p" + std::to_string(k));
    return text;
}
int32_t MarkOf(const std::u16string& text, int k) {
    return static_cast<int32_t>(text.find(Utf8ToUtf16("\np" + std::to_string(k))));
}

// The page's records: a block's first slot with its size, its other slots, the empty foot of a
// page that ends before a block, and each line's text without its indent.
std::vector<std::string> Kinds(const Layout& layout) {
    std::vector<std::string> out;
    for (int i = 0; i < layout.linesPerPage; ++i) {
        const LineRecord& r = layout.pageLines[static_cast<size_t>(i)];
        std::string text = Utf16ToUtf8(r.text);
        text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
        out.push_back(r.flags & kPictureFirst  ? "block" + std::to_string(r.words)
                      : r.flags & kPictureSlot ? "|"
                      : r.flags & kPictureGap  ? "gap"
                                               : text);
    }
    return out;
}

TEST(PictureBlocks, ABlockGoesBelowTheLinesWhenItFitsWithALineAfterItElseItOpensTheNextPage) {
    const std::u16string text = Paragraphs(40);
    MemoryBook book(text);
    PictureLayout f(200, 140);  // ten lines of 14 pixels
    // 40 × 20 is drawn twice its size, 80 × 40: with the margin, four lines.
    AddPicture(*book, MarkOf(text, 2), 40, 20);
    AddPicture(*book, MarkOf(text, 15), 40, 20);
    LayoutPage(f.layout, *book, 0);
    ASSERT_EQ(f.layout.linesPerPage, 10);
    EXPECT_EQ(Kinds(f.layout), (std::vector<std::string>{"p0", "p1", "block4", "|", "|", "|", "p2",
                                                         "p3", "p4", "p5"}));
    // The page after ends at p15's picture: four slots and a line do not fit below p14.
    ASSERT_EQ(NextPage(f.layout, *book), 1);
    LayoutPage(f.layout, *book, book.doc->pageStart);
    EXPECT_EQ(Kinds(f.layout), (std::vector<std::string>{"p6", "p7", "p8", "p9", "p10", "p11",
                                                         "p12", "p13", "p14", "gap"}));
}

// A body that opens with its cover's own image (before any visible text) shows it once, as the
// cover; the same image after some text, or another one at the start, is shown.
TEST(PictureBlocks, TheCoversImageAtTheTextsStartIsNotShownTwice) {
    const std::u16string text = u"  \n\ntitle\nfirst paragraph\nsecond paragraph\nthird";
    for (const bool sameImage : {true, false}) {
        MemoryBook book(text);
        PictureLayout f(300, 400);
        book.doc->pictures.hasCover = 1;
        // The cover, the body's first picture before the title's mark, the cover after text.
        for (const size_t at : {size_t{0}, size_t{1}, text.find(u"\nsecond")})
            AddPicture(*book, static_cast<int32_t>(at), 40, 20);
        if (sameImage) book.doc->pictures.anchors[1].source = 0;
        book.doc->pictures.anchors[2].source = 0;
        LayoutPage(f.layout, *book, 0);
        const auto kinds = Kinds(f.layout);
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "block4"), sameImage ? 2 : 3) << sameImage;
    }
}

TEST(PictureBlocks, APictureInsideAParagraphEndsTheLineThereUnjustified) {
    const std::u16string text = u"alpha beta gamma delta epsilon zeta eta theta";
    MemoryBook book(text);
    PictureLayout f(300, 140);
    const int32_t at = static_cast<int32_t>(text.find(u"gamma"));
    AddPicture(*book, at, 30, 10);
    LayoutPage(f.layout, *book, 0);
    const auto kinds = Kinds(f.layout);
    EXPECT_EQ(f.layout.pageLines[0].end, at);
    EXPECT_TRUE(f.layout.pageLines[0].flags & kParaEnd) << "a line cut by a picture is not spread";
    EXPECT_EQ(kinds[1], "block2");
    EXPECT_EQ(kinds[3], "gamma delta epsilon zeta eta");
    // The same lines are found backwards, the block counting its slots with its line's.
    const int32_t gammaEnd = f.layout.pageLines[3].end;
    EXPECT_EQ(StartOfLinesBefore(f.layout, *book, at, 1), 0);
    EXPECT_EQ(StartOfLinesBefore(f.layout, *book, gammaEnd, 3), at);
    EXPECT_EQ(StartOfLinesBefore(f.layout, *book, gammaEnd, 4), 0);
}

// Several pictures at one position are one block, one below the other, scaled down together to a
// page less a line; on a page of one line there is no room for a block and none is made.
TEST(PictureBlocks, PicturesAtOnePositionShareOnePageAndAOneLinePageHasNone) {
    const std::u16string text = Paragraphs(30);
    MemoryBook book(text);
    PictureLayout f(200, 140);
    for (int i = 0; i < 3; ++i) AddPicture(*book, MarkOf(text, 5), 100, 100);
    LayoutPage(f.layout, *book, MarkOf(text, 5) + 1);
    EXPECT_EQ(Kinds(f.layout)[0], "block9");
    EXPECT_EQ(Kinds(f.layout)[9], "p5");
    PictureLayout tiny(200, 14);
    LayoutPage(tiny.layout, *book, MarkOf(text, 5) + 1);
    EXPECT_EQ(tiny.layout.linesPerPage, 1);
    EXPECT_EQ(Kinds(tiny.layout)[0], "p5");
}

// Pages over a book with pictures of many sizes tile it, and the moves return.
TEST(PictureBlocks, PagesForwardsAndBackAgreeWithPictures) {
    std::u16string text;
    for (int k = 0; k < 200; ++k) {
        text += u"\n";
        for (int w = 0; w < 1 + k * 7 % 23; ++w)
            text += std::u16string(1 + (k + w) % 6, u'w') + u" ";
    }
    MemoryBook book(text);
    AddPicture(*book, 0, 50, 70);  // a cover
    int k = 0;
    for (size_t p = 0; p < text.size(); ++p) {
        if (text[p] != u'\n' || ++k % 9) continue;
        AddPicture(*book, static_cast<int32_t>(p), 20 + k * 13 % 300, 10 + k * 29 % 400);
    }
    for (auto [width, height] : {std::pair{200, 140}, {470, 600}, {120, 70}}) {
        PictureLayout f(width, height);
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        test::CheckPagesTileAndMovesReturn(f, *book, SIZE_MAX);
    }
}

// Decoded pictures are kept for the pages near the current one, within the cache's size; one that
// does not decode is a frame, asked for once.
TEST(PictureBlocks, TheCacheKeepsThePagesNearAndStaysWithinItsSize) {
    const test::ScratchDir dir;
    std::string html = "<html><body>";
    for (int k = 0; k < 40; ++k) {
        const std::string name = "p" + std::to_string(k) + ".img";
        dir.Write(name, k == 3 ? "pic 2000 1500 bad" : "pic 2000 1500");
        html += "<p>text " + std::to_string(k) + "</p><img src=\"" + name + "\">";
    }
    auto doc = NewDocument();
    ASSERT_EQ(test::Open(*doc, dir.Write("book.html", html + "</body></html>")), 1);
    ASSERT_EQ(doc->pictures.anchors.size(), 40u);
    PictureLayout f(1500, 1400);  // pictures of 1500 × 1125: 6.75 MB each when decoded
    size_t most = 0;
    for (int page = 0; page < 40 && doc->pageEnd < DocLength(*doc); ++page) {
        LayoutPage(f.layout, *doc, doc->pageStart);
        most = std::max(most, f.blocks.cacheBytes);
        EXPECT_LE(f.blocks.cacheBytes, kPictureCacheBytes);
        NextPage(f.layout, *doc);
    }
    EXPECT_GT(most, 3 * 1500u * 1125u * 4u) << "pictures of the pages just read stay";
    size_t frames = 0;
    for (const PictureBlocks::Entry& e : f.blocks.cache) frames += e.image == nullptr;
    EXPECT_LE(frames, 1u);
    // Another book leaves nothing of this one's behind.
    MemoryBook other(Paragraphs(5));
    LayoutPage(f.layout, *other, 0);
    EXPECT_TRUE(f.blocks.cache.empty());
    EXPECT_EQ(f.blocks.cacheBytes, 0u);
    CloseDocument(*doc);
}

}  // namespace
}  // namespace lectra
