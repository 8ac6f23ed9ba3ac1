// What the Qt layer's own parts share about the main window: a message sent to its procedure, the
// widget that dialogs and boxes cover, and the modal state that keeps input from the page.
#pragma once
#include <cstdint>

class QWidget;

namespace lectra {

// Nothing happens when the window does not exist.
void SendToMainWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);
// The same, delivered later from the event loop: for a handler (a socket's) that must return
// before the procedure may run a nested loop of its own.
void PostToMainWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);
// The main window's widget; null when there is none.
QWidget* MainWindowWidget();
// A box or dialog opens (1) or closes (0) over the window: while one is open the page takes no
// keys, clicks or wheel turns.
void EnterModal(int on);

}  // namespace lectra
