// The open book's bookmarks reach the page on the next paint; another book's never do.
#include "dialogs/bookmarks.h"
#include "platform/command_ids.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

class BookmarkMarksWindow : public test::Reader {
protected:
    // A book of 3000 numbered words in the scratch folder.
    std::string Book(const std::string& name) {
        std::string text;
        for (int i = 0; i < 3000; ++i) text += "word" + std::to_string(i) + " ";
        return dir.Write(name, text);
    }
};

// Bookmarks written to the file reach the page on the next paint (another book's never), and
// adding, deleting and clearing through the reader's own dialogs shows at once.
TEST_F(BookmarkMarksWindow, TheOpenBooksBookmarksReachTheStatusLineAndTheBar) {
    Book("other.txt");
    Start(Book("book.txt"), test::Scripted);
    ASSERT_EQ(app->bookOpen, 1);
    const std::u16string file = Utf8ToUtf16(dir.path()) + u"/" + kBookmarksFileName;
    const std::u16string book = app->doc->bookPath;
    EXPECT_EQ(app->layout.status.bookmarkHere, 0);
    Run(kCmdAddBookmark, [](PlatformDialog* d) { SendDialogCommand(d, kCmdLeftSoftKey); });
    EXPECT_EQ(app->layout.status.bookmarkHere, 1);
    EXPECT_EQ(app->layout.bookmarks, std::vector<int32_t>{PageStart()});
    Run(kCmdOpenBookmark, [](PlatformDialog* d) {
        SendDialogCommand(d, kCtlList, kListDelete);  // the only one: the list closes
    });
    EXPECT_EQ(app->layout.status.bookmarkHere, 0);
    EXPECT_TRUE(app->layout.bookmarks.empty());

    Press(kVkPageDown);
    const int32_t here = PageStart();
    const int32_t length = DocLength(*app->doc);
    ASSERT_TRUE(AppendBookmark(file, {book, u"here", here, length}));
    ASSERT_TRUE(AppendBookmark(file, {book, u"near the end", length - 10, length}));
    ASSERT_TRUE(AppendBookmark(file, {Utf8ToUtf16(dir.path() + "/other.txt"), u"x", 0, length}));
    Repaint(*app);
    EXPECT_EQ(app->layout.bookmarks, (std::vector<int32_t>{here, length - 10}));
    EXPECT_EQ(app->layout.status.bookmarkHere, 1);
    Press(kVkPageDown);
    EXPECT_EQ(app->layout.status.bookmarkHere, 0);
    EXPECT_EQ(app->layout.status.bookmarkPercents.size(), 2u);
    ASSERT_TRUE(RemoveBookmark(file, book, 1));
    Repaint(*app);
    EXPECT_EQ(app->layout.bookmarks, std::vector<int32_t>{here});
    Send(kMsgCommand, kCmdClearBookmarks);  // the question is answered yes
    EXPECT_TRUE(app->layout.bookmarks.empty());
    EXPECT_TRUE(test::scripts.empty());
}

}  // namespace
}  // namespace lectra
