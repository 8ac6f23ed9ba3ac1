// Opening a book: its kind from the file name, the format's open step, the code page, the
// indexing pass and the restored reading position.
#pragma once
#include <cstdint>
#include <string>

#include "document/document.h"

namespace lectra {

constexpr char16_t kErrorReadingFile[] = u"Error reading file!";
constexpr char16_t kBadFormat[] = u"Bad Format!";

// What the recent-books list remembers of a book; the caller looks it up by the book's path.
struct RememberedBook {
    std::u16string path;
    int codePage = 0;  // 0: none remembered
    int32_t length = 0;
    int32_t position = 0;
    std::u16string zipName;  // the entry read when the book is a ZIP archive
};

struct OpenRequest {
    int codePageSetting = kCodePageAuto;  // the "CODE_PAGE" setting
    // What the recent list remembers of the book being opened; null when it remembers nothing.
    const RememberedBook* remembered = nullptr;
};

// What a book cut at the open says: where its text ends, in characters and in bytes of the source
// (and of how many, where that is known). Empty for a book read whole.
std::u16string BookCutText(const Document& doc);

// The kind an extension selects, −1 for none (a name without a dot, an unknown extension).
int FormatKindFromPath(const std::u16string& path);

// Opens `path` (or reopens BookPath when null). With `reopen` set, or a remembered book of another
// path, nothing remembered is used and the reading starts at 0. Returns 1, or 0 with OpenErrorText
// saying why.
int OpenBook(Document& doc, const char16_t* path, int reopen, const OpenRequest& request);

}  // namespace lectra
