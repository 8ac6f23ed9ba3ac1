// The note dialog: a note's text over the page, for a tapped reference or the page's notes; "Go to
// note" is a jump to it.
#include "dialogs/note_dialog.h"

#include <algorithm>

#include "document/notes.h"
#include "document/text_cache.h"

namespace lectra {

namespace {

constexpr int kListRows = 4;
constexpr int32_t kLineNoteUnits = 60;

struct NotesDialog {
    const ReaderServices* reader = nullptr;
    const std::vector<int>* indices = nullptr;
    int selected = 0;
};

const NoteRef* Chosen(NotesDialog& n, int row) {
    const std::vector<NoteRef>& notes = Book(*n.reader).notes;
    if (row < 0 || row >= static_cast<int>(n.indices->size())) return nullptr;
    const int index = (*n.indices)[static_cast<size_t>(row)];
    if (index < 0 || index >= static_cast<int>(notes.size())) return nullptr;
    return &notes[static_cast<size_t>(index)];
}

void ShowText(NotesDialog& n, PlatformDialog* dialog, int row) {
    const NoteRef* ref = Chosen(n, row);
    SetControlText(dialog, kCtlNoteText,
                   ref ? NoteText(Book(*n.reader), *ref, kMaxNoteText, 1) : u"");
}

void OpenNotes(NotesDialog& n, PlatformDialog* dialog) {
    Document& doc = Book(*n.reader);
    const int count = static_cast<int>(n.indices->size());
    InitDialogFrame(dialog, count > 1 ? u"Notes" : u"Note", u"Go to note");
    SetSoftKeyText(dialog, kCmdRightSoftKey, u"Close");
    const PixelRect client = DialogClientRect(dialog);
    int top = client.top + 2;
    if (count > 1) {
        ListReset(dialog, kCtlNoteList);
        for (int row = 0; row < count; ++row) {
            if (const NoteRef* ref = Chosen(n, row))
                ListAdd(dialog, kCtlNoteList, NoteLine(doc, *ref));
        }
        const int height = std::min(count, kListRows) * (SystemFontHeight() + 8) + 4;
        MoveControl(dialog, kCtlNoteList, {client.left + 2, top, client.right - 2, top + height});
        ShowControl(dialog, kCtlNoteList, 1);
        top += height + 4;
        ListSelect(dialog, kCtlNoteList, n.selected);
        SetControlFocus(dialog, kCtlNoteList);
    } else {
        ShowControl(dialog, kCtlNoteList, 0);
    }
    MoveControl(dialog, kCtlNoteText,
                {client.left + 2, top, client.right - 2, std::max(top + 1, client.bottom - 2)});
    // A dialog's controls are hidden until they are placed.
    ShowControl(dialog, kCtlNoteText, 1);
    if (count <= 1) SetControlFocus(dialog, kCtlNoteText);
    ShowText(n, dialog, n.selected);
}

int NotesCommand(NotesDialog& n, PlatformDialog* dialog, uintptr_t wParam) {
    const int count = static_cast<int>(n.indices->size());
    if (IsNotice(wParam, kCtlNoteList, kListSelectionChange)) {
        n.selected = ListSelection(dialog, kCtlNoteList);
        ShowText(n, dialog, n.selected);
        return 1;
    }
    if (!ListActionAsked(dialog, wParam, kCtlNoteList)) return 1;
    const NoteRef* ref = Chosen(n, count > 1 ? ListSelection(dialog, kCtlNoteList) : n.selected);
    if (!ref) return 1;
    n.reader->ops.goTo(n.reader->ops.context, ref->target);
    EndDialog(dialog, 1);
    return 1;
}

}  // namespace

std::u16string NoteLine(Document& doc, const NoteRef& ref) {
    std::u16string text = NoteText(doc, ref, kLineNoteUnits, 0);
    if (ref.targetEnd - ref.target > kLineNoteUnits) text += u"…";
    return NoteLabel(doc, ref) + u"  " + text;
}

void ShowNotesDialog(const ReaderServices& reader, const std::vector<int>& indices, int selected) {
    if (!reader.bookOpen) return;
    if (indices.empty()) {
        ShowTitledMessage(reader, u"No notes on this page", u"Notes");
        return;
    }
    NotesDialog n;
    n.reader = &reader;
    n.indices = &indices;
    n.selected = std::clamp(selected, 0, static_cast<int>(indices.size()) - 1);
    if (ShowDialog(reader, kTemplateNote, n, OpenNotes, NotesCommand) == 1) Refresh(reader);
}

}  // namespace lectra
