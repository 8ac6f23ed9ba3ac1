// The recent books: defaults, the move-to-front rules, case-sensitive paths, long paths.
#include "settings/recent_files.h"

#include <gtest/gtest.h>

#include <string>

#include "document/encoding.h"
#include "settings/settings_test_util.h"
#include "test_support.h"

namespace lectra {
namespace {

CurrentBook Book(const std::u16string& path, int32_t position, int32_t length = 1000,
                 int32_t codePage = 1251) {
    return {1, path, u"/books", length, codePage, position, u""};
}

// The recent list's store in `folder`, as the program makes it.
void RecentStore(SettingsStore& store, const std::string& folder) {
    CreateSettingsStore(store, PathFromBytes(folder), kRecentFileName, kRecentCapacity,
                        kRecentValueChars);
}

std::u16string Name(int i) {
    return u"/books/" + Utf8ToUtf16(std::to_string(i)) + u".txt";
}

TEST(RecentFiles, AReopenedBookMovesToTheFrontWithItsEntryName) {
    RecentFiles recent;
    for (int i = 5; i >= 0; --i) RememberCurrentBook(recent, Book(Name(i), i));
    for (int i = 0; i < 6; ++i) recent.entries[i].zipName = Name(100 + i);
    // Book 2 moves to the head at its new place, 0 and 1 shift down.
    CurrentBook two = Book(Name(2), 777, 2000, 866);
    two.zipName = Name(102);
    RememberCurrentBook(recent, two);
    const int order[] = {2, 0, 1, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        const RecentEntry& e = recent.entries[i];
        // Each archive entry's name goes with its book.
        EXPECT_EQ(std::tie(e.bookPath, e.position, e.zipName),
                  std::make_tuple(Name(order[i]), i ? order[i] : 777, Name(100 + order[i])));
    }
    EXPECT_EQ(std::tie(recent.entries[0].size, recent.entries[0].codePage), std::tuple(2000, 866));
    EXPECT_EQ(recent.entries[6].bookPath, u"");
    // Remembering the head again changes it in place.
    two.pageStart = 778;
    RememberCurrentBook(recent, two);
    EXPECT_EQ(recent.entries[0].position, 778);
    EXPECT_EQ(recent.entries[1].bookPath, Name(0));
    // Another book of the same archive is an entry of its own; by path alone, the last read.
    CurrentBook other = two;
    other.zipName = u"other.fb2";
    other.pageStart = 5;
    RememberCurrentBook(recent, other);
    EXPECT_EQ(FindRecentEntry(recent, Name(2), u"other.fb2"), 0);
    EXPECT_EQ(FindRecentEntry(recent, Name(2), Name(102)), 1);
    EXPECT_EQ(FindRecentBook(recent, Name(2)), 0);
    ForgetRecentBook(recent, Name(2));
    EXPECT_EQ(FindRecentBook(recent, Name(2)), -1);
    EXPECT_EQ(recent.entries[0].bookPath, Name(0));
    // Paths differing only in case are two books.
    RememberCurrentBook(recent, Book(u"/BOOKS/1.TXT", 5));
    EXPECT_EQ(FindRecentBook(recent, u"/BOOKS/1.TXT"), 0);
    EXPECT_EQ(FindRecentBook(recent, Name(1)), 2);
}

TEST(RecentFiles, PathsTheFileCannotHoldAreNotRecorded) {
    RecentFiles recent;
    RememberCurrentBook(recent, Book(u"/books/a.txt", 5));
    // The platform's limit counts bytes: 4095 of them and the terminating zero.
    const std::u16string longest = u"/" + std::u16string(kMaxPathBytes - 2, u'x');
    RememberCurrentBook(recent, Book(longest + u"y", 6));
    RememberCurrentBook(recent, Book(u"/" + std::u16string(kMaxPathBytes / 2, u'я'), 6));
    RememberCurrentBook(recent, Book(u"/books/two\nlines.txt", 7));
    CurrentBook folder = Book(u"/books/b.txt", 8);
    folder.browseFolder = u"/books/\r";
    RememberCurrentBook(recent, folder);
    EXPECT_EQ(recent.entries[0].bookPath, u"/books/a.txt");
    EXPECT_EQ(recent.entries[1].bookPath, u"");
    RememberCurrentBook(recent, Book(longest, 9));
    EXPECT_EQ(recent.entries[0].bookPath, longest);
}

// Sixteen paths and folders of 4095 bytes each, in folders named in an old code page (cp1251
// bytes, which are no UTF-8) and long Cyrillic names: 131,000 bytes.
TEST(RecentFiles, AFullListOfDeepPathsInOldCodePagesSurvivesASave) {
    auto longPath = [](int i, char16_t letter) {
        const std::u16string p =
            u"/" + Utf8ToUtf16(std::to_string(i)) + PathFromBytes("\xCA\xED\xE8\xE3\xE0/");
        return p + std::u16string((kMaxPathBytes - 1 - p.size()) / 2, letter);
    };
    RecentFiles recent, back;
    for (int i = 0; i < kRecentCount; ++i) {
        CurrentBook b = Book(longPath(i, u'к'), 100 + i, 5000 + i, 20866);
        b.browseFolder = longPath(i, u'п');
        RememberCurrentBook(recent, b);
    }
    test::ScratchDir dir;
    SettingsStore store;
    RecentStore(store, dir.path());
    SaveRecentFiles(recent, store);
    ASSERT_EQ(Save(store), 1);
    EXPECT_GT(test::ReadBytes(dir.path() + "/_recent.files.ini").size(), 130000u);
    RecentStore(store, dir.path());
    LoadRecentFiles(back, store, IsListedCodePage);
    EXPECT_EQ(store.Dirty, 0);
    for (int i = 0, j = 15; i < kRecentCount; ++i, --j) {
        const RecentEntry& e = back.entries[i];
        EXPECT_EQ(std::tie(e.bookPath, e.folder, e.position, e.size, e.codePage),
                  std::make_tuple(longPath(j, u'к'), longPath(j, u'п'), 100 + j, 5000 + j, 20866));
    }
}

}  // namespace
}  // namespace lectra
