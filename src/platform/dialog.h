// The platform's dialog services as the reader sees them: a modal dialog built from a template
// (controls by id), covering the main window, with a soft-key bar; its procedure receives the
// handheld's dialog messages and works on controls by id. Implemented on Qt in platform/qt.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/draw.h"

namespace lectra {

enum class ControlKind : uint8_t {
    kLabel,
    kList,      // a list box of lines, one selected
    kEdit,      // a one-line edit box
    kCheck,     // a check box with its text
    kSpinList,  // a list of values stepped with up and down buttons
    kInfo,      // a read-only box of several lines
    kPreview,   // a child window the dialog paints itself
    kButton,    // a push button with its text; a press sends kButtonPress
};

// One control of a template. The rectangle is its place before the dialog places it (dialog
// client pixels); the text is the initial text.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char16_t* text;
    PixelRect place;
};

struct DialogTemplate {
    int id;
    const ControlTemplate* controls;
    int count;
};

// Messages of a dialog procedure.
constexpr uint32_t kDlgInit = 0x0110;
constexpr uint32_t kDlgCommand = 0x0111;  // wParam: id | notification << 16
constexpr uint32_t kDlgHotKey = 0x0312;   // lParam: modifiers | virtual key << 16

// Commands: the two soft keys, the OK (Enter) and Cancel (Back) keys.
constexpr int kCmdLeftSoftKey = 40026;
constexpr int kCmdRightSoftKey = 40027;
constexpr int kCmdOk = 1;
constexpr int kCmdCancel = 2;
// Notifications of a list box, with its control id.
constexpr int kListSelectionChange = 1;
constexpr int kListDoubleClick = 2;
// The notification of an edit box whose text the user changed, with its control id.
constexpr int kEditChange = 3;
// The Delete key pressed in a list box, with its control id.
constexpr int kListDelete = 4;
// A button pressed (clicked, or Space while it has the keyboard), with its control id.
constexpr int kButtonPress = 5;

struct PlatformDialog;  // opaque: the dialog while it runs

// Returns 1 when the procedure handled the message.
using DialogProcedure = int (*)(void* context, PlatformDialog* dialog, uint32_t message,
                                uintptr_t wParam, intptr_t lParam);

// Runs the dialog modally over the main window; returns what EndDialog was given (0 when the
// window closed under it).
int RunDialog(const DialogTemplate& dialogTemplate, DialogProcedure procedure, void* context);
void EndDialog(PlatformDialog* dialog, int result);

// The same dialog without its wait, for the tests: built, shown and initialised; the caller works
// its controls, sends it commands as the keys would, and closes it.
PlatformDialog* OpenDialog(const DialogTemplate& dialogTemplate, DialogProcedure procedure,
                           void* context);
void SendDialogCommand(PlatformDialog* dialog, int id, int notification = 0);
// 1 once the procedure ended the dialog; its result in `result`.
int DialogResult(PlatformDialog* dialog, int* result);
void CloseDialog(PlatformDialog* dialog);

void SetDialogTitle(PlatformDialog* dialog, const std::u16string& title);
void SetSoftKeyText(PlatformDialog* dialog, int command, const std::u16string& text);
// The dialog's client area (below its title, above its soft keys), in its own pixels.
PixelRect DialogClientRect(PlatformDialog* dialog);
PixelRect ControlRect(PlatformDialog* dialog, int id);
void MoveControl(PlatformDialog* dialog, int id, PixelRect rect);
void ShowControl(PlatformDialog* dialog, int id, int visible);
void SetControlFocus(PlatformDialog* dialog, int id);
int ControlHasFocus(PlatformDialog* dialog, int id);
// Whether the control is shown (a dialog's controls are hidden until they are placed).
int ControlShown(PlatformDialog* dialog, int id);

std::u16string ControlText(PlatformDialog* dialog, int id);
void SetControlText(PlatformDialog* dialog, int id, const std::u16string& text);
void SetTextLimit(PlatformDialog* dialog, int id, int characters);
void SelectAllText(PlatformDialog* dialog, int id);
int IsChecked(PlatformDialog* dialog, int id);
void SetChecked(PlatformDialog* dialog, int id, int checked);

void ListReset(PlatformDialog* dialog, int id);
int ListAdd(PlatformDialog* dialog, int id, const std::u16string& line);  // its index
int ListCount(PlatformDialog* dialog, int id);
std::u16string ListLine(PlatformDialog* dialog, int id, int index);
int ListSelection(PlatformDialog* dialog, int id);  // −1 when none
void ListSelect(PlatformDialog* dialog, int id, int index);

// Shows `surface` in a preview control, at its top left, until another (or null) is given; the
// caller keeps it alive meanwhile and draws into it before each call.
void SetPreviewSurface(PlatformDialog* dialog, int id, PlatformSurface* surface);

// The font families of the font database that write the Latin script, in the database's order;
// symbol and dingbat families are left out. A name may carry its foundry ("C059 [urw]").
std::vector<std::u16string> LatinFontFamilies();
// The family that text asked for in `face` is drawn with: the face itself when it is installed,
// else the family the font matching falls back to.
std::u16string DrawnFontFamily(const std::u16string& face);

// The height of the system font's characters: the dialog rows are made from it. A list scrolls
// sideways by its widest line of itself.
int SystemFontHeight();

// A message box with a title and OK, or OK and Cancel; returns 1 for OK.
int AskOkCancel(const std::u16string& text, const std::u16string& caption);

}  // namespace lectra
