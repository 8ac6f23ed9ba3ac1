// The contents in the window: the dialog on the current entry, the jump, no contents.
#include "dialogs/contents_dialog.h"
#include "document/contents.h"
#include "document/text_cache.h"
#include "platform/command_ids.h"
#include "platform/qt/qt_window_keys.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

using test::Lines;

std::vector<MenuItem>& shown = test::shownMenu;

class ContentsWindow : public test::Reader {
protected:
    App& Begin(const std::string& book) {
        Make(test::Scripted);
        app->host.popUpMenu = test::RecordMenu;
        EXPECT_EQ(CreateAppWindow(*app), 1);
        OpenStartupBook(*app, Utf8ToUtf16(book));
        return *app;
    }
    // The page starts at the paragraph mark before the entry's title: nothing visible between.
    void ExpectPageAtTitle(const ContentsEntry& e) {
        Document& doc = *app->doc;
        ASSERT_LT(PageStart(), e.position) << Utf16ToUtf8(e.title);
        for (int32_t p = PageStart(); p < e.position; ++p) EXPECT_LT(GetChar(doc, p), 33);
        EXPECT_EQ(GetChar(doc, e.position), e.title[0]);
    }
};

TEST_F(ContentsWindow, CtrlTAndTheActionsMenuOpenTheContentsAtThePagesChapter) {
    const KeyTranslation t = TranslateKey(Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(t.kind, KeyKind::kCommand);
    EXPECT_EQ(t.code, static_cast<int>(kCmdContents));

    Begin(test::Sample("en-story.html"));
    Send(kMsgCommand, kCmdActionsMenu);
    const auto item = std::find_if(shown.begin(), shown.end(), [](const MenuItem& m) {
        return m.command == static_cast<int>(kCmdContents);
    });
    ASSERT_NE(item, shown.end());
    EXPECT_EQ(std::u16string(item->text), u"Contents");
    EXPECT_EQ(std::u16string(item->shortcut), u"Ctrl+T");

    const std::vector<ContentsEntry> entries = BookContents(*app->doc);
    ASSERT_GE(entries.size(), 5u);
    // Somewhere inside the third chapter's text.
    app->doc->pageStart = entries[3].position + 200;
    Refresh(*app);
    const int32_t reading = PageStart();
    std::vector<std::u16string> lines;
    int selected = -1;
    Run(kCmdContents, [&](PlatformDialog* d) {
        lines = Lines(d, kCtlContentsList);
        selected = ListSelection(d, kCtlContentsList);
        ListSelect(d, kCtlContentsList, 5);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    ASSERT_EQ(test::dialogs, std::vector<int>{kTemplateContents});
    ASSERT_EQ(lines.size(), entries.size());
    EXPECT_EQ(lines[0], u"The Clock at Wrenfield Halt");
    EXPECT_EQ(lines[1], u"  Chapter One");  // one level below the book's title
    EXPECT_EQ(selected, 3);
    ExpectPageAtTitle(entries[5]);
    // Previous returns to the page that was being read, Next goes to the chapter again.
    const int32_t chapter = PageStart();
    Send(kMsgCommand, kCmdJumpPrevious);
    EXPECT_EQ(PageStart(), reading);
    Send(kMsgCommand, kCmdJumpNext);
    EXPECT_EQ(PageStart(), chapter);

    // A double click on an entry goes there too; Cancel leaves the page as it was.
    Run(kCmdContents, [&](PlatformDialog* d) {
        selected = ListSelection(d, kCtlContentsList);
        ListSelect(d, kCtlContentsList, 1);
        SendDialogCommand(d, kCtlContentsList, kListDoubleClick);
    });
    EXPECT_EQ(selected, 5);  // the chapter just reached
    ExpectPageAtTitle(entries[1]);
    const int32_t before = PageStart();
    Run(kCmdContents, [](PlatformDialog* d) {
        ListSelect(d, kCtlContentsList, 4);
        SendDialogCommand(d, kCmdRightSoftKey);
    });
    EXPECT_EQ(PageStart(), before);
    EXPECT_TRUE(test::messages.empty());
}

TEST_F(ContentsWindow, ABookWithoutContentsSaysSoAndAPlainTextFindsItsChaptersWhenAsked) {
    Begin(test::Fixture("en-lo.rtf"));
    Send(kMsgCommand, kCmdContents);
    EXPECT_TRUE(test::dialogs.empty());
    ASSERT_EQ(test::messages.size(), 1u);
    EXPECT_EQ(test::messages[0], u"No contents");

    OpenBookInWindow(*app, Utf8ToUtf16(test::Fixture("ru-cp1251.txt")));
    EXPECT_TRUE(app->doc->contents.empty());  // nothing looked for at the open
    std::vector<std::u16string> lines;
    Run(kCmdContents, [&](PlatformDialog* d) {
        lines = Lines(d, kCtlContentsList);
        ListSelect(d, kCtlContentsList, 1);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"Глава первая. Журнал наблюдений",
                                                  u"Глава вторая. Восьмичасовой срок"}));
    ExpectPageAtTitle(app->doc->contents[1]);
}

}  // namespace
}  // namespace lectra
