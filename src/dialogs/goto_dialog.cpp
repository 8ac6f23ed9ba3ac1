// Going to a percentage of the book or to a page of 1024 characters.
#include "dialogs/goto_dialog.h"

#include <cstdio>

#include "document/text_cache.h"
#include "layout/pagination.h"
#include "platform/sys/utf.h"
#include "platform/window.h"

namespace lectra {

namespace {

struct Goto {
    const ReaderServices* reader = nullptr;
    DialogMemory* memory = nullptr;
};

void OpenGoto(Goto& g, PlatformDialog* dialog) {
    Document& doc = Book(*g.reader);
    InitDialogFrame(dialog, u"Goto", u"Goto");
    PlaceControls(dialog, {{kCtlGotoInfo, 1, 7, 0xFFFF},
                           {kCtlGotoLabel, 6, 10, 0xFFFF},
                           {kCtlGotoNumber, 5, 10, 0xFFFF},
                           {kCtlGotoInPages, 1, 10, 0xFFFF}});
    SetChecked(dialog, kCtlGotoInPages, g.memory->gotoInPages);
    char buf[64];
    std::snprintf(buf, sizeof buf, "Position: %d/%d, %1.2f%%\r\nFile: ", doc.pageStart >> 10,
                  DocLength(doc) >> 10, PercentRead(doc));
    SetControlText(dialog, kCtlGotoInfo, Utf8ToUtf16(buf) + doc.bookPath);
    SetTextLimit(dialog, kCtlGotoNumber, 5);
    SetControlFocus(dialog, kCtlGotoNumber);
}

int GotoCommand(Goto& g, PlatformDialog* dialog, uintptr_t wParam) {
    Document& doc = Book(*g.reader);
    const DialogAsk ask = ReadCommand(wParam);
    if (ask == DialogAsk::kAction) {
        g.memory->gotoInPages = IsChecked(dialog, kCtlGotoInPages);
        const GotoTarget t = GotoTargetOf(ControlText(dialog, kCtlGotoNumber).substr(0, 9),
                                          g.memory->gotoInPages, DocLength(doc));
        if (t.position < 0) {
            if (*t.error) ShowTitledMessage(*g.reader, t.error, u"Error");
            return 1;
        }
        // 100 % and the last page number show the last full page, never only the book's tail.
        g.reader->ops.goToPage(g.reader->ops.context, t.position);
        EndDialog(dialog, 1);
    } else if (ask == DialogAsk::kClose) {
        // Only Cancel leaves a form: the Back key (Backspace) must not lose what was typed.
        EndDialog(dialog, 0);
    }
    return 1;
}

}  // namespace

GotoTarget GotoTargetOf(const std::u16string& typed, int inPages, int32_t docLength) {
    GotoTarget t;
    size_t i = 0;
    while (i < typed.size() && typed[i] <= 32) ++i;
    if (i == typed.size()) return t;  // nothing typed: nothing said
    int64_t x = 0;
    for (; i < typed.size() && typed[i] >= u'0' && typed[i] <= u'9' && x < 1000000000; ++i) {
        x = x * 10 + (typed[i] - u'0');
    }
    if (inPages) {
        if (x > (docLength >> 10)) {
            t.error = u"Bad Page!";
            return t;
        }
        t.position = static_cast<int32_t>(x * 1024);
    } else {
        if (x > 100) {
            t.error = u"Bad Percent!";
            return t;
        }
        t.position = static_cast<int32_t>(docLength * static_cast<double>(x) * 0.01);
    }
    return t;
}

void ShowGotoDialog(const ReaderServices& reader, DialogMemory& memory) {
    if (!reader.bookOpen) return;
    RememberBook(reader);
    Goto g{&reader, &memory};
    if (ShowDialog(reader, kTemplateGoto, g, OpenGoto, GotoCommand) == 1) Refresh(reader);
}

}  // namespace lectra
