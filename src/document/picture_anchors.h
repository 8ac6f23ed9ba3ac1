// The book's pictures as the document store keeps them: anchors beside the stream, each at the
// position of the first unit after its tag, naming a source whose bytes are read only when the
// picture is measured or drawn.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lectra {

// A book of more pictures has the first ones shown; the rest are left out.
constexpr int kMaxPictureAnchors = 10000;
constexpr int kMaxPictureSources = 10000;
// The bytes of one picture (a binary's decoded base64, an archive entry, a file) are read up to
// this size; a bigger one is shown as a frame.
constexpr uint32_t kMaxPictureBytes = 64u << 20;
// Units of a tag read again for its attributes, and of an id or a path kept: a longer one is
// hostile and names nothing.
constexpr uint32_t kMaxPictureTag = 4096;
constexpr size_t kMaxPictureName = 1024;

enum class PictureKind : uint8_t {
    kMissing,  // named, but nothing in the book holds it: shown as a frame
    kBase64,   // a FictionBook binary: base64 between two offsets of the raw layer
    kArchive,  // an entry of the book's ZIP archive (an EPUB's manifest item)
    kFile,     // a file beside an HTML book
};

struct PictureSource {
    PictureKind kind = PictureKind::kMissing;
    uint32_t begin = 0;  // kBase64: raw-layer offsets of the text, its closing tag's "<" at end
    uint32_t end = 0;
    int32_t entry = -1;   // kArchive: the directory entry
    std::u16string name;  // the binary's id, or the archive or file path
    // The natural size once measured: `sized` 1, or −1 when the bytes make no picture (a frame is
    // shown); 0 before the first look.
    int32_t width = 0;
    int32_t height = 0;
    int8_t sized = 0;
};

struct PictureAnchor {
    int32_t position = 0;
    int32_t source = -1;
};

struct PictureTable {
    // Ascending by position; pictures at one position in book order.
    std::vector<PictureAnchor> anchors;
    std::vector<PictureSource> sources;
    // Whether the book is of a kind that has pictures (its markup was read for them), and whether
    // it has a cover (shown at position 0).
    int pictureKind = 0;
    int hasCover = 0;
    // EPUB: the archive path of the package's cover image, set by the open step.
    std::u16string epubCover;

    // The indexing pass's gathering; nothing of it is read by block decoding.
    int indexing = 0;
    int32_t passPosition = 0;  // the position the next unit of the pass gets
    int inCoverpage = 0;
    int32_t openBinary = -1;
    int coverShown = 0;               // EPUB: the first spine item shows the cover image itself
    std::vector<std::u16string> ids;  // FictionBook: the id each anchor names, until the end
    std::unordered_map<std::u16string, int32_t> byName;
};

}  // namespace lectra
