// The buttons dialog: which action each key, hardware button and stylus gesture runs, chosen in
// two steps in one list.
#pragma once
#include "dialogs/dialog_frame.h"

namespace lectra {

void ShowButtonsDialog(const ReaderServices& reader);

// The input list's line of a binding: its name, "-> " and its action's name.
std::u16string BindingLine(const ButtonBinding& binding);

}  // namespace lectra
