// The library's folders dialog: a list of the folders with Add (the file browser as a folder
// chooser) and Remove, and Save handing the list back.
#include "dialogs/library_folders_dialog.h"

#include <algorithm>

#include "dialogs/file_browser.h"
#include "platform/dialog.h"

namespace lectra {

namespace {

struct FoldersForm {
    const ReaderServices* reader = nullptr;
    std::vector<std::u16string> folders;
    int saved = 0;
};

void Fill(PlatformDialog* dialog, const FoldersForm& f, int select) {
    ListReset(dialog, kCtlFoldersList);
    for (const std::u16string& folder : f.folders)
        ListAdd(dialog, kCtlFoldersList, ReadableName(folder));
    const int last = static_cast<int>(f.folders.size()) - 1;
    ListSelect(dialog, kCtlFoldersList, std::min(select, last));
    ShowControl(dialog, kCtlFoldersRemove, !f.folders.empty());
}

void Add(PlatformDialog* dialog, FoldersForm& f) {
    const int at = ListSelection(dialog, kCtlFoldersList);
    // The chooser starts at the folder selected, so that a neighbour is a step away.
    std::u16string start;
    if (at >= 0 && at < static_cast<int>(f.folders.size())) start = f.folders[at] + u"/";
    std::u16string chosen;
    if (!ChooseFolder(*f.reader, start, chosen)) {
        SetControlFocus(dialog, kCtlFoldersList);
        return;
    }
    const auto known = std::find(f.folders.begin(), f.folders.end(), chosen);
    if (known != f.folders.end()) {
        ListSelect(dialog, kCtlFoldersList, static_cast<int>(known - f.folders.begin()));
    } else if (const char16_t* refusal = FolderRefusal(f.folders, chosen)) {
        ShowTitledMessage(*f.reader, refusal, u"Library");
    } else {
        f.folders.push_back(chosen);
        Fill(dialog, f, static_cast<int>(f.folders.size()) - 1);
    }
    SetControlFocus(dialog, kCtlFoldersList);
}

void Remove(PlatformDialog* dialog, FoldersForm& f) {
    const int at = ListSelection(dialog, kCtlFoldersList);
    if (at < 0 || at >= static_cast<int>(f.folders.size())) return;
    f.folders.erase(f.folders.begin() + at);
    Fill(dialog, f, at);
    SetControlFocus(dialog, kCtlFoldersList);
}

void OpenFolders(FoldersForm& f, PlatformDialog* dialog) {
    InitDialogFrame(dialog, u"Library folders", u"Save");
    PlaceControls(dialog, {{kCtlFoldersCaption, 1, 2, 0},
                           {kCtlFoldersAdd, 6, 2, 1},
                           {kCtlFoldersRemove, 5, 2, 1},
                           {kCtlFoldersList, 2, 2, 2}});
    Fill(dialog, f, 0);
    SetControlFocus(dialog, kCtlFoldersList);
}

int FoldersCommand(FoldersForm& f, PlatformDialog* dialog, uintptr_t wParam) {
    if (IsNotice(wParam, kCtlFoldersAdd, kButtonPress)) {
        Add(dialog, f);
        return 1;
    }
    if (IsNotice(wParam, kCtlFoldersRemove, kButtonPress) ||
        IsNotice(wParam, kCtlFoldersList, kListDelete)) {
        Remove(dialog, f);
        return 1;
    }
    // Enter and a double click save, as the left soft key does: a line here has nothing to open.
    if (!ListActionAsked(dialog, wParam, kCtlFoldersList)) return 1;
    f.saved = 1;
    EndDialog(dialog, 1);
    return 1;
}

}  // namespace

const char16_t* FolderRefusal(const std::vector<std::u16string>& folders,
                              const std::u16string& folder) {
    if (folder.empty() || folder == u"/") return u"The whole disk cannot be a library folder.";
    if (folder.size() > static_cast<size_t>(kMaxValueChars) ||
        folder.find_first_of(u"\r\n") != std::u16string::npos) {
        return u"The settings cannot keep this folder's name: it is too long or holds a line "
               u"break.";
    }
    if (folders.size() >= static_cast<size_t>(kLibraryFolderCount))
        return u"The library holds at most 16 folders.";
    return nullptr;
}

int ShowLibraryFoldersDialog(const ReaderServices& reader, std::vector<std::u16string>& folders) {
    FoldersForm f;
    f.reader = &reader;
    f.folders = folders;
    ShowDialog(reader, kTemplateLibraryFolders, f, OpenFolders, FoldersCommand);
    if (!f.saved) return 0;
    folders = f.folders;
    return 1;
}

}  // namespace lectra
