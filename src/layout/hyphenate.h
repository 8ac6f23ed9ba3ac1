// Break marks of one word: Liang patterns through the index, the boundary rule, the list of
// characters after which a word always may break.
#pragma once
#include <string>

#include "layout/layout.h"

namespace lectra {

// Copies up to kMaxWord units of `word` into the work area.
void SetHyphenationWord(HyphenWork& work, const char16_t* word, int length);

// Fills work.marks for the word in the work area. The pattern pass runs only when `allowed` and
// `hyphenOn` (the "HYPHEN" setting); a word of four or more characters may break after the
// characters of the always-list either way, and a word of fewer never.
void HyphenateWord(HyphenWork& work, const HyphenPatterns& patterns, int hyphenOn, int allowed);
// The word with "-" at each break the patterns give, where the line breaker would hyphenate it
// (the pass allowed, hyphenation on); a word longer than the work area is given whole past it.
std::u16string HyphenatedForm(const HyphenPatterns& patterns, const std::u16string& word);

}  // namespace lectra
