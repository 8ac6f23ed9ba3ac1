// The recent books: loading with defaults, the move-to-front rules, case-sensitive paths, and a
// full list of long paths surviving a save.
#include "settings/recent_files.h"

#include <gtest/gtest.h>

#include <string>

#include "document/encoding.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

SettingsStore StoreOf(const std::string& text) {
    SettingsStore store;
    store.capacity = kRecentCapacity;
    store.entries.resize(kRecentCapacity);
    LoadFromBytes(store, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    store.Dirty = 0;
    return store;
}

CurrentBook Book(const std::u16string& path, int32_t position, int32_t length = 1000,
                 int32_t codePage = 1251) {
    CurrentBook b;
    b.isOpen = 1;
    b.bookPath = path;
    b.browseFolder = u"/books";
    b.docLength = length;
    b.codePage = codePage;
    b.pageStart = position;
    return b;
}

std::u16string Name(int i) {
    return u"/books/" + Utf8ToUtf16(std::to_string(i)) + u".txt";
}

TEST(RecentFiles, LoadsDefaultsAndAddsEveryKeyInFileOrder) {
    SettingsStore store = StoreOf("");
    RecentFiles recent;
    LoadRecentFiles(recent, store, IsListedCodePage);
    EXPECT_EQ(recent.entries[0].folder, u"");  // nothing to reopen
    EXPECT_EQ(recent.entries[15].codePage, 1252);
    EXPECT_EQ(store.count, 96);
    const char* firstKeys[] = {"FILE_NAME_0", "ZIP_FILE_NAME_0", "FILE_PATH_0", "FILE_POS_0",
                               "FILE_SIZE_0", "FILE_CP_0",       "FILE_NAME_1"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Utf16ToUtf8(store.entries[i].key), firstKeys[i]);
    EXPECT_EQ(Utf16ToUtf8(store.entries[95].key), "FILE_CP_15");
    EXPECT_EQ(Utf16ToUtf8(store.entries[95].value), "1252");
}

TEST(RecentFiles, StoredCodePagesMustBeOnTheList) {
    SettingsStore store =
        StoreOf("FILE_CP_0=1234\nFILE_CP_1=866\nFILE_CP_2=0\nFILE_CP_3=-1\nFILE_CP_4=16777215\n");
    RecentFiles recent;
    LoadRecentFiles(recent, store, IsListedCodePage);
    EXPECT_EQ(recent.entries[0].codePage, -1);
    EXPECT_EQ(recent.entries[1].codePage, 866);
    EXPECT_EQ(recent.entries[2].codePage, -1);
    EXPECT_EQ(recent.entries[3].codePage, -1);
    EXPECT_EQ(recent.entries[4].codePage, 16777215);
    EXPECT_EQ(recent.entries[5].codePage, 1252);
}

TEST(RecentFiles, TheSeventeenthBookDropsTheOldest) {
    RecentFiles recent;
    for (int i = 0; i < 17; ++i) RememberCurrentBook(recent, Book(Name(i), i * 10));
    for (int i = 0; i < kRecentCount; ++i) {
        EXPECT_EQ(recent.entries[i].bookPath, Name(16 - i));
        EXPECT_EQ(recent.entries[i].position, (16 - i) * 10);
    }
    EXPECT_EQ(FindRecentBook(recent, Name(0)), -1);
}

TEST(RecentFiles, AReopenedBookMovesToTheFrontAndZipNamesStayInTheirSlots) {
    RecentFiles recent;
    for (int i = 5; i >= 0; --i) RememberCurrentBook(recent, Book(Name(i), i));
    for (int i = 0; i < 6; ++i)
        recent.entries[i].zipName = u"slot" + Utf8ToUtf16(std::to_string(i));
    // Book 2 is third; reading it moves it to the head at its new place, 0 and 1 shift down.
    RememberCurrentBook(recent, Book(Name(2), 777, 2000, 866));
    const int order[] = {2, 0, 1, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(recent.entries[i].bookPath, Name(order[i])) << i;
        EXPECT_EQ(recent.entries[i].zipName, u"slot" + Utf8ToUtf16(std::to_string(i)));
    }
    EXPECT_EQ(recent.entries[0].position, 777);
    EXPECT_EQ(recent.entries[0].size, 2000);
    EXPECT_EQ(recent.entries[0].codePage, 866);
    EXPECT_EQ(recent.entries[1].position, 0);
    EXPECT_EQ(recent.entries[2].position, 1);
    EXPECT_EQ(recent.entries[3].position, 3);
    EXPECT_EQ(recent.entries[6].bookPath, u"");

    // Remembering the head again changes it in place.
    RememberCurrentBook(recent, Book(Name(2), 778));
    EXPECT_EQ(recent.entries[0].position, 778);
    EXPECT_EQ(recent.entries[1].bookPath, Name(0));
    // With no book open nothing moves.
    CurrentBook closed = Book(Name(9), 1);
    closed.isOpen = 0;
    RememberCurrentBook(recent, closed);
    EXPECT_EQ(recent.entries[0].bookPath, Name(2));
}

TEST(RecentFiles, PathsDifferingOnlyInCaseAreTwoBooks) {
    RecentFiles recent;
    RememberCurrentBook(recent, Book(u"/books/Book.txt", 5));
    RememberCurrentBook(recent, Book(u"/books/book.txt", 6));
    EXPECT_EQ(FindRecentBook(recent, u"/books/Book.txt"), 1);
    EXPECT_EQ(FindRecentBook(recent, u"/books/book.txt"), 0);
    EXPECT_EQ(FindRecentBook(recent, u"/BOOKS/BOOK.TXT"), -1);
}

TEST(RecentFiles, PathsTheFileCannotHoldAreNotRecorded) {
    RecentFiles recent;
    RememberCurrentBook(recent, Book(u"/books/a.txt", 5));
    const std::u16string longest = u"/" + std::u16string(kMaxValueChars - 1, u'x');
    const std::u16string tooLong = longest + u"y";
    RememberCurrentBook(recent, Book(tooLong, 6));  // would load back as `longest`
    RememberCurrentBook(recent, Book(u"/books/two\nlines.txt", 7));
    CurrentBook folder = Book(u"/books/b.txt", 8);
    folder.browseFolder = u"/books/\r";
    RememberCurrentBook(recent, folder);
    EXPECT_EQ(recent.entries[0].bookPath, u"/books/a.txt");
    EXPECT_EQ(recent.entries[1].bookPath, u"");
    RememberCurrentBook(recent, Book(longest, 9));
    EXPECT_EQ(recent.entries[0].bookPath, longest);
}

TEST(RecentFiles, AFullListOfLongPathsSurvivesASave) {
    // Sixteen books with 259-character Cyrillic paths and folders: about 9,000 counted characters
    // and 17,000 bytes, more than a save or a load of the old 8192/16383 limits kept.
    ScratchDir dir;
    const std::u16string folder = Utf8ToUtf16(dir.path());
    SettingsStore store;
    CreateSettingsStore(store, folder, kRecentFileName, kRecentCapacity);
    RecentFiles recent;
    LoadRecentFiles(recent, store, IsListedCodePage);
    auto longPath = [](int i, char16_t letter) {
        std::u16string p = u"/" + Utf8ToUtf16(std::to_string(i)) + u"/";
        p += std::u16string(kMaxValueChars - p.size(), letter);
        return p;
    };
    for (int i = 0; i < kRecentCount; ++i) {
        CurrentBook b = Book(longPath(i, u'\u043A'), 100 + i, 5000 + i, 20866);
        b.browseFolder = longPath(i, u'\u043F');
        RememberCurrentBook(recent, b);
    }
    SaveRecentFiles(recent, store);
    ASSERT_EQ(Save(store), 1);
    EXPECT_GT(test::ReadBytes(dir.path() + "/_recent.files.ini").size(), 16383u);

    SettingsStore again;
    CreateSettingsStore(again, folder, kRecentFileName, kRecentCapacity);
    RecentFiles back;
    LoadRecentFiles(back, again, IsListedCodePage);
    for (int i = 0; i < kRecentCount; ++i) {
        const RecentEntry& e = back.entries[i];
        EXPECT_EQ(e.bookPath, recent.entries[i].bookPath) << i;
        EXPECT_EQ(e.folder, recent.entries[i].folder) << i;
        EXPECT_EQ(e.position, 100 + 15 - i);
        EXPECT_EQ(e.size, 5000 + 15 - i);
        EXPECT_EQ(e.codePage, 20866);
    }
    EXPECT_EQ(again.Dirty, 0);
}

}  // namespace
}  // namespace lectra
