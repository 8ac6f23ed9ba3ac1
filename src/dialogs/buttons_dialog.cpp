// The buttons dialog: the list shows the inputs with their actions; choosing an input turns it
// into the list of actions, and choosing an action binds it and turns it back.
#include "dialogs/buttons_dialog.h"

namespace lectra {

namespace {

struct ButtonsEdit {
    const ReaderServices* reader = nullptr;
    int mode = 0;  // 0: the inputs, 1: the actions of selectedButton
    int selectedButton = 0;
    int selectedAction = 0;
};

void FillInputList(PlatformDialog* dialog, ButtonsEdit& b) {
    SetControlText(dialog, kCtlCaption, u"Select Button ...");
    ListReset(dialog, kCtlCaptionedList);
    for (int i = 0; i < kStoredBindings; ++i)
        ListAdd(dialog, kCtlCaptionedList, BindingLine(b.reader->settings->bindings[i]));
    if (b.selectedButton >= 0 && b.selectedButton < kStoredBindings)
        ListSelect(dialog, kCtlCaptionedList, b.selectedButton);
    b.mode = 0;
}

void FillActionList(PlatformDialog* dialog, ButtonsEdit& b) {
    const ButtonBinding& binding = b.reader->settings->bindings[b.selectedButton];
    SetControlText(dialog, kCtlCaption, u"Action for \"" + std::u16string(binding.name) + u"\"");
    ListReset(dialog, kCtlCaptionedList);
    for (const char16_t* name : kActionNames) ListAdd(dialog, kCtlCaptionedList, name);
    if (b.selectedAction >= 0 && b.selectedAction < kActionCount)
        ListSelect(dialog, kCtlCaptionedList, b.selectedAction);
    b.mode = 1;
}

void OpenButtons(ButtonsEdit& b, PlatformDialog* dialog) {
    InitDialogFrame(dialog, u"Buttons", u"Select");
    SetSoftKeyText(dialog, kCmdRightSoftKey, u"Close");
    PlaceControl(dialog, kCtlCaption, 1, 2, 0xFFFF);
    PlaceControl(dialog, kCtlCaptionedList, 2, 2, 0xFFFF);
    b.selectedButton = 0;
    FillInputList(dialog, b);
    SetControlFocus(dialog, kCtlCaptionedList);
}

int ButtonsCommand(ButtonsEdit& b, PlatformDialog* dialog, uintptr_t wParam) {
    const DialogAsk ask = ReadCommand(wParam, kCtlCaptionedList);
    const int row = ListSelection(dialog, kCtlCaptionedList);
    if (ask == DialogAsk::kAction) {
        if (b.mode == 0 && row >= 0 && row < kStoredBindings) {
            b.selectedButton = row;
            b.selectedAction = b.reader->settings->bindings[row].action;
            FillActionList(dialog, b);
        } else if (b.mode == 1 && row >= 0 && row < kActionCount) {
            b.selectedAction = row;
            b.reader->settings->bindings[b.selectedButton].action = static_cast<uint8_t>(row);
            FillInputList(dialog, b);
        }
    } else if (ask == DialogAsk::kClose || ask == DialogAsk::kBack) {
        if (b.mode == 1) {
            FillInputList(dialog, b);  // nothing bound
        } else {
            EndDialog(dialog, 1);
        }
    }
    return 1;
}

}  // namespace

std::u16string BindingLine(const ButtonBinding& binding) {
    const int action = binding.action < kActionCount ? binding.action : 0;
    return std::u16string(binding.name) + u"-> " + kActionNames[action];
}

void ShowButtonsDialog(const ReaderServices& reader) {
    ButtonsEdit b;
    b.reader = &reader;
    ShowDialog(reader, kTemplateBrowser, b, OpenButtons, ButtonsCommand);
}

}  // namespace lectra
