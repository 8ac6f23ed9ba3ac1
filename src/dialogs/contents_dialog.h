// The contents dialog: the book's entries indented by depth; the chosen one is a jump.
#pragma once
#include <string>

#include "dialogs/dialog_frame.h"

namespace lectra {

// The list's line for an entry: two spaces a level (at most eight levels of indent), then the
// title.
std::u16string ContentsLine(const ContentsEntry& entry);

// Shows the open book's contents with the current page's entry selected; the chosen entry is
// reached through the jump history, so that Back returns. A book without contents says so.
void ShowContentsDialog(const ReaderServices& reader);

}  // namespace lectra
