// Paragraph styles: the style of each paragraph mark, and the style of the paragraph that holds
// a position, from the marks before it or the markup state saved for its block.
#pragma once
#include <cstdint>

#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// The style flag of a paragraph opened by `mark` (a unit below 16).
uint32_t MarkStyle(char16_t mark);
// The style that block `block`'s saved markup state gives its first position when one of its
// centre, left or right depths is above 0; 0 otherwise (also for a block the book does not have).
uint32_t BlockStateStyle(const Document& doc, int32_t block);
// The mark that ends the white space (units 16–32) running back from `pos`, at most one block
// back; −1 when text comes first or the book starts.
int32_t MarkBefore(Document& doc, int32_t pos);
// The style flag of the paragraph that holds `pos`: the nearest mark at or before it within its
// 4096-unit block, else a mark just before the block (only white space between), else the block's
// saved markup state, else body.
uint32_t ParagraphStyleAt(Document& doc, int32_t pos);

}  // namespace lectra
