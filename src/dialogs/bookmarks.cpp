// Bookmarks: named reading positions of every book in one file of fixed 664-byte records, the
// dialogs that add and open them, and clearing a book's bookmarks.
#include "dialogs/bookmarks.h"

#include <algorithm>
#include <cstdio>

#include "document/text_cache.h"
#include "platform/sys/files.h"
#include "platform/sys/utf.h"
#include "platform/window.h"

namespace lectra {

namespace {

constexpr int kPathUnits = 260;
constexpr int kNameUnits = 64;
constexpr int kNameOffset = 2 * kPathUnits;
constexpr int kPositionOffset = kNameOffset + 2 * kNameUnits;

void PutUnits(uint8_t* at, const std::u16string& s, int room) {
    const int n = std::min(static_cast<int>(s.size()), room - 1);
    for (int i = 0; i < n; ++i) {
        at[2 * i] = static_cast<uint8_t>(s[static_cast<size_t>(i)] & 0xFF);
        at[2 * i + 1] = static_cast<uint8_t>(s[static_cast<size_t>(i)] >> 8);
    }
}

std::u16string GetUnits(const uint8_t* at, int room) {
    std::u16string s;
    for (int i = 0; i < room; ++i) {
        const char16_t c = static_cast<char16_t>(at[2 * i] | at[2 * i + 1] << 8);
        if (c == 0) break;
        s += c;
    }
    return s;
}

void PutInt(uint8_t* at, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t GetInt(const uint8_t* at) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(at[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

// Every whole record of the file, in order.
// Every whole record of the file into `all`. Returns 0 when the file is there but could not be
// read to its end (a failed read, or one that stopped short of the size): a rewrite made from
// what was read would lose the rest. A missing file is an empty list.
int ReadAllBookmarks(const std::u16string& file, std::vector<Bookmark>& all) {
    all.clear();
    PlatformFile f;
    if (!FileOpenRead(f, file)) return !FileExists(file);
    const int64_t size = FileSize(f);
    uint8_t record[kBookmarkRecordBytes];
    uint32_t got = 0;
    int ok = size >= 0;
    while (ok) {
        ok = FileRead(f, record, sizeof record, &got);
        if (!ok || got != sizeof record) break;
        all.push_back(DecodeBookmark(record));
    }
    FileClose(f);
    // A partial last record (an interrupted append) is no bookmark; anything shorter is a fault.
    return ok && static_cast<int64_t>(all.size()) == size / kBookmarkRecordBytes;
}

std::vector<Bookmark> AllBookmarks(const std::u16string& file) {
    std::vector<Bookmark> all;
    ReadAllBookmarks(file, all);
    return all;
}

// Empty when the reader has no folder of its own: then bookmarks are neither read nor written.
std::u16string BookmarksFile(const ReaderServices& reader) {
    if (reader.programFolder.empty()) return std::u16string();
    return reader.programFolder + u"/" + kBookmarksFileName;
}

struct AddBookmark {
    const ReaderServices* reader = nullptr;
};

void OpenAdd(AddBookmark& form, PlatformDialog* dialog) {
    const ReaderServices& reader = *form.reader;
    InitDialogFrame(dialog, u"Add Bookmark", u"Add");
    PlaceControl(dialog, kCtlBookmarkLabel, 1, 2, 0);
    PlaceControl(dialog, kCtlBookmarkName, 1, 2, 1);
    SetControlText(dialog, kCtlBookmarkName,
                   SuggestedBookmarkName(Book(reader), Book(reader).pageStart));
    SetTextLimit(dialog, kCtlBookmarkName, kBookmarkNameChars);
    SetControlFocus(dialog, kCtlBookmarkName);
}

int AddCommand(AddBookmark& form, PlatformDialog* dialog, uintptr_t wParam) {
    const ReaderServices& reader = *form.reader;
    const DialogAsk ask = ReadCommand(wParam);
    if (ask == DialogAsk::kAction) {
        const Document& doc = Book(reader);
        Bookmark b;
        b.path = doc.bookPath;
        b.name = ControlText(dialog, kCtlBookmarkName).substr(0, kBookmarkNameChars);
        b.position = doc.pageStart;
        b.length = DocLength(doc);
        if (!AppendBookmark(BookmarksFile(reader), b)) {
            ShowTitledMessage(reader, u"Error writing in file", u"Error");
        }
        EndDialog(dialog, 1);
    } else if (ask == DialogAsk::kClose) {
        // Only Cancel leaves a form: the Back key (Backspace) must not lose what was typed.
        EndDialog(dialog, 0);
    }
    return 1;
}

struct OpenBookmarks {
    const ReaderServices* reader = nullptr;
    std::vector<Bookmark> marks;
};

void FillBookmarks(PlatformDialog* dialog, const OpenBookmarks& o) {
    ListReset(dialog, kCtlList);
    for (const Bookmark& b : o.marks) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%1.0f%% ",
                      b.length != 0 ? 100.0 * b.position / b.length : 0.0);
        ListAdd(dialog, kCtlList, Utf8ToUtf16(buf) + b.name);
    }
}

void OpenList(OpenBookmarks& o, PlatformDialog* dialog) {
    InitDialogFrame(dialog, u"Bookmarks", u"Open");
    PlaceControl(dialog, kCtlList, 2, 2, 0xFFFF);
    FillBookmarks(dialog, o);
    ListSelect(dialog, kCtlList, 0);
    SetControlFocus(dialog, kCtlList);
}

int ListCommand(OpenBookmarks& o, PlatformDialog* dialog, uintptr_t wParam) {
    const ReaderServices& reader = *o.reader;
    if (IsNotice(wParam, kCtlList, kListDelete)) {
        // Delete takes the selected bookmark out of the file and the list.
        const int n = ListSelection(dialog, kCtlList);
        if (n < 0) return 1;
        if (!RemoveBookmark(BookmarksFile(reader), Book(reader).bookPath, n)) {
            ShowTitledMessage(reader, u"Error writing in file", u"Error");
            return 1;
        }
        o.marks.erase(o.marks.begin() + n);
        FillBookmarks(dialog, o);
        ListSelect(dialog, kCtlList, std::min(n, static_cast<int>(o.marks.size()) - 1));
        if (o.marks.empty()) EndDialog(dialog, 0);
        return 1;
    }
    if (!ListActionAsked(dialog, wParam, kCtlList)) return 1;
    // The file is read again: the line stands for the n-th bookmark of the book there now.
    const int n = ListSelection(dialog, kCtlList);
    const std::vector<Bookmark> now = BookBookmarks(BookmarksFile(reader), Book(reader).bookPath);
    const int32_t length = DocLength(Book(reader));
    if (n >= 0 && n < static_cast<int>(now.size()) && now[static_cast<size_t>(n)].position >= 0 &&
        now[static_cast<size_t>(n)].position <= length) {
        reader.ops.moveTo(reader.ops.context, now[static_cast<size_t>(n)].position);
        EndDialog(dialog, 1);
    } else {
        ShowTitledMessage(reader, u"Error", u"Bookmarks");
        EndDialog(dialog, 0);
    }
    return 1;
}

}  // namespace

void EncodeBookmark(const Bookmark& b, uint8_t (&record)[kBookmarkRecordBytes]) {
    std::fill(std::begin(record), std::end(record), 0);
    PutUnits(record, b.path, kPathUnits);
    PutUnits(record + kNameOffset, b.name.substr(0, kBookmarkNameChars), kNameUnits);
    PutInt(record + kPositionOffset, b.position);
    PutInt(record + kPositionOffset + 4, b.length);
}

Bookmark DecodeBookmark(const uint8_t (&record)[kBookmarkRecordBytes]) {
    Bookmark b;
    b.path = GetUnits(record, kPathUnits);
    b.name = GetUnits(record + kNameOffset, kNameUnits);
    b.position = GetInt(record + kPositionOffset);
    b.length = GetInt(record + kPositionOffset + 4);
    return b;
}

int AppendBookmark(const std::u16string& file, const Bookmark& b) {
    // A path the record cannot hold whole is refused: cut, it would never match its book again.
    if (b.path.size() >= kPathUnits) return 0;
    PlatformFile f;
    if (!FileOpenAppend(f, file)) return 0;
    // A partial record left by an interrupted write is cut off, so that records stay aligned.
    const int64_t size = FileSize(f);
    const uint64_t whole =
        size > 0 ? static_cast<uint64_t>(size) / kBookmarkRecordBytes * kBookmarkRecordBytes : 0;
    if (size > 0 && static_cast<uint64_t>(size) != whole) {
        FileSeek(f, whole);
        FileTruncateHere(f);
    }
    uint8_t record[kBookmarkRecordBytes];
    EncodeBookmark(b, record);
    const int ok = FileSeek(f, whole) && FileWrite(f, record, sizeof record);
    FileClose(f);
    return ok;
}

std::vector<Bookmark> BookBookmarks(const std::u16string& file, const std::u16string& path) {
    std::vector<Bookmark> mine;
    for (Bookmark& b : AllBookmarks(file)) {
        if (b.path == path) mine.push_back(std::move(b));
    }
    return mine;
}

namespace {

// Rewrites the file without the bookmarks of `path` — all of them (`nth` −1) or its nth — through
// a temporary file and a rename; only when every bookmark could be read.
int RewriteWithout(const std::u16string& file, const std::u16string& path, int nth) {
    std::vector<Bookmark> all;
    if (file.empty() || !ReadAllBookmarks(file, all)) return 0;
    const std::u16string temporary = file + u".new";
    PlatformFile f;
    if (!FileCreateNew(f, temporary)) return 0;  // never through a link planted at its name
    int ok = 1, seen = 0, removed = 0;
    for (const Bookmark& b : all) {
        if (b.path == path && (nth < 0 || seen++ == nth)) {
            removed = 1;
            continue;
        }
        uint8_t record[kBookmarkRecordBytes];
        EncodeBookmark(b, record);
        ok = ok && FileWrite(f, record, sizeof record);
    }
    ok = ok && FileSync(f);
    FileClose(f);
    if (!ok || (nth >= 0 && !removed) || !FileRename(temporary, file)) {
        FileDelete(temporary);
        return 0;
    }
    return 1;
}

}  // namespace

int RemoveBookBookmarks(const std::u16string& file, const std::u16string& path) {
    return RewriteWithout(file, path, -1);
}

int RemoveBookmark(const std::u16string& file, const std::u16string& path, int nth) {
    return nth >= 0 && RewriteWithout(file, path, nth);
}

std::u16string SuggestedBookmarkName(Document& doc, int32_t position) {
    int32_t p = position;
    while (p >= 0 && GetChar(doc, p) >= 33) --p;
    ++p;
    // The words from there, white space folded, without leading spaces, cut at a word's end.
    std::u16string name;
    const int32_t length = DocLength(doc);
    int32_t q = p;
    for (; q < length && static_cast<int>(name.size()) < kBookmarkNameChars; ++q) {
        const char16_t c = GetChar(doc, q);
        if (c <= 32) {
            if (!name.empty() && name.back() != u' ') name += u' ';
        } else {
            name += c;
        }
    }
    const bool cutInWord =
        q < length && GetChar(doc, q) > 32 && !name.empty() && name.back() != u' ';
    if (cutInWord) {
        const size_t space = name.rfind(u' ');
        if (space != std::u16string::npos && space > 0) name.erase(space);
    }
    while (!name.empty() && name.back() == u' ') name.pop_back();
    return name;
}

void ShowAddBookmarkDialog(const ReaderServices& reader) {
    if (!reader.bookOpen) return;
    RememberBook(reader);
    AddBookmark a{&reader};
    // The page is painted again: its status line and progress bar show the new bookmark.
    if (ShowDialog(reader, kTemplateAddBookmark, a, OpenAdd, AddCommand) == 1) Refresh(reader);
}

void ShowBookmarksDialog(const ReaderServices& reader) {
    if (!reader.bookOpen) return;
    OpenBookmarks o;
    o.reader = &reader;
    o.marks = BookBookmarks(BookmarksFile(reader), Book(reader).bookPath);
    if (o.marks.empty()) {
        ShowTitledMessage(reader, u"List Empty!", u"Bookmarks");
        return;
    }
    const size_t before = o.marks.size();
    // A bookmark opened moves the page; one deleted leaves the status line and the bar.
    if (ShowDialog(reader, kTemplateList, o, OpenList, ListCommand) == 1 ||
        o.marks.size() != before)
        Refresh(reader);
}

void ClearBookBookmarks(const ReaderServices& reader) {
    if (!reader.bookOpen) return;
    const std::u16string file = BookmarksFile(reader);
    const std::u16string book = Book(reader).bookPath;
    if (BookBookmarks(file, book).empty()) {
        ShowTitledMessage(reader, u"List Empty!", u"Bookmarks");
        return;
    }
    if (!Ask(reader, u"Clear all bookmarks of this book?", u"Bookmarks")) return;
    if (!RemoveBookBookmarks(file, book)) {
        ShowTitledMessage(reader, u"Error writing in file", u"Error");
    }
    Refresh(reader);
}

}  // namespace lectra
