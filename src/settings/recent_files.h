// The recent books: the last 16 books read, most recent first, with position, length and code page.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/files.h"
#include "settings/settings_store.h"

namespace lectra {

constexpr int kRecentCount = 16;
// The recent store's values are paths: as long as the platform allows, in characters (a path of
// fewer than kMaxPathBytes bytes has fewer characters than that).
constexpr int kRecentValueChars = kMaxPathBytes;

struct RecentEntry {
    int32_t size = 0;         // DocLength when the book was last read (characters, not bytes)
    std::u16string folder;    // the file browser's folder then
    std::u16string bookPath;  // the book's full path; compared exactly, case-sensitively
    std::u16string zipName;   // the archive entry read, when the book is a ZIP; else empty
    int32_t codePage = 1252;  // the code page it was read in; −1 when the file held an unknown one
    int32_t position = 0;     // PageStart when it was last read
};

struct RecentFiles {
    RecentEntry entries[kRecentCount];
};

// Which code pages a stored one may be: the code-page list without its automatic row. Supplied
// by the caller, which owns the list.
using CodePageCheck = int (*)(int codePage);

// The open book as the recent list records it; filled in by the caller, which owns the book.
struct CurrentBook {
    int isOpen = 0;
    std::u16string bookPath;
    std::u16string browseFolder;
    int32_t docLength = 0;
    int32_t codePage = 0;
    int32_t pageStart = 0;
    std::u16string zipName;  // the archive entry read, when the book is a ZIP
};

// Reads the 16 entries from the recent store, asking for every key in file order (a missing key
// is added with its default). A code page that `isListedCodePage` refuses (or every code page,
// when it is null) becomes −1.
void LoadRecentFiles(RecentFiles& recent, SettingsStore& store, CodePageCheck isListedCodePage);
// Writes the 16 entries into the store, six keys each.
void SaveRecentFiles(const RecentFiles& recent, SettingsStore& store);
// Puts the open book at the head: its old entry (the same path and archive entry; or the oldest,
// when it is not in the list) is
// taken out and the entries before it move down one, each with its entry name. Nothing
// happens when no book is open, or when its path or folder is one the recent file cannot hold
// or the platform cannot open (kMaxPathBytes bytes or more, or with a line break).
void RememberCurrentBook(RecentFiles& recent, const CurrentBook& book);
// Takes the entries of `path` out (a deleted book or archive); the entries after move up and the
// last become empty. Nothing happens when the book is not in the list.
void ForgetRecentBook(RecentFiles& recent, std::u16string_view path);
// The entry of the book `path` read as its archive entry `zipName` (empty for a whole file), −1
// when none: the books of one archive are entries of their own.
int FindRecentEntry(const RecentFiles& recent, std::u16string_view path,
                    std::u16string_view zipName);
// The first entry whose bookPath equals `path` (the archive's book read last), −1 when none.
int FindRecentBook(const RecentFiles& recent, std::u16string_view path);

}  // namespace lectra
