// The language of a book as a two-letter code: a declared tag reduced to its code, or a guess from
// the letters and the common words of its text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "document/document.h"

namespace lectra {

// The units of the stream the guess reads from a book's start, at most (64 KB of text).
constexpr int32_t kLanguageSampleUnits = 32768;

// The two-letter code of a language tag as books write it ("en", "en-US", "ru_RU", "UKR", "deu",
// "pt-BR"), lower case; empty for a tag that names no language ("und", "", "x-klingon") or one
// that is not a tag at all.
std::string LanguageCode(std::u16string_view tag);

// The language of a text from its letters: Cyrillic is Russian unless the letters of Ukrainian
// (і ї є ґ) or Belarusian (ў) show; Latin by its common words ("the", "und", "les", "los", "che",
// "się", "não"…) and the letters only some languages have (ß, ñ, ą, ã…). Empty when the text
// says nothing clear: no letters, or Latin that matches none of the languages known here.
std::string GuessLanguage(std::u16string_view text);

// The guess over the first kLanguageSampleUnits of the open book's stream.
std::string GuessBookLanguage(Document& doc);

// Whether a code names a language written in Cyrillic (1), in Latin letters (2), or another or
// an unknown one (0).
int LanguageScript(std::string_view code);

// The language the book is hyphenated in: the declared one (its code), unless the text is plainly
// in another script than the one the declared language is written in (a Russian book a converter
// marked "en"), else the guess; empty when neither says.
std::string ChooseLanguage(std::string_view declaredCode, std::string_view guessed);

}  // namespace lectra
