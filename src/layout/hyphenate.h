// Break marks of one word: Liang patterns through the index, the boundary rule, the list of
// characters after which a word always may break.
#pragma once
#include "layout/layout.h"

namespace lectra {

// Copies up to kMaxWord units of `word` into the work area.
void SetHyphenationWord(HyphenWork& work, const char16_t* word, int length);

// Fills work.marks for the word in the work area. The pattern pass runs only when `allowed` and
// `hyphenOn` (the "HYPHEN" setting); a word of four or more characters may break after the
// characters of the always-list either way, and a word of fewer never.
void HyphenateWord(HyphenWork& work, const HyphenPatterns& patterns, int hyphenOn, int allowed);

}  // namespace lectra
