// Searching the book: the Find dialog, Find Next, and the match with its wildcard and white-space
// rules.
#pragma once
#include "dialogs/dialog_frame.h"

namespace lectra {

constexpr int kSearchChars = 30;

// Lower and upper case of a UTF-16 unit of the Basic Multilingual Plane.
char16_t LowerUnit(char16_t c);
char16_t UpperUnit(char16_t c);

// Whether the search string matches at p, whose character equals its first one: "?" matches any
// character, a space any run of white space (one or more units of 32 or below).
int MatchAt(Document& doc, int32_t p, const std::u16string& lower, const std::u16string& upper);
// Where the match at p ends (one past its last unit, a run of white space taken whole), −1 when
// the string does not match there; MatchAt is whether this is not −1.
int32_t MatchEnd(Document& doc, int32_t p, const std::u16string& lower,
                 const std::u16string& upper);
// The first match at or after `from`, −1 when none.
int32_t FindFrom(Document& doc, int32_t from, const std::u16string& lower,
                 const std::u16string& upper);

// "Find...": the dialog, then the search.
void ShowFindDialog(const ReaderServices& reader, DialogMemory& memory);
// "Find Next": the next match after the word at the top of the page, or the dialog when there is
// no search string yet.
void FindNext(const ReaderServices& reader, DialogMemory& memory);

}  // namespace lectra
