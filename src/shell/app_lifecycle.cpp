// Start-up and shutdown in their fixed order, activation and deactivation, the periodic work of
// the timer, and opening a book into the window.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "dialogs/library_dialog.h"
#include "document/text_cache.h"
#include "layout/hyphen_patterns.h"
#include "layout/layout_fonts.h"
#include "layout/pagination.h"
#include "library/declared_language.h"
#include "library/library_scan.h"
#include "platform/dialog.h"
#include "platform/sys/clock.h"
#include "platform/sys/paths.h"
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

StatusSources ReadStatus(App& app) {
    const uint32_t now = app.host.tickCount();
    if (!app.powerSampled || now - app.powerSampleTick > kPowerSampleMs) {
        app.power = ReadPowerStatus();
        app.powerSampleTick = now;
        app.powerSampled = 1;
    }
    StatusSources s;
    LocalTime(&s.hour, &s.minute);
    s.batteryPercent = app.power.batteryPercent;
    s.onMains = app.power.onMains;
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

void StartPendingTimer(App& app) {
    if (app.pendingTimerRunning || !app.windowCreated) return;
    app.pendingTimerRunning = SetWindowTimer(kPendingTimer, kPendingPeriodMs);
}

// Opens `path` into `doc` with the progress bar; the window waits meanwhile and acts afterwards
// on a close, a book handed over or a deactivation that arrived during the open.
int OpenWithProgress(App& app, Document& doc, const std::u16string& path, int reopen) {
    app.opening = 1;
    app.openStartTick = app.host.tickCount();
    const int opened =
        OpenBookWithRecent(doc, path.c_str(), reopen, app.session.recent, app.session.settings);
    // The book's language chooses the patterns; every open path comes here, after autoscroll
    // stopped, so no worker reads them meanwhile.
    if (opened) {
        SetBookLanguage(doc);
        SelectHyphenPatterns(app.layout.patterns, doc.language);
    }
    if (app.progressShown) ShowProgress(-1);
    app.progressShown = 0;
    app.opening = 0;
    if (app.closeWaiting) {
        app.closeWaiting = 0;
        DestroyMainWindow();
    }
    if (!app.pendingBooks.empty() || app.pendingDeactivate) StartPendingTimer(app);
    return opened;
}

// The place in the same book read again (another code page or paragraph mode): the same
// position when the length is the same, else the same fraction of the book.
int32_t SamePlace(int32_t oldStart, int32_t oldLength, int32_t newLength) {
    if (newLength <= 0) return 0;
    if (oldLength == newLength) return std::min(oldStart, newLength - 1);
    if (oldLength <= 0) return 0;
    const int64_t p = static_cast<int64_t>(oldStart) * newLength / oldLength;
    return static_cast<int32_t>(std::clamp<int64_t>(p, 0, newLength - 1));
}

void WaitCursor(void*, int on) {
    SetWaitCursor(on);
}

// A document wired to the window: the wait cursor and the progress of a long open.
std::unique_ptr<Document> MakeDocument(App& app) {
    std::unique_ptr<Document> doc = NewDocument();
    doc->hooks.context = &app;
    doc->hooks.setWaitCursor = WaitCursor;
    doc->hooks.progress = OnOpenProgress;
    doc->hooks.findContents = FindContentsInWorker;
    return doc;
}

void StartClockTimer(App& app) {
    const uint32_t period =
        app.session.settings.backlightOn ? kClockPeriodBacklightMs : kClockPeriodMs;
    app.clockTimerRunning = SetWindowTimer(kClockTimer, period);
}

// The one place a failed open is reported: its reason, or "Error reading file!" when it gave
// none. Full screen is left while the box shows.
void ShowOpenError(App& app) {
    const std::u16string message = app.doc->openErrorText;
    ShowMessage(DialogServices(app), message.empty() ? std::u16string(kErrorReadingFile) : message);
}

// The window's title names the book: its own title (the description of a FictionBook, an EPUB's
// package, an HTML title) or its file name.
void ShowBookTitle(App& app) {
    std::u16string title = kTitle;
    if (app.bookOpen) {
        const bool zip = app.doc->sourceFlags & kSourceZipEntry;
        const std::u16string entry = zip ? app.doc->zipEntryName : std::u16string();
        // The catalogue's name first; a book it does not know names itself from its own head.
        std::u16string name = CatalogueNames(
            app.libraryPath, {{PathToBytes(app.doc->bookPath), Utf16ToUtf8(entry)}})[0];
        if (name.empty()) {
            BookMeta meta;
            ReadOneBook(app.doc->bookPath, entry, meta);
            name = meta.title;
            for (size_t i = 0; i < meta.authors.size() && !name.empty(); ++i)
                name += (i ? u", " : u" \u2014 ") + AuthorName(meta.authors[i]);
        }
        if (!name.empty()) title = name + u" \u2014 Lectra";
    }
    app.bookTitle = title;
    if (app.windowCreated) SetMainWindowTitle(title);
}

// A book too long to be read whole says where it was cut, once, when it opens.
void TellIfCut(App& app) {
    if (app.bookOpen && app.doc->bookCut.isCut)
        ShowMessage(DialogServices(app), BookCutText(*app.doc));
}

// The browse folder of a book: its folder with the trailing "/", as the file browser keeps it.
std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'/');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

}  // namespace

StatusSources CurrentStatus(App& app) {
    return app.host.sampleStatus ? app.host.sampleStatus() : ReadStatus(app);
}

void InitApp(App& app, const std::u16string& programFolder, const std::u16string& dataFolder) {
    if (!app.host.tickCount) app.host.tickCount = TickCount;
    if (!app.host.showMessage) app.host.showMessage = ShowMessageBox;
    if (!app.host.ask) app.host.ask = AskOkCancel;
    if (!app.host.runDialog) app.host.runDialog = RunDialog;
    if (!app.host.popUpMenu) app.host.popUpMenu = PopUpMenu;
    if (!app.host.modalActive) app.host.modalActive = ModalLoopActive;
    app.doc = MakeDocument(app);
    Layout& layout = app.layout;
    layout.draw = app.host.draw;
    app.pictures.images = app.host.images;
    layout.pictures = &app.pictures;
    layout.settings = &app.session.settings;
    WireAutoscroll(app);
    LoadHyphenPatterns(layout.patterns, dataFolder);
    app.programFolder = programFolder;
    LoadSettingsSession(app.session, programFolder);
    InitDialogServices(app);
    app.browseFolder.clear();
    app.bookOpen = 0;
    const Settings& s = app.session.settings;
    // A remembered size beyond what the surface serves would leave the window blank.
    app.screenWidth = std::clamp(s.windowWidth, 1, kMaxScreenSide);
    app.screenHeight = std::clamp(s.windowHeight, 1, kMaxScreenSide);
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

void OpenStartupBook(App& app, const std::u16string& given) {
    const std::u16string commandLine = CanonicalBookPath(given);
    const RecentEntry& last = app.session.recent.entries[0];
    int opened = 0;
    if (!commandLine.empty()) {
        app.browseFolder = FolderOf(commandLine);
        opened = OpenWithProgress(app, *app.doc, commandLine, 0);
        // A book named on the command line that cannot be read says so, as the tool does.
        if (!opened) ShowOpenError(app);
    }
    if (!opened && !last.folder.empty() && !last.bookPath.empty()) {
        app.browseFolder = last.folder;
        const std::u16string path = last.bookPath;
        opened = OpenWithProgress(app, *app.doc, path, 0);
        if (!opened) {
            app.bookOpen = 0;
            Refresh(app);
            app.host.showMessage(kErrorReadingFile, kMessageCaption);
        }
    }
    app.bookOpen = opened;
    ComputeGeometry(app);
    Refresh(app);
    ShowBookTitle(app);
    TellIfCut(app);
    // Nothing to read: the reader is asked for a book, from the library when it has any, else
    // from the file browser.
    if (!opened && !(app.session.recent.entries[0].bookPath.size() < 2 &&
                     !app.libraryPath.empty() && ShowLibrary(app, 1))) {
        if (!app.bookOpen) ShowStartupBrowser(app);
    }
    if (app.session.settings.startInFullscreen) SetFullScreen(app, 1);
}

int OpenInWindow(App& app, const std::u16string& path, int reopen, const std::u16string* entry);

int OpenBookEntry(App& app, const std::u16string& given, const std::u16string& entry) {
    return OpenInWindow(app, CanonicalBookPath(given), 0, &entry);
}

int OpenBookForDialog(App& app, const std::u16string& given, int reopen) {
    return OpenInWindow(app, CanonicalBookPath(given), reopen, nullptr);
}

int OpenInWindow(App& app, const std::u16string& path, int reopen, const std::u16string* entry) {
    StopAutoscroll(app);
    RememberBook(app);
    // The new book is opened beside the one being read, which is closed only when the new one
    // opened: a book that cannot be read leaves the reader where it was.
    std::unique_ptr<Document> next = MakeDocument(app);
    const bool same =
        app.bookOpen && path == app.doc->bookPath && (!entry || *entry == app.doc->zipEntryName);
    if (same && reopen) {
        next->bookPath = app.doc->bookPath;
        next->zipEntryName = app.doc->zipEntryName;  // a reopen reads the same archive entry
    }
    if (entry) {
        // An entry asked for by name: the recent list's memory of that entry (if any) places it.
        next->bookPath = path;
        next->zipEntryName = *entry;
    }
    if (!OpenWithProgress(app, *next, path, reopen)) {
        app.doc->openErrorText = next->openErrorText;
        ComputeGeometry(app);
        Refresh(app);
        ShowOpenError(app);
        return 0;
    }
    if (same) next->pageStart = SamePlace(app.doc->pageStart, app.doc->docLength, next->docLength);
    CloseDocument(*app.doc);
    app.layout.searchMark = -1;
    app.doc = std::move(next);
    app.bookOpen = 1;
    if (!FolderOf(path).empty()) app.browseFolder = FolderOf(path);
    ComputeGeometry(app);
    Refresh(app);
    ShowBookTitle(app);
    TellIfCut(app);
    return 1;
}

int OpenBookInWindow(App& app, const std::u16string& path) {
    return OpenBookForDialog(app, path, 0);
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
    // Whatever holds the display (the setting, or a setting cleared while the hold was on) lets
    // it go when the reader is left.
    SetBacklightAlwaysOn(app.backlight, 0);
    SaveAll(app);
}

void QueueBook(App& app, const std::u16string& given) {
    const std::u16string path = CanonicalBookPath(given);
    if (path.empty()) return;
    // A flood of hand-overs keeps the newest: the oldest is dropped.
    if (app.pendingBooks.size() >= kPendingBookLimit)
        app.pendingBooks.erase(app.pendingBooks.begin());
    app.pendingBooks.push_back(path);
    // The messages that bring a book arrive from the event loop, so a free window opens it now;
    // a busy one opens it from the pending timer once it is free.
    if (app.opening || (app.host.modalActive && app.host.modalActive())) {
        StartPendingTimer(app);
    } else {
        RunPending(app);
    }
}

void RunPending(App& app) {
    if (app.opening || (app.host.modalActive && app.host.modalActive())) return;
    if (app.pendingTimerRunning) KillWindowTimer(kPendingTimer);
    app.pendingTimerRunning = 0;
    if (app.pendingDeactivate) {
        app.pendingDeactivate = 0;
        if (app.appActive) SetActive(app, 0);
    }
    while (!app.pendingBooks.empty() && app.windowCreated) {
        const std::u16string path = app.pendingBooks.front();
        app.pendingBooks.erase(app.pendingBooks.begin());
        OpenBookInWindow(app, path);
        // A message box of a failed open may have let more arrive; they stay queued in order.
    }
}

void ShowNote(App& app, const std::u16string& note) {
    if (note.empty() || !app.windowCreated) return;
    app.layout.note = note;
    SetWindowTimer(kNoteTimer, kNoteMs);
}

void ApplyBacklightSetting(App& app) {
    const int on = app.session.settings.backlightOn;
    if (!app.appActive) return;
    // The hold taken for an autoscroll run stays while it runs.
    if (on || !app.autoscrollHoldsDisplay) SetBacklightAlwaysOn(app.backlight, on);
    if (app.clockTimerRunning && !app.layout.autoscrolling) StartClockTimer(app);
}

void OnTimer(App& app, uint32_t timerId) {
    // The book is half made while it opens: the clock and the periodic save wait for it.
    if (app.opening) return;
    if (timerId == kPendingTimer) {
        RunPending(app);
        return;
    }
    if (timerId == kNoteTimer) {
        KillWindowTimer(kNoteTimer);
        if (!app.layout.note.empty()) {
            app.layout.note.clear();
            if (!app.layout.autoscrolling) Repaint(app);
        }
        return;
    }
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
    // First, so that the workers have ended before the book and the fonts are read or released.
    StopAutoscroll(app);
    StopLibraryScan(app);
    RememberBook(app);
    UnregisterHotKeys(app);
    if (app.clockTimerRunning) KillWindowTimer(kClockTimer);
    app.clockTimerRunning = 0;
    // The display is never left held after the reader ends.
    SetBacklightAlwaysOn(app.backlight, 0);
    ReleasePageSurface(app.layout);
    ReleaseLayoutFonts(app.layout);
    ReleasePictures(app.pictures);
    SaveAll(app);
    if (app.doc) CloseDocument(*app.doc);
    app.bookOpen = 0;
}

void RememberBook(App& app) {
    // The book read so far is remembered before another one replaces it.
    if (app.bookOpen) RememberCurrentBook(app.session.recent, *app.doc, app.browseFolder);
}

}  // namespace lectra
