// The contents dialog: the book's entries indented by depth; the chosen one is a jump.
#include "dialogs/contents_dialog.h"

#include <algorithm>

#include "document/contents.h"
#include "document/text_cache.h"
#include "platform/window.h"

namespace lectra {

namespace {

struct ContentsDialog {
    const ReaderServices* reader = nullptr;
    const std::vector<ContentsEntry>* entries = nullptr;
};

void OpenContents(ContentsDialog& c, PlatformDialog* dialog) {
    Document& doc = Book(*c.reader);
    const std::vector<ContentsEntry>& entries = *c.entries;
    InitDialogFrame(dialog, u"Contents", u"Go to");
    PlaceControl(dialog, kCtlContentsList, 2, 2, 0xFFFF);
    ListReset(dialog, kCtlContentsList);
    for (const ContentsEntry& e : entries) ListAdd(dialog, kCtlContentsList, ContentsLine(e));
    // A page begun by paragraph marks is at the title they open.
    constexpr int32_t kLeadingMarks = 64;
    const int32_t at = FirstVisibleAt(doc, doc.pageStart, kLeadingMarks);
    ListSelect(dialog, kCtlContentsList, std::max(ContentsIndexAt(entries, at), 0));
    SetControlFocus(dialog, kCtlContentsList);
}

int ContentsCommand(ContentsDialog& c, PlatformDialog* dialog, uintptr_t wParam) {
    const std::vector<ContentsEntry>& entries = *c.entries;
    if (!ListActionAsked(dialog, wParam, kCtlContentsList)) return 1;
    const int n = ListSelection(dialog, kCtlContentsList);
    if (n < 0 || n >= static_cast<int>(entries.size())) return 1;
    const int32_t position = entries[static_cast<size_t>(n)].position;
    c.reader->ops.goTo(c.reader->ops.context, position);
    EndDialog(dialog, 1);
    return 1;
}

}  // namespace

std::u16string ContentsLine(const ContentsEntry& entry) {
    constexpr int32_t kMaxIndent = 8;
    const int32_t indent = std::clamp<int32_t>(entry.depth, 0, kMaxIndent);
    return std::u16string(static_cast<size_t>(2 * indent), u' ') + entry.title;
}

void ShowContentsDialog(const ReaderServices& reader) {
    if (!reader.bookOpen) return;
    ContentsDialog c;
    c.reader = &reader;
    c.entries = &BookContents(Book(reader));
    if (c.entries->empty()) {
        ShowTitledMessage(reader, u"No contents", u"Contents");
        return;
    }
    if (ShowDialog(reader, kTemplateContents, c, OpenContents, ContentsCommand) == 1)
        Refresh(reader);
}

}  // namespace lectra
