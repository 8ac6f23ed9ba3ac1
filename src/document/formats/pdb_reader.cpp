// PalmDOC and zTXT databases: the header and record table at open, then any raw block of the
// decompressed text on demand, one record at a time.
#include "document/formats/pdb_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "document/formats/file_bytes.h"
#include "document/formats/palmdoc_decompress.h"
#include "document/open_book.h"
#include "document/text_cache.h"

namespace lectra {

namespace {

constexpr uint32_t kHeaderBytes = 78;
constexpr uint32_t kListEntryBytes = 8;
constexpr uint32_t kPalmDocHeaderBytes = 16;
constexpr uint32_t kZtxtHeaderBytes = 32;

// The stored bytes of a compressed record that are read. PalmDOC at its worst doubles a record
// (every byte a one-byte literal run) and zlib adds a few bytes per block, so a real record never
// comes near this; anything beyond it is cut rather than read past the buffer.
uint32_t CompressedCap(uint32_t recordSize) {
    return 2 * recordSize + 1024;
}

// Reads up to `size` stored bytes of a record into `buffer` through the raw layer, which retries
// and records a failed read; a record that does not arrive whole marks the load failed.
uint32_t ReadStored(Document& doc, const PdbRecord& record, uint8_t* buffer, uint32_t size) {
    const uint32_t want = std::min(record.length, size);
    if (want == 0) return 0;
    const uint32_t got = ReadSource(doc, record.offset, buffer, want, want);
    if (got < want) PdbOf(doc)->readFailed = 1;
    return got;
}

// Puts text record r into outBuf; every record stands for recordSize bytes, so what it decodes
// short of that reads as zeros. 0 when the record could not be read: nothing is kept, and the
// next request reads it again.
int LoadRecord(Document& doc, uint64_t r) {
    PdbState& s = *PdbOf(doc);
    if (static_cast<int64_t>(r) == s.loadedRecord) return 1;
    s.readFailed = 0;
    uint32_t n = 0;
    if (r < s.records.size()) {
        const PdbRecord& record = s.records[r];
        switch (s.mode) {
            case kPdbStored:
                n = ReadStored(doc, record, s.outBuf.data(), s.recordSize);
                break;
            case kPdbPalmDoc: {
                const uint32_t got =
                    ReadStored(doc, record, s.inBuf.data(), static_cast<uint32_t>(s.inBuf.size()));
                n = PalmDocDecompress(s.inBuf.data(), got, s.outBuf.data(), s.recordSize);
                break;
            }
            default:
                n = InflateZtxtRecord(doc, static_cast<uint32_t>(r));
                break;
        }
    }
    std::memset(s.outBuf.data() + n, 0, s.recordSize - n);
    s.loadedRecord = s.readFailed ? -1 : static_cast<int64_t>(r);
    s.loadedLength = s.readFailed ? 0 : n;
    return !s.readFailed;
}

}  // namespace

PdbState* PdbOf(const Document& doc) {
    return ReaderStateOf<PdbState>(doc, kPdbReader);
}

int OpenPdb(Document& doc) {
    PlatformFile& file = doc.source;
    const int64_t fileSize = FileSize(file);
    uint8_t head[kHeaderBytes + 4];  // the header and the data offset of record 0
    if (fileSize < 0 || !ReadOpeningBytes(doc, head, sizeof head))
        return RefuseOpen(doc, kBadFormat);
    ByteReader h = ByteView(head, sizeof head);
    const uint32_t recordCount = ReadBe16(h, 76);
    const uint32_t record0 = ReadBe32(h, 78);
    // Without a text record there is nothing to read, and the stream length would not be positive.
    if (recordCount < 2) return RefuseOpen(doc, kBadFormat);

    PdbState& s = NewReaderState<PdbState>(doc, kPdbReader);
    s.recordCount = recordCount;
    int kind = kKindPalmDoc;
    if (std::memcmp(head + 60, "zTXT", 4) == 0 && std::memcmp(head + 64, "GPlm", 4) == 0) {
        uint8_t z[kZtxtHeaderBytes];
        if (!ReadAt(file, record0, z, sizeof z)) return RefuseOpen(doc, kBadFormat);
        ByteReader zr = ByteView(z, sizeof z);
        // Only a zTXT made for random access can be read a record at a time. The open fails with
        // the opener's own message, as this reader always has for such files.
        if (ReadU8(zr, 18) != 1) return RefuseOpen(doc, nullptr);
        s.textRecordCount = ReadBe16(zr, 2);
        s.recordSize = ReadBe16(zr, 8);
        s.mode = kPdbZtxt;
        kind = kKindZtxt1;
    } else if (std::memcmp(head + 60, "TEXt", 4) == 0 && std::memcmp(head + 64, "REAd", 4) == 0) {
        uint8_t d[kPalmDocHeaderBytes];
        if (!ReadAt(file, record0, d, sizeof d)) return RefuseOpen(doc, kBadFormat);
        ByteReader dr = ByteView(d, sizeof d);
        const uint32_t compression = ReadBe16(dr, 0);
        if (compression == 1 || compression == 257) {
            s.mode = kPdbStored;
        } else if (compression == 2) {
            s.mode = kPdbPalmDoc;
            kind = kKindPalmDocCompressed;
        } else {
            return RefuseOpen(doc, kBadFormat);
        }
        s.textRecordCount = ReadBe16(dr, 8);
        s.recordSize = ReadBe16(dr, 10);
    } else {
        return RefuseOpen(doc, kBadFormat);
    }
    if (s.recordSize == 0) return RefuseOpen(doc, kBadFormat);

    // Only the records that record 0 counts are text: a bookmark or metadata record after them
    // would read as rows of stray bytes. A count of none, or of more than the database holds, is
    // damaged; the database's own count is taken instead.
    if (s.textRecordCount == 0 || s.textRecordCount > recordCount - 1)
        s.textRecordCount = recordCount - 1;
    // The list entries of the text records; each runs to the next record's offset, the last
    // record of the database to the end of the file.
    const uint32_t texts = s.textRecordCount;
    // One entry more than the text records when there is one, for the last text record's end.
    const uint32_t listed = std::min(texts + 1, recordCount - 1);
    std::vector<uint8_t> list(static_cast<size_t>(listed) * kListEntryBytes);
    if (!ReadAt(file, kHeaderBytes + kListEntryBytes, list.data(),
                static_cast<uint32_t>(list.size()))) {
        return RefuseOpen(doc, kBadFormat);
    }
    s.records.resize(texts);
    const uint64_t end = static_cast<uint64_t>(fileSize);
    ByteReader entries = ByteView(list.data(), list.size());
    for (uint32_t i = 0; i < texts; ++i) {
        const uint64_t at = ReadBe32(entries, i * kListEntryBytes);
        const uint64_t next = i + 1 < listed ? ReadBe32(entries, (i + 1) * kListEntryBytes) : end;
        s.records[i].offset = static_cast<uint32_t>(at);
        // Offsets that run backwards or past the end of the file make an empty record.
        s.records[i].length =
            at <= end && next > at ? static_cast<uint32_t>(std::min(next, end) - at) : 0;
    }
    s.outBuf.assign(s.recordSize, 0);
    if (s.mode != kPdbStored) s.inBuf.assign(CompressedCap(s.recordSize), 0);
    doc.formatKind = kind;
    doc.sourceSize = texts * s.recordSize;  // at most 65534 × 65535, within 32 bits
    return 1;
}

uint32_t InflateZtxtRecord(Document& doc, uint32_t index) {
    PdbState& s = *PdbOf(doc);
    s.loadedRecord = -1;
    if (index >= s.records.size()) return 0;
    z_stream z{};
    if (inflateInit2(&z, 15) != Z_OK) return 0;
    uint8_t* in = s.inBuf.data();
    const uint32_t cap = static_cast<uint32_t>(s.inBuf.size());
    uint8_t* out = s.outBuf.data();
    std::memset(out, 0, s.recordSize);
    z.next_in = in;
    z.avail_in = ReadStored(doc, s.records[0], in, cap);
    z.next_out = out;
    z.avail_out = s.recordSize;
    int status = inflate(&z, Z_SYNC_FLUSH);
    uint32_t produced = s.recordSize - z.avail_out;
    if (index > 0) {
        produced = 0;
        // Record 0 must leave the stream ready for more; the record's own output is then kept
        // whatever zlib says after producing it (the last one meets the end of the stream).
        if (status == Z_OK) {
            std::memset(out, 0, s.recordSize);
            z.next_in = in;
            z.avail_in = ReadStored(doc, s.records[index], in, cap);
            z.next_out = out;
            z.avail_out = s.recordSize;
            inflate(&z, Z_SYNC_FLUSH);
            produced = s.recordSize - z.avail_out;
        }
    }
    inflateEnd(&z);
    return produced;
}

void ReadPdbRawBlock(Document& doc, uint32_t offset, uint8_t* block) {
    PdbState* state = PdbOf(doc);
    if (!state || state->recordSize == 0) return;
    PdbState& s = *state;
    const uint64_t start = offset & ~static_cast<uint64_t>(kRawBlockBytes - 1);
    uint64_t r = start / s.recordSize;
    uint32_t p = static_cast<uint32_t>(start - r * s.recordSize);
    uint32_t written = 0;
    for (;;) {
        const uint32_t take = std::min(kRawBlockBytes - written, s.recordSize - p);
        // A record that cannot be read keeps the raw layer's pre-fill.
        if (LoadRecord(doc, r)) std::memcpy(block + written, s.outBuf.data() + p, take);
        written += take;
        if (written == kRawBlockBytes || r + 1 >= s.textRecordCount) break;
        ++r;
        p = 0;
    }
}

uint32_t SamplePdb(Document& doc, uint8_t* buffer, uint32_t capacity) {
    const PdbState* s = PdbOf(doc);
    if (!s) return 0;
    LoadRecord(doc, 0);
    const uint32_t n = std::min(s->loadedLength, capacity);
    std::memcpy(buffer, s->outBuf.data(), n);
    return n;
}

const FormatReader kPdbReader = {OpenPdb, ReadPdbRawBlock, SamplePdb, DeleteReaderState<PdbState>};

}  // namespace lectra
