// The settings forms: the main options, the text font, the margins, the status line and
// autoscrolling. Each compares what was entered with the settings on "Save" and redraws only when
// something changed.
#pragma once
#include <string>
#include <vector>

#include "dialogs/dialog_frame.h"

namespace lectra {

void ShowOptionsDialog(const ReaderServices& reader);
void ShowFontDialog(const ReaderServices& reader);
void ShowMarginsDialog(const ReaderServices& reader);
void ShowStatusLineDialog(const ReaderServices& reader);
void ShowAutoscrollDialog(const ReaderServices& reader);

// The number an edit box holds: an optional sign and the digits at the start of the text after
// spaces; 0 when there are none. Held to ±999999, far beyond any box's range.
int ReadDecimal(const std::u16string& text);

// The faces the font dialog offers: the Latin families in the database's order, each once (a
// foundry in brackets dropped), without those whose names the settings file could not keep (more
// than 31 characters).
std::vector<std::u16string> OfferedFaces(const std::vector<std::u16string>& families);

}  // namespace lectra
