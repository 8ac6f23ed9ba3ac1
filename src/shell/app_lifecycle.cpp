// Start-up and shutdown in their fixed order, activation and deactivation, the periodic work of
// the timer, and opening a book into the window.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "document/text_cache.h"
#include "layout/hyphen_patterns.h"
#include "layout/layout_fonts.h"
#include "layout/pagination.h"
#include "platform/dialog.h"
#include "platform/qt/qt_draw.h"
#include "platform/sys/clock.h"
#include "platform/sys/power.h"
#include "platform/sys/utf.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

constexpr char16_t kTitle[] = u"Lectra+";
constexpr char16_t kMessageCaption[] = u"Message!";
constexpr uint32_t kPowerSampleMs = 10000;
constexpr uint32_t kProgressDelayMs = 500;

// The battery is read at most every ten seconds: the status line is painted at every key.
StatusSources SampleStatus() {
    static uint32_t lastTick = 0;
    static PowerStatus power;
    static int sampled = 0;
    const uint32_t now = TickCount();
    if (!sampled || now - lastTick > kPowerSampleMs) {
        power = ReadPowerStatus();
        lastTick = now;
        sampled = 1;
    }
    StatusSources s;
    LocalTime(&s.hour, &s.minute);
    s.batteryPercent = power.batteryPercent;
    s.onMains = power.onMains;
    return s;
}

// A long open shows how far it is after half a second, and the window keeps painting meanwhile.
void OnOpenProgress(void* context, uint64_t done, uint64_t total) {
    App& app = *static_cast<App*>(context);
    if (!app.opening || !app.windowCreated || total == 0) return;
    if (!app.progressShown && app.host.tickCount() - app.openStartTick < kProgressDelayMs) return;
    app.progressShown = 1;
    ShowProgress(static_cast<int>(std::min<uint64_t>(done, total) * 100 / total));
}

int OpenWithProgress(App& app, const std::u16string& path, int reopen) {
    app.opening = 1;
    app.openStartTick = app.host.tickCount();
    const int opened = OpenBookWithRecent(*app.doc, path.c_str(), reopen, app.session.recent,
                                          app.session.settings);
    if (app.progressShown) ShowProgress(-1);
    app.progressShown = 0;
    app.opening = 0;
    if (app.closeWaiting) {
        app.closeWaiting = 0;
        DestroyMainWindow();
    }
    return opened;
}

void AfterLayout(void* context) {
    Repaint(*static_cast<App*>(context));
}

void WaitCursor(void*, int on) {
    SetWaitCursor(on);
}

void StartClockTimer(App& app) {
    const uint32_t period =
        app.session.settings.backlightOn ? kClockPeriodBacklightMs : kClockPeriodMs;
    app.clockTimerRunning = SetWindowTimer(kClockTimer, period);
}

// The book read so far is remembered before another one replaces it.
void RememberBook(App& app) {
    if (app.bookOpen) RememberCurrentBook(app.session.recent, *app.doc, app.browseFolder);
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos) return std::u16string();
    return slash == 0 ? std::u16string(u"/") : path.substr(0, slash);
}

}  // namespace

void InitApp(App& app, const std::u16string& programFolder, const std::u16string& dataFolder) {
    if (!app.host.tickCount) app.host.tickCount = TickCount;
    if (!app.host.sampleStatus) app.host.sampleStatus = SampleStatus;
    if (!app.host.showMessage) app.host.showMessage = ShowMessageBox;
    if (!app.host.ask) app.host.ask = AskOkCancel;
    if (!app.host.runDialog) app.host.runDialog = RunDialog;
    app.doc = NewDocument();
    ResetTextCache(*app.doc);
    app.doc->hooks.context = &app;
    app.doc->hooks.setWaitCursor = WaitCursor;
    app.doc->hooks.progress = OnOpenProgress;
    Layout& layout = app.layout;
    layout.draw = &QtDrawServices();
    layout.settings = &app.session.settings;
    layout.hooks.context = &app;
    layout.hooks.afterLayout = AfterLayout;
    WireAutoscroll(app);
    LoadHyphenPatterns(layout.patterns, dataFolder);
    app.programFolder = programFolder;
    LoadSettingsSession(app.session, programFolder);
    InitDialogServices(app);
    app.browseFolder.clear();
    app.bookOpen = 0;
    const Settings& s = app.session.settings;
    app.screenWidth = std::max(s.windowWidth, 1);
    app.screenHeight = std::max(s.windowHeight, 1);
    EnsurePageSurface(layout, app.screenWidth, app.screenHeight);
    CreateLayoutFont(layout, 0, app.screenWidth);
    CreateLayoutFont(layout, 1, app.screenWidth);
    CreateLayoutBrush(layout, 0);
    CreateLayoutBrush(layout, 1);
}

int CreateAppWindow(App& app) {
    if (!CreateMainWindow(MainWindowProc, &app, kTitle, u"Menu", u"Actions", app.screenWidth,
                          app.screenHeight)) {
        return 0;
    }
    app.windowCreated = 1;
    ScreenSize(&app.screenWidth, &app.screenHeight);
    ComputeGeometry(app);
    LayoutPage(app.layout, *app.doc, 0);
    Repaint(app);
    SetActive(app, 1);
    return 1;
}

void OpenStartupBook(App& app, const std::u16string& commandLine) {
    const RecentEntry& last = app.session.recent.entries[0];
    int opened = 0;
    if (!commandLine.empty()) {
        app.browseFolder = FolderOf(commandLine);
        opened = OpenWithProgress(app, commandLine, 0);
    }
    if (!opened && !last.folder.empty() && !last.bookPath.empty()) {
        app.browseFolder = last.folder;
        const std::u16string path = last.bookPath;
        opened = OpenWithProgress(app, path, 0);
        if (!opened) {
            app.bookOpen = 0;
            Refresh(app);
            app.host.showMessage(kErrorReadingFile, kMessageCaption);
        }
    }
    app.bookOpen = opened;
    ComputeGeometry(app);
    Refresh(app);
    // Nothing to read: the reader is asked for a book.
    if (!opened) ShowStartupBrowser(app);
    if (app.session.settings.startInFullscreen) SetFullScreen(app, 1);
}

int OpenBookForDialog(App& app, const std::u16string& path, int reopen) {
    StopAutoscroll(app);
    RememberBook(app);
    const size_t slash = path.rfind(u'/');
    if (slash != std::u16string::npos) app.browseFolder = path.substr(0, slash + 1);
    app.bookOpen = OpenWithProgress(app, path, reopen);
    ComputeGeometry(app);
    Refresh(app);
    return app.bookOpen;
}

int OpenBookInWindow(App& app, const std::u16string& path) {
    if (OpenBookForDialog(app, path, 0)) return 1;
    const std::u16string message = app.doc->openErrorText;
    app.host.showMessage(message.empty() ? std::u16string(kErrorReadingFile) : message,
                         kMessageCaption);
    return 0;
}

void SaveAll(App& app) {
    SettingsSession& session = app.session;
    if (SaveSettingsSession(session, app.bookOpen ? app.doc.get() : nullptr, app.browseFolder))
        return;
    // Every later save tries again, but the user is told once a run: a box at every periodic
    // save would make the reader unusable on a full disk. Without a window (the last save at
    // shutdown) or inside a paint it goes to standard error.
    if (app.saveFailureTold) return;
    app.saveFailureTold = 1;
    const std::u16string& reason =
        session.config.saveError.empty() ? session.recentStore.saveError : session.config.saveError;
    const std::u16string text = u"Settings could not be saved: " + reason;
    if (MainWindowExists() && !app.painting) {
        app.host.showMessage(text, kMessageCaption);
    } else {
        std::fprintf(stderr, "%s\n", PathToBytes(text).c_str());
    }
}

void SetActive(App& app, int on) {
    Settings& s = app.session.settings;
    if (on) {
        RegisterHotKeys(app);
        app.appActive = 1;
        StartClockTimer(app);
        if (app.restoreFullScreen) {
            app.restoreFullScreen = 0;
            SetFullScreen(app, 1);
        }
        if (s.backlightOn) SetBacklightAlwaysOn(app.backlight, 1);
        Repaint(app);
        return;
    }
    StopAutoscroll(app);
    UnregisterHotKeys(app);
    app.restoreFullScreen = 0;
    app.appActive = 0;
    if (app.fullScreen) {
        SetFullScreen(app, 0);
        app.restoreFullScreen = 1;
    }
    if (app.clockTimerRunning) KillWindowTimer(kClockTimer);
    app.clockTimerRunning = 0;
    if (s.backlightOn) SetBacklightAlwaysOn(app.backlight, 0);
    SaveAll(app);
}

void OnTimer(App& app, uint32_t) {
    // The book is half made while it opens: the clock and the periodic save wait for it.
    if (app.opening) return;
    const uint32_t now = app.host.tickCount();
    if (now - app.lastAutoSaveTick > kAutoSavePeriodMs) {
        WaitForAutoscrollFrame(app.autoscroll);  // the position is the worker's while it steps
        SaveAll(app);
        app.lastAutoSaveTick = now;
    }
    if (app.layout.autoscrolling) {
        AutoscrollTick(app);
        return;
    }
    // The display is held on by the desktop's inhibition while "BACKLIGHT_ON" is set; there is
    // no idle timer to reset.
    Repaint(app);
}

void Shutdown(App& app) {
    // First, so that the worker has ended before the book and the fonts are read or released.
    StopAutoscroll(app);
    RememberBook(app);
    UnregisterHotKeys(app);
    if (app.clockTimerRunning) KillWindowTimer(kClockTimer);
    app.clockTimerRunning = 0;
    // The display is never left held after the reader ends.
    SetBacklightAlwaysOn(app.backlight, 0);
    ReleasePageSurface(app.layout);
    ReleaseLayoutFonts(app.layout);
    SaveAll(app);
    if (app.doc) CloseDocument(*app.doc);
    app.bookOpen = 0;
}

}  // namespace lectra
