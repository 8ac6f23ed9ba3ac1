// Saving the open book as plain text or as an uncompressed PalmDOC database beside it.
#pragma once
#include <string>

#include "document/document.h"

namespace lectra {

constexpr int kDefaultSaveCodePage = 1251;

// The base an export of the book at `bookPath` is named from: the book's path without its book
// extensions ("story.fb2.zip" → "story"), so that the export is "story.txt"; the whole path when
// that name would be the book itself ("story.txt" → "story.txt", exported as "story.txt.txt").
std::u16string ExportBase(const std::u16string& bookPath, const std::u16string& suffix);

// Writes the stream to `bookPath` + ".txt" in `saveCodePage` (a single-byte code page), each
// paragraph mark as CR LF. 1 on success; 0 when the path is longer than 256 characters, the code
// page has no table, the file cannot be created or a write fails (the partial file is removed).
int ExportTxt(Document& doc, const std::u16string& bookPath, int saveCodePage);

// Writes the stream to `bookPath` + ".pdb" as a PalmDOC database (type "TEXt", creator "REAd",
// compression 1, 4096-byte records), each paragraph mark as LF. Fails as ExportTxt does, and
// also when the text needs more records than a database can count (65535).
int ExportPdb(Document& doc, const std::u16string& bookPath, int saveCodePage);

}  // namespace lectra
