// The filter of Word text: cell, line, page and column breaks into paragraph marks.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

int WordFilter(Document& doc, char16_t& unit, uint32_t offset);

}  // namespace lectra
