// The application state block: one made at start-up, holding the settings, the open book, the
// layout, the recent list and the shell's own state; and the operations of the shell over it.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/backlight.h"
#include "dialogs/dialog_frame.h"
#include "document/document.h"
#include "layout/autoscroll.h"
#include "layout/layout.h"
#include "layout/page_paint.h"
#include "layout/picture_blocks.h"
#include "platform/sys/power.h"
#include "platform/window.h"
#include "shell/book_session.h"

namespace lectra {

constexpr uint32_t kClockTimer = 1;
constexpr uint32_t kAutoscrollTimer = 2;
constexpr uint32_t kClockPeriodMs = 30000;
constexpr uint32_t kClockPeriodBacklightMs = 5000;
constexpr uint32_t kNoteTimer = 4;  // takes a note off the page
constexpr uint32_t kNoteMs = 1200;
constexpr uint32_t kPendingTimer = 3;  // books handed over or dropped wait for the window
constexpr uint32_t kPendingPeriodMs = 100;
constexpr size_t kPendingBookLimit = 16;
constexpr uint32_t kAutoSavePeriodMs = 120000;
constexpr uint32_t kHoldMs = 700;  // the one threshold of every input that waits on time

// The services of the host that the shell asks for time and status; the tests replace them.
struct ShellHost {
    uint32_t (*tickCount)() = nullptr;
    StatusSources (*sampleStatus)() = nullptr;
    void (*showMessage)(const std::u16string& text, const std::u16string& caption) = nullptr;
    int (*ask)(const std::u16string& text, const std::u16string& caption) = nullptr;
    int (*runDialog)(const DialogTemplate& t, DialogProcedure procedure, void* context) = nullptr;
    int (*popUpMenu)(int softKey, const MenuItem* items, int count) = nullptr;
    // The drawing back end, named by main() (only src/app knows which it is).
    const DrawServices* draw = nullptr;
    // The picture back end, named by main() too; null shows no pictures.
    const ImageServices* images = nullptr;
    // 1 while a dialog, a message box or a menu runs its own loop over the window.
    int (*modalActive)() = nullptr;
};

// The library's scan in its worker thread: the interface thread starts and joins it and reads
// how far it is; the worker owns its own database connection.
struct LibraryScan {
    std::thread worker;
    std::atomic<int> running{0};
    std::atomic<int> cancel{0};
    std::atomic<int64_t> done{0};
    std::atomic<int64_t> total{0};
};

// What the open book's bookmarks on the page were read from: they are read again when the book
// or the bookmarks file (its size or time) changes.
struct BookmarkMarks {
    std::u16string book;
    int64_t fileSize = -1;
    int64_t fileTime = -1;
    int read = 0;
};

struct App {
    SettingsSession session;  // the two stores, the settings, the recent list
    std::unique_ptr<Document> doc;
    int bookOpen = 0;
    Layout layout;
    PictureBlocks pictures;  // the layout's picture blocks and their cache
    std::u16string browseFolder;
    std::u16string bookTitle;  // the window's title: the book's own, else its file name
    std::u16string programFolder;
    ShellHost host;

    // Shell state.
    int windowCreated = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    int appActive = 0;
    int fullScreen = 0;
    int restoreFullScreen = 0;
    int clockTimerRunning = 0;
    uint32_t lastAutoSaveTick = 0;
    // A failed save was reported: that is told once a run.
    int saveFailureTold = 0;
    PixelRect windowRect;  // where the page area is, in client coordinates
    int painting = 0;      // inside the paint handler: no message box may open
    // A book being opened: the store is half made, so timers, other books and a close wait.
    int opening = 0;
    uint32_t openStartTick = 0;
    int progressShown = 0;
    int closeWaiting = 0;
    // Books named by a later start or dropped on the window, oldest first: they are opened when
    // no open, dialog, message box or menu is under way. A deactivation met during an open is
    // acted on after it.
    std::vector<std::u16string> pendingBooks;
    int pendingDeactivate = 0;
    int pendingTimerRunning = 0;

    // The battery, read at most every ten seconds: the status line is painted at every key.
    PowerStatus power;
    uint32_t powerSampleTick = 0;
    int powerSampled = 0;

    // Input.
    uint32_t keyRepeatTick = 0;
    uint32_t stylusDownTick = 0;
    uint16_t stylusDownX = 0;
    uint16_t stylusDownY = 0;

    Backlight backlight;
    Autoscroll autoscroll;
    int autoscrollHoldsDisplay = 0;  // "BACKLIGHT_AS_ON" took the display for this run

    // The library: its database file (empty: no library), and its scan.
    std::string libraryPath;
    LibraryScan libraryScan;
    int libraryScanned = 0;  // a scan was started this run

    BookmarkMarks bookmarkMarks;

    // The operations the dialogs may ask of all this (made once; the tests replace some), and
    // what the dialogs keep from one to the next.
    ReaderOperations dialogOperations;
    DialogMemory dialogMemory;
};

// Start-up up to the window: cache reset, patterns, stores and settings from `programFolder`,
// the surface, fonts and brushes. No window yet.
void InitApp(App& app, const std::u16string& programFolder, const std::u16string& dataFolder);
// Creates the main window (its size from the settings) and paints the first, empty page.
int CreateAppWindow(App& app);
// Opens the book of the command line, else the most recent one; says "Error reading file!" once
// when the most recent one cannot be opened. Then full screen when so set.
void OpenStartupBook(App& app, const std::u16string& commandLine);
// Everything after the message loop: remembers the book, stops the timers, saves both stores,
// releases the drawing objects and closes the book.
void Shutdown(App& app);

void SetActive(App& app, int on);
// The clock and the battery for the status line (the host's, when a test gives one).
StatusSources CurrentStatus(App& app);
// "BACKLIGHT_ON" changed: the display is held or let go at once, and the clock's period follows.
void ApplyBacklightSetting(App& app);
// The periodic save and the clock's repaint, on every timer message.
void OnTimer(App& app, uint32_t timerId);

// Autoscrolling in the window: timer 2 drives it, the clock timer rests, and the display is held
// on while it runs when "BACKLIGHT_AS_ON" (without "BACKLIGHT_ON") says so. StopAutoscroll is
// called before anything that takes the window away (a dialog, another book, deactivation, the
// end); it does nothing when autoscrolling is off.
void WireAutoscroll(App& app);
void StartAutoscroll(App& app);
void StopAutoscroll(App& app);
void ToggleAutoscroll(App& app);
void AutoscrollTick(App& app);
void ToggleAutoscrollPause(App& app);
// While autoscroll runs the page keys set its speed: one step faster or slower.
void ChangeAutoscrollSpeed(App& app, int faster);

// Geometry and painting.
void ComputeGeometry(App& app);
void SetFullScreen(App& app, int on);
// Lays out from PageStart, samples the status, paints and shows.
void Refresh(App& app);
// Samples the status, paints and shows, without a new layout (the clock).
void Repaint(App& app);
void ShowPage(App& app);
void OnPaint(App& app);

// Opens `path` beside the book read so far (remembered first), and replaces it only when the new
// one opened; with `reopen` the recent list's memory of the book is set aside. The page is laid
// out and painted either way, and a failure is reported here, the one place that does. Returns 1
// on success.
int OpenBookForDialog(App& app, const std::u16string& path, int reopen);
int OpenBookInWindow(App& app, const std::u16string& path);

// A book named by a later start or dropped on the window: queued, and opened from the pending
// timer once the window is free (never from inside the handler that delivered it).
void QueueBook(App& app, const std::u16string& path);
// The pending timer: opens the queued books in order and applies a deactivation that arrived
// during an open, unless an open or a modal loop is still under way.
void RunPending(App& app);
// The document hook that finds a plain-text book's chapters in a worker (contents_worker.cpp).
int FindContentsInWorker(void* context, Document& doc);

// Opens the entry `entry` of the archive `path` (a book of the library): at its remembered
// place when the recent list remembers that entry, else from its start.
int OpenBookEntry(App& app, const std::u16string& path, const std::u16string& entry);
// Brings the open book's recent entry up to date (its place and the folder browsed).
void RememberBook(App& app);
// A jump to `position` (the way back returns from it), at most to the last full page.
void GoTo(App& app, int32_t position);

// The library: the folders it catalogues (as chosen; until then those of the books read, and
// ~/Books), its scan in a worker (started at most once at a time; stopped and joined at the end),
// and its dialog, which waits for a scan under way and opens the book chosen. ShowLibrary returns
// 1 when a book opened; with `onlyWithBooks` an empty catalogue shows nothing.
std::vector<std::string> LibraryFolders(const App& app);
// `dropped`: folders taken off the list, whose books the scan takes out of the catalogue first.
void StartLibraryScan(App& app, const std::vector<std::string>& dropped = {});
void StopLibraryScan(App& app);
void WaitForLibraryScan(App& app);
int ShowLibrary(App& app, int onlyWithBooks = 0);
// Hands the open book's bookmark positions to the layout for the status line and the progress
// bar, reading the bookmarks file only when it or the book changed since the last call.
void SyncBookmarkMarks(App& app);
// The library's folders dialog; a changed list is kept in the settings (saved at once) and a
// rescan of it started in the worker. Returns 1 when the list changed.
int ChooseLibraryFolders(App& app);

// Dialogs and menus. The operations are made once; the services a dialog is given are made
// for each command that shows one, with the values of that moment.
void InitDialogServices(App& app);
ReaderServices DialogServices(App& app);
void ShowStartupBrowser(App& app);

// The page of keys that F1 shows: the desktop's keys, then the bindings as they are now.
std::u16string KeysPageText(const Settings& settings);

// Paints `note` over the page for a moment (nothing for an empty one); the note timer takes it
// off after kNoteMs.
void ShowNote(App& app, const std::u16string& note);

// Saves the settings and the recent list into their stores and writes both to disk.
void SaveAll(App& app);

// Input: the command table. ExecuteAction runs the actions bound to an input and returns 1 when
// a binding took it; DispatchCommand runs a menu command.
int ExecuteAction(App& app, uint16_t inputId);
void DispatchCommand(App& app, uint32_t commandId);
uint16_t RecognizeGesture(App& app, int x, int y, uint32_t now);
void OnKeyDown(App& app, uint32_t virtualKey);
void OnHotKey(App& app, uint32_t modifiers, uint32_t virtualKey);
void RegisterHotKeys(App& app);
void UnregisterHotKeys(App& app);

// The window procedure; `context` is the App.
void MainWindowProc(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Runs the reader on the drawing back end `draw`: single instance, start-up, the loop, shutdown.
// Returns the exit code.
int RunApplication(const std::u16string& commandLine, const DrawServices& draw,
                   const ImageServices* images = nullptr);

}  // namespace lectra
