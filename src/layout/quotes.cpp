// Quotations: the page on screen appended to the memo file with a header saying where and when.
#include "layout/quotes.h"

#include <cstdio>

#include "document/text_cache.h"
#include "layout/pagination.h"
#include "platform/sys/files.h"
#include "platform/sys/utf.h"

namespace lectra {

std::string QuoteText(const Layout& layout, Document& doc, const QuoteTime& when) {
    char head[128];
    std::snprintf(head, sizeof head, "\r\n * %1.2f%% %d/%d\r\n * %d/%d/%d %d:%d\r\n ",
                  PercentRead(doc), doc.pageStart >> 10, DocLength(doc) >> 10, when.year,
                  when.month, when.day, when.hour, when.minute);
    std::string text = head + Utf16ToUtf8(doc.bookPath) + "\r\n\r\n";
    // Lines of any length: the text is built whole, never cut to a buffer. Title lines held for
    // the next page are not on this one.
    const int shown = layout.linesPerPage - layout.titleHeld;
    for (int i = 0; i < shown && i < static_cast<int>(layout.pageLines.size()); ++i) {
        text += Utf16ToUtf8(layout.pageLines[static_cast<size_t>(i)].text) + "\r\n";
    }
    return text;
}

std::u16string SaveQuote(const Layout& layout, Document& doc, const std::u16string& memoPath,
                         const QuoteTime& when) {
    if (layout.autoscrolling) return std::u16string();
    PlatformFile f;
    if (!FileOpenAppend(f, memoPath)) return u"Error writing in file";
    const std::string text = QuoteText(layout, doc, when);
    const int64_t end = FileSize(f);
    int written = end >= 0 && (end == 0 || FileSeek(f, static_cast<uint64_t>(end)));
    written = written && FileWrite(f, text.data(), static_cast<uint32_t>(text.size()));
    written = written && FileSync(f);
    if (!written) {
        // A quotation written in part is taken back: the file stays as it was.
        if (end >= 0 && FileSeek(f, static_cast<uint64_t>(end))) FileTruncateHere(f);
        FileClose(f);
        return u"Error writing in file";
    }
    FileClose(f);
    return u"Quote saved into file \"" + memoPath + u"\"!";
}

}  // namespace lectra
