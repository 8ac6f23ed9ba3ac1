// Choosing a book: the file browser with its folders and books, the recent books with their
// places, and deleting the open book.
#include "dialogs/file_browser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dialogs/library_dialog.h"
#include "document/format_table.h"
#include "document/formats/zip_directory.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/code_pages.h"
#include "platform/sys/files.h"
#include "platform/sys/utf.h"
#include "platform/window.h"

namespace lectra {

namespace {

// An archive shown as a folder lists at most this many of its books.
constexpr size_t kMaxArchiveBooks = 65536;
// The line of the folder chooser that takes the folder listed.
constexpr char16_t kChooseThisFolder[] = u"[Choose this folder]";

struct Browser {
    const ReaderServices* reader = nullptr;
    // The folder listed; out of folder mode it is the reader's browse folder too.
    std::u16string folder;
    // Folder mode: only folders are listed, and the line after ".." chooses the folder shown.
    int folderMode = 0;
    std::u16string chosen;
    std::u16string start;
    std::u16string archive;  // the ZIP archive listed as a folder of its books; empty for a folder
    // The entries as listed: sort prefix, name, suffix; the visible lines are made from them.
    std::vector<std::u16string> entries;
    int opened = 0;
};

char16_t Fold(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 32);
    if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 80);
    return c;
}

// Sorted as the handheld's list box sorted: letter case aside.
bool Before(const std::u16string& a, const std::u16string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

std::u16string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? PathFromBytes(home) + u"/" : std::u16string(u"/");
}

// The books of a ZIP archive (entries of the kinds its reader opens), in directory order; none
// when it is not a readable archive.
std::vector<std::u16string> ArchiveBooks(const std::u16string& path) {
    std::vector<std::u16string> books;
    PlatformFile file;
    if (!FileOpenRead(file, path)) return books;
    ZipDirectory directory;
    if (ReadZipDirectory(file, directory)) {
        for (const ZipEntry& e : directory.entries) {
            if (books.size() >= kMaxArchiveBooks) break;
            const int kind = FormatKindFromPath(e.name);
            if (!e.name.empty() && e.name.back() != u'/' && kind >= kKindText && kind <= kKindRtf)
                books.push_back(e.name);
        }
    }
    FileClose(file);
    return books;
}

bool IsArchiveName(const std::u16string& name) {
    return FormatKindFromPath(name) == kKindZip;
}

// Lists the folder of `path` and selects the entry named by its last part. A ZIP archive of
// several books is a folder of its books.
void ListPath(PlatformDialog* dialog, Browser& b, std::u16string path) {
    SetWaitCursor(1);
    if (path.empty()) path = HomeFolder();
    size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos) {
        path = HomeFolder();
        slash = path.size() - 1;
    }
    std::u16string& folder = b.folder;
    folder = path.substr(0, slash + 1);
    if (!b.folderMode) b.reader->ops.setBrowseFolder(b.reader->ops.context, folder);
    const std::u16string select = path.substr(slash + 1);
    SetControlText(dialog, kCtlCaption, ReadableName(folder));
    b.entries.assign(1, u"1..>");
    b.archive.clear();
    const std::u16string inside = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    if (b.folderMode) {
        b.entries.push_back(u"0 ");
        std::vector<FolderEntry> found;
        ListFolder(folder, found);
        for (const FolderEntry& e : found) {
            if (e.isFolder && !e.name.empty() && e.name[0] != u'.')
                b.entries.push_back(u"2" + e.name + u">");
        }
    } else if (IsArchiveName(inside) && FileExists(inside)) {
        b.archive = inside;
        for (const std::u16string& book : ArchiveBooks(inside))
            b.entries.push_back(u"3" + book + u" ");
    } else {
        std::vector<FolderEntry> found;
        ListFolder(folder, found);
        for (const FolderEntry& e : found) {
            // Hidden entries stay hidden, as in every file chooser of the desktop.
            if (!e.name.empty() && e.name[0] == u'.') continue;
            if (e.isFolder || (IsArchiveName(e.name) && ArchiveBooks(folder + e.name).size() > 1)) {
                b.entries.push_back(u"2" + e.name + u">");
            } else if (IsBookName(e.name)) {
                b.entries.push_back(u"3" + e.name + u" ");
            }
        }
    }
    std::sort(b.entries.begin() + 1, b.entries.end(), Before);
    ListReset(dialog, kCtlCaptionedList);
    // The chooser offers the folder shown first; the browser, the way up.
    int selected = b.folderMode ? 1 : 0;
    for (size_t i = 0; i < b.entries.size(); ++i) {
        const std::u16string& e = b.entries[i];
        const std::u16string name = e.substr(1, e.size() - 2);
        const std::u16string line = e[0] == u'0'   ? std::u16string(kChooseThisFolder)
                                    : e[0] == u'3' ? u" " + ReadableName(name) + u" "
                                                   : u"<" + ReadableName(name) + u">";
        ListAdd(dialog, kCtlCaptionedList, line);
        if (!select.empty() && i > 0 && name == select) selected = static_cast<int>(i);
    }
    ListSelect(dialog, kCtlCaptionedList, selected);
    SetWaitCursor(0);
}

// Enters a folder, goes up, or opens a book; 1 when a book was opened.
int ActivateBrowserLine(PlatformDialog* dialog, Browser& b) {
    const int line = ListSelection(dialog, kCtlCaptionedList);
    if (line < 0 || line >= static_cast<int>(b.entries.size())) return 0;
    const std::u16string& e = b.entries[static_cast<size_t>(line)];
    const std::u16string& folder = b.folder;
    if (e[0] == u'0') {
        b.chosen = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
        return 1;
    }
    if (e[0] == u'1') {
        // Up: the folder just left is selected in its parent.
        std::u16string left = folder;
        if (left.size() > 1) left.pop_back();
        ListPath(dialog, b, left);
        return 0;
    }
    const std::u16string name = e.substr(1, e.size() - 2);
    if (e[0] == u'2') {
        ListPath(dialog, b, folder + name + u"/");
        return 0;
    }
    if (!b.archive.empty()) {
        // A book of the archive listed: opened by its entry.
        const ReaderOperations& ops = b.reader->ops;
        if (ops.openEntry && ops.openEntry(ops.context, b.archive, name)) return 1;
        SetControlFocus(dialog, kCtlCaptionedList);
        return 0;
    }
    const std::u16string path = folder + name;
    if (b.reader->ops.openBook(b.reader->ops.context, path, 0)) return 1;
    // The open said why it failed; the box took the keyboard, and the list has it again, so the
    // arrows and Escape still work.
    SetControlFocus(dialog, kCtlCaptionedList);
    return 0;
}

void OpenBrowser(Browser& b, PlatformDialog* dialog) {
    InitDialogFrame(dialog, b.folderMode ? u"Choose a folder" : u"Open file", u"Open");
    PlaceControl(dialog, kCtlCaption, 1, 2, 0);
    PlaceControl(dialog, kCtlCaptionedList, 2, 2, 1);
    ListPath(dialog, b, b.start);
    SetControlFocus(dialog, kCtlCaptionedList);
}

int BrowserCommand(Browser& b, PlatformDialog* dialog, uintptr_t wParam) {
    const DialogAsk ask = ReadCommand(wParam, kCtlCaptionedList);
    if (ask == DialogAsk::kAction) {
        if (ActivateBrowserLine(dialog, b)) {
            b.opened = 1;
            EndDialog(dialog, 1);
        }
    } else if (ask == DialogAsk::kBack) {
        // The Back key goes up a folder instead of closing.
        ListSelect(dialog, kCtlCaptionedList, 0);
        ActivateBrowserLine(dialog, b);
    } else if (ask == DialogAsk::kClose) {
        EndDialog(dialog, 0);
    }
    return 1;
}

struct Recent {
    const ReaderServices* reader = nullptr;
    int opened = 0;
    // The open book heads the list and is not offered; with none open, every entry is.
    int first = 1;
};

// "%1.0f%% name <folder>" for a recent entry, or "%1.0f%% Title — Authors" when the catalogue
// knows the book.
std::u16string RecentLine(const RecentEntry& e, const std::u16string& catalogueName) {
    const double percent = e.size > 0 ? 100.0 * e.position / e.size : 0.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%1.0f%% ", percent);
    if (!catalogueName.empty()) return Utf8ToUtf16(buf) + catalogueName;
    const size_t slash = e.bookPath.rfind(u'/');
    std::u16string text;
    if (slash == std::u16string::npos) {
        text = e.bookPath.substr(std::min<size_t>(1, e.bookPath.size())) + u" </>";
    } else {
        text = e.bookPath.substr(slash + 1) + u" <" + e.bookPath.substr(0, slash) + u">";
    }
    return Utf8ToUtf16(buf) + ReadableName(text);
}

void OpenRecent(Recent& r, PlatformDialog* dialog) {
    const RecentFiles& recent = *r.reader->recent;
    InitDialogFrame(dialog, u"Recent files", u"Open");
    PlaceControl(dialog, kCtlCaption, 1, 2, 0);
    PlaceControl(dialog, kCtlCaptionedList, 2, 2, 1);
    const std::u16string& open = Book(*r.reader).bookPath;
    const size_t slash = open.rfind(u'/');
    SetControlText(dialog, kCtlCaption,
                   slash == std::u16string::npos ? u"---" : ReadableName(open.substr(slash)));
    ListReset(dialog, kCtlCaptionedList);
    int end = r.first;
    while (end < kRecentCount && recent.entries[end].bookPath.size() >= 2) ++end;
    std::vector<BookKey> keys;
    for (int i = r.first; i < end; ++i) {
        const RecentEntry& e = recent.entries[i];
        keys.push_back({PathToBytes(e.bookPath), Utf16ToUtf8(e.zipName)});
    }
    const std::string& library = r.reader->libraryPath;
    const std::vector<std::u16string> names =
        !library.empty() ? CatalogueNames(library, keys) : std::vector<std::u16string>(keys.size());
    for (int i = r.first; i < end; ++i)
        ListAdd(dialog, kCtlCaptionedList, RecentLine(recent.entries[i], names[i - r.first]));
    ListSelect(dialog, kCtlCaptionedList, 0);
    SetControlFocus(dialog, kCtlCaptionedList);
}

int RecentCommand(Recent& r, PlatformDialog* dialog, uintptr_t wParam) {
    const RecentFiles& recent = *r.reader->recent;
    if (!ListActionAsked(dialog, wParam, kCtlCaptionedList)) return 1;
    const int n = ListSelection(dialog, kCtlCaptionedList) + r.first;
    if (n < r.first || n >= kRecentCount) return 1;
    const RecentEntry entry = recent.entries[n];
    const ReaderOperations& ops = r.reader->ops;
    ops.setBrowseFolder(ops.context, entry.folder);
    if (ops.openBook(ops.context, entry.bookPath, 0)) {
        r.opened = 1;
        EndDialog(dialog, 1);
    } else {
        SetControlFocus(dialog,
                        kCtlCaptionedList);  // the open said why; the list keeps the keyboard
    }
    return 1;
}

}  // namespace

int IsBookName(const std::u16string& name) {
    if (FormatKindFromPath(name) >= 0) return 1;
    if (name.size() < 3) return 0;
    std::u16string tail = name.substr(name.size() - 3);
    for (char16_t& c : tail) c = Fold(c);
    return tail == u".gz";
}

std::u16string ReadableName(const std::u16string& name) {
    char16_t high[128];
    const int haveTable = CodePageHighHalf(1251, high);
    std::u16string out = name;
    for (char16_t& c : out) {
        if (c >= 0xDC80 && c <= 0xDCFF && haveTable) c = high[c - 0xDC80];
    }
    return out;
}

int ShowOpenFileDialog(const ReaderServices& reader, const std::u16string& start) {
    RememberBook(reader);
    Browser b;
    b.reader = &reader;
    b.start = start;
    ShowDialog(reader, kTemplateBrowser, b, OpenBrowser, BrowserCommand);
    return b.opened;
}

int ChooseFolder(const ReaderServices& reader, const std::u16string& start,
                 std::u16string& chosen) {
    Browser b;
    b.reader = &reader;
    b.folderMode = 1;
    b.start = start;
    ShowDialog(reader, kTemplateBrowser, b, OpenBrowser, BrowserCommand);
    if (!b.opened) return 0;
    chosen = b.chosen;
    return 1;
}

int ShowRecentDialog(const ReaderServices& reader) {
    // The open book goes to the head first, so that the list offers every other book.
    RememberBook(reader);
    Recent r;
    r.reader = &reader;
    r.first = reader.bookOpen ? 1 : 0;
    if (reader.recent->entries[r.first].bookPath.size() < 2) return 0;
    ShowDialog(reader, kTemplateBrowser, r, OpenRecent, RecentCommand);
    return r.opened;
}

void DeleteCurrentBook(const ReaderServices& reader) {
    if (!reader.bookOpen) return;
    const std::u16string path = Book(reader).bookPath;
    const int left = LeaveFullScreen(reader);
    if (!Ask(reader, u"Delete file  \n\r\"" + ReadableName(path) + u"\"?", u"Delete!")) {
        BackToFullScreen(reader, left);
        return;
    }
    const int deleted = reader.ops.deleteBook(reader.ops.context);
    Refresh(reader);
    ShowTitledMessage(reader, deleted ? u"File deleted!" : u"Error", u"Delete!");
    BackToFullScreen(reader, left);
    if (deleted) ShowOpenFileDialog(reader, path.substr(0, path.rfind(u'/') + 1));
}

}  // namespace lectra
