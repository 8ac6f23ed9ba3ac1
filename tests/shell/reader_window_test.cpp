// The reader window through its window procedure: keys, gestures, full screen, saving, the
// window's title and patterns, the desktop's shortcuts.
#include "layout/hyphen_patterns.h"
#include "platform/command_ids.h"
#include "platform/qt/qt_window_keys.h"
#include "reader_test_support.h"

namespace lectra {
namespace {

using test::fakeNow;

using ReaderWindow = test::Reader;

// How a key moved the page.
enum Move { kStays, kPageOn, kPageBack, kLineOn, kLineBack };

Move Moved(int32_t start, int32_t end, int32_t now) {
    const int32_t half = (end - start) / 2;
    if (now == start) return kStays;
    if (now > start) return now - start < half ? kLineOn : kPageOn;
    return start - now < half ? kLineBack : kPageBack;
}

// The keys on a page in the middle of the book: the arrows turn with the page (ROTATE_J), the
// paging keys do not, and while autoscrolling the arrows reach the speed, not the page.
TEST_F(ReaderWindow, KeysMoveThePageByRotationAndAutoscrolling) {
    Start(test::Sample("ru-story.fb2"));
    ASSERT_EQ(app->session.settings.rotateJ, 1);
    auto moved = [&](uint32_t key, int rotation, int autoscrolling) {
        app->session.settings.rotateScreen = rotation;
        ComputeGeometry(*app);
        app->doc->pageStart = DocLength(*app->doc) / 2;
        Refresh(*app);
        const int32_t start = PageStart(), end = app->doc->pageEnd;
        app->layout.autoscrolling = autoscrolling;
        Press(key);
        app->layout.autoscrolling = 0;
        return Moved(start, end, PageStart());
    };
    const struct {
        uint32_t key;
        int rotation, autoscrolling;
        Move move;
    } cases[] = {
        {kVkDown, 0, 0, kPageOn},        {kVkRight, 0, 0, kLineOn},
        {kVkLeft, 0, 0, kLineBack},      {kVkRight, 900, 0, kPageOn},
        {kVkUp, 900, 0, kLineOn},        {kVkPageUp, 900, 0, kPageBack},
        {kVkPageDown, 1800, 0, kPageOn}, {kVkUp, 1800, 0, kPageOn},
        {kVkLeft, 2700, 0, kPageOn},     {kVkDown, 0, 1, kStays},
        {kVkRight, 900, 1, kStays},      {'A', 0, 0, kStays},  // no binding
    };
    for (const auto& c : cases) {
        EXPECT_EQ(moved(c.key, c.rotation, c.autoscrolling), c.move)
            << std::hex << c.key << std::dec << " at " << c.rotation << ", autoscrolling "
            << c.autoscrolling;
    }
    app->session.settings.rotateJ = 0;  // without ROTATE_J Left stays Left
    EXPECT_EQ(moved(kVkLeft, 2700, 0), kLineBack);
}

// A point of the page's own frame as the window sees it at a rotation.
std::pair<int, int> ToWindow(int rotation, int pw, int ph, int x, int y) {
    switch (rotation) {
        case 900:
            return {y, pw - x};
        case 1800:
            return {pw - x, ph - y};
        case 2700:
            return {ph - y, x};
        default:
            return {x, y};
    }
}

// The gestures' input ids, as the bindings know them: taps on the status line and strokes, then
// taps on the page's thirds; 0 is no gesture.
enum : uint16_t { kStatusLeft = 0x0401, kStatusRight, kDragRight, kDragLeft, kDragDown, kDragUp };
enum : uint16_t { kTapTop = 0x0407, kTapMiddle, kTapBottom, kNone = 0 };

TEST_F(ReaderWindow, GesturesAreFoundInThePagesFrameAtEveryRotation) {
    Start(test::Sample("ru-story.fb2"));
    for (int rotation : {0, 900, 1800, 2700}) {
        app->session.settings.rotateScreen = rotation;
        ComputeGeometry(*app);
        const int w = app->layout.geometry.pageWidth, h = app->layout.geometry.pageHeight;
        const struct {
            int x0, y0, x1, y1;
            uint32_t ms;
            uint16_t id;
        } cases[] = {
            {w / 2, h / 6, w / 2, h / 6, 100, kTapTop},
            {w / 2, h / 2, w / 2, h / 2, 100, kTapMiddle},
            {w / 2, h * 4 / 5, w / 2, h * 4 / 5, 100, kTapBottom},
            {w / 2, h / 2, w / 2, h / 2, 800, kNone},  // held too long
            {w / 2, h / 8, w / 2 + 3, h / 2, 300, kDragDown},
            {w / 2, h / 2, w / 2, h / 8, 300, kDragUp},
            {w / 2, h * 3 / 10, w / 2, h * 6 / 10, 300, kNone},  // never crosses the quarter line
            {w / 8, h / 2, w / 2, h / 2 + 3, 300, kDragRight},
            {w / 2, h / 2, w / 8, h / 2, 300, kDragLeft},
            {w / 4, h - 2, w / 4, h - 2, 100, kStatusLeft},
            {w * 3 / 4, h - 2, w * 3 / 4, h - 2, 100, kStatusRight},
        };
        for (const auto& c : cases) {
            const auto [dx, dy] = ToWindow(rotation, w, h, c.x0, c.y0);
            const auto [ux, uy] = ToWindow(rotation, w, h, c.x1, c.y1);
            app->stylusDownX = static_cast<uint16_t>(dx);
            app->stylusDownY = static_cast<uint16_t>(dy);
            app->stylusDownTick = fakeNow;
            EXPECT_EQ(RecognizeGesture(*app, ux, uy, fakeNow + c.ms), c.id)
                << rotation << " from " << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        }
    }
}

// Leaving the reader leaves full screen, and coming back restores the mode it left.
TEST_F(ReaderWindow, FullScreenTakesTheBarsRoomAndOutlastsADeactivation) {
    Start(test::Sample("ru-story.fb2"));
    ASSERT_LT(app->layout.geometry.pageHeight, app->screenHeight);
    Press(test::kKeyAction);
    EXPECT_EQ(app->fullScreen, 1);
    EXPECT_EQ(app->layout.geometry.pageHeight, app->screenHeight);
    // A centre tap leaves full screen again.
    const int w = app->layout.geometry.pageWidth, h = app->layout.geometry.pageHeight;
    Tap(w / 2, h / 2);
    EXPECT_EQ(app->fullScreen, 0);
    SetFullScreen(*app, 1);
    Send(kMsgActivate, 0);
    EXPECT_EQ(app->fullScreen, 0);
    EXPECT_NE(Recent().find("ru-story.fb2"), std::string::npos);  // and saved the settings
    SetActive(*app, 1);
    EXPECT_EQ(app->fullScreen, 1);
}

// The clock's timer saves at most every two minutes.
TEST_F(ReaderWindow, TimerMessagesSaveAtMostEveryTwoMinutes) {
    Start(test::Sample("ru-story.fb2"));
    auto sizeSaved = [&] { return Config("FONT_SIZE_TEXT_0") == "17"; };
    fakeNow = 200000;
    Send(kMsgTimer, kClockTimer);  // the first timer message saves
    Press(test::kKeyLarger);       // 16 → 17, in memory only
    EXPECT_FALSE(sizeSaved());
    fakeNow += 120000;
    Send(kMsgTimer, kClockTimer);
    EXPECT_FALSE(sizeSaved());
    fakeNow += 1;
    Send(kMsgTimer, kClockTimer);
    EXPECT_TRUE(sizeSaved());
}

// Settings that can no longer be kept (here the folder went away under the reader) are reported
// once a run, with the reason; later saves keep trying and succeed once they can.
TEST_F(ReaderWindow, AFailedSaveIsToldOnceWithItsReason) {
    Start(test::Sample("ru-story.fb2"));
    const std::u16string config = app->session.config.path;
    const std::u16string gone = Utf8ToUtf16(dir.path() + "/gone/_config.ini");
    app->session.config.path = gone;
    SaveAll(*app);
    Press(test::kKeyLarger);  // a change, so that the next save has something to write
    SaveAll(*app);
    EXPECT_EQ(test::messages, std::vector<std::u16string>{u"Settings could not be saved: No such "
                                                          u"file or directory (" +
                                                          gone + u")"});
    app->session.config.path = config;
    SaveAll(*app);
    EXPECT_EQ(Config("FONT_SIZE_TEXT_0"), "17");
    EXPECT_EQ(test::messages.size(), 1u);
}

TEST_F(ReaderWindow, TheLastBookReopensAtItsPlaceOrSaysOnceThatItIsGone) {
    const std::string book = Copy("story.fb2", test::Sample("ru-story.fb2"));
    Start(book);
    Press(kVkDown);
    Press(kVkDown);
    const int32_t place = PageStart();
    Stop();

    Start();  // no command line: the most recent book
    EXPECT_EQ(PageStart(), place);
    EXPECT_TRUE(test::messages.empty());
    EXPECT_TRUE(test::dialogs.empty());
    Stop();

    std::remove(book.c_str());
    Start();
    EXPECT_EQ(app->bookOpen, 0);
    EXPECT_EQ(test::messages, std::vector<std::u16string>{u"Error reading file!"});
    EXPECT_EQ(test::dialogs, std::vector<int>{kTemplateBrowser});  // then the file browser
}

// The book's title and author, from its own head when the catalogue does not know it; each book
// in its language's patterns.
TEST_F(ReaderWindow, TheWindowIsNamedAfterTheBookAndReadsItInItsLanguagesPatterns) {
    auto fb2 = [&](const std::string& lang, const std::string& text) {
        return dir.Write(lang + ".fb2",
                         "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description>"
                         "<title-info><book-title>T</book-title><lang>" +
                             lang + "</lang></title-info></description><body><p>" + text +
                             "</p></body></FictionBook>");
    };
    const std::string german = fb2("de", "Der alte Mann ging zum Fluss und setzte sich.");
    const std::string dutch = fb2("nl", "De oude man liep naar de rivier.");
    Start(test::Sample("ru-story.fb2"));
    EXPECT_EQ(app->bookTitle, u"Последний рейс парома — Варвара Андреевна Ольховская — Lectra");
    EXPECT_EQ(app->doc->language, "ru");
    EXPECT_EQ(app->layout.patterns.file, u"En.pat");

    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(german)));
    EXPECT_EQ(app->doc->language, "de");
    EXPECT_EQ(app->layout.patterns.file, u"de.pat");
    EXPECT_FALSE(app->layout.patterns.patterns.empty());
    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(dutch)));
    EXPECT_EQ(app->doc->language, "nl");
    EXPECT_TRUE(app->layout.patterns.patterns.empty());
}

// The desktop's keys as the reader gets them: Ctrl+Shift+L before the Ctrl table (where Ctrl+L is
// Go to), Ctrl+Page Down the chapters, the paging keys as Page Down and Page Up (never as
// arrows), Ctrl and a digit an application button, and nothing for a key with Alt.
TEST(ReaderKeys, TheShortcutsPeopleTryFirst) {
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, none = Qt::NoModifier;
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        KeyKind kind;
        int code;
    } keys[] = {
        {Qt::Key_L, ctrl | Qt::ShiftModifier, KeyKind::kCommand, kCmdLibrary},
        {Qt::Key_PageDown, ctrl, KeyKind::kCommand, kCmdNextChapter},
        {Qt::Key_PageDown, none, KeyKind::kKey, kVkPageDown},
        {Qt::Key_Space, none, KeyKind::kKey, kVkPageDown},
        {Qt::Key_Space, Qt::ShiftModifier, KeyKind::kKey, kVkPageUp},
        {Qt::Key_3, ctrl, KeyKind::kAppButton, 0xC3},
        {Qt::Key_Left, Qt::AltModifier, KeyKind::kNone, 0},
    };
    for (const auto& k : keys) {
        const KeyTranslation t = TranslateKey(k.key, k.modifiers);
        EXPECT_EQ(std::tie(t.kind, t.code), std::tie(k.kind, k.code)) << std::hex << k.key;
    }
}

}  // namespace
}  // namespace lectra
