// The folded form of names and titles that the catalogue sorts and searches by: one case over
// Cyrillic and Latin, "ё" read as "е".
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace lectra {

// `text` in lower case, with ё (either case) as е.
std::u16string FoldName(std::u16string_view text);

// The words of `text` (runs of letters and digits), each folded, as UTF-8.
std::vector<std::string> FoldedWords(std::u16string_view text);

// The search expression that matches books holding every word of `query` as a prefix of one of
// their words; empty when the query has no word.
std::string SearchExpression(std::u16string_view query);

}  // namespace lectra
