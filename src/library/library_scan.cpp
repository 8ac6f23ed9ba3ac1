// Scanning the user's folders into the catalogue: every book file and every book entry of a ZIP
// archive, added, updated or removed by what changed.
#include "library/library_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>
#include <unordered_map>
#include <utility>

#include "document/format_table.h"
#include "document/formats/epub_package.h"
#include "document/formats/gz_reader.h"
#include "document/formats/zip_directory.h"
#include "document/open_book.h"
#include "library/book_head.h"
#include "library/book_metadata.h"
#include "library/name_fold.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

// Commits are this many books apart: few enough for speed, often enough that a reader of the
// catalogue sees a long first scan fill it.
constexpr int kBooksPerCommit = 4096;
// An HTML title is in the first few kilobytes.
constexpr size_t kHtmlHead = 65536;

struct Candidate {
    std::string path;
    int64_t size = 0;
    int64_t mtime = 0;
};

struct Known {
    int64_t id = 0;
    int64_t size = 0;
    int64_t mtime = 0;
    bool failed = false;
    bool seen = false;
};

struct NewBook {
    std::u16string entry;
    int kind = 0;
    BookMeta meta;
};

int64_t MtimeOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The kind a ZIP entry or a gzip member is read as: the text kinds only, as the reader opens.
int TextKind(const std::u16string& name) {
    const int kind = FormatKindFromPath(name);
    return kind >= kKindText && kind <= kKindRtf ? kind : -1;
}

bool EndsWithGz(const std::string& name) {
    return name.size() > 3 && name[name.size() - 3] == '.' &&
           (name[name.size() - 2] | 0x20) == 'g' && (name[name.size() - 1] | 0x20) == 'z';
}

bool IsBookName(const std::string& name) {
    if (EndsWithGz(name)) return TextKind(PathFromBytes(name.substr(0, name.size() - 3))) >= 0;
    return FormatKindFromPath(PathFromBytes(name)) >= 0;
}

struct Walk {
    std::vector<Candidate> files;
    std::vector<std::string> unlisted;  // folders that could not be listed, "/" added
    std::set<std::pair<dev_t, ino_t>> visited;
};

// Every book file under `root`, each folder once by its device and inode, so that a link back
// up the tree ends the walk there.
void WalkFolder(const std::string& root, Walk& walk, const std::atomic<int>* cancel) {
    struct stat st {};
    if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        !walk.visited.insert({st.st_dev, st.st_ino}).second) {
        walk.unlisted.push_back(root == "/" ? root : root + "/");
        return;
    }
    std::vector<std::pair<std::string, int>> stack{{root, 0}};
    while (!stack.empty()) {
        if (cancel && cancel->load()) return;
        const auto [folder, depth] = stack.back();
        stack.pop_back();
        DIR* dir = opendir(folder.c_str());
        if (!dir) {
            walk.unlisted.push_back(folder == "/" ? folder : folder + "/");
            continue;
        }
        std::vector<std::string> subfolders;
        while (const dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            std::string path = folder == "/" ? "/" + name : folder + "/" + name;
            if (path.size() >= static_cast<size_t>(kMaxPathBytes)) continue;
            if (stat(path.c_str(), &st) != 0) continue;  // a broken link
            if (S_ISDIR(st.st_mode)) {
                if (depth < kMaxFolderDepth && walk.visited.insert({st.st_dev, st.st_ino}).second)
                    subfolders.push_back(std::move(path));
            } else if (S_ISREG(st.st_mode) && IsBookName(name)) {
                walk.files.push_back({std::move(path), st.st_size, MtimeOf(st)});
            }
        }
        closedir(dir);
        std::sort(subfolders.rbegin(), subfolders.rend());
        for (std::string& sub : subfolders) stack.emplace_back(std::move(sub), depth + 1);
    }
}

// The description of a book of `kind` from its head; the title from `name` when it has none.
void MetaFromHead(int kind, std::string_view head, std::u16string_view name, BookMeta& meta) {
    meta = BookMeta{};
    if (kind == kKindFb2 || kind == kKindHtml) {
        const std::string text = HeadAsUtf8(head, HeadCodePage(head));
        if (kind == kKindFb2) {
            ReadFb2Meta(text, meta);
        } else {
            ReadHtmlMeta(text, meta);
        }
    }
    if (meta.title.empty()) meta.title = TitleFromName(name);
}

std::string_view StopFor(int kind) {
    return kind == kKindFb2 ? "</description>" : kind == kKindHtml ? "</title>" : "";
}
size_t CapFor(int kind) {
    return kind == kKindFb2 ? kMaxHeadBytes : kind == kKindHtml ? kHtmlHead : 0;
}

const ZipEntry* FindEntry(const ZipDirectory& directory, std::u16string_view name) {
    for (const ZipEntry& e : directory.entries) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

void ReadEpub(PlatformFile& file, const std::u16string& name, NewBook& book) {
    book.kind = kKindEpub;
    ZipDirectory directory;
    std::string container, opf;
    if (ReadZipDirectory(file, directory)) {
        const ZipEntry* c = FindEntry(directory, u"META-INF/container.xml");
        if (c && ReadSmallZipEntry(file, *c, kMaxHeadBytes, container)) {
            const ZipEntry* p = FindEntry(directory, Utf8ToUtf16(EpubRootFile(container)));
            if (p && ReadSmallZipEntry(file, *p, kMaxHeadBytes, opf))
                ReadOpfMeta(HeadAsUtf8(opf, HeadCodePage(opf)), book.meta);
        }
    }
    if (book.meta.title.empty()) book.meta.title = TitleFromName(name);
}

// The books of one file, or 0 with `error` when the file cannot be read as any.
int ReadBooks(const std::string& path, std::vector<NewBook>& books, std::string& error,
              int64_t& size, int64_t& mtime) {
    books.clear();
    const std::u16string widePath = PathFromBytes(path);
    PlatformFile file;
    if (!FileOpenRead(file, widePath)) {
        error = std::strerror(errno ? errno : EACCES);
        return 0;
    }
    // What is recorded is what was read: a file replaced since the walk is described as opened.
    struct stat st {};
    if (fstat(file.fd, &st) != 0) {
        error = std::strerror(errno);
        FileClose(file);
        return 0;
    }
    size = st.st_size;
    mtime = MtimeOf(st);
    const size_t slash = path.rfind('/');
    const std::string base = path.substr(slash == path.npos ? 0 : slash + 1);
    const std::u16string name = PathFromBytes(base);
    int ok = 1;
    std::string head;
    if (EndsWithGz(base)) {
        const std::u16string inner = name.substr(0, name.size() - 3);
        const int kind = TextKind(inner);
        if (!RoutesToGzip(widePath, file) ||
            !ReadGzipHead(file, static_cast<uint64_t>(size), std::max<size_t>(CapFor(kind), 1),
                          StopFor(kind), head)) {
            error = "not a gzip file";
            ok = 0;
        } else {
            NewBook& book = books.emplace_back();
            book.kind = kind;
            MetaFromHead(kind, head, inner, book.meta);
        }
    } else {
        const int kind = FormatKindFromPath(name);
        if (kind == kKindZip) {
            ZipDirectory directory;
            if (!ReadZipDirectory(file, directory)) {
                error = "not a readable ZIP archive";
                ok = 0;
            }
            for (const ZipEntry& e : directory.entries) {
                if (books.size() >= kMaxBooksPerArchive) break;
                const int entryKind = TextKind(e.name);
                if (entryKind < 0 || e.name.empty() || e.name.back() == u'/') continue;
                NewBook& book = books.emplace_back();
                book.entry = e.name;
                book.kind = entryKind;
                head.clear();
                if (CapFor(entryKind))
                    ReadZipEntryHead(file, e, CapFor(entryKind), StopFor(entryKind), head);
                MetaFromHead(entryKind, head, e.name, book.meta);
            }
        } else if (kind == kKindEpub) {
            ReadEpub(file, name, books.emplace_back());
        } else {
            NewBook& book = books.emplace_back();
            book.kind = kind;
            if (CapFor(kind) && !ReadPlainHead(file, CapFor(kind), StopFor(kind), head)) {
                error = "read error";
                ok = 0;
                books.clear();
            } else {
                MetaFromHead(kind, head, name, book.meta);
            }
        }
    }
    FileClose(file);
    return ok;
}

// The scanner's prepared statements over one connection.
struct Writer {
    sqlite3* db = nullptr;
    sqlite3_stmt* insertFile = nullptr;
    sqlite3_stmt* updateFile = nullptr;
    sqlite3_stmt* deleteFile = nullptr;
    sqlite3_stmt* oldEntries = nullptr;
    sqlite3_stmt* deleteWords = nullptr;
    sqlite3_stmt* deleteBooks = nullptr;
    sqlite3_stmt* insertBook = nullptr;
    sqlite3_stmt* insertWords = nullptr;
    int pending = 0;  // books written since the last commit
    bool ok = true;
};

struct StatementText {
    sqlite3_stmt* Writer::*field;
    const char* sql;
};
constexpr StatementText kStatements[] = {
    {&Writer::insertFile, "INSERT INTO files(path, size, mtime, error) VALUES(?, ?, ?, ?)"},
    {&Writer::updateFile, "UPDATE files SET size = ?, mtime = ?, error = ? WHERE id = ?"},
    {&Writer::deleteFile, "DELETE FROM files WHERE id = ?"},
    {&Writer::oldEntries, "SELECT entry, added FROM books WHERE file = ?"},
    {&Writer::deleteWords,
     "DELETE FROM book_words WHERE rowid IN (SELECT id FROM books WHERE file = ?)"},
    {&Writer::deleteBooks, "DELETE FROM books WHERE file = ?"},
    {&Writer::insertBook,
     "INSERT INTO books(file, entry, kind, title, title_key, authors, author_key, series,"
     " series_key, number, language, genres, annotation, cover, added)"
     " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"},
    {&Writer::insertWords, "INSERT INTO book_words(rowid, words) VALUES(?, ?)"},
};

int Prepare(Writer& w) {
    for (const StatementText& s : kStatements) {
        if (sqlite3_prepare_v3(w.db, s.sql, -1, SQLITE_PREPARE_PERSISTENT, &(w.*s.field),
                               nullptr) != SQLITE_OK) {
            return 0;
        }
    }
    return 1;
}

void Finalize(Writer& w) {
    for (const StatementText& s : kStatements) {
        sqlite3_finalize(w.*s.field);
        w.*s.field = nullptr;
    }
}

// Runs a bound statement that returns no rows, and resets it.
void Run(Writer& w, sqlite3_stmt* st) {
    if (sqlite3_step(st) != SQLITE_DONE) w.ok = false;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
}

void BindText(sqlite3_stmt* st, int column, const std::u16string& text) {
    const std::string utf8 = Utf16ToUtf8(text);
    sqlite3_bind_text(st, column, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void Commit(Writer& w, bool reopen) {
    if (sqlite3_exec(w.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) w.ok = false;
    if (reopen && sqlite3_exec(w.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        w.ok = false;
    w.pending = 0;
}

// Ends the writer's work: what it did is committed when every step went well, else rolled back.
void CommitOrRollBack(Writer& w) {
    if (w.ok) {
        Commit(w, false);
    } else {
        sqlite3_exec(w.db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Finalize(w);
}

std::u16string Joined(const std::vector<std::u16string>& parts, std::u16string_view separator) {
    std::u16string out;
    for (const std::u16string& p : parts) {
        if (!out.empty()) out += separator;
        out += p;
    }
    return out;
}

void InsertBook(Writer& w, int64_t fileId, const NewBook& book, int64_t added) {
    const BookMeta& m = book.meta;
    std::vector<std::u16string> names;
    std::u16string words = m.title;
    for (const BookAuthor& a : m.authors) {
        names.push_back(AuthorName(a));
        words += u' ' + names.back();
        if (!a.nickname.empty() && a.nickname != names.back()) words += u' ' + a.nickname;
    }
    words += u' ' + m.series;
    sqlite3_stmt* st = w.insertBook;
    sqlite3_bind_int64(st, 1, fileId);
    BindText(st, 2, book.entry);
    sqlite3_bind_int(st, 3, book.kind);
    BindText(st, 4, m.title);
    BindText(st, 5, FoldName(m.title));
    BindText(st, 6, Joined(names, u", "));
    BindText(st, 7, m.authors.empty() ? std::u16string() : AuthorSortKey(m.authors[0]));
    BindText(st, 8, m.series);
    BindText(st, 9, FoldName(m.series));
    sqlite3_bind_double(st, 10, m.seriesNumber);
    BindText(st, 11, FoldName(m.language));
    BindText(st, 12, Joined(m.genres, u","));
    BindText(st, 13, m.annotation);
    BindText(st, 14, m.coverId);
    sqlite3_bind_int64(st, 15, added);
    Run(w, st);
    sqlite3_bind_int64(w.insertWords, 1, sqlite3_last_insert_rowid(w.db));
    BindText(w.insertWords, 2, FoldName(words));
    Run(w, w.insertWords);
    ++w.pending;
}

// The entries a file had, with when each was added.
std::unordered_map<std::string, int64_t> OldEntries(Writer& w, int64_t fileId) {
    std::unordered_map<std::string, int64_t> entries;
    sqlite3_bind_int64(w.oldEntries, 1, fileId);
    int rc;
    while ((rc = sqlite3_step(w.oldEntries)) == SQLITE_ROW) {
        const char* e = reinterpret_cast<const char*>(sqlite3_column_text(w.oldEntries, 0));
        entries.emplace(e ? e : "", sqlite3_column_int64(w.oldEntries, 1));
    }
    if (rc != SQLITE_DONE) w.ok = false;
    sqlite3_reset(w.oldEntries);
    return entries;
}

void DeleteBooksOf(Writer& w, int64_t fileId) {
    sqlite3_bind_int64(w.deleteWords, 1, fileId);
    Run(w, w.deleteWords);
    sqlite3_bind_int64(w.deleteBooks, 1, fileId);
    Run(w, w.deleteBooks);
}

// Reads one new or changed file and writes its books in place of the old ones.
void UpdateFile(Writer& w, const Candidate& c, Known* known, ScanCounts& counts) {
    std::vector<NewBook> books;
    std::string error;
    int64_t size = c.size, mtime = c.mtime;
    const int read = ReadBooks(c.path, books, error, size, mtime);
    std::unordered_map<std::string, int64_t> old;
    int64_t fileId;
    if (known) {
        fileId = known->id;
        old = OldEntries(w, fileId);
        DeleteBooksOf(w, fileId);
        sqlite3_bind_int64(w.updateFile, 1, size);
        sqlite3_bind_int64(w.updateFile, 2, mtime);
        if (!read) sqlite3_bind_text(w.updateFile, 3, error.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(w.updateFile, 4, fileId);
        Run(w, w.updateFile);
    } else {
        sqlite3_bind_blob(w.insertFile, 1, c.path.data(), static_cast<int>(c.path.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int64(w.insertFile, 2, size);
        sqlite3_bind_int64(w.insertFile, 3, mtime);
        if (!read) sqlite3_bind_text(w.insertFile, 4, error.c_str(), -1, SQLITE_TRANSIENT);
        Run(w, w.insertFile);
        fileId = sqlite3_last_insert_rowid(w.db);
    }
    if (!read) ++counts.unreadable;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (const NewBook& book : books) {
        const auto it = old.find(Utf16ToUtf8(book.entry));
        if (it != old.end()) {
            ++counts.changed;
            InsertBook(w, fileId, book, it->second);
            old.erase(it);
        } else {
            ++counts.added;
            InsertBook(w, fileId, book, now);
        }
    }
    counts.removed += static_cast<int64_t>(old.size());
}

bool Under(const std::string& path, const std::string& folderWithSlash) {
    return path.starts_with(folderWithSlash);
}

// The chosen folder as an absolute, clean path without a trailing "/".
std::string RootPath(const std::string& folder) {
    std::string root = PathToBytes(CanonicalBookPath(PathFromBytes(folder)));
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

}  // namespace

int ReadOneBook(const std::u16string& path, const std::u16string& entry, BookMeta& meta) {
    const size_t slash = path.rfind(u'/');
    const std::u16string name = path.substr(slash == std::u16string::npos ? 0 : slash + 1);
    meta = BookMeta{};
    meta.title = TitleFromName(entry.empty() ? name : entry);
    if (!entry.empty() && FormatKindFromPath(name) == kKindZip) {
        // One entry of an archive: its head alone, not every book of the archive.
        PlatformFile file;
        if (!FileOpenRead(file, path)) return 0;
        ZipDirectory directory;
        const ZipEntry* e =
            ReadZipDirectory(file, directory) ? FindEntry(directory, entry) : nullptr;
        const int kind = e ? TextKind(e->name) : -1;
        std::string head;
        if (e && kind >= 0 && CapFor(kind))
            ReadZipEntryHead(file, *e, CapFor(kind), StopFor(kind), head);
        FileClose(file);
        if (!e) return 0;
        MetaFromHead(kind, head, entry, meta);
        return 1;
    }
    std::vector<NewBook> books;
    std::string error;
    int64_t size = 0, mtime = 0;
    if (!ReadBooks(PathToBytes(path), books, error, size, mtime) || books.empty()) return 0;
    meta = books.front().meta;
    return 1;
}

int ScanLibrary(LibraryDb& library, const std::vector<std::string>& folders, ScanCounts& counts,
                const ScanProgress& progress, const std::atomic<int>* cancel) {
    counts = ScanCounts{};
    if (!library.db) return kScanFailed;
    Walk walk;
    std::vector<std::string> roots;
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        roots.push_back(RootPath(folder));
        WalkFolder(roots.back(), walk, cancel);
    }
    std::sort(walk.files.begin(), walk.files.end(),
              [](const Candidate& a, const Candidate& b) { return a.path < b.path; });
    counts.filesTotal = static_cast<int64_t>(walk.files.size());

    Writer w;
    w.db = library.db;
    std::unordered_map<std::string, Known> known;
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(
            w.db, "SELECT id, path, size, mtime, error IS NOT NULL FROM files", -1, &st, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            Known k{sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 2),
                    sqlite3_column_int64(st, 3), sqlite3_column_int(st, 4) != 0};
            const void* p = sqlite3_column_blob(st, 1);
            known.emplace(std::string(static_cast<const char*>(p ? p : ""),
                                      static_cast<size_t>(sqlite3_column_bytes(st, 1))),
                          k);
            rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) return kScanFailed;
    }
    if (!Prepare(w) ||
        sqlite3_exec(w.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Finalize(w);
        return kScanFailed;
    }
    bool cancelled = false;
    for (const Candidate& c : walk.files) {
        if (cancel && cancel->load()) {
            cancelled = true;
            break;
        }
        const auto it = known.find(c.path);
        Known* k = it == known.end() ? nullptr : &it->second;
        if (k) k->seen = true;
        if (k && k->size == c.size && k->mtime == c.mtime) {
            if (k->failed) ++counts.unreadable;
        } else {
            UpdateFile(w, c, k, counts);
            if (w.pending >= kBooksPerCommit) Commit(w, true);
        }
        ++counts.filesDone;
        if (!w.ok) break;
        if (progress.report) progress.report(progress.context, counts);
    }
    cancelled = cancelled || (cancel && cancel->load());
    // What is gone: files under the chosen folders that the walk did not meet, unless their
    // folder could not be listed (a disk not mounted, a folder closed to us) this time.
    if (!cancelled && w.ok) {
        sqlite3_stmt* count = nullptr;
        if (sqlite3_prepare_v2(w.db, "SELECT count(*) FROM books WHERE file = ?", -1, &count,
                               nullptr) != SQLITE_OK) {
            w.ok = false;
        }
        for (const auto& item : known) {
            // Named rather than bound: clang 14 cannot capture a structured binding in a lambda.
            const std::string& path = item.first;
            const Known& k = item.second;
            if (!w.ok) break;
            if (k.seen) continue;
            const bool inside = std::any_of(roots.begin(), roots.end(), [&](const std::string& r) {
                return Under(path, r == "/" ? r : r + "/");
            });
            const bool hidden = std::any_of(walk.unlisted.begin(), walk.unlisted.end(),
                                            [&](const std::string& u) { return Under(path, u); });
            if (!inside || hidden) continue;
            sqlite3_bind_int64(count, 1, k.id);
            if (sqlite3_step(count) == SQLITE_ROW) counts.removed += sqlite3_column_int64(count, 0);
            sqlite3_reset(count);
            DeleteBooksOf(w, k.id);
            sqlite3_bind_int64(w.deleteFile, 1, k.id);
            Run(w, w.deleteFile);
        }
        sqlite3_finalize(count);
    }
    CommitOrRollBack(w);
    if (!w.ok) return kScanFailed;
    return cancelled ? kScanCancelled : kScanDone;
}

int ForgetFolders(LibraryDb& library, const std::vector<std::string>& dropped,
                  const std::vector<std::string>& kept, int64_t& removed) {
    if (!library.db) return 0;
    auto roots = [](const std::vector<std::string>& folders) {
        std::vector<std::string> out;
        for (const std::string& folder : folders) {
            if (folder.empty()) continue;
            const std::string root = RootPath(folder);
            out.push_back(root == "/" ? root : root + "/");
        }
        return out;
    };
    const std::vector<std::string> gone = roots(dropped), stay = roots(kept);
    if (gone.empty()) return 1;
    auto under = [](const std::string& path, const std::vector<std::string>& folders) {
        return std::any_of(folders.begin(), folders.end(),
                           [&](const std::string& f) { return Under(path, f); });
    };
    // The files to forget first, then one transaction that takes them out.
    std::vector<int64_t> ids;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(library.db, "SELECT id, path FROM files", -1, &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        const void* p = sqlite3_column_blob(st, 1);
        const std::string path(static_cast<const char*>(p ? p : ""),
                               static_cast<size_t>(sqlite3_column_bytes(st, 1)));
        if (under(path, gone) && !under(path, stay)) ids.push_back(sqlite3_column_int64(st, 0));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return 0;
    if (ids.empty()) return 1;
    Writer w;
    w.db = library.db;
    sqlite3_stmt* count = nullptr;
    if (!Prepare(w) ||
        sqlite3_prepare_v2(w.db, "SELECT count(*) FROM books WHERE file = ?", -1, &count,
                           nullptr) != SQLITE_OK ||
        sqlite3_exec(w.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_finalize(count);
        Finalize(w);
        return 0;
    }
    int64_t books = 0;
    for (const int64_t id : ids) {
        sqlite3_bind_int64(count, 1, id);
        if (sqlite3_step(count) == SQLITE_ROW) books += sqlite3_column_int64(count, 0);
        sqlite3_reset(count);
        DeleteBooksOf(w, id);
        sqlite3_bind_int64(w.deleteFile, 1, id);
        Run(w, w.deleteFile);
        if (!w.ok) break;
    }
    sqlite3_finalize(count);
    CommitOrRollBack(w);
    if (!w.ok) return 0;
    removed += books;
    return 1;
}

}  // namespace lectra
