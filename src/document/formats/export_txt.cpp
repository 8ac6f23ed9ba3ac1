// Saving the open book as plain text in the save code page.
#include "document/formats/book_export.h"
#include "document/formats/export_stream.h"

namespace lectra {

int ExportTxt(Document& doc, const std::u16string& bookPath, int saveCodePage) {
    ExportBuffer b;
    if (!StartExport(b, bookPath, u".txt", saveCodePage)) return 0;
    if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, 1);
    PutMappedStream(doc, b, u"\r\n");
    const int ok = FinishExport(b, bookPath + u".txt");
    if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, 0);
    return ok;
}

}  // namespace lectra
