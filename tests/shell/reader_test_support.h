// The reader driven through its window procedure offscreen, with the test's clock and boxes.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/search.h"
#include "document/text_cache.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"
#include "platform/sys/utf.h"
#include "platform/window.h"
#include "shell/app.h"
#include "test_support.h"

namespace lectra::test {

inline uint32_t fakeNow = 1000;
inline std::vector<std::u16string> messages;

// The templates of the dialogs asked for, in order; none is run.
inline std::vector<int> dialogs;

// The scripts that work the dialogs run for real (scripted_dialogs.h), one a dialog, in order.
using Script = std::function<void(PlatformDialog*)>;
inline std::deque<Script> scripts;

using DialogRunner = int (*)(const DialogTemplate& t, DialogProcedure procedure, void* context);
inline int RecordDialog(const DialogTemplate& t, DialogProcedure, void*) {
    dialogs.push_back(t.id);
    return 0;
}
// What a pop-up menu picks (0: the menu is left).
inline int menuChoice = 0;
// Whether a dialog or a box is open, as the test says; each change of the display's hold.
inline int modal = 0;
inline std::vector<int> displayHolds;

// Keys by what their default bindings do; a digit's virtual key is its character.
enum : uint32_t {
    kKeyAction = 0x0D,  // Enter: full screen, or a pause while autoscrolling
    kKeyStatusLine = '1',
    kKeyRotate = '2',
    kKeyNextProfile = '3',
    kKeyLarger = '4',
    kKeyAutoscroll = '9',
};

inline std::string Sample(const std::string& name) {
    return std::string(LECTRA_SAMPLES) + "/" + name;
}

// The value of `key` in the settings file `path` (one of the program folder's .ini files).
inline std::string IniValue(const std::string& path, const std::string& key) {
    const std::string file = "\n" + ReadBytes(path);
    const size_t at = file.find("\n" + key + "=");
    if (at == std::string::npos) return "(none)";
    const size_t from = at + key.size() + 2;
    return file.substr(from, file.find('\r', from) - from);
}

// Settings every reader test starts from: a pinned face, so that pages are the same everywhere.
inline const char kTestConfig[] =
    "FONT_FACE_TEXT=DejaVu Sans\r\nFONT_FACE_STATUS=DejaVu Sans\r\nFONT_SIZE_TEXT_0=16\r\n#";

class Reader : public ::testing::Test {
protected:
    ScratchDir dir;
    std::unique_ptr<App> app;

    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        StartWindowPlatform();
    }

    void SetUp() override {
        fakeNow = 1000;
        messages.clear();
        dialogs.clear();
        scripts.clear();
        menuChoice = modal = 0;
        displayHolds.clear();
        dir.Write("_config.ini", kTestConfig);
    }

    void TearDown() override { Stop(); }

    // The state block with the test's clock, status, boxes and menus, initialised as start-up
    // does before the window; dialogs are recorded and not run unless `run` runs them.
    App& Make(DialogRunner run = RecordDialog) {
        app = std::make_unique<App>();
        app->host.tickCount = [] { return fakeNow; };
        app->host.sampleStatus = [] { return StatusSources{12, 34, 87, 1}; };
        app->host.showMessage = [](const std::u16string& text, const std::u16string&) {
            messages.push_back(text);
        };
        app->host.ask = [](const std::u16string& text, const std::u16string&) {
            messages.push_back(text);
            return 1;
        };
        app->host.runDialog = run;
        app->host.popUpMenu = [](int, const MenuItem*, int) { return menuChoice; };
        app->host.modalActive = [] { return modal; };
        app->host.draw = &QtDrawServices();
        app->backlight.keepOn = [](int on) { displayHolds.push_back(on); };
        InitApp(*app, Utf8ToUtf16(dir.path()), PatternFolder());
        return *app;
    }

    // Starts the reader on `book` (none: the recent list decides) as start-up does.
    App& Start(const std::string& book = std::string(), DialogRunner run = RecordDialog) {
        Make(run);
        EXPECT_EQ(CreateAppWindow(*app), 1);
        OpenStartupBook(*app, Utf8ToUtf16(book));
        return *app;
    }

    // Closes the window and shuts down as the end of the message loop does.
    void Stop() {
        if (!app) return;
        DestroyMainWindow();
        Shutdown(*app);
        app.reset();
    }

    void Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        MainWindowProc(app.get(), message, wParam, lParam);
    }
    // A menu command whose dialog the script works.
    void Run(uint32_t command, Script script) {
        scripts.push_back(std::move(script));
        Send(kMsgCommand, command);
    }
    // A copy of `from` in the scratch folder.
    std::string Copy(const std::string& name, const std::string& from) const {
        return dir.Write(name, ReadBytes(from));
    }
    // A press and release of a key.
    void Press(uint32_t vk) {
        Send(kMsgKeyDown, vk);
        Send(kMsgKeyUp, vk);
    }
    // A tap of the stylus, held 100 ms on the fake clock.
    void Tap(int x, int y) {
        Send(kMsgStylusDown, 0, x | y << 16);
        fakeNow += 100;
        Send(kMsgStylusUp, 0, x | y << 16);
    }
    int32_t PageStart() const { return app->doc->pageStart; }
    // The book's text from `from`, `count` units.
    std::u16string Text(int32_t from, int32_t count) const {
        std::u16string s;
        for (int32_t p = from; p < from + count; ++p) s += GetChar(*app->doc, p);
        return s;
    }
    // Where the search dialog finds `word` (lower case) from `from`.
    int32_t Find(const std::u16string& word, int32_t from = 0) const {
        std::u16string upper = word;
        for (char16_t& c : upper) c = UpperUnit(c);
        return FindFrom(*app->doc, from, word, upper);
    }
    void Bind(uint16_t inputId, int action) {
        for (ButtonBinding& b : app->session.settings.bindings)
            if (b.inputId == inputId) b.action = static_cast<uint8_t>(action);
    }
    std::string Recent() const { return ReadBytes(dir.path() + "/_recent.files.ini"); }
    // The value of `key` in the settings file as written last.
    std::string Config(const std::string& key) const {
        return IniValue(dir.path() + "/_config.ini", key);
    }
};

}  // namespace lectra::test
