// The central directory of a ZIP archive: its end records (ZIP64 included), its entries with
// their names, methods, sizes and data offsets, each checked against the file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys/files.h"

namespace lectra {

constexpr uint16_t kZipStored = 0;
constexpr uint16_t kZipDeflated = 8;
// A directory larger than this is not read (a book archive has a few entries, an EPUB a few
// thousand at most), so that a hostile count or size cannot make the open allocate without end.
constexpr uint64_t kZipMaxDirectory = 16u << 20;

struct ZipEntry {
    std::u16string name;  // UTF-8, or code page 866 without the UTF-8 flag
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localHeader = 0;
    // Where the next entry's local header (or the directory) starts: the entry's data must end
    // there.
    uint64_t limit = 0;
};

struct ZipDirectory {
    std::vector<ZipEntry> entries;  // in directory order
};

// Reads and checks the directory of the archive in `file`: every count, offset and size inside
// the file, no two entries' local headers and data overlapping, one disk only. Returns 1, or 0
// for anything malformed.
int ReadZipDirectory(PlatformFile& file, ZipDirectory& directory);

// Whether the entry can be read: stored or deflated, not encrypted.
int ZipEntryReadable(const ZipEntry& entry);

// The file offset of the entry's data, from its local header; 0 when the header is missing or
// the data would run past the entry's limit.
uint64_t ZipEntryData(PlatformFile& file, const ZipEntry& entry);

// Reads a whole small entry (at most `maxSize` bytes) and checks its CRC-32; 0 on any failure.
int ReadSmallZipEntry(PlatformFile& file, const ZipEntry& entry, uint64_t maxSize,
                      std::string& out);

}  // namespace lectra
