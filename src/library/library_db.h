// The catalogue's database: where it lives, opening it (a damaged or older file is set aside and
// a new one made), and reading books back by order or by search. One connection per thread; the
// scanner is the only writer.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lectra {

// Bumped whenever the tables change: a file of another version is rebuilt, never migrated.
constexpr int kLibrarySchemaVersion = 1;

struct LibraryDb {
    sqlite3* db = nullptr;
    std::string path;  // bytes, as the OS names the file
};

// "library.sqlite" beside the settings when LECTRA_HOME is set, else in $XDG_DATA_HOME/lectra
// (default ~/.local/share/lectra), the folder made when missing; empty when there is no home.
std::string LibraryDatabasePath();

enum LibraryOpen {
    kLibraryOpenFailed = 0,
    kLibraryOpened = 1,
    kLibraryRebuilt = 2,  // the file was damaged or of another version: set aside, made anew
};

// Opens the database at `path` (bytes), creating it when missing. A file that is not a
// database, is truncated, or has another schema version is renamed to `path` + ".damaged"
// (replacing an older one) and a new empty catalogue is made in its place.
int OpenLibrary(LibraryDb& library, const std::string& path);
void CloseLibrary(LibraryDb& library);
// Sets the file aside and makes a new catalogue, as an open of a damaged file does; for a scan
// that met damage on the way.
int RebuildLibrary(LibraryDb& library);

// One book as listed: the file's path (bytes), the archive entry (empty for a whole file), and
// the catalogue's text in UTF-8.
struct BookRow {
    int64_t id = 0;
    std::string path;
    std::string entry;
    std::string title;
    std::string authors;
    std::string series;
    double number = 0;
    std::string language;
    // The row's place in the orders (folded keys and when it was added): where the next page
    // starts when the list is paged by key.
    std::string titleKey;
    std::string authorKey;
    std::string seriesKey;
    int64_t added = 0;
};

enum class ListOrder { kAuthor, kSeries, kTitle, kLanguage, kAdded };

// `limit` books from `offset` in the given order (−1: all); each listing is one indexed walk,
// so a first page costs the same at any size of catalogue. Returns 1, or 0 on a database error.
int ListBooks(LibraryDb& library, ListOrder order, int64_t offset, int64_t limit,
              std::vector<BookRow>& rows);
// The `limit` books that follow `last` (a row this order listed) in the order, found by its sort
// key through the order's index: a page deep in the list costs what the first does. Returns 1,
// or 0 on a database error.
int ListBooksAfter(LibraryDb& library, ListOrder order, const BookRow& last, int64_t limit,
                   std::vector<BookRow>& rows);
// Every book in the order, handed to `each` one at a time (for printing a whole catalogue without
// holding it).
int ForEachBook(LibraryDb& library, ListOrder order, void (*each)(void* context, const BookRow&),
                void* context);
// Books whose title, author or series words begin with every word of `query` (folded), by
// title; at most `limit` (−1: all). An empty query finds nothing.
int SearchBooks(LibraryDb& library, std::u16string_view query, int64_t limit,
                std::vector<BookRow>& rows);
int64_t CountBooks(LibraryDb& library);

// Opens an existing catalogue to read it only, as the recent list and the window's title do
// while the scanner may be writing: never made, set aside or rebuilt. 0 when there is none or
// it is not this program's catalogue of this version.
int OpenLibraryToRead(LibraryDb& library, const std::string& path);

// A book as the reader names it: the file's path (bytes) and the archive entry (UTF-8; empty for
// a whole file).
struct BookKey {
    std::string path;
    std::string entry;
};
// The catalogue's rows of `keys` in one query: rows[i] for keys[i], with an id of 0 where the
// catalogue does not know the book. A file the catalogue holds as one book answers for it
// whatever the entry (an archive of one book is read by its entry or as a whole). Returns 1, or 0
// on a database error (every row unknown then).
int LookUpBooks(LibraryDb& library, const std::vector<BookKey>& keys, std::vector<BookRow>& rows);

}  // namespace lectra
