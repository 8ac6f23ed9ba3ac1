// The central directory of a ZIP archive: its end records (ZIP64 included), its entries with
// their names, methods, sizes and data offsets, each checked against the file.
#include "document/formats/zip_directory.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>

#include "document/formats/file_bytes.h"
#include "platform/sys/code_pages.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kEnd64Signature = 0x06064B50;
constexpr uint32_t kLocator64Signature = 0x07064B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kEndSize = 22;
constexpr uint32_t kLocatorSize = 20;
constexpr uint32_t kEnd64Size = 56;
constexpr uint32_t kCentralSize = 46;
constexpr uint32_t kLocalSize = 30;
constexpr uint32_t kMaxComment = 65535;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kExtraZip64 = 0x0001;
constexpr uint16_t kExtraUnicodePath = 0x7075;

// Old archivers on Russian systems wrote names in the OEM code page; every byte has its own
// character there, so the conversion loses nothing.
std::u16string Cp866Name(std::string_view bytes) {
    return CodePageDecode(866, bytes);
}

// The ZIP64 values that stand in for fields holding all ones, in their fixed order; and the
// Unicode name that some archivers add beside a name in the local code page (kept only when its
// CRC says it belongs to the name as stored). Returns 0 when a needed ZIP64 value is missing.
int ReadExtras(ByteReader extras, ZipEntry& e, uint32_t rawSize, uint32_t rawCsize,
               uint32_t rawOffset, std::string_view rawName, std::u16string* unicodeName) {
    bool need[3] = {rawSize == 0xFFFFFFFFu, rawCsize == 0xFFFFFFFFu, rawOffset == 0xFFFFFFFFu};
    size_t at = 0;
    while (at + 4 <= extras.size) {
        const uint32_t id = ReadLe16(extras, at), length = ReadLe16(extras, at + 2);
        ByteReader field = SubBytes(extras, at + 4, length);
        if (!field.ok) return 0;
        if (id == kExtraZip64) {
            uint32_t k = 0;
            uint64_t* targets[3] = {&e.size, &e.compressedSize, &e.localHeader};
            for (int i = 0; i < 3; ++i) {
                if (!need[i]) continue;
                *targets[i] = ReadLe64(field, k);
                if (!field.ok) return 0;
                k += 8;
                need[i] = false;
            }
        } else if (id == kExtraUnicodePath && length > 5 && ReadU8(field, 0) == 1) {
            const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(rawName.data()),
                                    static_cast<uInt>(rawName.size()));
            const std::string_view utf8(
                reinterpret_cast<const char*>(ByteSpan(field, 5, length - 5)), length - 5);
            if (ReadLe32(field, 1) == static_cast<uint32_t>(crc) && IsUtf8(utf8))
                *unicodeName = Utf8ToUtf16(utf8);
        }
        at += 4 + length;
    }
    return !need[0] && !need[1] && !need[2];
}

// Parses the `count` records of the directory in `cd`; 0 when one is malformed or runs past it.
int ParseEntries(ByteReader cd, uint64_t count, ZipDirectory& directory) {
    size_t at = 0;
    directory.entries.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        ByteReader h = SubBytes(cd, at, kCentralSize);
        if (!h.ok || ReadLe32(h, 0) != kCentralSignature) return 0;
        const uint32_t nameLength = ReadLe16(h, 28), extraLength = ReadLe16(h, 30);
        const uint32_t commentLength = ReadLe16(h, 32);
        const size_t recordSize = kCentralSize + nameLength + extraLength + commentLength;
        // Entries on another disk of a split archive cannot be read from this file.
        const uint32_t disk = ReadLe16(h, 34);
        ByteReader record = SubBytes(cd, at, recordSize);
        if (!record.ok || (disk != 0 && disk != 0xFFFF)) return 0;
        ZipEntry& e = directory.entries.emplace_back();
        e.flags = ReadLe16(h, 8);
        e.method = ReadLe16(h, 10);
        e.crc = ReadLe32(h, 16);
        e.compressedSize = ReadLe32(h, 20);
        e.size = ReadLe32(h, 24);
        e.localHeader = ReadLe32(h, 42);
        const std::string_view rawName(
            reinterpret_cast<const char*>(ByteSpan(record, kCentralSize, nameLength)), nameLength);
        std::u16string unicodeName;
        if (!ReadExtras(SubBytes(record, kCentralSize + nameLength, extraLength), e,
                        ReadLe32(h, 24), ReadLe32(h, 20), ReadLe32(h, 42), rawName, &unicodeName)) {
            return 0;
        }
        if ((e.flags & kFlagUtf8) && IsUtf8(rawName)) {
            e.name = Utf8ToUtf16(rawName);
        } else if (!unicodeName.empty()) {
            e.name = unicodeName;
        } else {
            e.name = Cp866Name(rawName);
        }
        at += recordSize;
    }
    return 1;
}

// Every entry's local header and data lie before the directory and before the next entry's
// local header; each entry's limit is recorded for the data offset check.
int CheckLayout(ZipDirectory& directory, uint64_t cdOffset) {
    std::vector<ZipEntry>& entries = directory.entries;
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return entries[a].localHeader < entries[b].localHeader; });
    for (size_t k = 0; k < order.size(); ++k) {
        ZipEntry& e = entries[order[k]];
        const uint64_t limit = k + 1 < order.size() ? entries[order[k + 1]].localHeader : cdOffset;
        // The least the entry needs: its fixed header and its data (the name is at least 0).
        if (e.localHeader > limit || limit - e.localHeader < kLocalSize ||
            e.compressedSize > limit - e.localHeader - kLocalSize) {
            return 0;
        }
        e.limit = limit;
    }
    return 1;
}

}  // namespace

int ReadZipDirectory(PlatformFile& file, ZipDirectory& directory) {
    directory.entries.clear();
    const int64_t fileSize = FileSize(file);
    if (fileSize < kEndSize) return 0;
    const uint64_t size = static_cast<uint64_t>(fileSize);
    // The end record is in the last 22 bytes plus at most a 65535-byte comment.
    const uint32_t tailSize =
        static_cast<uint32_t>(std::min<uint64_t>(size, kEndSize + kMaxComment + kLocatorSize));
    std::vector<uint8_t> tail(tailSize);
    if (!ReadAt(file, size - tailSize, tail.data(), tailSize)) return 0;
    ByteReader t = ByteView(tail.data(), tail.size());
    int64_t end = -1;
    for (int64_t i = static_cast<int64_t>(tailSize) - kEndSize; i >= 0; --i) {
        const size_t at = static_cast<size_t>(i);
        if (ReadLe32(t, at) == kEndSignature && at + kEndSize + ReadLe16(t, at + 20) <= tailSize) {
            end = i;
            break;
        }
    }
    if (end < 0) return 0;
    ByteReader e = SubBytes(t, static_cast<size_t>(end), kEndSize);
    const uint64_t endOffset = size - tailSize + static_cast<uint64_t>(end);
    uint64_t count = ReadLe16(e, 10);
    uint64_t cdSize = ReadLe32(e, 12), cdOffset = ReadLe32(e, 16);
    uint64_t cdEnd = endOffset;  // the directory ends where the records after it begin
    // One disk only: a split archive's other parts are not here.
    const uint32_t disk = ReadLe16(e, 4), cdDisk = ReadLe16(e, 6);
    if ((disk != 0 && disk != 0xFFFF) || (cdDisk != 0 && cdDisk != 0xFFFF) ||
        ReadLe16(e, 8) != ReadLe16(e, 10)) {
        return 0;
    }
    // ZIP64: a locator just before the end record points to the larger end record, which is
    // then the one that counts (some archivers write it also when the small fields would do).
    uint8_t locator[kLocatorSize];
    ByteReader l = ByteView(locator, sizeof locator);
    const bool zip64 = endOffset >= kLocatorSize &&
                       ReadAt(file, endOffset - kLocatorSize, locator, kLocatorSize) &&
                       ReadLe32(l, 0) == kLocator64Signature;
    if (zip64) {
        if (ReadLe32(l, 4) != 0 || ReadLe32(l, 16) > 1) return 0;
        const uint64_t end64 = ReadLe64(l, 8);
        uint8_t record[kEnd64Size];
        ByteReader r = ByteView(record, sizeof record);
        if (end64 > endOffset - kLocatorSize || endOffset - kLocatorSize - end64 < kEnd64Size ||
            !ReadAt(file, end64, record, kEnd64Size) || ReadLe32(r, 0) != kEnd64Signature ||
            ReadLe32(r, 16) != 0 || ReadLe32(r, 20) != 0 || ReadLe64(r, 24) != ReadLe64(r, 32)) {
            return 0;
        }
        count = ReadLe64(r, 32);
        cdSize = ReadLe64(r, 40);
        cdOffset = ReadLe64(r, 48);
        cdEnd = end64;
    } else if (count == 0xFFFF || cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu) {
        return 0;
    }
    if (cdOffset > cdEnd || cdSize != cdEnd - cdOffset || cdSize > kZipMaxDirectory ||
        count > cdSize / kCentralSize) {
        return 0;
    }
    std::vector<uint8_t> cd(static_cast<size_t>(cdSize));
    if (cdSize && !ReadAt(file, cdOffset, cd.data(), static_cast<uint32_t>(cdSize))) return 0;
    if (!ParseEntries(ByteView(cd.data(), cd.size()), count, directory) ||
        !CheckLayout(directory, cdOffset)) {
        directory.entries.clear();
        return 0;
    }
    return 1;
}

int ZipEntryReadable(const ZipEntry& entry) {
    if (entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) return 0;
    if (entry.method == kZipStored) return entry.compressedSize == entry.size;
    return entry.method == kZipDeflated;
}

uint64_t ZipEntryData(PlatformFile& file, const ZipEntry& entry) {
    uint8_t header[kLocalSize] = {};
    ByteReader h = ByteView(header, sizeof header);
    if (!ReadAt(file, entry.localHeader, header, kLocalSize) || ReadLe32(h, 0) != kLocalSignature)
        return 0;
    const uint64_t data = entry.localHeader + kLocalSize + ReadLe16(h, 26) + ReadLe16(h, 28);
    if (data > entry.limit || entry.compressedSize > entry.limit - data) return 0;
    return data;
}

int ReadSmallZipEntry(PlatformFile& file, const ZipEntry& entry, uint64_t maxSize,
                      std::string& out) {
    out.clear();
    if (!ZipEntryReadable(entry) || entry.size > maxSize) return 0;
    // Deflate never grows data by more than a few bytes in a thousand, so a compressed entry far
    // larger than its output is damaged.
    if (entry.compressedSize > entry.size + entry.size / 8 + 1024) return 0;
    const uint64_t data = ZipEntryData(file, entry);
    if (!data) return 0;
    std::string packed(static_cast<size_t>(entry.compressedSize), '\0');
    if (!packed.empty() &&
        !ReadAt(file, data, packed.data(), static_cast<uint32_t>(packed.size()))) {
        return 0;
    }
    if (entry.method == kZipStored) {
        out.swap(packed);
    } else {
        out.assign(static_cast<size_t>(entry.size), '\0');
        z_stream z{};
        if (inflateInit2(&z, -15) != Z_OK) return 0;
        z.next_in = reinterpret_cast<Bytef*>(packed.data());
        z.avail_in = static_cast<uInt>(packed.size());
        // One byte more than the stated size, so that a stream that goes on is caught.
        std::string spare(out.size() + 1, '\0');
        z.next_out = reinterpret_cast<Bytef*>(spare.data());
        z.avail_out = static_cast<uInt>(spare.size());
        const int ret = inflate(&z, Z_FINISH);
        const uint64_t produced = spare.size() - z.avail_out;
        inflateEnd(&z);
        if (ret != Z_STREAM_END || produced != entry.size) return 0;
        out.assign(spare.data(), static_cast<size_t>(produced));
    }
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size()));
    if (static_cast<uint32_t>(crc) != entry.crc) {
        out.clear();
        return 0;
    }
    return 1;
}

}  // namespace lectra
