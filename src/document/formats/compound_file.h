// The compound-file (structured storage) reader: header, FAT, mini-FAT and directory, streams by
// name and byte ranges of a stream. Read just far enough for Word documents.
#pragma once
#include <cstdint>
#include <vector>

#include "document/document.h"

namespace lectra {

// The units of one stream in order, resolved once from its allocation chain so that a read
// never walks a chain again.
struct StreamChain {
    int32_t stream = -1;  // directory index; −1 for a free slot
    int mini = 0;         // units are mini sectors of the mini stream, not sectors of the file
    std::vector<uint32_t> units;
};

struct CfbState {
    std::vector<uint32_t> fat;
    uint32_t fatCount = 0;
    uint32_t sectorSize = 0;
    std::vector<uint32_t> miniFat;
    uint32_t miniFatCount = 0;
    uint32_t miniSectorSize = 0;
    uint32_t miniCutoff = 0;
    // Per directory entry: starting sector and stream size (low 32 bits).
    std::vector<uint32_t> streamStart;
    std::vector<uint32_t> streamSize;
    uint32_t entryCount = 0;
    // The raw 128-byte directory entries; dropped once the streams have been looked up.
    std::vector<uint8_t> directory;
    // Size of the file, and where sector 0 starts (the header fills a whole sector when sectors
    // are larger than 512 bytes).
    uint64_t fileSize = 0;
    uint64_t headerBytes = 512;
    // Chains of the streams read so far (the mini stream, the text stream, the table stream).
    StreamChain chains[4];
};

// Reads the header, FAT, mini-FAT and directory of the open source file. 0 when the file is not
// a compound file or its header or tables are inconsistent.
int OpenCompoundFile(CfbState& cfb, Document& doc);

// Copies `length` bytes of stream `stream` (−1: the file itself) from `offset` into `dest`.
// Bytes past the end of the file, or past the part of the stream that its chain reaches, read
// as 0xFF.
void ReadStream(CfbState& cfb, Document& doc, int32_t stream, uint64_t offset, uint8_t* dest,
                uint32_t length);

// The bytes of a stream that can really be read: its recorded size, cut to what its chain
// reaches (the file's size for −1; 0 for an index outside the directory).
uint64_t StreamSize(CfbState& cfb, int32_t stream);

// The directory index of the stream called `name` below the root, 0 when there is none.
int32_t FindDirectoryEntry(const CfbState& cfb, const char16_t* name);

// Frees every table and clears the state.
void FreeCompoundFile(CfbState& cfb);

// Copies bytes of the open source file; bytes past its end read as 0xFF.
void ReadFileBytes(Document& doc, uint64_t fileSize, uint64_t offset, uint8_t* dest,
                   uint32_t length);

}  // namespace lectra
