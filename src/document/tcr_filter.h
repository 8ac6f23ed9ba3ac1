// The filter of decompressed TCR text: list stars, and line breaks into body or title marks.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

int TcrFilter(Document& doc, char16_t& unit, uint32_t offset);

}  // namespace lectra
