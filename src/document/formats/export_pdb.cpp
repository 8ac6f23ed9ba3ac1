// Saving the open book as an uncompressed PalmDOC database in the save code page.
#include <string>

#include "document/formats/book_export.h"
#include "document/formats/export_stream.h"
#include "platform/sys/code_pages.h"

namespace lectra {

namespace {

constexpr uint32_t kRecordSize = 4096;
constexpr uint64_t kMaxRecords = 65535;  // the record count is a 16-bit field

void PutBE16(std::string& s, uint32_t v) {
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v);
}

void PutBE32(std::string& s, uint32_t v) {
    PutBE16(s, v >> 16);
    PutBE16(s, v & 0xFFFF);
}

// The database header, record list, the two gap bytes and record 0, for `n` text bytes.
std::string Header(const std::u16string& bookPath, int codePage, uint32_t n, uint32_t records) {
    std::string h;
    // The name: the first 31 characters of the book's path, zeros after them up to byte 31.
    for (size_t i = 0; i < 31 && i < bookPath.size(); ++i)
        h += static_cast<char>(CodePageEncodeChar(codePage, bookPath[i]));
    h.resize(32, '\0');
    h.append(4, '\0');   // attributes, version
    h.append(24, '\0');  // dates, modification number, application-info and sort-info offsets
    h += "TEXtREAd";
    h.append(8, '\0');  // unique-ID seed, next record list
    PutBE16(h, records);
    // Record 0 follows the list and the gap; each text record is 4096 bytes after the previous.
    const uint32_t first = (records + 10) * 8;
    for (uint32_t k = 0; k < records; ++k) {
        PutBE32(h, k == 0 ? first : first + 16 + (k - 1) * kRecordSize);
        h += static_cast<char>(0x40);
        h += static_cast<char>(0x6F);
        h += static_cast<char>((k >> 8) | 0x80);
        h += static_cast<char>(k & 0xFF);
    }
    h += static_cast<char>(records & 0xFF);  // the gap holds the record count, little-endian
    h += static_cast<char>(records >> 8);
    PutBE16(h, 1);  // compression: none
    PutBE16(h, 0);
    PutBE32(h, n);
    PutBE16(h, records - 1);
    PutBE16(h, kRecordSize);
    PutBE32(h, 0);
    return h;
}

}  // namespace

int ExportPdb(Document& doc, const std::u16string& bookPath, int saveCodePage) {
    if (bookPath.empty() || bookPath.size() > kExportMaxPath || !ExportCodePageKnown(saveCodePage))
        return 0;
    if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, 1);
    const uint64_t n = CountMappedBytes(doc);
    const uint64_t records = (n + kRecordSize - 1) / kRecordSize + 1;
    int ok = 0;
    ExportBuffer b;
    if (records <= kMaxRecords && StartExport(b, bookPath, u".pdb", saveCodePage)) {
        const std::string h = Header(bookPath, saveCodePage, static_cast<uint32_t>(n),
                                     static_cast<uint32_t>(records));
        if (!FileWrite(b.file, h.data(), static_cast<uint32_t>(h.size()))) b.ok = 0;
        PutMappedStream(doc, b, u"\n");
        ok = FinishExport(b, bookPath + u".pdb");
    }
    if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, 0);
    return ok;
}

}  // namespace lectra
