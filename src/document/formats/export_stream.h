// What both exports share: the stream-to-text mapping and the buffer that converts the text into
// the save code page and writes it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "platform/sys/files.h"

namespace lectra {

constexpr uint32_t kExportChunk = 8192;
// A path longer than this is refused before anything is written.
constexpr size_t kExportMaxPath = 256;

struct ExportBuffer {
    PlatformFile file;
    int codePage = 1251;
    std::vector<uint8_t> byteOf;  // the save code page's byte of every UTF-16 unit, "?" for none
    std::string bytes;            // at most kExportChunk, written when full
    int ok = 1;                   // cleared by the first failed write; every later write is skipped
};

// Whether a save code page can be written: a single-byte code page with a table.
int ExportCodePageKnown(int codePage);

// The output path (the book's path with `suffix` appended) created empty, and the buffer ready.
// 0 when the path is too long or the file cannot be created.
int StartExport(ExportBuffer& b, const std::u16string& bookPath, const char16_t* suffix,
                int codePage);
void ExportPut(ExportBuffer& b, char16_t unit);
// Writes what is buffered and closes the file; on any failed write the partial file is deleted.
// Returns the sticky success flag.
int FinishExport(ExportBuffer& b, const std::u16string& outputPath);

// Every unit of the stream through the mapping: a paragraph mark becomes `lineBreak` and then a
// space unless the next unit is one, units 16–31 are dropped, the rest written as they are.
void PutMappedStream(Document& doc, ExportBuffer& b, std::u16string_view lineBreak);
// The bytes PutMappedStream writes with a one-byte line break.
uint64_t CountMappedBytes(Document& doc);

}  // namespace lectra
