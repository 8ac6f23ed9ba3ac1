// A book opened, moved and remembered through the recent list reopens where the reader left it.
#include "app/book_session.h"

#include <gtest/gtest.h>

#include "document/jump_history.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

struct Fixture {
    ScratchDir dir;
    std::u16string folder = Utf8ToUtf16(dir.path());
    // Books are copied so that a test may edit them.
    std::u16string Book(const std::string& name, const std::string& fixture) {
        return Utf8ToUtf16(dir.Write(name, test::ReadBytes(test::Fixture(fixture))));
    }
};

TEST(BookSession, ABookReopensAtItsPositionAfterARestart) {
    Fixture f;
    const std::u16string book = f.Book("ru.txt", "ru-cp1251.txt");
    int32_t position = 0, length = 0;
    {
        SettingsSession session;
        LoadSettingsSession(session, f.folder);
        EXPECT_EQ(session.recent.entries[0].folder, u"");  // nothing to reopen on a first run
        auto doc = NewDocument();
        ASSERT_EQ(OpenBookWithRecent(*doc, book.c_str(), 0, session.recent, session.settings), 1);
        EXPECT_EQ(doc->pageStart, 0);
        EXPECT_EQ(doc->bookCodePage, 1251);  // detected: "CODE_PAGE" is automatic by default
        length = DocLength(*doc);
        JumpTo(*doc, length / 2);
        position = doc->pageStart;
        ASSERT_GT(position, 0);
        ASSERT_EQ(SaveSettingsSession(session, doc.get(), f.folder), 1);
        CloseDocument(*doc);
    }
    SettingsSession session;
    LoadSettingsSession(session, f.folder);
    const RecentEntry& head = session.recent.entries[0];
    EXPECT_EQ(head.bookPath, book);
    EXPECT_EQ(head.folder, f.folder);
    EXPECT_EQ(head.position, position);
    EXPECT_EQ(head.size, length);
    EXPECT_EQ(head.codePage, 1251);

    // The remembered code page wins over a "CODE_PAGE" setting changed since.
    session.settings.codePage = 866;
    auto doc = NewDocument();
    ASSERT_EQ(OpenBookWithRecent(*doc, head.bookPath.c_str(), 0, session.recent, session.settings),
              1);
    EXPECT_EQ(doc->pageStart, position);
    EXPECT_EQ(doc->bookCodePage, 1251);
    // The reopen flag ignores the list: the setting applies and reading starts at 0.
    ASSERT_EQ(OpenBookWithRecent(*doc, nullptr, 1, session.recent, session.settings), 1);
    EXPECT_EQ(doc->pageStart, 0);
    EXPECT_EQ(doc->bookCodePage, 866);
}

TEST(BookSession, MovingBetweenBooksKeepsEachPosition) {
    Fixture f;
    const std::u16string ru = f.Book("ru.txt", "ru-cp1251.txt");
    const std::u16string en = f.Book("en.txt", "en-cp1252.txt");
    SettingsSession session;
    LoadSettingsSession(session, f.folder);
    auto doc = NewDocument();
    ASSERT_EQ(OpenBookWithRecent(*doc, ru.c_str(), 0, session.recent, session.settings), 1);
    JumpTo(*doc, 3000);
    const int32_t ruPosition = doc->pageStart;
    // Opening another book remembers the one being left first, as the file browser does.
    RememberCurrentBook(session.recent, *doc, f.folder);
    ASSERT_EQ(OpenBookWithRecent(*doc, en.c_str(), 0, session.recent, session.settings), 1);
    EXPECT_EQ(doc->pageStart, 0);
    JumpTo(*doc, 2000);
    const int32_t enPosition = doc->pageStart;
    RememberCurrentBook(session.recent, *doc, f.folder);
    EXPECT_EQ(session.recent.entries[0].bookPath, en);
    EXPECT_EQ(session.recent.entries[1].bookPath, ru);

    ASSERT_EQ(OpenBookWithRecent(*doc, ru.c_str(), 0, session.recent, session.settings), 1);
    EXPECT_EQ(doc->pageStart, ruPosition);
    RememberCurrentBook(session.recent, *doc, f.folder);
    EXPECT_EQ(session.recent.entries[0].bookPath, ru);  // moved to the front, not added twice
    EXPECT_EQ(session.recent.entries[1].bookPath, en);
    EXPECT_EQ(session.recent.entries[2].bookPath, u"");
    ASSERT_EQ(OpenBookWithRecent(*doc, en.c_str(), 0, session.recent, session.settings), 1);
    EXPECT_EQ(doc->pageStart, enPosition);
}

TEST(BookSession, AnEditedBookOpensAtItsStart) {
    Fixture f;
    const std::u16string book = f.Book("ru.txt", "ru-cp1251.txt");
    SettingsSession session;
    LoadSettingsSession(session, f.folder);
    auto doc = NewDocument();
    ASSERT_EQ(OpenBookWithRecent(*doc, book.c_str(), 0, session.recent, session.settings), 1);
    JumpTo(*doc, 4000);
    ASSERT_GT(doc->pageStart, 0);
    ASSERT_EQ(SaveSettingsSession(session, doc.get(), f.folder), 1);
    CloseDocument(*doc);
    f.dir.Write("ru.txt", test::ReadBytes(test::Fixture("ru-cp1251.txt")) + "\xC5\xF9\xB8");

    SettingsSession next;
    LoadSettingsSession(next, f.folder);
    ASSERT_EQ(OpenBookWithRecent(*doc, book.c_str(), 0, next.recent, next.settings), 1);
    EXPECT_EQ(doc->pageStart, 0);
    EXPECT_EQ(doc->bookCodePage, 1251);
}

TEST(BookSession, AnUnknownRememberedCodePageFallsToDetection) {
    Fixture f;
    const std::u16string book = f.Book("ru.txt", "ru-cp1251.txt");
    auto doc = NewDocument();
    ASSERT_EQ(test::Open(*doc, Utf16ToUtf8(book), 1251), 1);
    const std::u16string text = test::ReadAll(*doc);
    const int32_t length = DocLength(*doc);
    f.dir.Write("_recent.files.ini", "FILE_NAME_0=" + Utf16ToUtf8(book) +
                                         "\r\nFILE_POS_0=100\r\nFILE_SIZE_0=" +
                                         std::to_string(length) + "\r\nFILE_CP_0=1234\r\n#");
    SettingsSession session;
    LoadSettingsSession(session, f.folder);
    EXPECT_EQ(session.recent.entries[0].codePage, -1);
    // −1 is no code page: read as one, every Cyrillic letter would come out as "?".
    ASSERT_EQ(OpenBookWithRecent(*doc, book.c_str(), 0, session.recent, session.settings), 1);
    EXPECT_EQ(doc->bookCodePage, 1251);
    EXPECT_TRUE(test::ReadAll(*doc) == text);
    EXPECT_EQ(doc->pageStart, 100);
}

TEST(BookSession, OnlyAnOpenBookIsRemembered) {
    Fixture f;
    const std::u16string book = f.Book("ru.txt", "ru-cp1251.txt");
    SettingsSession session;
    LoadSettingsSession(session, f.folder);
    auto doc = NewDocument();
    RememberCurrentBook(session.recent, *doc, f.folder);  // nothing opened yet
    EXPECT_EQ(session.recent.entries[0].bookPath, u"");
    EXPECT_EQ(OpenBookWithRecent(*doc, (f.folder + u"/missing.txt").c_str(), 0, session.recent,
                                 session.settings),
              0);
    RememberCurrentBook(session.recent, *doc, f.folder);
    EXPECT_EQ(session.recent.entries[0].bookPath, u"");

    ASSERT_EQ(OpenBookWithRecent(*doc, book.c_str(), 0, session.recent, session.settings), 1);
    JumpTo(*doc, 2000);
    RememberCurrentBook(session.recent, *doc, f.folder);
    const RecentEntry remembered = session.recent.entries[0];
    ASSERT_GT(remembered.position, 0);
    // A closed book has lost its length and position; recording it would lose the place.
    CloseDocument(*doc);
    RememberCurrentBook(session.recent, *doc, f.folder);
    EXPECT_EQ(session.recent.entries[0].position, remembered.position);
    EXPECT_EQ(session.recent.entries[0].size, remembered.size);
    ASSERT_EQ(SaveSettingsSession(session, nullptr, f.folder), 1);
}

}  // namespace
}  // namespace lectra
