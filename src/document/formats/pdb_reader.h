// PalmDOC and zTXT databases: the header and record table at open, then any raw block of the
// decompressed text on demand, one record at a time.
#pragma once
#include <cstdint>
#include <vector>

#include "document/document.h"
#include "document/format_table.h"

namespace lectra {

enum PdbMode : int {
    kPdbStored = 0,   // compression 1 or 257
    kPdbPalmDoc = 1,  // compression 2
    kPdbZtxt = 2,     // zlib, fully flushed at every record
};

// Where a text record lies in the file; a record whose offset runs backwards or past the end of
// the file has length 0.
struct PdbRecord {
    uint32_t offset = 0;
    uint32_t length = 0;
};

struct PdbState : ReaderState {
    int mode = kPdbStored;
    uint32_t recordCount = 0;        // database records, the header record 0 included
    uint32_t textRecordCount = 0;    // from record 0, at most recordCount − 1: the text records
    uint32_t recordSize = 0;         // decompressed bytes every text record stands for
    std::vector<PdbRecord> records;  // entry i is database record i + 1
    std::vector<uint8_t> outBuf;     // the decoded current record, recordSize bytes
    std::vector<uint8_t> inBuf;      // the stored bytes of a compressed record
    int64_t loadedRecord = -1;       // the text record outBuf holds, −1 for none
    int readFailed = 0;              // the record being loaded did not arrive whole
    uint32_t loadedLength = 0;       // bytes it decoded to (the rest of outBuf is zeros)
};

// The open step for FormatKind 4: refines the kind to 5 (compressed PalmDOC) or 6 (zTXT) and
// sets SourceSize to textRecordCount × recordSize. 0 refuses the file with "Bad Format!" in
// OpenErrorText, except a zTXT without random access, which keeps the opener's message.
int OpenPdb(Document& doc);
// Fills raw block (offset >> 13) of the decompressed text.
void ReadPdbRawBlock(Document& doc, uint32_t offset, uint8_t* block);
// The start of text record 0, decoded, for code-page detection.
uint32_t SamplePdb(Document& doc, uint8_t* buffer, uint32_t capacity);
// The open book's PalmDOC or zTXT state; null when another reader opened the book.
PdbState* PdbOf(const Document& doc);

// Decodes text record `index` of a zTXT into outBuf: record 0 carries the zlib header, so it is
// inflated first and the record itself then goes through the same stream. Returns the bytes
// produced, whatever zlib reports after producing them (the last record meets the stream's end).
uint32_t InflateZtxtRecord(Document& doc, uint32_t index);

extern const FormatReader kPdbReader;

}  // namespace lectra
