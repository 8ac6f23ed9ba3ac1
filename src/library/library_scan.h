// Scanning the user's folders into the catalogue: every book file and every book entry of a ZIP
// archive, added, updated or removed by what changed (path, size, modification time), with
// progress and a cancel flag so that a worker thread can run it on its own connection.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "library/book_metadata.h"
#include "library/library_db.h"

namespace lectra {

// An archive gives at most this many books; the entries after are left out of the catalogue.
constexpr size_t kMaxBooksPerArchive = 65536;
// Folders deeper than this below a chosen folder are not walked.
constexpr int kMaxFolderDepth = 64;

struct ScanCounts {
    int64_t added = 0;       // books new to the catalogue
    int64_t changed = 0;     // books read again because their file changed
    int64_t removed = 0;     // books gone with their file or entry
    int64_t unreadable = 0;  // files met that could not be read (recorded with their error)
    int64_t filesDone = 0;   // book files looked at so far
    int64_t filesTotal = 0;  // book files found under the folders
};

struct ScanProgress {
    // Called after each file, on the scanning thread.
    void (*report)(void* context, const ScanCounts& counts) = nullptr;
    void* context = nullptr;
};

enum ScanResult {
    kScanFailed = -1,  // the database failed (damaged, full): rebuild it and scan again
    kScanCancelled = 0,
    kScanDone = 1,
};

// The description of one book, as the scan reads it: the file at `path`, or its archive entry
// `entry` when that is not empty. Returns 0 when the file or entry cannot be read; `meta` then
// holds the title taken from the name.
int ReadOneBook(const std::u16string& path, const std::u16string& entry, BookMeta& meta);

// Walks `folders` (paths as bytes) and brings the catalogue up to date with them: files under
// them that are gone are removed, files elsewhere are left alone, and so are those under a
// folder that could not be listed this time. A file that has not changed is not opened. Stops
// between files when `cancel` is set, keeping what was done.
int ScanLibrary(LibraryDb& library, const std::vector<std::string>& folders, ScanCounts& counts,
                const ScanProgress& progress = ScanProgress(),
                const std::atomic<int>* cancel = nullptr);

// Takes out of the catalogue every file under one of `dropped` that is under none of `kept`
// (folders as bytes): the books of folders the user no longer lists. Adds their books to
// `removed`. Returns 1, or 0 on a database error (nothing taken out then).
int ForgetFolders(LibraryDb& library, const std::vector<std::string>& dropped,
                  const std::vector<std::string>& kept, int64_t& removed);

}  // namespace lectra
