// The library's folders: the folders it catalogues, one added through the folder chooser or one
// removed, the list handed back for the settings.
#pragma once
#include <string>
#include <vector>

#include "dialogs/dialog_frame.h"

namespace lectra {

// Why a folder cannot join the list, or null when it can: the root (a walk of the whole disk),
// a path the settings file cannot hold (too long, a line break), a full list.
const char16_t* FolderRefusal(const std::vector<std::u16string>& folders,
                              const std::u16string& folder);

// Shows `folders` (paths, no trailing "/") for editing; returns 1 with the list as the user left
// it when they saved it, 0 (the list as given) when they left.
int ShowLibraryFoldersDialog(const ReaderServices& reader, std::vector<std::u16string>& folders);

}  // namespace lectra
