// Chapters and notes in the window: the contents dialog, stepping through the contents, showing
// and following notes.
#include <algorithm>

#include "document/contents.h"
#include "document/notes.h"
#include "document/text_cache.h"
#include "layout/page_hit.h"
#include "platform/command_ids.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

using test::scripts;

class NotesWindow : public test::Reader {
protected:
    App& Begin(const std::string& book) { return Start(book, test::Scripted); }
    // The page starts at the paragraph mark before the title: nothing visible between.
    void ExpectPageAtTitle(const ContentsEntry& e) {
        Document& doc = *app->doc;
        ASSERT_LE(PageStart(), e.position) << Utf16ToUtf8(e.title);
        for (int32_t p = PageStart(); p < e.position; ++p) EXPECT_LT(GetChar(doc, p), 33);
        EXPECT_EQ(GetChar(doc, e.position), e.title[0]) << Utf16ToUtf8(e.title);
    }
    // A point of the window over the reference's text, found through the laid-out page.
    bool PointOver(const NoteRef& ref, int* x, int* y) {
        for (*y = 0; *y < app->windowRect.bottom; *y += 2) {
            for (*x = 0; *x < app->windowRect.right; *x += 2) {
                int32_t from = 0, to = 0;
                const int32_t p = PositionAtPoint(app->layout, *app->doc, *x, *y, &from, &to);
                if (p >= ref.start && p < ref.end) return true;
            }
        }
        return false;
    }
};

TEST_F(NotesWindow, TheContentsOpenAtThePagesChapterAndGoToAnEntryAsAJump) {
    Begin(test::Sample("en-story.html"));
    const std::vector<ContentsEntry> entries = BookContents(*app->doc);
    ASSERT_GE(entries.size(), 5u);
    // Somewhere inside the third chapter's text.
    app->doc->pageStart = entries[3].position + 200;
    Refresh(*app);
    const int32_t reading = PageStart();
    int listed = 0, selected = -1;
    Run(kCmdContents, [&](PlatformDialog* d) {
        listed = ListCount(d, kCtlContentsList);
        selected = ListSelection(d, kCtlContentsList);
        ListSelect(d, kCtlContentsList, 5);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    EXPECT_EQ(listed, static_cast<int>(entries.size()));
    EXPECT_EQ(selected, 3);
    ExpectPageAtTitle(entries[5]);
    // Previous returns to the page that was being read, Next goes to the chapter again.
    const int32_t chapter = PageStart();
    Send(kMsgCommand, kCmdJumpPrevious);
    EXPECT_EQ(PageStart(), reading);
    Send(kMsgCommand, kCmdJumpNext);
    EXPECT_EQ(PageStart(), chapter);

    // Cancel leaves the page as it was.
    Run(kCmdContents, [](PlatformDialog* d) {
        ListSelect(d, kCtlContentsList, 1);
        SendDialogCommand(d, kCmdRightSoftKey);
    });
    EXPECT_EQ(PageStart(), chapter);
}

TEST_F(NotesWindow, ChapterKeysAndButtonsStepThroughTheContents) {
    Begin(test::Fixture("en-nested.fb2"));
    const std::vector<ContentsEntry> entries = BookContents(*app->doc);
    ASSERT_GE(entries.size(), 7u);
    // Each entry from the first page on, in order; the book's title is on the first page.
    const int32_t first = FirstVisibleAt(*app->doc, PageStart(), 64);
    size_t i = 0;
    while (i < entries.size() && entries[i].position <= first) ++i;
    Bind('1', kActionNextChapter);  // every other step by a key given the action
    for (; i < entries.size(); ++i) {
        i % 2 ? Press('1') : Send(kMsgCommand, kCmdNextChapter);
        ExpectPageAtTitle(entries[i]);
    }
    // Past the last chapter nothing moves, and the page says why.
    const int32_t last = PageStart();
    Send(kMsgCommand, kCmdNextChapter);
    EXPECT_EQ(PageStart(), last);
    EXPECT_EQ(app->layout.note, u"No next chapter");
    // Back again from the middle of the last chapter: its own title first.
    app->doc->pageStart = entries.back().position + 300;
    Refresh(*app);
    Send(kMsgCommand, kCmdPreviousChapter);
    ExpectPageAtTitle(entries.back());
    Send(kMsgCommand, kCmdPreviousChapter);
    ExpectPageAtTitle(entries[entries.size() - 2]);
}

TEST_F(NotesWindow, AClickOnANotesMarkShowsItsTextAndGoToNoteIsAJump) {
    for (const char* book : {"en-nested.fb2", "en-notes-pandoc.epub"}) {
        Begin(test::Fixture(book));
        const std::vector<NoteRef> notes = app->doc->notes;
        ASSERT_EQ(notes.size(), 4u) << book;
        for (const NoteRef& ref : notes) {
            app->doc->pageStart = std::max(ref.start - 100, 0);
            Refresh(*app);
            const int32_t reading = PageStart();
            int x = 0, y = 0;
            ASSERT_TRUE(PointOver(ref, &x, &y)) << ref.start;
            std::u16string shown;
            scripts.push_back([&](PlatformDialog* d) {
                shown = ControlText(d, kCtlNoteText);
                SendDialogCommand(d, kCmdLeftSoftKey);
            });
            test::dialogs.clear();
            Tap(x, y);
            ASSERT_EQ(test::dialogs, std::vector<int>{kTemplateNote}) << ref.start;
            EXPECT_EQ(shown, NoteText(*app->doc, ref, kMaxNoteText, 1));
            EXPECT_FALSE(shown.empty());
            // "Go to note": the page shows the note, and Previous comes back.
            EXPECT_LE(PageStart(), ref.target);
            EXPECT_GT(app->doc->pageEnd, ref.target);
            Send(kMsgCommand, kCmdJumpPrevious);
            EXPECT_EQ(PageStart(), reading);
        }
        Stop();
    }
}

// The window finds a plain-text book's chapters in a worker over an opening of its own: the same
// entries at the same positions as the store finds them itself, in an archive too.
TEST_F(NotesWindow, APlainTextsChaptersFoundByTheWorkerAreTheStoresOwn) {
    for (const char* book :
         {"ru-cp1251.txt", "ru-cp1251.txt.zip", "ru-utf8-bom-crlf.txt", "ru-utf16le-bom.txt"}) {
        Begin(test::Fixture(book));
        ASSERT_NE(app->doc->hooks.findContents, nullptr);
        EXPECT_TRUE(app->doc->contents.empty());
        const std::vector<ContentsEntry> found = BookContents(*app->doc);
        EXPECT_EQ(app->opening, 0);
        test::OpenedBook alone;
        ASSERT_EQ(test::Open(*alone, test::Fixture(book)), 1);
        auto entries = [](const std::vector<ContentsEntry>& c) {
            std::vector<std::pair<std::u16string, int32_t>> out;
            for (const ContentsEntry& e : c) out.emplace_back(e.title, e.position);
            return out;
        };
        EXPECT_EQ(found.size(), 2u) << book;
        EXPECT_EQ(entries(found), entries(BookContents(*alone))) << book;
        Stop();
    }
}

}  // namespace
}  // namespace lectra
