// Random access into a gzip member: one inflation at open records an access point about every
// span of output (with the 32 KiB of output before it), and any range is later inflated from
// the nearest point before it.
//
// Every function returns what it says or a negative zlib status: Z_ERRNO (−1) a failed read or
// seek, Z_DATA_ERROR (−3) corrupt data or a file that ends inside the stream, Z_MEM_ERROR (−4).
// The index is built all or nothing: on any failure it is left empty.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "platform/sys/files.h"

namespace lectra {

constexpr uint32_t kGzSpan = 1u << 20;
constexpr uint32_t kGzWindow = 32768;
constexpr uint32_t kGzInputChunk = 16384;
// Output beyond this is not indexed: the member is cut there, as the text cache could not show
// more of it anyway (2^27 units of at most a few bytes each).
constexpr uint64_t kGzMaxOutput = 1ull << 30;

struct GzAccessPoint {
    uint64_t out = 0;   // offset in the decompressed data
    uint64_t in = 0;    // offset in the file of the first whole compressed byte after the point
    uint32_t bits = 0;  // bits (0–7) of the byte before `in` that belong after the point
    // The 32 KiB of output just before the point; empty at the start of a raw stream, which has
    // no history, so that an archive of many small entries costs no window each.
    std::vector<uint8_t> window;
};

struct GzIndex {
    std::vector<GzAccessPoint> points;
    // The member inflates to more than kGzMaxOutput bytes: only that much is indexed.
    int cut = 0;
};

// A live raw inflater left where the last read stopped, so that reading on from there (the
// indexing pass of the text cache, export, search) does not inflate from the access point again.
struct GzCursor {
    z_stream stream{};
    int live = 0;
    int ended = 0;         // the deflate stream's end was reached
    uint64_t out = 0;      // decompressed offset of the next byte the stream yields
    uint64_t filePos = 0;  // file offset of the next compressed byte to read
    uint8_t input[kGzInputChunk] = {};
    uint8_t discard[kGzWindow] = {};
};

// Inflates the member at the start of `file` (read from its current position) from start to
// end, adding a point at each deflate block boundary more than `span` bytes after the last one.
// Returns the number of points (at least 1) and the decompressed size, or a negative status.
// `progress`, when given, hears of each chunk of compressed input read, as bytes of the file.
struct IndexProgress {
    void (*report)(void* context, uint64_t done, uint64_t total) = nullptr;
    void* context = nullptr;
    uint64_t total = 0;
};
int BuildGzIndex(PlatformFile& file, uint32_t span, GzIndex& index, uint64_t* size,
                 const IndexProgress& progress = IndexProgress());

// A raw deflate stream inside a file (an archive entry): where its compressed bytes start, how
// many there are, and how much output they must give.
struct RawDeflate {
    uint64_t start = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
};

// The same over a raw deflate stream: the stream must end within its compressed bytes and give
// exactly `size` bytes, else Z_DATA_ERROR. Returns the number of points and the CRC-32 of the
// output in `*crc`, or a negative status.
int BuildRawIndex(PlatformFile& file, const RawDeflate& stream, uint32_t span, GzIndex& index,
                  uint32_t* crc, const IndexProgress& progress = IndexProgress());

// Reads `length` bytes at decompressed `offset` into `buffer`; returns the bytes produced (fewer
// at the end of the member, 0 beyond it) or a negative status. With a cursor, the inflater is
// kept for the next call and reused when that call reads on from where this one stopped.
int ReadGzRange(PlatformFile& file, const GzIndex& index, uint64_t offset, uint8_t* buffer,
                int32_t length, GzCursor* cursor);

// Ends a cursor's inflater; harmless on one that is not live.
void EndGzCursor(GzCursor& cursor);

}  // namespace lectra
