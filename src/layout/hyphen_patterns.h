// Loading the hyphenation patterns of "En.pat" ("LcH1": letters, index, pattern strings).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "layout/layout.h"

namespace lectra {

constexpr char16_t kPatternFileName[] = u"En.pat";

// Reads "En.pat" from `folder` (the executable's folder). Returns 1 when the patterns are loaded;
// on any failure the tables are left empty and hyphenation works without patterns.
int LoadHyphenPatterns(HyphenPatterns& patterns, const std::u16string& folder);
// The same from the bytes of a pattern file.
int LoadHyphenPatternsFromBytes(HyphenPatterns& patterns, const uint8_t* data, size_t size);
void ClearHyphenPatterns(HyphenPatterns& patterns);

}  // namespace lectra
