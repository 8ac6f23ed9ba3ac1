// Desktop habits: the window's title, the shortcuts and the menus that show them.
#include "dialogs/bookmarks.h"
#include "platform/command_ids.h"
#include "platform/qt/qt_window_keys.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

std::vector<MenuItem>& shown = test::shownMenu;

class DesktopHabits : public test::Reader {
protected:
    App& Begin(const std::string& book) {
        Start(book);
        app->host.popUpMenu = test::RecordMenu;
        return *app;
    }
    const MenuItem* Item(uint32_t command) const {
        for (const MenuItem& item : shown) {
            if (item.command == static_cast<int>(command)) return &item;
        }
        return nullptr;
    }
};

TEST_F(DesktopHabits, TheWindowIsNamedAfterTheBook) {
    Begin(test::Sample("ru-story.fb2"));
    // The book's title and its author, from its own head when the catalogue does not know it.
    EXPECT_EQ(app->bookTitle, u"Последний рейс парома — Варвара Андреевна Ольховская — Lectra");
    OpenBookInWindow(*app, Utf8ToUtf16(test::Sample("en-story.html")));
    EXPECT_EQ(app->bookTitle, u"The Clock at Wrenfield Halt — Lectra");
}

// The desktop's keys as the reader gets them: commands for the shortcuts, and the paging keys
// as Page Down and Page Up (never as arrows), with Ctrl the chapters.
TEST_F(DesktopHabits, TheShortcutsPeopleTryFirstAndTheMenusThatShowThem) {
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, none = Qt::NoModifier;
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        KeyKind kind;
        int code;
    } keys[] = {
        {Qt::Key_F, ctrl, KeyKind::kCommand, kCmdFind},
        {Qt::Key_G, ctrl, KeyKind::kCommand, kCmdFindNext},
        {Qt::Key_L, ctrl, KeyKind::kCommand, kCmdGoTo},
        {Qt::Key_D, ctrl, KeyKind::kCommand, kCmdAddBookmark},
        {Qt::Key_B, ctrl, KeyKind::kCommand, kCmdOpenBookmark},
        {Qt::Key_Plus, ctrl, KeyKind::kCommand, kCmdIncSize},
        {Qt::Key_Minus, ctrl, KeyKind::kCommand, kCmdDecSize},
        {Qt::Key_T, ctrl, KeyKind::kCommand, kCmdContents},
        {Qt::Key_N, ctrl, KeyKind::kCommand, kCmdNotes},
        {Qt::Key_PageDown, ctrl, KeyKind::kCommand, kCmdNextChapter},
        {Qt::Key_PageUp, ctrl, KeyKind::kCommand, kCmdPreviousChapter},
        {Qt::Key_Home, ctrl, KeyKind::kCommand, kCmdFileStart},
        {Qt::Key_End, ctrl, KeyKind::kCommand, kCmdFileEnd},
        {Qt::Key_End, none, KeyKind::kCommand, kCmdFileEnd},
        {Qt::Key_F1, none, KeyKind::kCommand, kCmdKeys},
        {Qt::Key_Escape, none, KeyKind::kCommand, kCmdLeaveFullScreen},
        {Qt::Key_PageDown, none, KeyKind::kKey, kVkPageDown},
        {Qt::Key_Space, none, KeyKind::kKey, kVkPageDown},
        {Qt::Key_Space, Qt::ShiftModifier, KeyKind::kKey, kVkPageUp},
        {Qt::Key_Down, none, KeyKind::kKey, kVkDown},
    };
    for (const auto& k : keys) {
        const KeyTranslation t = TranslateKey(k.key, k.modifiers);
        EXPECT_EQ(t.kind, k.kind) << std::hex << k.key;
        EXPECT_EQ(t.code, k.code) << std::hex << k.key;
    }

    Begin("");
    ASSERT_EQ(app->bookOpen, 0);
    Send(kMsgCommand, kCmdActionsMenu);
    ASSERT_NE(Item(kCmdFind), nullptr);
    EXPECT_EQ(std::u16string(Item(kCmdFind)->shortcut), u"Ctrl+F");
    EXPECT_TRUE(Item(kCmdFind)->disabled);
    EXPECT_FALSE(Item(kCmdRotate)->disabled);
    OpenBookInWindow(*app, Utf8ToUtf16(test::Sample("en-story.txt")));
    Send(kMsgCommand, kCmdActionsMenu);
    EXPECT_FALSE(Item(kCmdFind)->disabled);
    // Escape leaves full screen; F1 lists the keys and what each binding does now.
    SetFullScreen(*app, 1);
    Send(kMsgCommand, kCmdLeaveFullScreen);
    EXPECT_EQ(app->fullScreen, 0);
    test::messages.clear();
    Send(kMsgCommand, kCmdKeys);
    ASSERT_EQ(test::messages.size(), 1u);
    EXPECT_NE(test::messages[0].find(u"Ctrl+F find"), std::u16string::npos);
    EXPECT_NE(test::messages[0].find(u"Down: Next page (autoscroll faster)"), std::u16string::npos);
}

TEST_F(DesktopHabits, BookmarksAreDeletedOneAtATimeAndNamedByWholeWords) {
    const std::string book = Copy("b.txt", test::Sample("en-story.txt"));
    Start(book, test::Scripted);
    const std::u16string file = Utf8ToUtf16(dir.path()) + u"/" + kBookmarksFileName;
    for (const char16_t* name : {u"one", u"two", u"three"}) {
        Bookmark b;
        b.path = Utf8ToUtf16(book);
        b.name = name;
        ASSERT_TRUE(AppendBookmark(file, b));
    }
    Bookmark other;
    other.path = u"/elsewhere/other.txt";
    other.name = u"other's";
    ASSERT_TRUE(AppendBookmark(file, other));
    Run(kCmdOpenBookmark, [](PlatformDialog* d) {
        ListSelect(d, kCtlList, 1);
        SendDialogCommand(d, kCtlList, kListDelete);
        EXPECT_EQ(test::Lines(d, kCtlList), (std::vector<std::u16string>{u"0% one", u"0% three"}));
        EXPECT_EQ(ListSelection(d, kCtlList), 1);
    });
    std::vector<std::u16string> names;
    for (const Bookmark& b : BookBookmarks(file, Utf8ToUtf16(book))) names.push_back(b.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"one", u"three"}));
    EXPECT_EQ(BookBookmarks(file, u"/elsewhere/other.txt").size(), 1u);
    // The suggested name: no leading spaces, white space folded, cut at a word's end.
    const std::u16string name = SuggestedBookmarkName(*app->doc, 0);
    EXPECT_EQ(name.substr(0, 14), u"The Clock at W");
    EXPECT_NE(name.front(), u' ');
    EXPECT_NE(name.back(), u' ');
    EXPECT_EQ(name.find(u"  "), std::u16string::npos);
}

TEST_F(DesktopHabits, AToggleSaysWhatItDidOverThePageForAMoment) {
    Begin(test::Sample("en-story.txt"));
    const int hyphen = app->session.settings.hyphen;
    const std::vector<uint32_t> before = Screen();
    Press(0x38);  // "8": hyphenation
    EXPECT_EQ(app->layout.note, hyphen ? u"Hyphenation off" : u"Hyphenation on");
    EXPECT_NE(Screen(), before);
    Send(kMsgTimer, kNoteTimer);
    EXPECT_TRUE(app->layout.note.empty());
    test::fakeNow += 1000;
    Press(0x38);  // back as it was: the page is as before, with no note left on it
    Send(kMsgTimer, kNoteTimer);
    EXPECT_EQ(Screen(), before);
}

}  // namespace
}  // namespace lectra
