// The dialog frame: what every dialog of the reader shares — how it is shown, its title and soft
// keys, the row layout of its controls, its list helpers and the message box.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "dialogs/control_ids.h"
#include "document/document.h"
#include "layout/layout.h"
#include "platform/dialog.h"
#include "settings/settings_model.h"

namespace lectra {

// What a dialog may do to the reader. Each operation is the shell's, written once there
// (shell/dialog_services.cpp); `context` is handed back to every one of them.
struct ReaderOperations {
    void* context = nullptr;
    // The book the window shows, for reading its text, notes, contents and cover (reading fills
    // its block cache, so it is not const). Opening a book replaces it: ask again after openBook.
    Document* (*book)(void* context) = nullptr;
    // Lays the page out from PageStart and paints it.
    void (*refresh)(void* context) = nullptr;
    // Leaves full screen; 1 when it was on, for setFullScreen to put it back.
    int (*leaveFullScreen)(void* context) = nullptr;
    void (*setFullScreen)(void* context, int on) = nullptr;
    // The page's rectangles again, for new margins, fonts or status line.
    void (*computeGeometry)(void* context) = nullptr;
    // The page's font `which` (0 the text, 1 the status line) made again for the settings, and
    // the background and status brushes.
    void (*makeFont)(void* context, int which) = nullptr;
    void (*makeBrushes)(void* context) = nullptr;
    // Writes the settings and the recent list into their stores and to disk.
    void (*saveSettings)(void* context) = nullptr;
    // Stops autoscrolling; returns 1 when it is stopped (or was not running).
    int (*stopAutoscroll)(void* context) = nullptr;
    // Opens `path` with the recent list's memory of it (the reopen flag ignores it); 1 on success.
    // A failure has been reported to the user when it returns.
    int (*openBook)(void* context, const std::u16string& path, int reopen) = nullptr;
    // Opens the book `entry` of the ZIP archive `path`, as openBook does a file.
    int (*openEntry)(void* context, const std::u16string& path,
                     const std::u16string& entry) = nullptr;
    // Brings the open book's recent entry up to date.
    void (*rememberBook)(void* context) = nullptr;
    // Closes the open book and deletes its file; a deleted book leaves the recent list. 1 when
    // the file was deleted.
    int (*deleteBook)(void* context) = nullptr;
    // Moves in the open book. goTo is a jump (the way back returns from it) to `position`, at
    // most to the last full page; goToPage the Goto dialog's jump, which shows the book's last
    // page whole; moveTo places the page without a jump (a bookmark opened).
    void (*goTo)(void* context, int32_t position) = nullptr;
    void (*goToPage)(void* context, int32_t position) = nullptr;
    void (*moveTo)(void* context, int32_t position) = nullptr;
    // A jump to the line of the search's hit at `hit`, its units up to `end` marked on the page.
    void (*showFound)(void* context, int32_t hit, int32_t end) = nullptr;
    // `position`, or where the page goes on when the page passes over it (the book's opening
    // title that its first heading repeats): a search hit there would show nowhere.
    int32_t (*shownFrom)(void* context, int32_t position) = nullptr;
    // The folder the file browser shows, kept for the next browser and the recent list.
    void (*setBrowseFolder)(void* context, const std::u16string& folder) = nullptr;
    // The window's size now (it changes when the window does, dialog or no dialog).
    void (*screenSize)(void* context, int* width, int* height) = nullptr;
    // Paints the open book's cover into `surface`; 0 when there is none to paint.
    int (*paintCover)(void* context, PlatformSurface* surface, int width, int height) = nullptr;
    void (*showMessage)(const std::u16string& text, const std::u16string& caption) = nullptr;
    int (*ask)(const std::u16string& text, const std::u16string& caption) = nullptr;
    // Runs a dialog; the tests replace it with one that drives the procedure themselves.
    int (*runDialog)(const DialogTemplate& t, DialogProcedure procedure, void* context) = nullptr;
};

// What the dialogs are given of the reader, made by the shell for each command that shows one:
// values copied then, the two objects the dialogs edit whole, read-only access to the page, and
// the operations. Nothing else of the window is theirs to write.
struct ReaderServices {
    int bookOpen = 0;
    std::u16string programFolder;  // where the bookmarks file lives; empty: none
    std::string libraryPath;       // the library's catalogue file (bytes); empty: no library
    // Edited whole: the settings by their dialogs, the code pages, the bindings and the search's
    // "from current"; the recent list is read (after rememberBook) by the recent books' dialog.
    Settings* settings = nullptr;
    const RecentFiles* recent = nullptr;
    // The page: its fonts, drawing services and surface for the previews, and the search's mark.
    const Layout* page = nullptr;
    ReaderOperations ops;
};

// The search strings and the go-to choice live from one dialog to the next.
struct DialogMemory {
    std::u16string searchLower;
    std::u16string searchUpper;
    int gotoInPages = 0;
};

// Row metrics from the system font.
struct DialogMetrics {
    int rowHeight = 0;
    int rowExtra = 0;
    int rowGap = 0;
};
DialogMetrics ComputeDialogMetrics(int fontHeight);

// Where layout `layout` with margin `margin` puts a control now at `control` in a dialog client
// area `client`; `row` 0xFFFF keeps the control's own vertical place. `scrollBar` leaves room for a
// vertical scroll bar of that width.
PixelRect PlaceRect(const DialogMetrics& m, PixelRect client, PixelRect control, int layout,
                    int margin, int scrollBar, int row);
void PlaceControl(PlatformDialog* dialog, int id, int layout, int margin, int row);
// A dialog's controls placed by its table: each row one PlaceControl.
struct Placement {
    int id;
    int layout;
    int margin;
    int row;
};
void PlaceControls(PlatformDialog* dialog, std::span<const Placement> places);
inline void PlaceControls(PlatformDialog* dialog, std::initializer_list<Placement> places) {
    PlaceControls(dialog, std::span<const Placement>(places.begin(), places.size()));
}
void PlaceRightOf(PlatformDialog* dialog, int id, int reference);

// What a command message asks of a dialog: its action (the left soft key, Enter, or a double
// click in the list `list`), leaving it (the right soft key), or the Back key.
enum class DialogAsk { kNothing, kAction, kClose, kBack };
DialogAsk ReadCommand(uintptr_t wParam, int list = 0);
// A command message that is control `id`'s notification `note`.
inline bool IsNotice(uintptr_t wParam, int id, int note) {
    return (wParam & 0xFFFF) == static_cast<uintptr_t>(id) &&
           wParam >> 16 == static_cast<uintptr_t>(note);
}
// A list dialog's command: 1 when it asks for the action; leaving and the Back key end the
// dialog with 0, anything else is passed over.
int ListActionAsked(PlatformDialog* dialog, uintptr_t wParam, int list);

void InitDialogFrame(PlatformDialog* dialog, const std::u16string& title,
                     const std::u16string& leftSoftKey);

// Leaves full screen (1 when it was on) and goes back to it, around a box or a dialog.
int LeaveFullScreen(const ReaderServices& reader);
void BackToFullScreen(const ReaderServices& reader, int left);
// The page laid out again and painted; the open book's recent entry brought up to date.
void Refresh(const ReaderServices& reader);
void RememberBook(const ReaderServices& reader);

// Stops autoscrolling (no dialog when it will not stop), leaves full screen around the dialog of
// template `templateId` and runs it. Returns the dialog's result, −1 when it was not shown.
int ShowDialog(const ReaderServices& reader, int templateId, DialogProcedure procedure,
               void* context);
// The same for a dialog written as two steps over its state `form`: `open` fills the dialog when
// it is shown, `command` answers each command message (its result ends the dialog when not 0);
// every other message is passed over.
template <class Form>
int ShowDialog(const ReaderServices& reader, int templateId, Form& form,
               void (*open)(Form&, PlatformDialog*),
               int (*command)(Form&, PlatformDialog*, uintptr_t)) {
    struct Steps {
        Form* form;
        void (*open)(Form&, PlatformDialog*);
        int (*command)(Form&, PlatformDialog*, uintptr_t);
    } steps{&form, open, command};
    const DialogProcedure procedure = [](void* context, PlatformDialog* dialog, uint32_t message,
                                         uintptr_t wParam, intptr_t) {
        const Steps& s = *static_cast<const Steps*>(context);
        if (message == kDlgInit) {
            s.open(*s.form, dialog);
            return 1;
        }
        return message == kDlgCommand ? s.command(*s.form, dialog, wParam) : 0;
    };
    return ShowDialog(reader, templateId, procedure, &steps);
}
// The open book (see ReaderOperations::book).
inline Document& Book(const ReaderServices& reader) {
    return *reader.ops.book(reader.ops.context);
}
// OK or Cancel; 1 for OK.
int Ask(const ReaderServices& reader, const std::u16string& text, const std::u16string& caption);
// "Message!" and OK, full screen left around it.
void ShowMessage(const ReaderServices& reader, const std::u16string& text);
// A message box with its own title, over the dialog that is open.
void ShowTitledMessage(const ReaderServices& reader, const std::u16string& text,
                       const std::u16string& caption);

// A surface for a preview control, in the page's colour depth; deleted after the dialog.
PlatformSurface* CreatePreviewSurface(const ReaderServices& reader, int width, int height);
void DeletePreviewSurface(const ReaderServices& reader, PlatformSurface* surface);

// The dialog templates, by id; null for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace lectra
