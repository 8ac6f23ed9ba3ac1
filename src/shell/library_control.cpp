// The library in the window: the scan of the user's folders in a worker thread of its own (its
// own database connection, the window responsive meanwhile), the library dialog, and opening the
// book chosen there, an archive's entry included.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "dialogs/library_dialog.h"
#include "dialogs/library_folders_dialog.h"
#include "library/library_scan.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

constexpr uint32_t kScanProgressDelayMs = 500;

void Report(void* context, const ScanCounts& counts) {
    LibraryScan& scan = *static_cast<LibraryScan*>(context);
    scan.done.store(counts.filesDone, std::memory_order_relaxed);
    scan.total.store(counts.filesTotal, std::memory_order_relaxed);
}

void RunScan(LibraryScan* scan, std::string path, std::vector<std::string> folders,
             std::vector<std::string> dropped) {
    LibraryDb db;
    if (OpenLibrary(db, path)) {
        int64_t removed = 0;
        ForgetFolders(db, dropped, folders, removed);
        ScanCounts counts;
        ScanProgress progress;
        progress.report = Report;
        progress.context = scan;
        // A catalogue damaged on the way is made anew and the folders scanned again.
        if (ScanLibrary(db, folders, counts, progress, &scan->cancel) == kScanFailed &&
            RebuildLibrary(db)) {
            ScanLibrary(db, folders, counts, progress, &scan->cancel);
        }
        CloseLibrary(db);
    }
    scan->running.store(0, std::memory_order_release);
}

std::string FolderBytes(const std::u16string& path) {
    const size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos || slash == 0) return std::string();
    return PathToBytes(path.substr(0, slash));
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<std::string> LibraryFolders(const App& app) {
    const Settings& s = app.session.settings;
    std::vector<std::string> folders;
    if (s.libraryFolderCount >= 0) {
        // As chosen: a folder missing now (a disk not mounted) keeps its books till it is back.
        // The file may have been edited by hand: the root and a relative path, which the dialog
        // never gives, are not walked.
        for (int n = 0; n < std::min(s.libraryFolderCount, kLibraryFolderCount); ++n) {
            const std::u16string& folder = s.libraryFolders[n];
            if (folder.size() < 2 || folder[0] != u'/' ||
                folder.find_first_not_of(u'/') == std::u16string::npos)
                continue;
            const std::string bytes = PathToBytes(folder);
            if (std::find(folders.begin(), folders.end(), bytes) == folders.end())
                folders.push_back(bytes);
        }
        return folders;
    }
    // The folders of the books read, and ~/Books where it exists. The home folder itself and the
    // root are never walked whole: a book read from there names no collection.
    std::string homeNoSlash = HomeFolder();
    while (homeNoSlash.size() > 1 && homeNoSlash.back() == '/') homeNoSlash.pop_back();
    auto add = [&](const std::string& folder) {
        if (folder.empty() || folder == "/" || folder == homeNoSlash || !IsFolder(folder)) return;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    for (const RecentEntry& e : app.session.recent.entries) {
        if (e.bookPath.size() >= 2) add(FolderBytes(e.bookPath));
    }
    if (!homeNoSlash.empty()) add(homeNoSlash + "/Books");
    return folders;
}

void StartLibraryScan(App& app, const std::vector<std::string>& dropped) {
    if (app.libraryPath.empty()) return;
    LibraryScan& scan = app.libraryScan;
    if (scan.running.load(std::memory_order_acquire)) return;
    if (scan.worker.joinable()) scan.worker.join();
    scan.cancel.store(0);
    scan.done.store(0);
    scan.total.store(0);
    scan.running.store(1, std::memory_order_release);
    scan.worker = std::thread(RunScan, &scan, app.libraryPath, LibraryFolders(app), dropped);
}

void StopLibraryScan(App& app) {
    LibraryScan& scan = app.libraryScan;
    scan.cancel.store(1);
    if (scan.worker.joinable()) scan.worker.join();
}

// A scan under way is waited for, with the progress bar after half a second (the window keeps
// painting; what a person does waits).
void WaitForLibraryScan(App& app) {
    LibraryScan& scan = app.libraryScan;
    const uint32_t start = app.host.tickCount();
    int shown = 0;
    while (scan.running.load(std::memory_order_acquire)) {
        if (app.windowCreated && app.host.tickCount() - start >= kScanProgressDelayMs) {
            const int64_t total = scan.total.load(), done = scan.done.load();
            ShowProgress(total > 0 ? static_cast<int>(std::min<int64_t>(done, total) * 100 / total)
                                   : 0);
            shown = 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    if (scan.worker.joinable()) scan.worker.join();
    if (shown) ShowProgress(-1);
}

int OpenLibraryBook(App& app, const std::u16string& path, const std::u16string& entry) {
    if (entry.empty()) return OpenBookForDialog(app, path, 0);
    return OpenBookEntry(app, path, entry);
}

int ChooseLibraryFolders(App& app) {
    const std::vector<std::string> before = LibraryFolders(app);
    std::vector<std::u16string> folders;
    for (const std::string& folder : before) folders.push_back(PathFromBytes(folder));
    const std::vector<std::u16string> shown = folders;
    // Saving the list unchanged leaves the automatic choice automatic.
    if (!ShowLibraryFoldersDialog(DialogServices(app), folders) || folders == shown) return 0;
    Settings& s = app.session.settings;
    s.libraryFolderCount = 0;
    for (const std::u16string& folder : folders) {
        if (s.libraryFolderCount < kLibraryFolderCount)
            s.libraryFolders[s.libraryFolderCount++] = folder;
    }
    for (int n = s.libraryFolderCount; n < kLibraryFolderCount; ++n) s.libraryFolders[n].clear();
    SaveAll(app);
    const std::vector<std::string> after = LibraryFolders(app);
    std::vector<std::string> dropped;
    for (const std::string& folder : before) {
        if (std::find(after.begin(), after.end(), folder) == after.end()) dropped.push_back(folder);
    }
    // A scan of the old folders is stopped (what it did is kept) and the new list scanned.
    StopLibraryScan(app);
    app.libraryScanned = 1;
    StartLibraryScan(app, dropped);
    return 1;
}

int ShowLibrary(App& app, int onlyWithBooks) {
    if (app.libraryPath.empty()) return 0;
    // The book open is one of the books read: its folder is among the library's from now on.
    RememberBook(app);
    // Every look at the library finds what is on the disk now: a rescan reads only what changed.
    app.libraryScanned = 1;
    StartLibraryScan(app);
    for (;;) {
        WaitForLibraryScan(app);
        LibraryDb db;
        if (!OpenLibrary(db, app.libraryPath)) {
            if (!onlyWithBooks)
                ShowMessage(DialogServices(app), u"The library could not be opened.");
            return 0;
        }
        if (onlyWithBooks && CountBooks(db) == 0) {
            CloseLibrary(db);
            return 0;
        }
        LibraryChoice choice;
        const int chosen = ShowLibraryDialog(DialogServices(app), db, choice);
        CloseLibrary(db);
        if (!choice.foldersAsked) return chosen && OpenLibraryBook(app, choice.path, choice.entry);
        // Back from the folders, the library shows what the rescan of them found.
        ChooseLibraryFolders(app);
        onlyWithBooks = 0;
    }
}

}  // namespace lectra
