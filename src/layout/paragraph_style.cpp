// Paragraph styles: the style of each paragraph mark, and the style of the paragraph that holds
// a position, from the marks before it or the markup state saved for its block.
#include "layout/paragraph_style.h"

#include "document/text_cache.h"

namespace lectra {

namespace {

constexpr uint32_t kMarkStyles[16] = {
    kStyleBody,  kStyleBody,  kStyleBody, kStyleBody, kStyleBody, kStyleBody,
    kStyleBody,  kStyleBody,  kStyleBody, kStyleNine, kStyleBody, kStyleLeft,
    kStyleRight, kStyleTitle, kStyleBody, kStyleBody,
};

// Where the block record keeps each depth (see SnapshotMarkup).
constexpr int kCentreDepth = 3;
constexpr int kLeftDepth = 4;
constexpr int kRightDepth = 5;

}  // namespace

uint32_t MarkStyle(char16_t mark) {
    return mark < 16 ? kMarkStyles[mark] : kStyleBody;
}

uint32_t BlockStateStyle(const Document& doc, int32_t block) {
    if (block < 0 || static_cast<size_t>(block) >= doc.blocks.size()) return 0;
    const uint8_t* state = doc.blocks[block].state;
    if (state[kCentreDepth] > 0) return kStyleTitle;
    if (state[kLeftDepth] > 0) return kStyleLeft;
    if (state[kRightDepth] > 0) return kStyleRight;
    return 0;
}

int32_t MarkBefore(Document& doc, int32_t pos) {
    for (int32_t p = pos; p >= 0 && pos - p < kBlockUnits; --p) {
        const char16_t c = GetChar(doc, p);
        if (c < 16) return p;
        if (c > 32) return -1;
    }
    return -1;
}

uint32_t ParagraphStyleAt(Document& doc, int32_t pos) {
    if (pos < 0) return kStyleBody;
    const int32_t blockFirst = pos & ~(kBlockUnits - 1);
    for (int32_t p = pos; p >= blockFirst; --p) {
        const char16_t c = GetChar(doc, p);
        if (c < 16) return MarkStyle(c);
    }
    // A paragraph whose mark is the previous block's last unit: the saved state knows the depths
    // of the markup, not the mark's own style.
    if (const int32_t mark = MarkBefore(doc, blockFirst - 1); mark >= 0)
        return MarkStyle(GetChar(doc, mark));
    const uint32_t saved = BlockStateStyle(doc, pos >> kBlockShift);
    return saved ? saved : kStyleBody;
}

}  // namespace lectra
