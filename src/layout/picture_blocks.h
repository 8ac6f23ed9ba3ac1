// Pictures as blocks of the page: each group of pictures anchored at one position is scaled to the
// text area, given whole line slots above the text at its position, decoded at the drawn size for
// the page laid out, and kept in a bounded cache.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "layout/layout.h"
#include "platform/image.h"

namespace lectra {

// Line flags of the records a picture block takes: every slot of the block, its first slot (whose
// `words` is how many slots it takes), and the empty foot of a page that ends before a block that
// does not fit. All of them begin and end at the block's position. (Four hex digits, as
// lectra-tool layout prints the flags.)
constexpr uint32_t kPictureSlot = 0x2000;
constexpr uint32_t kPictureFirst = 0x4000;
constexpr uint32_t kPictureGap = 0x8000;

// Decoded pictures are kept up to this many bytes, and only those of the latest few pages.
constexpr size_t kPictureCacheBytes = 32u << 20;
constexpr int kPictureKeepPages = 8;
// Pictures drawn at one position, one below the other; a book that anchors more there has the
// first ones shown.
constexpr int kMaxGroupPictures = 8;
// The size a picture that cannot be read is given: a frame with "Picture" in it.
constexpr int kFrameWidth = 240;
constexpr int kFrameHeight = 160;

struct PictureBlocks {
    const ImageServices* images = nullptr;  // null: pictures are not shown
    struct Entry {
        int32_t source = -1;
        int width = 0;
        int height = 0;
        PlatformImage* image = nullptr;  // null: the picture did not decode; a frame is drawn
        size_t bytes = 0;
        uint64_t used = 0;
    };
    std::vector<Entry> cache;
    size_t cacheBytes = 0;
    uint64_t pageCount = 0;  // pages prepared so far
    // The book whose pictures the cache holds.
    std::u16string bookPath;
    int32_t bookLength = -1;
    size_t bookAnchors = 0;
    // Where each picture of the page laid out last is drawn, from its block's top left.
    struct Shown {
        int32_t position = 0;
        int32_t source = -1;
        PixelRect rect;
    };
    std::vector<Shown> shown;
};

// The line slots the pictures at `position` take (0 for none, or when pictures are off or a page
// has room for no block): at most a page's lines less one, so that a line always follows.
int PictureSlotsAt(Layout& layout, Document& doc, int32_t position);
// Where a line that begins at `start` must end: the next position after it that pictures stand
// at; INT32_MAX when none does or pictures are off.
int32_t PictureStop(const Layout& layout, Document& doc, int32_t start);
// Puts the block at `position` into records[slot…] when it belongs there: at the page's top, or
// below the lines so far when it fits whole with a line after it. Returns the slots it took (0
// for no block), or −1 when the block does not fit: the records from `slot` to `lines` are then
// the page's empty foot and the page ends at `position`.
int PlacePictureBlock(Layout& layout, Document& doc, std::vector<LineRecord>& records, int slot,
                      int lines, int32_t position);
// Whether the page in `records` ended before a picture block.
int EndsBeforePicture(const std::vector<LineRecord>& records, int lines);
// The first record from `from` on that is a line of text (the last record when none is).
size_t FirstTextRecord(const std::vector<LineRecord>& records, size_t from);

// Decodes the pictures of the page in layout.pageLines into the cache (those already there are
// kept), and drops the pictures of pages far behind and any beyond the cache's size.
void PreparePagePictures(Layout& layout, Document& doc);
// Draws the block whose first slot is `record` into `area` of the surface: the pictures the
// preparation decoded, a grey frame with "Picture" for each that did not decode.
void PaintPictureBlock(const Layout& layout, PlatformSurface* surface, const LineRecord& record,
                       PixelRect area, uint32_t textColour);
void ReleasePictures(PictureBlocks& blocks);

// Paints the book's cover into the rectangle 0, 0, width, height of `surface` (a surface of its
// own, as a dialog's preview has): fitted, centred, on the page's background; a frame when it does
// not decode. Returns 0, painting nothing, when the book has no cover or pictures are off.
int PaintCover(Layout& layout, Document& doc, PlatformSurface* surface, int width, int height);

}  // namespace lectra
