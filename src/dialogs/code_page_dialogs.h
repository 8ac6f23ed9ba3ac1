// The book's code page, the export code page, and what is known about the open book.
#pragma once
#include "dialogs/dialog_frame.h"

namespace lectra {

void ShowCodePageDialog(const ReaderServices& reader);
void ShowSaveCodePageDialog(const ReaderServices& reader);
// The text of the file information box.
std::u16string FileInfoText(Document& doc, double percentRead);
void ShowFileInfoDialog(const ReaderServices& reader);
// The program's name and version.
void ShowAboutDialog(const ReaderServices& reader);

}  // namespace lectra
