// A book inside a gzip file: the member's header and kind at open, its access-point index, and
// raw blocks of the decompressed member for the text cache.
#pragma once
#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/format_table.h"
#include "document/formats/gz_index.h"

namespace lectra {

struct GzState : ReaderState {
    GzIndex index;
    uint64_t size = 0;          // decompressed bytes
    std::u16string memberName;  // the stored name, or the file's name without ".gz"
    GzCursor cursor;
};

// Whether the book goes through the gzip step: its name ends in ".gz" (any case) and the file
// starts with the gzip signature 1F 8B.
int RoutesToGzip(const std::u16string& path, PlatformFile& file);

// The open step for FormatKind 9: checks the header, takes the member's kind from its stored name
// (or the file name without ".gz"; no extension reads as TEXT), indexes the member, then sets
// FormatKind to the member's kind, SourceSize to its size and the gzip bit of SourceFlags.
// Members holding PalmDOC, TCR or Word books, and corrupt or truncated members, are refused with
// "Bad Format!".
int OpenGzMember(Document& doc);
// Fills raw block (offset >> 13) of the decompressed member.
void ReadGzRawBlock(Document& doc, uint32_t offset, uint8_t* block);
// The open book's gzip state; null when another reader opened the book.
GzState* GzOf(const Document& doc);

extern const FormatReader kGzReader;

}  // namespace lectra
