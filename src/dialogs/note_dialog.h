// The note dialog: a note's text over the page, for a tapped reference or the page's notes; "Go to
// note" is a jump to it.
#pragma once
#include <vector>

#include "dialogs/dialog_frame.h"

namespace lectra {

// Shows the open book's notes `indices` (into the book's references), their list above the
// chosen one's text when there are several, `selected` chosen first. "Go to note" reaches the note
// through the jump history, so that Back returns; Escape or Cancel closes. No notes say so.
void ShowNotesDialog(const ReaderServices& reader, const std::vector<int>& indices, int selected);

// The list's line for a reference: its own text, then the start of its note.
std::u16string NoteLine(Document& doc, const NoteRef& ref);

}  // namespace lectra
