// The platform's window services as the reader sees them: one main window with a window
// procedure that receives the handheld's messages, timers, hot keys, the soft-key bar, message
// boxes, the wait cursor, keeping the display on, and the single running copy. Implemented on Qt
// in platform/qt; everything here runs on the interface thread.
#pragma once
#include <cstdint>
#include <string>

#include "platform/draw.h"

namespace lectra {

// Messages of the window procedure, numbered as the handheld numbers them.
constexpr uint32_t kMsgCreate = 0x0001;
constexpr uint32_t kMsgDestroy = 0x0002;
constexpr uint32_t kMsgActivate = 0x0006;  // wParam 0: deactivated, 1: activated
constexpr uint32_t kMsgPaint = 0x000F;
constexpr uint32_t kMsgClose = 0x0010;  // the window's close box, a signal, the session ending
constexpr uint32_t kMsgSettingChange = 0x001A;
constexpr uint32_t kMsgKeyDown = 0x0100;  // wParam: the virtual key
constexpr uint32_t kMsgKeyUp = 0x0101;
constexpr uint32_t kMsgCommand = 0x0111;     // wParam: the command id
constexpr uint32_t kMsgTimer = 0x0113;       // wParam: the timer id
constexpr uint32_t kMsgStylusDown = 0x0201;  // lParam: x | y << 16, client coordinates
constexpr uint32_t kMsgStylusUp = 0x0202;
constexpr uint32_t kMsgHotKey = 0x0312;    // lParam: modifiers | virtual key << 16
constexpr uint32_t kMsgOpenBook = 0x8001;  // another start named a book; see PendingBookPath
constexpr uint32_t kMsgDropBook = 0x8002;  // a file was dropped on the window; DroppedBookPath

// The desktop's paging keys (Page Down and Space, Page Up and Shift+Space, the wheel's notches)
// arrive as these virtual keys; the arrows arrive as kVkLeft..kVkDown.
constexpr uint32_t kVkPageUp = 0x21;
constexpr uint32_t kVkPageDown = 0x22;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkUp = 0x26;
constexpr uint32_t kVkRight = 0x27;
constexpr uint32_t kVkDown = 0x28;

// The hot-key modifier flag of a release.
constexpr uint32_t kHotKeyRelease = 0x1000;
// The modifier the handheld registers its buttons with.
constexpr uint32_t kHotKeyModifier = 8;

using WindowProcedure = void (*)(void* context, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam);

// Starts the windowing system for the reader. Returns 0, having said why on standard error, when
// no display can be opened.
int StartWindowPlatform();

// Creates and shows the main window with a client area of width × height (the device screen),
// titled `title`, with a soft-key bar of the two captions at its bottom. The procedure receives
// kMsgCreate before this returns. Returns 0 on failure.
int CreateMainWindow(WindowProcedure procedure, void* context, const char16_t* title,
                     const char16_t* leftSoftKey, const char16_t* rightSoftKey, int width,
                     int height);
// The window's title as the desktop shows it (task bar, window list).
void SetMainWindowTitle(const std::u16string& title);
// Sends kMsgDestroy and removes the window; kMsgDestroy's handler posts the quit.
void DestroyMainWindow();
int MainWindowExists();
// Gives the client area a new size, as the user dragging the window's edges does.
void ResizeMainWindow(int width, int height);
// The path of the file last dropped on the window.
std::u16string DroppedBookPath();

// The client area's size: the screen of the handheld.
void ScreenSize(int* width, int* height);
// The soft-key bar's rectangle in client coordinates; empty when there is none.
PixelRect MenuBarRect();
// Makes the main window fill the screen through the window system, or gives it back its size.
// (Not on the offscreen platform, whose screen is a stand-in.)
void SetWindowFullScreen(int on);
// 1 while the window system shows the main window full screen.
int WindowIsFullScreen();
// Shows the soft-key bar at its place, or moves it out of sight (full screen).
void ShowMenuBar(int visible);
// Places the page area of the window (the rectangle the surface is shown in).
void PlacePageArea(PixelRect rect);

// Asks for the page area to be painted now (kMsgPaint reaches the procedure before this returns,
// or right after the paint under way).
void RepaintWindow();
// Inside kMsgPaint only: copies width × height of the surface from its top left to the page area.
void PresentSurface(PlatformSurface* surface, int width, int height);
// Moves the pixels of `rect` of the page area by dx to the right and dy down (negative: left, up)
// without a repaint of the rest; the uncovered strip is presented anew from the surface.
void ScrollPageArea(PixelRect rect, int dx, int dy);

// Timers of the main window; a timer message carries its id.
int SetWindowTimer(uint32_t id, uint32_t milliseconds);
void KillWindowTimer(uint32_t id);

// Hot keys: the handheld's application buttons (virtual keys 0xC1..0xC6) reach the procedure as
// kMsgHotKey only while registered.
int RegisterButtonHotKey(int virtualKey);
void UnregisterButtonHotKey(int virtualKey);

// 1 when the main window has the keyboard focus of the desktop.
int IsForegroundWindow();
// Raises the main window and gives it the focus.
void BringToFront();

// A modal message box with one OK button.
void ShowMessageBox(const std::u16string& text, const std::u16string& caption);

// One item of a soft-key menu: level 0 in the menu, 1 in the sub-menu last opened above it. No
// text is a separator; a command of 0 with a text opens a sub-menu.
struct MenuItem {
    int level;
    const char16_t* text;
    int command;
    const char16_t* shortcut = nullptr;  // shown beside the text
    int disabled = 0;                    // shown greyed, cannot be chosen
};
// Opens the pop-up menu of a soft key (0 the left, 1 the right) above it; returns the command
// chosen, 0 when none.
int PopUpMenu(int softKey, const MenuItem* items, int count);
void SetWaitCursor(int on);
// 1 while a dialog, a message box or a menu runs its own loop over the main window.
int ModalLoopActive();
// A bar in the middle of the window with the percent done of a long piece of work (a negative
// percent takes it away). The window repaints while it shows; keys and clicks wait until after.
void ShowProgress(int percent);

// Holds the desktop's screen saver and display power-off off while on (where a session bus
// offers the inhibition; nothing otherwise).
void KeepDisplayOn(int on);

// Runs the message loop until PostQuit; returns the code given to it.
int RunMessageLoop();
void PostQuit(int code);

// Single running copy. Returns 1 when this start should exit: another copy of this user runs and
// was handed `bookPath` (empty: just come forward), or it runs (it holds the lock) but did not
// answer within 30 seconds, which is said on standard error. Returns 0 when this is the first
// copy, which from now on holds the lock and listens; each later start comes forward and arrives
// as one kMsgOpenBook, posted and delivered from the event loop.
// `scope` is the settings folder: copies with folders of their own are not one another's.
int HandOverToRunningCopy(const std::u16string& scope, const std::u16string& bookPath);
// The oldest handed-over path not yet taken, removed from the queue (one for each kMsgOpenBook);
// empty when none is left.
std::u16string PendingBookPath();

// When set ("LECTRA_TRACE=1"), the platform prints "first-page-ms N" after the first presented
// page and "key 0xNN repaint-ms N" after the paint that follows each key.
int TraceEnabled();

}  // namespace lectra
