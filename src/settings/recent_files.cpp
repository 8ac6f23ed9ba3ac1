// The recent books: the last 16 books read, most recent first, with position, length and code page.
#include "settings/recent_files.h"

#include <cstdio>

#include "platform/sys/utf.h"

namespace lectra {

namespace {

// Keys of one entry, in the order the file lists them.
enum RecentKey { kFileName, kZipFileName, kFilePath, kFilePos, kFileSize, kFileCp, kRecentKeys };
constexpr const char* kKeyPatterns[kRecentKeys] = {
    "FILE_NAME_%d", "ZIP_FILE_NAME_%d", "FILE_PATH_%d", "FILE_POS_%d", "FILE_SIZE_%d", "FILE_CP_%d",
};

std::u16string Key(RecentKey which, int index) {
    char buf[32];
    const int n = std::snprintf(buf, sizeof buf, kKeyPatterns[which], index);
    return std::u16string(buf, buf + (n > 0 ? n : 0));
}

// Whether a path comes back from the recent file as it went in and can be opened: shorter than the
// platform's limit (which keeps it within the recent store's values), and without a line break or
// a zero, which the file has no way to carry.
bool FileCanHold(std::u16string_view text) {
    return PathToBytes(text).size() < static_cast<size_t>(kMaxPathBytes) &&
           text.find_first_of(std::u16string_view(u"\r\n\0", 3)) == text.npos;
}

}  // namespace

void LoadRecentFiles(RecentFiles& recent, SettingsStore& store, CodePageCheck isListedCodePage) {
    for (int i = 0; i < kRecentCount; ++i) {
        RecentEntry& e = recent.entries[i];
        e.bookPath = GetString(store, Key(kFileName, i), u"");
        e.zipName = GetString(store, Key(kZipFileName, i), u"");
        e.folder = GetString(store, Key(kFilePath, i), u"");
        e.position = GetInt(store, Key(kFilePos, i), 0);
        e.size = GetInt(store, Key(kFileSize, i), 0);
        e.codePage = GetInt(store, Key(kFileCp, i), 1252);
        if (!isListedCodePage || !isListedCodePage(e.codePage)) e.codePage = -1;
    }
}

void SaveRecentFiles(const RecentFiles& recent, SettingsStore& store) {
    for (int i = 0; i < kRecentCount; ++i) {
        const RecentEntry& e = recent.entries[i];
        SetString(store, Key(kFileName, i), e.bookPath);
        SetString(store, Key(kZipFileName, i), e.zipName);
        SetString(store, Key(kFilePath, i), e.folder);
        SetInt(store, Key(kFilePos, i), e.position);
        SetInt(store, Key(kFileSize, i), e.size);
        SetInt(store, Key(kFileCp, i), e.codePage);
    }
}

void RememberCurrentBook(RecentFiles& recent, const CurrentBook& book) {
    if (!book.isOpen) return;
    // A path that would come back cut or split is not recorded: the entry would name another file,
    // and start-up would fail to reopen it.
    if (!FileCanHold(book.bookPath) || !FileCanHold(book.browseFolder)) return;
    // Each book of an archive of several is an entry of its own, found by the archive and its
    // entry.
    int k = FindRecentEntry(recent, book.bookPath, book.zipName);
    if (k < 0) k = kRecentCount - 1;
    for (int j = k; j >= 1; --j) {
        RecentEntry& to = recent.entries[j];
        const RecentEntry& from = recent.entries[j - 1];
        to.size = from.size;
        to.codePage = from.codePage;
        to.position = from.position;
        to.bookPath = from.bookPath;
        to.folder = from.folder;
        // The entry name belongs to its book: left with the slot, it would make another archive
        // open the wrong entry.
        to.zipName = from.zipName;
    }
    RecentEntry& head = recent.entries[0];
    head.size = book.docLength;
    head.codePage = book.codePage;
    head.position = book.pageStart;
    head.bookPath = book.bookPath;
    head.folder = book.browseFolder;
    head.zipName = FileCanHold(book.zipName) ? book.zipName : std::u16string();
}

void ForgetRecentBook(RecentFiles& recent, std::u16string_view path) {
    // Every entry of the file goes: an archive's books went with it.
    for (int k = FindRecentBook(recent, path); k >= 0; k = FindRecentBook(recent, path)) {
        for (int j = k; j + 1 < kRecentCount; ++j) recent.entries[j] = recent.entries[j + 1];
        recent.entries[kRecentCount - 1] = RecentEntry{};
    }
}

int FindRecentEntry(const RecentFiles& recent, std::u16string_view path,
                    std::u16string_view zipName) {
    for (int i = 0; i < kRecentCount; ++i) {
        const RecentEntry& e = recent.entries[i];
        if (e.bookPath == path && e.zipName == zipName) return i;
    }
    return -1;
}

int FindRecentBook(const RecentFiles& recent, std::u16string_view path) {
    for (int i = 0; i < kRecentCount; ++i) {
        if (recent.entries[i].bookPath == path) return i;
    }
    return -1;
}

}  // namespace lectra
