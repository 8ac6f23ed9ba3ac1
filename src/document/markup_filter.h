// The HTML and FictionBook filters: tags and character references read ahead in the source,
// paragraph marks from block tags and the depths they raise.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

// Every depth, counter and once flag saturates here, so that the one-byte block snapshot holds
// it exactly.
constexpr int32_t kMarkupCounterMax = 255;

int HtmlFilter(Document& doc, char16_t& unit, uint32_t offset);
int Fb2Filter(Document& doc, char16_t& unit, uint32_t offset);
// The HTML filter for the XHTML parts of an EPUB: the head is hidden and self-closed tags open
// nothing.
int XhtmlFilter(Document& doc, char16_t& unit, uint32_t offset);

}  // namespace lectra
