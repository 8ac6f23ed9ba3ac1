// The library dialog: the catalogue of the user's books by author, series, title, language or
// when added, searched as one types; the book chosen is opened by the caller.
#pragma once
#include <string>
#include <vector>

#include "dialogs/dialog_frame.h"
#include "library/library_db.h"

namespace lectra {

struct LibraryChoice {
    std::u16string path;
    std::u16string entry;  // the archive entry; empty for a whole file
    int foldersAsked = 0;  // the dialog was left for the library's folders
};

// The line a book is listed by: "Title — Authors (Series 3)".
std::u16string LibraryLine(const BookRow& row);

// A book as the recent list and the window's title name it: "Title — Authors", or the title.
std::u16string CatalogueName(const BookRow& row);
// The catalogue's names of the books `keys` (one look-up for all), read from the catalogue at
// `libraryPath` without waiting on a scan; empty where the catalogue does not know the book or
// there is none.
std::vector<std::u16string> CatalogueNames(const std::string& libraryPath,
                                           const std::vector<BookKey>& keys);

// Shows the catalogue of `library`; returns 1 with the book in `choice` when one was chosen, 0
// otherwise (with choice.foldersAsked set when the "Folders" button closed it).
int ShowLibraryDialog(const ReaderServices& reader, LibraryDb& library, LibraryChoice& choice);

}  // namespace lectra
