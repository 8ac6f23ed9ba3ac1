// The catalogue's database: where it lives, opening it (a damaged or older file is set aside and
// a new one made), and reading books back by order or by search.
#include "library/library_db.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "library/name_fold.h"

namespace lectra {

namespace {

// "LETR": marks the file as this program's catalogue, so that another database at the path is
// never taken for one.
constexpr int kApplicationId = 0x4C455452;

constexpr const char* kSchema[] = {
    "CREATE TABLE files(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, size INTEGER NOT NULL,"
    " mtime INTEGER NOT NULL, error TEXT)",
    "CREATE TABLE books(id INTEGER PRIMARY KEY, file INTEGER NOT NULL, entry TEXT NOT NULL,"
    " kind INTEGER NOT NULL, title TEXT NOT NULL, title_key TEXT NOT NULL, authors TEXT NOT NULL,"
    " author_key TEXT NOT NULL, series TEXT NOT NULL, series_key TEXT NOT NULL,"
    " number REAL NOT NULL, language TEXT NOT NULL, genres TEXT NOT NULL,"
    " annotation TEXT NOT NULL, cover TEXT NOT NULL, added INTEGER NOT NULL)",
    "CREATE INDEX books_file ON books(file)",
    "CREATE INDEX books_by_title ON books(title_key)",
    "CREATE INDEX books_by_author ON books(author_key, series_key, number, title_key)",
    "CREATE INDEX books_by_series ON books(series_key, number, title_key)",
    "CREATE INDEX books_by_language ON books(language, title_key)",
    "CREATE INDEX books_by_added ON books(added)",
    // The folded words of each book's title, authors and series, by the book's id.
    "CREATE VIRTUAL TABLE book_words USING fts5(words, tokenize='unicode61 remove_diacritics 0')",
};

int Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// One integer from a statement; `fallback` when it fails.
int64_t QueryInt(sqlite3* db, const char* sql, int64_t fallback, int* ok = nullptr) {
    sqlite3_stmt* st = nullptr;
    int64_t value = fallback;
    int good = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            value = sqlite3_column_int64(st, 0);
            good = 1;
        } else if (rc == SQLITE_DONE) {
            good = 1;
        }
    }
    sqlite3_finalize(st);
    if (ok) *ok = good;
    return value;
}

uint32_t Be(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// What the file's own header says before SQLite reads it: 1 for a database whose pages are all
// there (or an empty file, a new catalogue), 0 for anything else. SQLite would find a truncated
// file only when a query reaches a missing page.
int HeaderSound(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno == ENOENT;
    struct stat st {};
    uint8_t h[100];
    const bool stated = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t got = stated && st.st_size >= 100 ? pread(fd, h, sizeof h, 0) : 0;
    close(fd);
    if (!stated) return 0;
    if (st.st_size == 0) return 1;
    if (got != 100 || std::memcmp(h, "SQLite format 3", 16) != 0) return 0;
    uint32_t pageSize = Be(h + 16, 2);
    if (pageSize == 1) pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1))) return 0;
    // The page count in the header holds when its version stamp matches the change counter.
    const uint32_t pages = Be(h + 28, 4);
    if (Be(h + 92, 4) == Be(h + 24, 4) && pages != 0 &&
        static_cast<uint64_t>(pages) * pageSize > static_cast<uint64_t>(st.st_size)) {
        return 0;
    }
    return st.st_size % pageSize == 0;
}

enum OpenState { kBad, kGood };

// Opens `path` and makes or checks the schema.
OpenState TryOpen(LibraryDb& library) {
    if (!HeaderSound(library.path)) return kBad;
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(library.path.c_str(), &library.db, flags, nullptr) != SQLITE_OK)
        return kBad;
    sqlite3* db = library.db;
    sqlite3_busy_timeout(db, 5000);
    sqlite3_extended_result_codes(db, 0);
    int ok1 = 0, ok2 = 0, ok3 = 0;
    const int64_t application = QueryInt(db, "PRAGMA application_id", -1, &ok1);
    const int64_t version = QueryInt(db, "PRAGMA user_version", -1, &ok2);
    const int64_t objects = QueryInt(db, "SELECT count(*) FROM sqlite_master", -1, &ok3);
    if (!ok1 || !ok2 || !ok3) return kBad;
    if (application == 0 && version == 0 && objects == 0) {
        // A new file: the schema in one transaction, so that a crash leaves nothing half made.
        if (!Exec(db, "PRAGMA journal_mode=WAL") || !Exec(db, "BEGIN IMMEDIATE")) return kBad;
        for (const char* sql : kSchema) {
            if (!Exec(db, sql)) return kBad;
        }
        const std::string stamp = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                  "; PRAGMA user_version=" + std::to_string(kLibrarySchemaVersion);
        if (!Exec(db, stamp.c_str()) || !Exec(db, "COMMIT")) return kBad;
    } else if (application != kApplicationId || version != kLibrarySchemaVersion) {
        return kBad;
    }
    // Readers never wait for the scanner, and the scanner's commits need not reach the disk
    // before it goes on: a catalogue lost to a power cut is rebuilt by the next scan.
    if (!Exec(db, "PRAGMA journal_mode=WAL") || !Exec(db, "PRAGMA synchronous=NORMAL")) return kBad;
    return kGood;
}

void Close(LibraryDb& library) {
    if (library.db) sqlite3_close_v2(library.db);
    library.db = nullptr;
}

// Moves the file and its log out of the way; a new catalogue must not replay the old log.
void SetAside(const std::string& path) {
    rename(path.c_str(), (path + ".damaged").c_str());
    rename((path + "-wal").c_str(), (path + ".damaged-wal").c_str());
    unlink((path + "-shm").c_str());
}

// Makes every missing folder of `path` (0700, as the program's other folders).
void MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != path.npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
    mkdir(path.c_str(), 0700);
}

// Each order's ORDER BY clause, and the rows after a given one in that order as one row-value
// comparison over its columns, which the order's index serves; the parameters are bound by
// BindAfter in this order. Title order is the last row, and the one an unknown order gets.
struct OrderSql {
    ListOrder order;
    const char* orderBy;
    const char* after;
};
constexpr OrderSql kOrderSql[] = {
    {ListOrder::kAuthor, " ORDER BY b.author_key, b.series_key, b.number, b.title_key, b.id",
     " WHERE (b.author_key, b.series_key, b.number, b.title_key, b.id) > (?1, ?2, ?3, ?4, ?5)"},
    {ListOrder::kSeries, " ORDER BY b.series_key, b.number, b.title_key, b.id",
     " WHERE (b.series_key, b.number, b.title_key, b.id) > (?2, ?3, ?4, ?5)"},
    {ListOrder::kLanguage, " ORDER BY b.language, b.title_key, b.id",
     " WHERE (b.language, b.title_key, b.id) > (?6, ?4, ?5)"},
    {ListOrder::kAdded, " ORDER BY b.added DESC, b.id DESC", " WHERE (b.added, b.id) < (?7, ?5)"},
    {ListOrder::kTitle, " ORDER BY b.title_key, b.id", " WHERE (b.title_key, b.id) > (?4, ?5)"},
};

const OrderSql& SqlFor(ListOrder order) {
    for (const OrderSql& row : kOrderSql) {
        if (row.order == order) return row;
    }
    return std::end(kOrderSql)[-1];
}

constexpr const char* kRowColumns =
    "SELECT b.id, f.path, b.entry, b.title, b.authors, b.series, b.number, b.language,"
    " b.title_key, b.author_key, b.series_key, b.added FROM books b JOIN files f ON f.id = b.file";

void BindText(sqlite3_stmt* st, int column, const std::string& text) {
    sqlite3_bind_text(st, column, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string Text(sqlite3_stmt* st, int column) {
    const void* p = sqlite3_column_blob(st, column);
    const int n = sqlite3_column_bytes(st, column);
    return p && n > 0 ? std::string(static_cast<const char*>(p), static_cast<size_t>(n))
                      : std::string();
}

// The text columns of a listing's row (kRowColumns) and where each goes.
struct TextColumn {
    int column;
    std::string BookRow::*field;
};
constexpr TextColumn kTextColumns[] = {
    {1, &BookRow::path},     {2, &BookRow::entry},     {3, &BookRow::title},
    {4, &BookRow::authors},  {5, &BookRow::series},    {7, &BookRow::language},
    {8, &BookRow::titleKey}, {9, &BookRow::authorKey}, {10, &BookRow::seriesKey}};

void ReadRow(sqlite3_stmt* st, BookRow& row) {
    row.id = sqlite3_column_int64(st, 0);
    for (const TextColumn& t : kTextColumns) row.*t.field = Text(st, t.column);
    row.number = sqlite3_column_double(st, 6);
    row.added = sqlite3_column_int64(st, 11);
}

// Steps a prepared listing to its end, each row to `each`.
int StepRows(sqlite3_stmt* st, void (*each)(void*, const BookRow&), void* context) {
    BookRow row;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ReadRow(st, row);
        each(context, row);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

void PushRow(void* context, const BookRow& row) {
    static_cast<std::vector<BookRow>*>(context)->push_back(row);
}

}  // namespace

std::string LibraryDatabasePath() {
    if (const char* home = std::getenv("LECTRA_HOME"); home && *home) {
        MakeFolders(home);
        return std::string(home) + "/library.sqlite";
    }
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        if (!home || !*home) return {};
        data = std::string(home) + "/.local/share";
    }
    MakeFolders(data + "/lectra");
    return data + "/lectra/library.sqlite";
}

int OpenLibrary(LibraryDb& library, const std::string& path) {
    Close(library);
    library.path = path;
    if (path.empty()) return kLibraryOpenFailed;
    if (TryOpen(library) == kGood) return kLibraryOpened;
    return RebuildLibrary(library);
}

int RebuildLibrary(LibraryDb& library) {
    Close(library);
    SetAside(library.path);
    if (TryOpen(library) == kGood) return kLibraryRebuilt;
    Close(library);
    return kLibraryOpenFailed;
}

void CloseLibrary(LibraryDb& library) {
    Close(library);
}

int ListBooks(LibraryDb& library, ListOrder order, int64_t offset, int64_t limit,
              std::vector<BookRow>& rows) {
    rows.clear();
    if (!library.db) return 0;
    const std::string sql = std::string(kRowColumns) + SqlFor(order).orderBy + " LIMIT ? OFFSET ?";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(library.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return 0;
    }
    sqlite3_bind_int64(st, 1, limit);
    sqlite3_bind_int64(st, 2, offset < 0 ? 0 : offset);
    return StepRows(st, PushRow, &rows);
}

int ListBooksAfter(LibraryDb& library, ListOrder order, const BookRow& last, int64_t limit,
                   std::vector<BookRow>& rows) {
    rows.clear();
    if (!library.db) return 0;
    const std::string sql =
        std::string(kRowColumns) + SqlFor(order).after + SqlFor(order).orderBy + " LIMIT ?8";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(library.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return 0;
    }
    BindText(st, 1, last.authorKey);
    BindText(st, 2, last.seriesKey);
    sqlite3_bind_double(st, 3, last.number);
    BindText(st, 4, last.titleKey);
    sqlite3_bind_int64(st, 5, last.id);
    BindText(st, 6, last.language);
    sqlite3_bind_int64(st, 7, last.added);
    sqlite3_bind_int64(st, 8, limit);
    return StepRows(st, PushRow, &rows);
}

int ForEachBook(LibraryDb& library, ListOrder order, void (*each)(void*, const BookRow&),
                void* context) {
    if (!library.db) return 0;
    const std::string sql = std::string(kRowColumns) + SqlFor(order).orderBy;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(library.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return 0;
    }
    return StepRows(st, each, context);
}

int SearchBooks(LibraryDb& library, std::u16string_view query, int64_t limit,
                std::vector<BookRow>& rows) {
    rows.clear();
    if (!library.db) return 0;
    const std::string expression = SearchExpression(query);
    if (expression.empty()) return 1;
    const std::string sql =
        std::string(kRowColumns) +
        " WHERE b.id IN (SELECT rowid FROM book_words WHERE book_words MATCH ?)" +
        SqlFor(ListOrder::kTitle).orderBy + " LIMIT ?";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(library.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return 0;
    }
    sqlite3_bind_text(st, 1, expression.data(), static_cast<int>(expression.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int64(st, 2, limit);
    return StepRows(st, PushRow, &rows);
}

int64_t CountBooks(LibraryDb& library) {
    if (!library.db) return -1;
    return QueryInt(library.db, "SELECT count(*) FROM books", -1);
}

int OpenLibraryToRead(LibraryDb& library, const std::string& path) {
    Close(library);
    library.path = path;
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    int ok1 = 0, ok2 = 0;
    if (sqlite3_open_v2(path.c_str(), &library.db, flags, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(library.db, 1000);
        const int64_t application = QueryInt(library.db, "PRAGMA application_id", -1, &ok1);
        const int64_t version = QueryInt(library.db, "PRAGMA user_version", -1, &ok2);
        if (ok1 && ok2 && application == kApplicationId && version == kLibrarySchemaVersion)
            return 1;
    }
    Close(library);
    return 0;
}

int LookUpBooks(LibraryDb& library, const std::vector<BookKey>& keys, std::vector<BookRow>& rows) {
    rows.assign(keys.size(), BookRow());
    if (keys.empty()) return 1;
    if (!library.db) return 0;
    // One walk of the files' path index for every path; the entries are matched here.
    std::string sql = std::string(kRowColumns) + " WHERE f.path IN (?";
    for (size_t i = 1; i < keys.size(); ++i) sql += ",?";
    sql += ")";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(library.db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return 0;
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        sqlite3_bind_blob(st, static_cast<int>(i + 1), keys[i].path.data(),
                          static_cast<int>(keys[i].path.size()), SQLITE_TRANSIENT);
    }
    std::vector<BookRow> found;
    if (!StepRows(st, PushRow, &found)) return 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        const BookRow* only = nullptr;
        int ofFile = 0;
        for (const BookRow& row : found) {
            if (row.path != keys[i].path) continue;
            ++ofFile;
            only = &row;
            if (row.entry == keys[i].entry) {
                rows[i] = row;
                break;
            }
        }
        if (rows[i].id == 0 && ofFile == 1) rows[i] = *only;
    }
    return 1;
}

}  // namespace lectra
