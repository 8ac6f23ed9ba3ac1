// Going to a percentage of the book or to a page of 1024 characters.
#pragma once
#include "dialogs/dialog_frame.h"

namespace lectra {

// Where the number typed goes: the target position, or −1 with the message why not ("" when the
// text holds no number and nothing is said).
struct GotoTarget {
    int32_t position = -1;
    const char16_t* error = u"";
};
GotoTarget GotoTargetOf(const std::u16string& typed, int inPages, int32_t docLength);

void ShowGotoDialog(const ReaderServices& reader, DialogMemory& memory);

}  // namespace lectra
