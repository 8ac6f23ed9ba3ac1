// A book opened, moved and remembered through the recent list reopens where the reader left it.
#include "shell/book_session.h"

#include <gtest/gtest.h>

#include "document/jump_history.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

// A scratch program folder holding copies of two books, and the settings loaded from it.
struct Session {
    test::ScratchDir dir;
    std::u16string folder = Utf8ToUtf16(dir.path());
    std::u16string ru = Book("ru.txt", "ru-cp1251.txt"), en = Book("en.txt", "en-cp1252.txt");
    SettingsSession s;
    std::unique_ptr<Document> doc = NewDocument();
    Session() { Load(); }
    std::u16string Book(const std::string& name, const std::string& fixture) {
        return Utf8ToUtf16(dir.Write(name, test::ReadBytes(test::Fixture(fixture))));
    }
    void Load() {
        s = SettingsSession();
        LoadSettingsSession(s, folder);
    }
    int Open(const std::u16string& path) {
        return OpenBookWithRecent(*doc, path.c_str(), 0, s.recent, s.settings);
    }
    // Moves to about `position` and returns where the page starts.
    int32_t Read(const std::u16string& path, int32_t position) {
        EXPECT_EQ(Open(path), 1);
        JumpTo(*doc, position);
        EXPECT_GT(doc->pageStart, 0);
        return doc->pageStart;
    }
};

// After a restart a book reopens at its place in the code page it was read in, even with
// "CODE_PAGE" changed since; an edited book (its length no longer the one remembered) at its start.
TEST(BookSession, BooksReopenAtTheirPlacesInTheirCodePagesUnlessEdited) {
    Session t;
    const int32_t ruPosition = t.Read(t.ru, 3000);
    EXPECT_EQ(t.doc->bookCodePage, 1251);  // detected: "CODE_PAGE" is automatic by default
    // Opening another book remembers the one being left first, as the file browser does.
    RememberCurrentBook(t.s.recent, *t.doc, t.folder);
    const int32_t enPosition = t.Read(t.en, 2000);
    ASSERT_EQ(SaveSettingsSession(t.s, t.doc.get(), t.folder), 1);
    CloseDocument(*t.doc);

    t.Load();
    t.s.settings.codePage = 866;
    ASSERT_EQ(t.Open(t.ru), 1);
    EXPECT_EQ(t.doc->pageStart, ruPosition);
    EXPECT_EQ(t.doc->bookCodePage, 1251);
    ASSERT_EQ(t.Open(t.en), 1);
    EXPECT_EQ(t.doc->pageStart, enPosition);
    CloseDocument(*t.doc);
    t.dir.Write("en.txt", test::ReadBytes(test::Fixture("en-cp1252.txt")) + "\xE9t\xE9");
    ASSERT_EQ(t.Open(t.en), 1);
    EXPECT_EQ(t.doc->pageStart, 0);
}

TEST(BookSession, AnUnknownRememberedCodePageFallsToDetection) {
    Session t;
    ASSERT_EQ(test::Open(*t.doc, Utf16ToUtf8(t.ru), 1251), 1);
    const std::u16string text = test::ReadAll(*t.doc);
    t.dir.Write("_recent.files.ini",
                "FILE_NAME_0=" + Utf16ToUtf8(t.ru) + "\r\nFILE_POS_0=100\r\nFILE_SIZE_0=" +
                    std::to_string(DocLength(*t.doc)) + "\r\nFILE_CP_0=1234\r\n#");
    t.Load();
    EXPECT_EQ(t.s.recent.entries[0].codePage, -1);
    // −1 is no code page: read as one, every Cyrillic letter would come out as "?".
    ASSERT_EQ(t.Open(t.ru), 1);
    EXPECT_EQ(t.doc->bookCodePage, 1251);
    EXPECT_TRUE(test::ReadAll(*t.doc) == text);
    EXPECT_EQ(t.doc->pageStart, 100);
}

TEST(BookSession, OnlyAnOpenBookIsRemembered) {
    Session t;
    RememberCurrentBook(t.s.recent, *t.doc, t.folder);  // nothing opened yet
    EXPECT_EQ(t.Open(t.folder + u"/missing.txt"), 0);
    RememberCurrentBook(t.s.recent, *t.doc, t.folder);
    EXPECT_EQ(t.s.recent.entries[0].bookPath, u"");

    t.Read(t.ru, 2000);
    RememberCurrentBook(t.s.recent, *t.doc, t.folder);
    const RecentEntry remembered = t.s.recent.entries[0];
    ASSERT_EQ(remembered.position, t.doc->pageStart);
    // A closed book has lost its length and position; recording it would lose the place.
    CloseDocument(*t.doc);
    RememberCurrentBook(t.s.recent, *t.doc, t.folder);
    const RecentEntry& e = t.s.recent.entries[0];
    EXPECT_EQ(std::tie(e.position, e.size), std::tie(remembered.position, remembered.size));
    ASSERT_EQ(SaveSettingsSession(t.s, nullptr, t.folder), 1);
}

}  // namespace
}  // namespace lectra
