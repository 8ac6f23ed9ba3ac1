// What people combine in the window: keys, dialogs, opens and hand-overs, failing writes.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dialogs/bookmarks.h"
#include "dialogs/code_page_dialogs.h"
#include "document/text_cache.h"
#include "layout/pagination.h"
#include "layout/search_mark.h"
#include "platform/command_ids.h"
#include "platform/sys/paths.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

using test::Choose;
using test::displayHolds;
using test::Ended;
using test::fakeNow;
using test::Lines;
using test::menuChoice;
using test::modal;
using test::scripts;
using test::Search;

class WindowMends : public test::Reader {
protected:
    // The reader on `book` with real dialogs worked by scripts.
    App& Begin(const std::string& book) { return Start(book, test::Scripted); }
    // The search mark's rectangles on the page's lines.
    std::vector<PixelRect> Marks() const {
        std::vector<PixelRect> marks;
        for (int i = 0; i < app->layout.linesPerPage; ++i)
            if (PixelRect r; SearchMarkRect(app->layout, i, &r)) marks.push_back(r);
        return marks;
    }
};

TEST_F(WindowMends, FindAndFindNextFromAKeyDoWhatTheMenuDoes) {
    Begin(Copy("book.txt", test::Sample("en-story.txt")));
    Bind('1', kActionFind);
    Bind(test::kKeyAction, kActionFindNext);
    scripts.push_back(Search(u"clock"));
    // Find from its key opens the dialog and searches from the start: the page shown starts at
    // the line that holds the hit, and that line alone is marked.
    Press('1');
    auto showsHit = [&](int32_t hit) {
        return hit >= PageStart() && hit < app->layout.pageLines[0].end &&
               app->layout.searchMark == hit;
    };
    const int32_t first = Find(u"clock");
    EXPECT_TRUE(showsHit(first)) << PageStart() << " " << first;
    EXPECT_EQ(Marks().size(), 1u);
    fakeNow += 1000;
    Press(test::kKeyAction);  // Find Next from its key moves on to the next hit
    const int32_t second = Find(u"clock", first + 5);
    EXPECT_TRUE(showsHit(second)) << PageStart() << " " << second;
}

// The HTML book's <title> is passed over by the page, as its <h1> repeats it: a search for a word
// of the title from the book's start shows and marks the word in the heading.
TEST_F(WindowMends, AWordOfTheTitlePassedOverIsFoundInTheHeadingThatShowsIt) {
    Begin(Copy("story.html", test::Sample("en-story.html")));
    Run(kCmdFind, Search(u"wrenfield"));
    const int32_t inTitle = Find(u"wrenfield");
    const int32_t hit = app->layout.searchMark;
    ASSERT_GT(hit, inTitle) << "the title's own copy lies where the page shows nothing";
    EXPECT_EQ(hit, Find(u"wrenfield", inTitle + 9));
    EXPECT_EQ(Marks().size(), 1u);
}

TEST_F(WindowMends, AFailedOpenKeepsTheBookAndItsPlaceAndTheRecentDialogStillWorks) {
    const std::string a = Copy("a.txt", test::Sample("en-story.txt"));
    const std::string b = Copy("b.txt", test::Sample("ru-story.txt"));
    const std::string badPdb = dir.Write("c.pdb", std::string(200, 'x'));
    Begin(b);
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(a)));
    Press(kVkPageDown);
    Press(kVkPageDown);
    const int32_t here = PageStart();
    ASSERT_GT(here, 0);
    for (const std::string& bad : {dir.path() + "/gone.txt", badPdb}) {
        EXPECT_EQ(OpenBookInWindow(*app, Utf8ToUtf16(bad)), 0);
        EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(a));
        EXPECT_EQ(PageStart(), here);
    }
    EXPECT_EQ(test::messages,
              (std::vector<std::u16string>{u"Error reading file!", u"Bad Format!"}));
    // From the recent list: a book deleted meanwhile fails, the list keeps the keyboard, and the
    // book read before is still offered and opens.
    ASSERT_EQ(unlink(b.c_str()), 0);
    Run(kCmdRecentFiles, [&](PlatformDialog* d) {
        ASSERT_EQ(Lines(d, kCtlCaptionedList).size(), 1u);
        ListSelect(d, kCtlCaptionedList, 0);
        SendDialogCommand(d, kCmdLeftSoftKey);
        EXPECT_FALSE(Ended(d));
        EXPECT_TRUE(ControlHasFocus(d, kCtlCaptionedList));
        SendDialogCommand(d, kCmdCancel);  // Back leaves the list
        EXPECT_TRUE(Ended(d));
    });
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(a));
    EXPECT_EQ(PageStart(), here);
}

TEST_F(WindowMends, DeletingABookTakesOnlyItsEntryOutAndLeavesTheOthersOffered) {
    const std::string a = Copy("a.txt", test::Sample("en-story.txt"));
    const std::string b = Copy("b.txt", test::Sample("ru-story.txt"));
    Begin(a);
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(b)));
    SaveAll(*app);  // the periodic save puts the open book at the head of the list
    ASSERT_NE(Recent().find("FILE_NAME_0=" + b), std::string::npos);
    scripts.push_back([](PlatformDialog*) {});  // the browser offered after the delete
    test::dialogs.clear();
    Send(kMsgCommand, kCmdDeleteFile);  // asked, deleted, closed, then the browser
    EXPECT_NE(access(b.c_str(), F_OK), 0);
    EXPECT_EQ(app->bookOpen, 0);
    EXPECT_EQ(test::messages.back(), u"File deleted!");
    EXPECT_EQ(test::dialogs, std::vector<int>{kTemplateBrowser});
    EXPECT_EQ(FindRecentBook(app->session.recent, Utf8ToUtf16(b)), -1);
    EXPECT_EQ(FindRecentBook(app->session.recent, Utf8ToUtf16(a)), 0);
    // With no book open the recent dialog offers the head entry too.
    Run(kCmdRecentFiles, [&](PlatformDialog* d) {
        EXPECT_EQ(Lines(d, kCtlCaptionedList).size(), 1u);
        Choose(d, kCtlCaptionedList, Lines(d, kCtlCaptionedList)[0]);
    });
    EXPECT_EQ(app->bookOpen, 1);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(a));
}

TEST_F(WindowMends, ReadingTheBookAgainKeepsThePlaceAndAMovedBookSaysSo) {
    const std::string book = Copy("book.txt", test::Fixture("ru-cp1251.txt"));
    Begin(book);
    Press(kVkPageDown);
    Press(kVkPageDown);
    const int32_t here = PageStart();
    ASSERT_GT(here, 0);
    // Another single-byte code page: the book read again in it, the same length, the same place.
    const std::u16string before = Text(0, 200);
    Run(kCmdCodePage, [](PlatformDialog* d) { Choose(d, kCtlList, u"Russian - 20866 KOI8"); });
    EXPECT_EQ(app->doc->bookCodePage, 20866);
    EXPECT_NE(Text(0, 200), before);
    EXPECT_EQ(PageStart(), here);
    // Another paragraph mode changes the length: the same fraction of the book.
    const double fraction = double(here) / DocLength(*app->doc);
    Run(kCmdOptions, [](PlatformDialog* d) {
        ListSelect(d, kCtlParagraphs, 2);  // plain text as HTML
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    ASSERT_EQ(app->session.settings.txtParagraphDetect, 2);
    EXPECT_NEAR(double(PageStart()) / DocLength(*app->doc), fraction, 0.01);
    // The book was moved away: the reopen says so and the page read so far stays.
    const int32_t kept = PageStart();
    ASSERT_EQ(rename(book.c_str(), (book + ".moved").c_str()), 0);
    Run(kCmdCodePage, [](PlatformDialog* d) { Choose(d, kCtlList, u"Russian - 866 OEM"); });
    EXPECT_EQ(test::messages, std::vector<std::u16string>{u"Error reading file!"});
    EXPECT_EQ(PageStart(), kept);
}

TEST_F(WindowMends, BooksHandedOverDuringAnOpenOrADialogOpenWhenTheWindowIsFree) {
    const std::string a = Copy("a.txt", test::Sample("en-story.txt"));
    const std::string b = Copy("b.txt", test::Sample("ru-story.txt"));
    const std::string c = Copy("c.fb2", test::Sample("ru-story.fb2"));
    Begin(a);
    // During an open: queued, with the deactivation that came meanwhile.
    app->opening = 1;
    QueueBook(*app, Utf8ToUtf16(b));
    Send(kMsgActivate, 0);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(a));
    app->opening = 0;
    Send(kMsgTimer, kPendingTimer);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(b));
    EXPECT_EQ(app->appActive, 0);
    // While a dialog or a box is open: the book waits for it to close.
    modal = 1;
    QueueBook(*app, Utf8ToUtf16(c));
    Send(kMsgTimer, kPendingTimer);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(b));
    modal = 0;
    Send(kMsgTimer, kPendingTimer);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(c));
}

TEST_F(WindowMends, AutoscrollingFromTheMenuTogglesAndOpeningAMenuDoesNotStopIt) {
    Begin(test::Sample("ru-story.fb2"));
    Send(kMsgCommand, kCmdAutoscroll);
    ASSERT_EQ(app->layout.autoscrolling, 1);
    menuChoice = 0;  // a menu opened and cancelled
    Send(kMsgCommand, kCmdActionsMenu);
    EXPECT_EQ(app->layout.autoscrolling, 1);
    menuChoice = kCmdAutoscroll;  // "AutoScrolling" chosen while it runs stops it
    Send(kMsgCommand, kCmdActionsMenu);
    EXPECT_EQ(app->layout.autoscrolling, 0);
    Send(kMsgCommand, kCmdActionsMenu);
    EXPECT_EQ(app->layout.autoscrolling, 1);
    menuChoice = kCmdFullScreen;  // any other command stops it first
    Send(kMsgCommand, kCmdMainMenu);
    EXPECT_EQ(app->layout.autoscrolling, 0);
}

TEST_F(WindowMends, TheBacklightSwitchActsAtOnceAndIsAlwaysLetGo) {
    dir.Write("_config.ini",
              std::string(test::kTestConfig, sizeof test::kTestConfig - 2) + "BACKLIGHT_ON=1\r\n#");
    Begin(test::Sample("ru-story.fb2"));
    // Switched on at start: held while active, and once.
    SetActive(*app, 1);
    Send(kMsgActivate, 0);
    Send(kMsgActivate, 0);
    EXPECT_EQ(displayHolds, (std::vector<int>{1, 0}));
    SetActive(*app, 1);
    auto setBacklight = [&](int on) {
        Run(kCmdOptions, [on](PlatformDialog* d) {
            SetChecked(d, kCtlKeepScreenOn, on);
            SendDialogCommand(d, kCmdLeftSoftKey);
        });
    };
    setBacklight(0);
    EXPECT_EQ(displayHolds.back(), 0);
    setBacklight(1);
    EXPECT_EQ(displayHolds.back(), 1);
    // Held, then the setting cleared behind the window's back: leaving the reader lets go.
    setBacklight(1);
    app->session.settings.backlightOn = 0;
    Send(kMsgActivate, 0);
    EXPECT_EQ(displayHolds.back(), 0);
}

TEST_F(WindowMends, WritesThatFailSaySoAndLeaveTheFilesAsTheyWere) {
    const std::string book = Copy("book.fb2", test::Sample("ru-story.fb2"));
    Begin(book);
    const std::string memo = dir.Write("_lct_memo.utf8.txt", std::string(100, 'q'));
    // A quotation that cannot be written whole (the file may grow no further).
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const sighandler_t oldSignal = signal(SIGXFSZ, SIG_IGN);
    struct rlimit cap = old;
    cap.rlim_cur = 120;
    setrlimit(RLIMIT_FSIZE, &cap);
    Send(kMsgCommand, kCmdSaveQuote);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(test::messages, std::vector<std::u16string>{u"Error writing in file"});
    EXPECT_EQ(test::ReadBytes(memo), std::string(100, 'q'));
    // Bookmarks that cannot be read are never rewritten from what was read.
    const std::string marks = dir.path() + "/" + Utf16ToUtf8(kBookmarksFileName);
    ASSERT_EQ(mkfifo(marks.c_str(), 0600), 0);
    EXPECT_EQ(RemoveBookBookmarks(Utf8ToUtf16(marks), Utf8ToUtf16(book)), 0);
    struct stat st {};
    ASSERT_EQ(stat(marks.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(WindowMends, ARememberedWindowBeyondTheSurfaceIsClampedToIt) {
    dir.Write("_config.ini",
              std::string(test::kTestConfig) + "\r\nWINDOW_WIDTH=16384\r\nWINDOW_HEIGHT=9000\r\n");
    // Start-up up to the window: the page surface for the clamped size is made (a window of
    // that size is left out: painting 8192 pixels square under the sanitizers takes minutes).
    Make();
    EXPECT_EQ(app->screenWidth, 8192);
    EXPECT_EQ(app->screenHeight, 8192);
    EXPECT_NE(app->layout.surface, nullptr);
}

TEST_F(WindowMends, OneBookUnderTwoSpellingsIsOneRecentEntry) {
    mkdir((dir.path() + "/x").c_str(), 0755);
    mkdir((dir.path() + "/x/sub").c_str(), 0755);
    const std::string a = Copy("x/a.txt", test::Sample("en-story.txt"));
    const std::string b = Copy("x/b.txt", test::Sample("ru-story.txt"));
    EXPECT_EQ(LexicalPath(u"/p//q/./r/../s/"), u"/p/q/s");
    EXPECT_EQ(LexicalPath(u"/../p"), u"/p");
    // A ".." after a symbolic link is the link's target's parent, as the system reads it.
    ASSERT_EQ(symlink((dir.path() + "/x/sub").c_str(), (dir.path() + "/link").c_str()), 0);
    EXPECT_EQ(CanonicalBookPath(Utf8ToUtf16(dir.path() + "/link/../b.txt")), Utf8ToUtf16(b));

    Begin(a);
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(dir.path() + "/x/sub/../b.txt")));
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(a)));
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(dir.path() + "/x/./b.txt")));
    SaveAll(*app);
    int entries = 0;
    for (const RecentEntry& e : app->session.recent.entries)
        entries += e.bookPath == Utf8ToUtf16(b);
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(b));
}

TEST_F(WindowMends, ABookTooLongToHoldSaysWhereItWasCut) {
    Begin(test::Sample("ru-story.fb2"));
    const std::string big = dir.path() + "/big.txt";
    ASSERT_EQ(truncate(dir.Write("big.txt", "").c_str(), int64_t{5} << 30), 0);  // sparse
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(big)));
    ASSERT_EQ(test::messages.size(), 1u);
    EXPECT_EQ(test::messages[0],
              u"The book is too long to be read whole: it ends after 134217728 characters, at "
              u"byte 134217728 of 5368709120.");
}

TEST_F(WindowMends, ABarTapGoesToItsShareAndEveryMoveToTheEndShowsTheLastFullPage) {
    Begin(test::Sample("ru-story.fb2"));
    const int32_t length = DocLength(*app->doc);
    // Half the book, moved back to the space before the word, as every jump does.
    const PixelRect bar = app->layout.geometry.progressRect;
    Tap((bar.left + bar.right) / 2, bar.top + 1);
    EXPECT_LE(PageStart(), length / 2);
    EXPECT_GT(PageStart(), length / 2 - 40);
    const int32_t last = ClampToLastPage(app->layout, *app->doc, length);
    ASSERT_GT(last, 0);
    ASSERT_LT(last, length);
    auto showsLastPage = [&](const char* how) {
        const int32_t here = PageStart();
        EXPECT_LE(here, last) << how;
        EXPECT_GE(here, last - 1) << how;
        EXPECT_EQ(app->doc->pageEnd, length) << how;
        // One more Down on the last page moves nothing.
        fakeNow += 1000;
        Press(kVkPageDown);
        EXPECT_EQ(PageStart(), here) << how;
        app->doc->pageStart = 0;
        Refresh(*app);
    };
    Send(kMsgCommand, kCmdFileEnd);
    showsLastPage("File end");
    Tap(bar.right - 1, bar.top + 1);
    showsLastPage("the progress bar's last pixel");
    // 100 %, and the last page number (pages are 1,024 characters).
    const std::u16string lastPage = Utf8ToUtf16(std::to_string(length >> 10));
    for (const std::u16string& typed : {std::u16string(u"100"), lastPage}) {
        Run(kCmdGoTo, [typed](PlatformDialog* d) {
            SetChecked(d, kCtlGotoInPages, typed != u"100");
            SetControlText(d, kCtlGotoNumber, typed);
            SendDialogCommand(d, kCmdLeftSoftKey);
        });
        showsLastPage("Go to");
    }
    // With no book a tap on the bar does nothing.
    app->bookOpen = 0;
    Tap((bar.left + bar.right) / 2, bar.top + 1);
    EXPECT_EQ(PageStart(), 0);
}

TEST_F(WindowMends, AFifoAFolderOrADeviceOnTheCommandLineSaysItCannotBeRead) {
    const std::string fifo = dir.path() + "/pipe.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& named : {fifo, dir.path(), std::string("/dev/null")}) {
        test::messages.clear();
        scripts.push_back([](PlatformDialog*) {});  // the browser offered after the message
        Begin(named);
        EXPECT_EQ(app->bookOpen, 0) << named;
        EXPECT_EQ(test::messages, std::vector<std::u16string>{u"Error reading file!"}) << named;
        Stop();
    }
}

}  // namespace
}  // namespace lectra
