// The scanner and the catalogue on a collection made at test time, and the lectra-tool verbs.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "library/library_db.h"
#include "library/library_scan.h"
#include "test_support.h"

namespace lectra {
namespace {

std::string Fb2Book(const std::string& title, const std::string& first, const std::string& last,
                    const std::string& series = "", int number = 0) {
    std::string seq;
    if (!series.empty())
        seq = "<sequence name=\"" + series + "\" number=\"" + std::to_string(number) + "\"/>";
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description><title-info>"
           "<genre>prose</genre><author><first-name>" +
           first + "</first-name><last-name>" + last + "</last-name></author><book-title>" + title +
           "</book-title><lang>ru</lang>" + seq +
           "</title-info></description><body><p>Text.</p></body></FictionBook>";
}

void Shell(const std::string& command) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A ZIP of the given files of `dir` (names relative to it), made by zip.
void Zip(const std::string& dir, const std::string& archive, const std::string& files) {
    Shell("cd '" + dir + "' && zip -q -X '" + archive + "' " + files);
}

struct Collection {
    test::ScratchDir scratch;
    std::string root = scratch.path() + "/books";
    std::string db = scratch.path() + "/library.sqlite";

    Collection() {
        Shell("mkdir -p '" + root + "/nested/deeper' '" + scratch.path() + "/src'");
        Write("war.fb2", Fb2Book("Война и мир", "Лев", "Толстой", "Эпопеи", 2));
        Write("nested/deeper/hedgehog.fb2", Fb2Book("Ёжик в тумане", "Сергей", "Козлов"));
        scratch.Write("src/don.fb2", Fb2Book("Тихий Дон", "Михаил", "Шолохов", "Дон", 1));
        scratch.Write("src/anna.fb2", Fb2Book("Анна Каренина", "Лев", "Толстой", "Эпопеи", 3));
        scratch.Write("src/readme.txt", "not a book in an archive? it is: a text one");
        scratch.Write("src/picture.jpg", "JFIF");
        Zip(scratch.path() + "/src", root + "/nested/pack.zip",
            "don.fb2 anna.fb2 readme.txt picture.jpg");
        for (auto [fixture, name] : {std::pair{"ru-pandoc.epub", "ru.epub"},
                                     {"ru-cp1251.html", "ru.html"},  // declares windows-1251
                                     {"en-utf8.txt", "Plain_Notes.txt"},
                                     {"en.fb2.gz", "en.fb2.gz"}})
            Write(name, test::ReadBytes(test::Fixture(fixture)));
        // Unreadable: an archive that is not one, and a folder loop through a link.
        Write("broken.zip", "PK\x03\x04 this is no archive");
        Shell("ln -s .. '" + root + "/nested/deeper/up'");
    }
    void Write(const std::string& name, const std::string& bytes) {
        scratch.Write("books/" + name, bytes);
    }
};

// Every book as "file name|entry" → "title|authors|series|number|language".
std::map<std::string, std::string> Catalogue(LibraryDb& library) {
    std::vector<BookRow> rows;
    EXPECT_TRUE(ListBooks(library, ListOrder::kTitle, 0, -1, rows));
    std::map<std::string, std::string> out;
    for (const BookRow& r : rows) {
        const std::string name = r.path.substr(r.path.rfind('/') + 1);
        char number[16];
        std::snprintf(number, sizeof number, "%g", r.number);
        out[name + "|" + r.entry] =
            r.title + "|" + r.authors + "|" + r.series + "|" + number + "|" + r.language;
    }
    return out;
}

ScanCounts Scan(LibraryDb& library, const std::string& folder) {
    ScanCounts counts;
    EXPECT_EQ(ScanLibrary(library, {folder}, counts), kScanDone);
    return counts;
}

// The collection scanned into its catalogue, closed when the test ends.
struct Scanned : Collection {
    LibraryDb library;
    Scanned() {
        EXPECT_TRUE(OpenLibrary(library, db));
        Scan(library, root);
    }
    ~Scanned() { CloseLibrary(library); }
};

std::vector<std::string> Titles(LibraryDb& library, const std::u16string& query) {
    std::vector<BookRow> rows;
    EXPECT_TRUE(SearchBooks(library, query, -1, rows));
    std::vector<std::string> titles;
    for (const BookRow& r : rows) titles.push_back(r.title);
    return titles;
}

// lectra-tool's scan and search verbs, each output followed by the exit status, and the catalogue
// the scan made.
TEST(LibraryScan, TheToolsScanCataloguesWhatTheFilesSay) {
    Collection c;
    auto library = [&](const std::string& args) {
        return test::Run(std::string(LECTRA_TOOL) + " library " + args + " --db '" + c.db +
                         "' < /dev/null 2>&1; echo status $?");
    };
    EXPECT_EQ(library("scan '" + c.root + "'"),
              "added 9\nchanged 0\nremoved 0\nunreadable 1\nstatus 0\n");
    EXPECT_EQ(library("search ТОЛСТОЙ война"),
              c.root + "/war.fb2\t\tВойна и мир\tЛев Толстой\tЭпопеи\t2\tru\nstatus 0\n");

    LibraryDb db;
    ASSERT_EQ(OpenLibrary(db, c.db), kLibraryOpened);
    const std::map<std::string, std::string> expected = {
        {"war.fb2|", "Война и мир|Лев Толстой|Эпопеи|2|ru"},
        {"hedgehog.fb2|", "Ёжик в тумане|Сергей Козлов||0|ru"},
        {"pack.zip|don.fb2", "Тихий Дон|Михаил Шолохов|Дон|1|ru"},
        {"pack.zip|anna.fb2", "Анна Каренина|Лев Толстой|Эпопеи|3|ru"},
        {"pack.zip|readme.txt", "readme|||0|"},
        {"ru.epub|", "Станция на Волчьем мысу|||0|ru"},
        {"ru.html|", "Станция на Волчьем мысу|||0|ru"},  // <html lang="ru">
        {"Plain_Notes.txt|", "Plain Notes|||0|"},
        {"en.fb2.gz|", "The Last Reel at the Orion|anonymous||0|en"},
    };
    EXPECT_EQ(Catalogue(db), expected);
    CloseLibrary(db);
}

// A cancelled scan removes nothing; the next follows renames, deletions and new archives, and
// counts an archive rewritten per entry.
TEST(LibraryScan, RescanFollowsRenamesDeletionsAndNewArchivesAndACancelRemovesNothing) {
    Scanned c;
    LibraryDb& library = c.library;
    // Counts as (added, changed, removed).
    auto changes = [](const ScanCounts& c) { return std::tuple(c.added, c.changed, c.removed); };
    ScanCounts counts = Scan(library, c.root);
    EXPECT_EQ(changes(counts), std::tuple(0, 0, 0));
    EXPECT_EQ(std::tuple(counts.unreadable, counts.filesTotal), std::tuple(1, 8));

    Shell("mv '" + c.root + "/war.fb2' '" + c.root + "/nested/war-renamed.fb2'");
    Shell("rm '" + c.root + "/ru.html'");
    const std::string src = c.scratch.path() + "/src";
    c.scratch.Write("src/quiet.fb2", Fb2Book("Судьба человека", "Михаил", "Шолохов"));
    c.scratch.Write("src/idiot.fb2", Fb2Book("Идиот", "Фёдор", "Достоевский"));
    Zip(src, c.root + "/nested/deeper/more.zip", "quiet.fb2 idiot.fb2");
    // A scan cancelled at its first report.
    std::atomic<int> cancel{0};
    ScanProgress progress;
    progress.context = &cancel;
    progress.report = [](void* context, const ScanCounts&) {
        static_cast<std::atomic<int>*>(context)->store(1);
    };
    EXPECT_EQ(ScanLibrary(library, {c.root}, counts, progress, &cancel), kScanCancelled);
    EXPECT_EQ(std::tuple(counts.filesDone, counts.removed), std::tuple(1, 0));
    EXPECT_EQ(CountBooks(library), 9);
    EXPECT_EQ(changes(Scan(library, c.root)), std::tuple(3, 0, 2));

    // An archive rewritten with one entry changed, one gone and one new: counted per entry.
    c.scratch.Write("src/quiet.fb2", Fb2Book("Тихий Дон, том 2", "Михаил", "Шолохов"));
    c.scratch.Write("src/fate.fb2", Fb2Book("Поднятая целина", "Михаил", "Шолохов"));
    Shell("rm '" + c.root + "/nested/deeper/more.zip'");
    Zip(src, c.root + "/nested/deeper/more.zip", "quiet.fb2 fate.fb2");
    Shell("touch -d '2001-01-01' '" + c.root + "/nested/deeper/more.zip'");
    EXPECT_EQ(changes(Scan(library, c.root)), std::tuple(1, 1, 1));
    EXPECT_EQ(Catalogue(library)["more.zip|quiet.fb2"], "Тихий Дон, том 2|Михаил Шолохов||0|ru");

    // A scan of another folder leaves this one's books alone.
    test::ScratchDir other;
    EXPECT_EQ(Scan(library, other.path()).removed, 0);
    EXPECT_EQ(CountBooks(library), 10);
}

// A folder taken off the list takes its books out, except those under a folder still listed; a
// folder whose name only begins like it ("nested2") is another folder.
TEST(LibraryScan, AForgottenFolderTakesItsBooksOut) {
    Scanned c;
    LibraryDb& library = c.library;
    Shell("mkdir -p '" + c.root + "/nested2'");
    c.Write("nested2/idiot.fb2", Fb2Book("Идиот", "Фёдор", "Достоевский"));
    Scan(library, c.root);
    int64_t removed = 0;
    // Under a folder still listed: kept.
    ASSERT_TRUE(ForgetFolders(library, {c.root + "/nested/"}, {c.root}, removed));
    EXPECT_EQ(removed, 0);
    // hedgehog and the three books of pack.zip go, out of the search too; nested2's stays.
    ASSERT_TRUE(ForgetFolders(library, {c.root + "/nested"}, {}, removed));
    EXPECT_EQ(removed, 4);
    EXPECT_EQ(CountBooks(library), 6);
    EXPECT_EQ(Titles(library, u"козлов"), std::vector<std::string>{});
}

// Paging by the last row's key walks every order as one listing does, ties broken by the id.
TEST(LibraryDatabase, PagesByKeyFollowTheWholeListing) {
    Scanned c;
    LibraryDb& library = c.library;
    // Books whose keys tie in every order but the id.
    for (int i = 0; i < 5; ++i)
        c.Write("twin" + std::to_string(i) + ".fb2", Fb2Book("Близнецы", "Ян", "Ли", "Пары", 1));
    Scan(library, c.root);
    for (ListOrder order : {ListOrder::kAuthor, ListOrder::kSeries, ListOrder::kTitle,
                            ListOrder::kLanguage, ListOrder::kAdded}) {
        std::vector<BookRow> all, page;
        ASSERT_TRUE(ListBooks(library, order, 0, -1, all));
        ASSERT_EQ(all.size(), 14u);
        std::vector<int64_t> walked;
        ASSERT_TRUE(ListBooks(library, order, 0, 3, page));
        while (!page.empty()) {
            for (const BookRow& r : page) walked.push_back(r.id);
            const BookRow last = page.back();
            ASSERT_TRUE(ListBooksAfter(library, order, last, 3, page));
        }
        std::vector<int64_t> expected;
        for (const BookRow& r : all) expected.push_back(r.id);
        EXPECT_EQ(walked, expected) << static_cast<int>(order);
    }
}

// (Words of an author and a title in capitals, each word a condition: the tool's search; Ё as Е:
// the library window's search.)
TEST(LibrarySearch, AWordsBeginningTheSeriesAndTheSyntaxsOwnWords) {
    Scanned c;
    LibraryDb& library = c.library;
    // A word's beginning finds it.
    EXPECT_EQ(Titles(library, u"толс"), (std::vector<std::string>{"Анна Каренина", "Война и мир"}));
    // Every word must match, each in the title, an author or the series.
    EXPECT_EQ(Titles(library, u"эпопеи война"), std::vector<std::string>{"Война и мир"});
    // Words that are the search syntax's own are only words.
    EXPECT_TRUE(Titles(library, u"\"OR\" NEAR( * AND -").empty());
    EXPECT_TRUE(Titles(library, u"").empty());
}

TEST(LibraryDatabase, DamagedOrOldFilesAreSetAsideAndRebuilt) {
    Collection c;
    // Not a database at all.
    c.scratch.Write("library.sqlite", std::string(5000, 'z'));
    LibraryDb library;
    ASSERT_EQ(OpenLibrary(library, c.db), kLibraryRebuilt);
    EXPECT_EQ(test::ReadBytes(c.db + ".damaged"), std::string(5000, 'z'));
    Scan(library, c.root);
    EXPECT_EQ(CountBooks(library), 9);
    sqlite3_exec(library.db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    CloseLibrary(library);
    // Truncated: half of its pages gone.
    struct stat st {};
    ASSERT_EQ(stat(c.db.c_str(), &st), 0);
    ASSERT_EQ(truncate(c.db.c_str(), st.st_size / 2 / 4096 * 4096), 0);
    ASSERT_EQ(OpenLibrary(library, c.db), kLibraryRebuilt);
    EXPECT_EQ(CountBooks(library), 0);
    // Another schema version.
    sqlite3_exec(library.db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    CloseLibrary(library);
    ASSERT_EQ(OpenLibrary(library, c.db), kLibraryRebuilt);
    EXPECT_EQ(CountBooks(library), 0);
    CloseLibrary(library);
    // Some other program's database at the path: a reader neither reads it as a catalogue nor sets
    // it aside; a writer sets it aside.
    Shell("rm -f '" + c.db + "'*");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(c.db.c_str(), &other), SQLITE_OK);
    sqlite3_exec(other, "CREATE TABLE mine(x)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_FALSE(OpenLibraryToRead(library, c.db));
    EXPECT_NE(access((c.db + ".damaged").c_str(), F_OK), 0);
    ASSERT_EQ(OpenLibrary(library, c.db), kLibraryRebuilt);
    CloseLibrary(library);
}

TEST(LibraryScan, HostileArchivesEndAsBoundedRecords) {
    Collection c;
    const std::string src = c.scratch.path() + "/src";
    // A description that never closes, two megabytes of it, and a book claiming four gigabytes.
    std::string endless = "<FictionBook><description><title-info><book-title>Endless</book-title>";
    while (endless.size() < (2u << 20)) endless += "<author><last-name>N</last-name></author>";
    c.scratch.Write("src/endless.fb2", endless);
    c.scratch.Write("src/huge.fb2", Fb2Book("Huge", "A", "B"));
    Zip(src, src + "/hostile.zip", "endless.fb2 huge.fb2");
    // The central directory's size of huge.fb2 (its second record) becomes 0xFFFFFFFE.
    std::string zip = test::ReadBytes(src + "/hostile.zip");
    zip.replace(zip.rfind("PK\x01\x02") + 24, 4, "\xFE\xFF\xFF\xFF");
    Shell("rm -rf '" + c.root + "' && mkdir '" + c.root + "'");
    c.Write("hostile.zip", zip);
    c.Write("bad\xFF\xFE name.fb2", Fb2Book("Bytes", "A", "B"));
    LibraryDb library;
    ASSERT_TRUE(OpenLibrary(library, c.db));
    EXPECT_EQ(Scan(library, c.root).added, 3);
    const std::map<std::string, std::string> got = Catalogue(library);
    EXPECT_EQ(got.at("hostile.zip|endless.fb2").substr(0, 10), "Endless|N,");
    EXPECT_EQ(got.at("hostile.zip|huge.fb2"), "Huge|A B||0|ru");
    // A name in no encoding keeps its bytes, so that the book still opens.
    EXPECT_EQ(got.count("bad\xFF\xFE name.fb2|"), 1u);
    CloseLibrary(library);
}

}  // namespace
}  // namespace lectra
