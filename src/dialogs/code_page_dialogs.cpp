// The book's code page (the book is read again in the one chosen), the export code page, the
// file information box and the program information box.
#include "dialogs/code_page_dialogs.h"

#include <algorithm>
#include <cstdio>

#include "document/encoding.h"
#include "document/format_table.h"
#include "document/text_cache.h"
#include "layout/pagination.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

constexpr int kSaveFirstRow = 3;  // "Russian - 866 OEM": the export offers single-byte pages only

struct CodePageChoice {
    const ReaderServices* reader = nullptr;
    int save = 0;  // 1: the export code page
};

void OpenCodePage(CodePageChoice& c, PlatformDialog* dialog) {
    Settings& s = *c.reader->settings;
    const int first = c.save ? kSaveFirstRow : 0;
    const int current = c.save ? s.codePageSave : s.codePage;
    InitDialogFrame(dialog, u"Code Page", u"Select");
    PlaceControl(dialog, kCtlList, 2, 2, 0xFFFF);
    ListReset(dialog, kCtlList);
    int selected = -1;
    for (int i = first; i < CodePageListSize(); ++i) {
        ListAdd(dialog, kCtlList, kCodePageList[i].name);
        if (selected < 0 && kCodePageList[i].id == current) selected = i - first;
    }
    ListSelect(dialog, kCtlList, selected);
    SetControlFocus(dialog, kCtlList);
}

int CodePageCommand(CodePageChoice& c, PlatformDialog* dialog, uintptr_t wParam) {
    Settings& s = *c.reader->settings;
    const int first = c.save ? kSaveFirstRow : 0;
    if (!ListActionAsked(dialog, wParam, kCtlList)) return 1;
    const int row = ListSelection(dialog, kCtlList);
    if (row < 0 || first + row >= CodePageListSize()) return 1;  // nothing chosen: stay
    const int chosen = kCodePageList[first + row].id;
    if (c.save) {
        s.codePageSave = chosen;
    } else if (chosen != s.codePage || chosen == kCodePageAuto) {
        s.codePage = chosen;
        // The book is read again in it, its remembered code page set aside.
        if (c.reader->bookOpen) {
            const std::u16string path = Book(*c.reader).bookPath;  // the open rewrites it
            // A book that can no longer be read says so there; the page read so far stays.
            c.reader->ops.openBook(c.reader->ops.context, path, 1);
        }
        Refresh(*c.reader);
    }
    EndDialog(dialog, 1);
    return 1;
}

struct InfoBox {
    std::u16string title;
    std::u16string leftKey;
    std::u16string text;
    int control = 0;
};

void OpenInfo(InfoBox& box, PlatformDialog* dialog) {
    InitDialogFrame(dialog, box.title, box.leftKey);
    PlaceControl(dialog, box.control, 2, 2, 0xFFFF);
    SetControlText(dialog, box.control, box.text);
}

int InfoCommand(InfoBox&, PlatformDialog* dialog, uintptr_t wParam) {
    if (ReadCommand(wParam) != DialogAsk::kNothing) {
        EndDialog(dialog, 1);
    }
    return 1;
}

void ShowInfo(const ReaderServices& reader, int templateId, int control,
              const std::u16string& title, const std::u16string& text) {
    InfoBox box{title, u"Ok", text, control};
    ShowDialog(reader, templateId, box, OpenInfo, InfoCommand);
}

}  // namespace

void ShowCodePageDialog(const ReaderServices& reader) {
    CodePageChoice c{&reader, 0};
    ShowDialog(reader, kTemplateList, c, OpenCodePage, CodePageCommand);
}

void ShowSaveCodePageDialog(const ReaderServices& reader) {
    CodePageChoice c{&reader, 1};
    ShowDialog(reader, kTemplateList, c, OpenCodePage, CodePageCommand);
}

std::u16string FileInfoText(Document& doc, double percentRead) {
    const char16_t* name = FormatKindName(doc.formatKind);
    std::u16string format = name ? name : u"";
    if (doc.sourceFlags & kSourceGzMember) format = u"GZ + " + format;
    if (doc.sourceFlags & kSourceZipEntry) format = u"ZIP + " + format;
    const int32_t length = DocLength(doc);
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "\r\nCP: %d, Format: %s\r\nFile/Text: %u/%d (%1.2f%%)\r\nPage: %d/%d (%1.2f%%)",
                  doc.bookCodePage, Utf16ToUtf8(format).c_str(), doc.sourceSize, length,
                  length ? 100.0 * doc.sourceSize / length : 0.0, doc.pageStart >> 10, length >> 10,
                  percentRead);
    return u"File:" + doc.bookPath + Utf8ToUtf16(buf);
}

namespace {

// Rows of the dialog that the text keeps above the cover.
constexpr int kFileInfoRows = 5;

struct FileInfo {
    const ReaderServices* reader = nullptr;
    PlatformSurface* cover = nullptr;
};

// The text, and below it the book's cover painted into a surface of its own.
void OpenFileInfo(FileInfo& info, PlatformDialog* dialog) {
    const ReaderServices& reader = *info.reader;
    Document& doc = Book(reader);
    InitDialogFrame(dialog, u"File Info", u"Ok");
    PlaceControl(dialog, kCtlFileInfoText, 2, 2, 0xFFFF);
    SetControlText(dialog, kCtlFileInfoText, FileInfoText(doc, PercentRead(doc)));
    ShowControl(dialog, kCtlFileInfoCover, 0);
    if (!doc.pictures.hasCover || !reader.page->pictures) return;
    const DialogMetrics m = ComputeDialogMetrics(SystemFontHeight());
    PixelRect text = ControlRect(dialog, kCtlFileInfoText);
    PixelRect cover = text;
    text.bottom = std::min(text.bottom, text.top + kFileInfoRows * (m.rowHeight + m.rowGap));
    cover.top = text.bottom + m.rowGap;
    const int width = cover.right - cover.left, height = cover.bottom - cover.top;
    if (width <= 0 || height <= 0) return;
    info.cover = CreatePreviewSurface(reader, width, height);
    if (!info.cover || !reader.ops.paintCover(reader.ops.context, info.cover, width, height))
        return;
    MoveControl(dialog, kCtlFileInfoText, text);
    MoveControl(dialog, kCtlFileInfoCover, cover);
    ShowControl(dialog, kCtlFileInfoCover, 1);
    SetPreviewSurface(dialog, kCtlFileInfoCover, info.cover);
}

int FileInfoCommand(FileInfo&, PlatformDialog* dialog, uintptr_t wParam) {
    if (ReadCommand(wParam) != DialogAsk::kNothing) {
        SetPreviewSurface(dialog, kCtlFileInfoCover, nullptr);
        EndDialog(dialog, 1);
    }
    return 1;
}

}  // namespace

void ShowFileInfoDialog(const ReaderServices& reader) {
    if (!reader.bookOpen) return;
    FileInfo info;
    info.reader = &reader;
    ShowDialog(reader, kTemplateFileInfo, info, OpenFileInfo, FileInfoCommand);
    DeletePreviewSurface(reader, info.cover);
}

void ShowAboutDialog(const ReaderServices& reader) {
    ShowInfo(reader, kTemplateAbout, kCtlAboutText, u"Program Info...",
             u"Lectra 1.0\r\n\r\nAn e-book reader for plain text, FictionBook, HTML, RTF, Word, "
             u"PalmDOC, zTXT, TCR and gzip books.");
}

}  // namespace lectra
