// Choosing a book: the file browser, the recent books, and deleting the open book.
#pragma once
#include "dialogs/dialog_frame.h"

namespace lectra {

// Whether a file name is one the browser lists: a book kind by its extension, or a ".gz" file
// (whose kind the open finds from its member).
int IsBookName(const std::u16string& name);
// The name as a person reads it: bytes of a name that were not UTF-8 (kept as U+DC80 + byte) are
// shown in windows-1251, the code page of most old Russian archives.
std::u16string ReadableName(const std::u16string& name);

// The browser, starting at `start` (a book's path selects that book in its folder; a folder with
// a trailing "/" lists it). Returns 1 when a book was opened.
int ShowOpenFileDialog(const ReaderServices& reader, const std::u16string& start);
// The browser in folder mode: folders only, from `start` (a folder with a trailing "/", or a
// path whose folder is listed), the line after ".." taking the folder listed. Returns 1 with the
// folder (no trailing "/", except the root) in `chosen`; the reader's browse folder is left as
// it was.
int ChooseFolder(const ReaderServices& reader, const std::u16string& start, std::u16string& chosen);
// Entries 1..15 of the recent list; returns 1 when one was opened.
int ShowRecentDialog(const ReaderServices& reader);
// Asks, closes and deletes the open book, then shows the browser.
void DeleteCurrentBook(const ReaderServices& reader);

}  // namespace lectra
