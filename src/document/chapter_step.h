// Moving by chapters: the contents' next or previous entry from a place in the book.
#pragma once
#include <cstdint>
#include <vector>

#include "document/document.h"

namespace lectra {

// The position of the first entry that starts after `at` (`forward`), or of the last one that
// starts before it; the entries' positions count, not their order in the list (an EPUB's
// navigation need not follow the book). −1 when there is none.
int32_t ChapterStep(const std::vector<ContentsEntry>& entries, int32_t at, int forward);

}  // namespace lectra
