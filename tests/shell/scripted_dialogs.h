// Dialogs opened for real offscreen and worked by a script instead of a person.
#pragma once
#include <algorithm>

#include "dialogs/control_ids.h"
#include "reader_test_support.h"

namespace lectra::test {

// Opens the dialog for real, runs the next script on it, and cancels what the script left open.
inline int Scripted(const DialogTemplate& t, DialogProcedure procedure, void* context) {
    dialogs.push_back(t.id);
    PlatformDialog* d = OpenDialog(t, procedure, context);
    if (!d) return 0;
    int result = 0;
    if (!DialogResult(d, &result) && !scripts.empty()) {
        Script script = scripts.front();
        scripts.pop_front();
        script(d);
    }
    if (!DialogResult(d, &result)) SendDialogCommand(d, kCmdRightSoftKey);
    DialogResult(d, &result);
    CloseDialog(d);
    return result;
}

// 1 once the dialog has been ended by its procedure.
inline int Ended(PlatformDialog* d) {
    return DialogResult(d, nullptr);
}

inline std::vector<std::u16string> Lines(PlatformDialog* d, int id) {
    std::vector<std::u16string> lines;
    for (int i = 0; i < ListCount(d, id); ++i) lines.push_back(ListLine(d, id, i));
    return lines;
}

// Searches for `text` from the book's start or, with `fromHere`, from the page.
inline Script Search(const std::u16string& text, int fromHere = 0) {
    return [=](PlatformDialog* d) {
        SetControlText(d, kCtlFindText, text);
        SetChecked(d, kCtlFindFromCurrent, fromHere);
        SendDialogCommand(d, kCmdLeftSoftKey);
    };
}

inline void Choose(PlatformDialog* d, int list, const std::u16string& line) {
    const std::vector<std::u16string> lines = Lines(d, list);
    const auto at = std::find(lines.begin(), lines.end(), line);
    ASSERT_NE(at, lines.end()) << Utf16ToUtf8(line);
    ListSelect(d, list, static_cast<int>(at - lines.begin()));
    SendDialogCommand(d, kCmdLeftSoftKey);
}

}  // namespace lectra::test
