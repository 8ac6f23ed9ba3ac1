// What both exports share: the stream-to-text mapping and the buffer that converts the text into
// the save code page and writes it.
#include "document/formats/export_stream.h"

#include "document/formats/book_export.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/code_pages.h"

namespace lectra {

namespace {

void Flush(ExportBuffer& b) {
    if (b.bytes.empty()) return;
    if (b.ok && !FileWrite(b.file, b.bytes.data(), static_cast<uint32_t>(b.bytes.size()))) b.ok = 0;
    b.bytes.clear();
}

}  // namespace

int ExportCodePageKnown(int codePage) {
    return CodePageKnown(codePage);
}

int StartExport(ExportBuffer& b, const std::u16string& bookPath, const char16_t* suffix,
                int codePage) {
    if (bookPath.empty() || bookPath.size() > kExportMaxPath || !ExportCodePageKnown(codePage))
        return 0;
    b.codePage = codePage;
    // One byte per unit in every single-byte code page; a character without one becomes "?".
    // The table is made once per export, so that each unit costs one look-up.
    b.byteOf.resize(65536);
    for (uint32_t u = 0; u < 65536; ++u)
        b.byteOf[u] = CodePageEncodeChar(codePage, static_cast<char16_t>(u));
    b.bytes.clear();
    b.bytes.reserve(kExportChunk);
    b.ok = 1;
    return FileCreate(b.file, bookPath + suffix);
}

void ExportPut(ExportBuffer& b, char16_t unit) {
    b.bytes += static_cast<char>(b.byteOf[unit]);
    if (b.bytes.size() >= kExportChunk) Flush(b);
}

int FinishExport(ExportBuffer& b, const std::u16string& outputPath) {
    Flush(b);
    FileClose(b.file);
    // A half-written book is worse than none: it would read as complete.
    if (!b.ok) FileDelete(outputPath);
    return b.ok;
}

void PutMappedStream(Document& doc, ExportBuffer& b, std::u16string_view lineBreak) {
    const int32_t length = DocLength(doc);
    for (int32_t pos = 0; pos < length; ++pos) {
        const char16_t u = GetChar(doc, pos);
        if (u < 16) {
            for (char16_t c : lineBreak) ExportPut(b, c);
            // Every paragraph gets a one-space indent unless its text starts with one.
            if (GetChar(doc, pos + 1) != u' ') ExportPut(b, u' ');
        } else if (u >= 32) {
            ExportPut(b, u);
        }
    }
}

uint64_t CountMappedBytes(Document& doc) {
    const int32_t length = DocLength(doc);
    uint64_t n = 0;
    for (int32_t pos = 0; pos < length; ++pos) {
        const char16_t u = GetChar(doc, pos);
        if (u < 16) {
            n += GetChar(doc, pos + 1) != u' ' ? 2 : 1;
        } else if (u >= 32) {
            ++n;
        }
    }
    return n;
}

std::u16string ExportBase(const std::u16string& bookPath, const std::u16string& suffix) {
    const size_t slash = bookPath.rfind(u'/');
    const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    std::u16string base = bookPath;
    // Book extensions come off one by one: ".zip", ".gz" and then the kind (".fb2", ".txt"...).
    for (int i = 0; i < 3; ++i) {
        const size_t dot = base.rfind(u'.');
        if (dot == std::u16string::npos || dot <= nameStart) break;
        const std::u16string ext = base.substr(dot);
        std::u16string upper = ext;
        for (char16_t& c : upper) {
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        }
        if (upper != u".GZ" && FormatKindFromPath(ext) < 0) break;
        base.erase(dot);
    }
    return base + suffix == bookPath ? bookPath : base;
}

}  // namespace lectra
