// Pictures as blocks of the page: the group at a position scaled to the text area and given whole
// line slots, the page's pictures decoded at their drawn size into a bounded cache, and drawn.
#include "layout/picture_blocks.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "document/pictures.h"
#include "document/text_cache.h"
#include "layout/layout_fonts.h"
#include "layout/pagination.h"

namespace lectra {

namespace {

// Room kept between a block and the line below it, and between pictures of one group.
constexpr int kBlockMargin = 4;
// The first look at a picture reads this much of it: its header is near its start.
constexpr uint32_t kHeaderBytes = 256u << 10;
constexpr uint32_t kFrameColour = 0xC0C0C0;
constexpr uint32_t kFrameEdge = 0x808080;

bool On(const Layout& layout) {
    return layout.pictures && layout.pictures->images;
}

// White space between a picture's tag and the paragraph mark after it that is passed over.
constexpr int32_t kBlockReach = 64;

// Where the pictures anchored at `p` are placed: before the line at p, or, when only white space
// lies between p and a paragraph mark, after that mark. A picture between two paragraphs stands
// before the second one's mark; the line above takes the white space and the mark, as it takes
// whatever ends it, and no blank line comes between the picture and the paragraph. A cover (at
// 0) opens the first page whatever follows it.
int32_t BlockPosition(Document& doc, int32_t p) {
    if (p <= 0) return 0;
    const int32_t end = std::min(DocLength(doc), p + kBlockReach);
    for (int32_t q = p; q < end; ++q) {
        const char16_t c = GetChar(doc, q);
        if (c < 16) return q + 1;
        if (c > 32) break;
    }
    return p;
}

// The first anchor whose block may stand at `position` or after it.
std::vector<PictureAnchor>::const_iterator AnchorsFrom(const Document& doc, int32_t position) {
    const std::vector<PictureAnchor>& a = doc.pictures.anchors;
    return std::lower_bound(a.begin(), a.end(), position - kBlockReach,
                            [](const PictureAnchor& x, int32_t p) { return x.position < p; });
}

struct Group {
    int count = 0;
    int32_t sources[kMaxGroupPictures] = {};
    int width[kMaxGroupPictures] = {};
    int height[kMaxGroupPictures] = {};
    int gap = 0;
    int total = 0;
    int slots = 0;
};

// The natural size of a source, measured on its first look.
void Measure(const Layout& layout, Document& doc, int32_t source, int* width, int* height) {
    PictureSource& s = doc.pictures.sources[static_cast<size_t>(source)];
    if (s.sized == 0) {
        std::string bytes;
        int ok = ReadPictureBytes(doc, source, bytes, kHeaderBytes) &&
                 layout.pictures->images->readSize(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                   bytes.size(), &s.width, &s.height);
        // A header that the first bytes do not hold (a JPEG with a large thumbnail before it).
        if (!ok && bytes.size() >= kHeaderBytes) {
            ok = ReadPictureBytes(doc, source, bytes, kMaxPictureBytes) &&
                 layout.pictures->images->readSize(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                   bytes.size(), &s.width, &s.height);
        }
        s.sized = ok && s.width > 0 && s.height > 0 ? 1 : -1;
    }
    *width = s.sized > 0 ? s.width : kFrameWidth;
    *height = s.sized > 0 ? s.height : kFrameHeight;
}

// Whether only white space and paragraph marks come before `position` (looked at up to a block's
// length).
bool NothingVisibleBefore(Document& doc, int32_t position) {
    if (position > kBlockUnits) return false;
    for (int32_t q = 0; q < position; ++q) {
        if (GetChar(doc, q) > 32) return false;
    }
    return true;
}

// The anchors whose block stands at `position`, in book order. A book whose text opens with its
// cover's own image (a FictionBook's body often does) shows that image once, as the cover.
int GroupSources(Document& doc, int32_t position, int32_t* sources) {
    const PictureTable& t = doc.pictures;
    const int32_t cover =
        t.hasCover && !t.anchors.empty() && t.anchors[0].position == 0 ? t.anchors[0].source : -1;
    int n = 0;
    const auto end = t.anchors.end();
    for (auto it = AnchorsFrom(doc, position); it != end && it->position <= position; ++it) {
        if (n >= kMaxGroupPictures || BlockPosition(doc, it->position) != position) continue;
        if (position > 0 && it->source == cover && NothingVisibleBefore(doc, position)) continue;
        sources[n++] = it->source;
    }
    return n;
}

// Each picture scaled to the text area's width and a page's height less a line (never enlarged
// past twice its size), then the group together to that height, one below the other.
int LayOutGroup(Layout& layout, Document& doc, int32_t position, Group& g) {
    g = Group{};
    if (!On(layout) || doc.pictures.anchors.empty()) return 0;
    g.count = GroupSources(doc, position, g.sources);
    if (g.count == 0) return 0;
    const PixelRect& text = layout.geometry.textRect;
    const int areaWidth = text.right - text.left;
    const int lines = PageLineCount(layout);
    const int pitch = LinePitch(layout);
    const int maxHeight = (lines - 1) * pitch - kBlockMargin;
    if (lines < 2 || areaWidth <= 0 || maxHeight < 1) return g.count = 0;
    g.gap = g.count > 1 ? std::min(pitch / 2, maxHeight / (4 * g.count)) : 0;
    double sum = 0;
    for (int i = 0; i < g.count; ++i) {
        int w = 0, h = 0;
        Measure(layout, doc, g.sources[i], &w, &h);
        const double scale =
            std::min({2.0, static_cast<double>(areaWidth) / w, static_cast<double>(maxHeight) / h});
        g.width[i] = std::max(1, static_cast<int>(w * scale));
        g.height[i] = std::max(1, static_cast<int>(h * scale));
        sum += g.height[i];
    }
    const int room = maxHeight - g.gap * (g.count - 1);
    if (sum > room) {
        const double scale = std::max(room, g.count) / sum;
        for (int i = 0; i < g.count; ++i) {
            g.width[i] = std::max(1, static_cast<int>(g.width[i] * scale));
            g.height[i] = std::max(1, static_cast<int>(g.height[i] * scale));
        }
    }
    g.total = g.gap * (g.count - 1);
    for (int i = 0; i < g.count; ++i) g.total += g.height[i];
    g.slots = std::clamp((g.total + kBlockMargin + pitch - 1) / pitch, 1, lines - 1);
    return g.count;
}

void Forget(PictureBlocks& blocks, size_t i) {
    PictureBlocks::Entry& e = blocks.cache[i];
    if (e.image) blocks.images->release(e.image);
    blocks.cacheBytes -= e.bytes;
    blocks.cache.erase(blocks.cache.begin() + static_cast<ptrdiff_t>(i));
}

const PictureBlocks::Entry* Cached(const PictureBlocks& blocks, int32_t source, int w, int h) {
    for (const PictureBlocks::Entry& e : blocks.cache) {
        if (e.source == source && e.width == w && e.height == h) return &e;
    }
    return nullptr;
}

// The grey frame with "Picture" in it that stands for a picture that cannot be shown.
void DrawFrame(const Layout& layout, PlatformSurface* surface, PixelRect r, uint32_t textColour) {
    layout.draw->fillRect(surface, r, kFrameEdge);
    layout.draw->fillRect(surface, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1},
                          kFrameColour);
    if (layout.fonts.textFont) {
        static constexpr char16_t kPicture[] = u"Picture";
        layout.draw->drawText(surface, layout.fonts.textFont, textColour, r, kPicture, 7,
                              kAlignCentre | kAlignVCentre);
    }
}

}  // namespace

int PictureSlotsAt(Layout& layout, Document& doc, int32_t position) {
    Group g;
    return LayOutGroup(layout, doc, position, g) ? g.slots : 0;
}

int32_t PictureStop(const Layout& layout, Document& doc, int32_t start) {
    if (!On(layout)) return INT32_MAX;
    const std::vector<PictureAnchor>& a = doc.pictures.anchors;
    // Blocks stand in the order of their anchors; the anchors of one position are tried once.
    for (auto it = AnchorsFrom(doc, start); it != a.end();) {
        const int32_t at = BlockPosition(doc, it->position);
        if (at > start) return at;
        it = std::upper_bound(it, a.end(), it->position,
                              [](int32_t p, const PictureAnchor& x) { return p < x.position; });
    }
    return INT32_MAX;
}

int PlacePictureBlock(Layout& layout, Document& doc, std::vector<LineRecord>& records, int slot,
                      int lines, int32_t position) {
    Group g;
    if (!LayOutGroup(layout, doc, position, g)) return 0;
    const auto at = [&](int i) -> LineRecord& { return records[static_cast<size_t>(i)]; };
    if (slot > 0 && slot + g.slots + 1 > lines) {
        for (int i = slot; i <= lines; ++i) {
            at(i).text.clear();
            at(i).words = 0;
            at(i).flags = kPictureGap;
            at(i).start = at(i).end = position;
        }
        return -1;
    }
    for (int i = 0; i < g.slots; ++i) {
        LineRecord& r = at(slot + i);
        r.text.clear();
        r.words = i == 0 ? g.slots : 0;
        r.flags = kPictureSlot | (i == 0 ? kPictureFirst : 0);
        r.start = r.end = position;
    }
    return g.slots;
}

int EndsBeforePicture(const std::vector<LineRecord>& records, int lines) {
    for (int i = 0; i < lines && static_cast<size_t>(i) < records.size(); ++i) {
        if (records[static_cast<size_t>(i)].flags & kPictureGap) return 1;
    }
    return 0;
}

size_t FirstTextRecord(const std::vector<LineRecord>& records, size_t from) {
    while (from + 1 < records.size() && (records[from].flags & kPictureSlot)) ++from;
    return from;
}

void PreparePagePictures(Layout& layout, Document& doc) {
    if (!On(layout)) return;
    PictureBlocks& blocks = *layout.pictures;
    if (blocks.bookPath != doc.bookPath || blocks.bookLength != DocLength(doc) ||
        blocks.bookAnchors != doc.pictures.anchors.size()) {
        while (!blocks.cache.empty()) Forget(blocks, blocks.cache.size() - 1);
        blocks.bookPath = doc.bookPath;
        blocks.bookLength = DocLength(doc);
        blocks.bookAnchors = doc.pictures.anchors.size();
    }
    const uint64_t page = ++blocks.pageCount;
    blocks.shown.clear();
    const int lines = std::min(layout.linesPerPage, static_cast<int>(layout.pageLines.size()));
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
        const LineRecord& r = layout.pageLines[static_cast<size_t>(i)];
        if (!(r.flags & kPictureFirst)) continue;
        Group g;
        if (!LayOutGroup(layout, doc, r.start, g)) continue;
        const int areaWidth = layout.geometry.textRect.right - layout.geometry.textRect.left;
        const int areaHeight = r.words * LinePitch(layout);
        int y = std::max(0, (areaHeight - kBlockMargin - g.total) / 2);
        for (int k = 0; k < g.count; ++k) {
            const int w = g.width[k], h = g.height[k];
            const int x = (areaWidth - w) / 2;
            blocks.shown.push_back({r.start, g.sources[k], {x, y, x + w, y + h}});
            y += h + g.gap;
            const auto hit = std::find_if(
                blocks.cache.begin(), blocks.cache.end(), [&](const PictureBlocks::Entry& e) {
                    return e.source == g.sources[k] && e.width == w && e.height == h;
                });
            if (hit != blocks.cache.end()) {
                hit->used = page;
                continue;
            }
            PictureBlocks::Entry e;
            e.source = g.sources[k];
            e.width = w;
            e.height = h;
            e.used = page;
            if (doc.pictures.sources[static_cast<size_t>(g.sources[k])].sized > 0 &&
                ReadPictureBytes(doc, g.sources[k], bytes, kMaxPictureBytes)) {
                e.image = blocks.images->decode(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                bytes.size(), w, h);
            }
            if (e.image) e.bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
            blocks.cacheBytes += e.bytes;
            blocks.cache.push_back(e);
        }
    }
    // The pictures of pages far behind go; then the oldest, until the cache is within its size
    // (the page's own are the newest and go last).
    for (size_t i = blocks.cache.size(); i-- > 0;) {
        if (blocks.cache[i].used + kPictureKeepPages < page) Forget(blocks, i);
    }
    while (blocks.cacheBytes > kPictureCacheBytes) {
        size_t oldest = 0;
        for (size_t i = 1; i < blocks.cache.size(); ++i) {
            if (blocks.cache[i].used < blocks.cache[oldest].used) oldest = i;
        }
        if (blocks.cache[oldest].used == page) break;
        Forget(blocks, oldest);
    }
}

void PaintPictureBlock(const Layout& layout, PlatformSurface* surface, const LineRecord& record,
                       PixelRect area, uint32_t textColour) {
    if (!On(layout) || !surface) return;
    const PictureBlocks& blocks = *layout.pictures;
    for (const PictureBlocks::Shown& s : blocks.shown) {
        if (s.position != record.start) continue;
        const PixelRect r{area.left + s.rect.left, area.top + s.rect.top, area.left + s.rect.right,
                          area.top + s.rect.bottom};
        const PictureBlocks::Entry* e =
            Cached(blocks, s.source, s.rect.right - s.rect.left, s.rect.bottom - s.rect.top);
        if (e && e->image) {
            blocks.images->draw(surface, e->image, r);
            continue;
        }
        DrawFrame(layout, surface, r, textColour);
    }
}

int PaintCover(Layout& layout, Document& doc, PlatformSurface* surface, int width, int height) {
    const PictureTable& t = doc.pictures;
    if (!On(layout) || !surface || !t.hasCover || t.anchors.empty() || t.anchors[0].position != 0 ||
        width <= 0 || height <= 0)
        return 0;
    const int32_t source = t.anchors[0].source;
    int w = 0, h = 0;
    Measure(layout, doc, source, &w, &h);
    const double scale =
        std::min({2.0, static_cast<double>(width) / w, static_cast<double>(height) / h});
    w = std::max(1, static_cast<int>(w * scale));
    h = std::max(1, static_cast<int>(h * scale));
    const PixelRect r{(width - w) / 2, (height - h) / 2, (width - w) / 2 + w, (height - h) / 2 + h};
    if (layout.fonts.backgroundBrush.exists)
        layout.draw->fillRect(surface, {0, 0, width, height}, layout.fonts.backgroundBrush.colour);
    const ImageServices& images = *layout.pictures->images;
    std::string bytes;
    PlatformImage* image = nullptr;
    if (doc.pictures.sources[static_cast<size_t>(source)].sized > 0 &&
        ReadPictureBytes(doc, source, bytes, kMaxPictureBytes)) {
        image = images.decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), w, h);
    }
    if (image) {
        images.draw(surface, image, r);
        images.release(image);
    } else {
        DrawFrame(layout, surface, r, TextContext(layout).textColour);
    }
    return 1;
}

void ReleasePictures(PictureBlocks& blocks) {
    if (!blocks.images) return;
    while (!blocks.cache.empty()) Forget(blocks, blocks.cache.size() - 1);
    blocks.shown.clear();
}

}  // namespace lectra
