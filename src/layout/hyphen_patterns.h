// Loading the hyphenation patterns ("LcH1": letters, index, pattern strings): "En.pat" and the
// file of the book's language.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "layout/layout.h"

namespace lectra {

constexpr char16_t kPatternFileName[] = u"En.pat";

// Reads "En.pat" from `folder` (the executable's folder). Returns 1 when the patterns are loaded;
// on any failure the tables are left empty and hyphenation works without patterns.
int LoadHyphenPatterns(HyphenPatterns& patterns, const std::u16string& folder);
// The same for the pattern file `file` of `folder`.
int LoadHyphenPatternFile(HyphenPatterns& patterns, const std::u16string& folder,
                          const std::u16string& file);

// The pattern file of a language (a two-letter code, as Document::language holds it): "En.pat"
// for English, Russian and a language not known; the language's own file for the others that
// have patterns; null for a language without any.
const char16_t* PatternFileFor(std::string_view language);
// Makes `patterns` those of `language`, read from the folder of the last load unless they are the
// ones held; a language without patterns leaves none, so that its words are not hyphenated with
// another language's. Returns 1 when patterns are loaded.
int SelectHyphenPatterns(HyphenPatterns& patterns, std::string_view language);
// The same from the bytes of a pattern file.
int LoadHyphenPatternsFromBytes(HyphenPatterns& patterns, const uint8_t* data, size_t size);
void ClearHyphenPatterns(HyphenPatterns& patterns);

}  // namespace lectra
