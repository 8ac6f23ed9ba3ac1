// The compound-file (structured storage) reader: header, FAT, mini-FAT and directory, streams by
// name and byte ranges of a stream. Read just far enough for Word documents.
#include "document/formats/compound_file.h"

#include <algorithm>
#include <cstring>

#include "document/formats/file_bytes.h"
#include "document/text_cache.h"

namespace lectra {

namespace {

constexpr uint32_t kSignatureLow = 0xE011CFD0u;
constexpr uint32_t kSignatureHigh = 0xE11AB1A1u;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kEntryBytes = 128;
// Every value from here up (free, end of chain, FAT and DIFAT sectors …) is a marker, not a
// sector number.
constexpr uint32_t kFirstMarker = 0x80000000u;

uint64_t SectorOffset(const CfbState& cfb, uint32_t sector) {
    return cfb.headerBytes + static_cast<uint64_t>(sector) * cfb.sectorSize;
}

// Fills table entries [first, first + sectorSize / 4) from one sector of the file.
void ReadTableSector(CfbState& cfb, Document& doc, uint32_t sector, std::vector<uint32_t>& table,
                     size_t first, std::vector<uint8_t>& buffer) {
    ReadFileBytes(doc, cfb.fileSize, SectorOffset(cfb, sector), buffer.data(), cfb.sectorSize);
    const size_t perSector = cfb.sectorSize / 4;
    ByteReader entries = ByteView(buffer.data(), buffer.size());
    for (size_t k = 0; k < perSector && first + k < table.size(); ++k)
        table[first + k] = ReadLe32(entries, k * 4);
}

// The units of a chain from `start` through `table`, at most `limit` of them. The file is not
// trusted: the chain ends at a marker, at an entry outside the table, or at a unit it has
// already passed (a loop).
std::vector<uint32_t> FollowChain(const std::vector<uint32_t>& table, uint32_t start,
                                  uint64_t limit) {
    std::vector<uint32_t> units;
    std::vector<uint8_t> visited(table.size());
    uint32_t n = start;
    while (units.size() < limit && n < table.size() && !visited[n]) {
        visited[n] = 1;
        units.push_back(n);
        n = table[n];
    }
    return units;
}

// Whether some entry of `table` names a unit beyond it (markers aside).
bool PointsOutside(const std::vector<uint32_t>& table) {
    const uint32_t count = static_cast<uint32_t>(table.size());
    return std::any_of(table.begin(), table.end(),
                       [count](uint32_t e) { return e < kFirstMarker && e >= count; });
}

const StreamChain& ChainFor(CfbState& cfb, int32_t stream) {
    for (const StreamChain& c : cfb.chains) {
        if (c.stream == stream) return c;
    }
    // Slot 0 is kept for the root (the mini stream), so that resolving a mini chain, which reads
    // through the root, never replaces the chain being read.
    int slot = 0;
    if (stream != 0) {
        slot = 3;
        for (int s = 1; s < 4; ++s) {
            if (cfb.chains[s].stream < 0) {
                slot = s;
                break;
            }
        }
    }
    StreamChain& c = cfb.chains[slot];
    c.stream = stream;
    const uint32_t size = cfb.streamSize[stream];
    c.mini = stream != 0 && size < cfb.miniCutoff;
    const uint32_t unit = c.mini ? cfb.miniSectorSize : cfb.sectorSize;
    const uint64_t units = (static_cast<uint64_t>(size) + unit - 1) / unit;
    c.units = FollowChain(c.mini ? cfb.miniFat : cfb.fat, cfb.streamStart[stream], units);
    return c;
}

}  // namespace

void ReadFileBytes(Document& doc, uint64_t fileSize, uint64_t offset, uint8_t* dest,
                   uint32_t length) {
    uint32_t done = 0;
    if (offset < fileSize && offset <= 0xFFFFFFFFu) {
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(length, fileSize - offset));
        done = ReadSource(doc, static_cast<uint32_t>(offset), dest, want, want);
    }
    std::memset(dest + done, 0xFF, length - done);
}

void FreeCompoundFile(CfbState& cfb) {
    cfb = CfbState{};
}

int OpenCompoundFile(CfbState& cfb, Document& doc) {
    FreeCompoundFile(cfb);
    const int64_t fileSize = FileSize(doc.source);
    // The raw layer and every offset here are 32-bit.
    if (fileSize < 512 || fileSize > 0xFFFFFFFFll) return 0;
    cfb.fileSize = static_cast<uint64_t>(fileSize);
    uint8_t header[512];
    ReadFileBytes(doc, cfb.fileSize, 0, header, sizeof header);
    ByteReader h = ByteView(header, sizeof header);
    if (ReadLe32(h, 0) != kSignatureLow || ReadLe32(h, 4) != kSignatureHigh) return 0;

    // Sectors of 128 bytes (one directory entry) to 64 KiB; no writer uses others, and a larger
    // shift would have us allocate gigabytes per sector.
    const uint32_t shift = ReadLe16(h, 30), miniShift = ReadLe16(h, 32);
    if (shift < 7 || shift > 16 || miniShift >= shift) return 0;
    cfb.sectorSize = 1u << shift;
    cfb.miniSectorSize = 1u << miniShift;
    cfb.headerBytes = std::max<uint64_t>(512, cfb.sectorSize);
    cfb.miniCutoff = ReadLe32(h, 56);
    if (cfb.miniCutoff < cfb.sectorSize) return 0;
    const uint64_t fileSectors =
        cfb.fileSize > cfb.headerBytes
            ? (cfb.fileSize - cfb.headerBytes + cfb.sectorSize - 1) / cfb.sectorSize
            : 0;
    const uint32_t perSector = cfb.sectorSize / 4;

    // The FAT: its sector numbers come from the header, then from the DIFAT chain.
    const uint32_t fatSectorCount = ReadLe32(h, 44);
    if (fatSectorCount > fileSectors) return 0;
    std::vector<uint32_t> fatSectors;
    for (uint32_t i = 0; i < std::min(fatSectorCount, kHeaderDifatEntries); ++i)
        fatSectors.push_back(ReadLe32(h, 76 + 4 * i));
    std::vector<uint8_t> buffer(cfb.sectorSize);
    if (fatSectorCount > kHeaderDifatEntries) {
        std::vector<uint8_t> visited(fileSectors);
        ByteReader sector = ByteView(buffer.data(), buffer.size());
        uint32_t d = ReadLe32(h, 68);
        // A DIFAT chain that loops or leaves the file ends here; the FAT sectors it did not name
        // stay free.
        while (fatSectors.size() < fatSectorCount && d < fileSectors && !visited[d]) {
            visited[d] = 1;
            ReadFileBytes(doc, cfb.fileSize, SectorOffset(cfb, d), buffer.data(), cfb.sectorSize);
            for (uint32_t k = 0; k + 1 < perSector && fatSectors.size() < fatSectorCount; ++k) {
                fatSectors.push_back(ReadLe32(sector, k * 4));
            }
            d = ReadLe32(sector, (perSector - 1) * 4);
        }
    }
    cfb.fatCount = fatSectorCount * perSector;
    cfb.fat.assign(cfb.fatCount, 0xFFFFFFFFu);
    for (size_t k = 0; k < fatSectors.size(); ++k) {
        if (fatSectors[k] < fileSectors)
            ReadTableSector(cfb, doc, fatSectors[k], cfb.fat, k * perSector, buffer);
    }
    if (PointsOutside(cfb.fat)) return 0;

    // The mini-FAT, along its FAT chain.
    const uint32_t miniFatSectorCount = ReadLe32(h, 64);
    if (miniFatSectorCount > fileSectors) return 0;
    cfb.miniFatCount = miniFatSectorCount * perSector;
    if (cfb.miniFatCount) {
        const std::vector<uint32_t> chain =
            FollowChain(cfb.fat, ReadLe32(h, 60), miniFatSectorCount);
        cfb.miniFat.assign(cfb.miniFatCount, 0xFFFFFFFFu);
        for (size_t k = 0; k < chain.size(); ++k)
            ReadTableSector(cfb, doc, chain[k], cfb.miniFat, k * perSector, buffer);
        if (PointsOutside(cfb.miniFat)) return 0;
    }

    // The directory, along its FAT chain.
    const std::vector<uint32_t> dirChain = FollowChain(cfb.fat, ReadLe32(h, 48), cfb.fatCount);
    cfb.entryCount = static_cast<uint32_t>(dirChain.size() * (cfb.sectorSize / kEntryBytes));
    cfb.directory.resize(static_cast<size_t>(cfb.entryCount) * kEntryBytes);
    cfb.streamStart.resize(cfb.entryCount);
    cfb.streamSize.resize(cfb.entryCount);
    for (size_t k = 0; k < dirChain.size(); ++k) {
        ReadFileBytes(doc, cfb.fileSize, SectorOffset(cfb, dirChain[k]),
                      &cfb.directory[k * cfb.sectorSize], cfb.sectorSize);
    }
    ByteReader entries = ByteView(cfb.directory.data(), cfb.directory.size());
    for (uint32_t i = 0; i < cfb.entryCount; ++i) {
        const size_t e = static_cast<size_t>(i) * kEntryBytes;
        cfb.streamStart[i] = ReadLe32(entries, e + 116);
        cfb.streamSize[i] = ReadLe32(entries, e + 120);
    }
    return 1;
}

uint64_t StreamSize(CfbState& cfb, int32_t stream) {
    if (stream < 0) return cfb.fileSize;
    if (static_cast<uint32_t>(stream) >= cfb.entryCount) return 0;
    const StreamChain& chain = ChainFor(cfb, stream);
    const uint64_t reach = static_cast<uint64_t>(chain.units.size()) *
                           (chain.mini ? cfb.miniSectorSize : cfb.sectorSize);
    return std::min<uint64_t>(cfb.streamSize[stream], reach);
}

void ReadStream(CfbState& cfb, Document& doc, int32_t stream, uint64_t offset, uint8_t* dest,
                uint32_t length) {
    if (stream < 0) {
        ReadFileBytes(doc, cfb.fileSize, offset, dest, length);
        return;
    }
    if (static_cast<uint32_t>(stream) >= cfb.entryCount) {
        std::memset(dest, 0xFF, length);
        return;
    }
    const StreamChain& chain = ChainFor(cfb, stream);
    const uint32_t unit = chain.mini ? cfb.miniSectorSize : cfb.sectorSize;
    while (length > 0) {
        const uint64_t u = offset / unit;
        const uint32_t within = static_cast<uint32_t>(offset % unit);
        if (u >= chain.units.size()) {
            std::memset(dest, 0xFF, length);
            return;
        }
        // Units that follow each other in their container are copied in one read.
        uint64_t avail = unit - within;
        size_t run = 1;
        while (avail < length && u + run < chain.units.size() &&
               chain.units[u + run] == chain.units[u] + run) {
            avail += unit;
            ++run;
        }
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(length, avail));
        const uint64_t at = static_cast<uint64_t>(chain.units[u]) * unit + within;
        if (chain.mini) {
            ReadStream(cfb, doc, 0, at, dest, n);
        } else {
            ReadFileBytes(doc, cfb.fileSize, cfb.headerBytes + at, dest, n);
        }
        dest += n;
        offset += n;
        length -= n;
    }
}

int32_t FindDirectoryEntry(const CfbState& cfb, const char16_t* name) {
    if (cfb.entryCount == 0 ||
        cfb.directory.size() < static_cast<size_t>(cfb.entryCount) * kEntryBytes)
        return 0;
    size_t chars = 0;
    while (name[chars]) ++chars;
    const uint32_t wantBytes = static_cast<uint32_t>((chars + 1) * 2);
    auto upper = [](char16_t c) {
        return static_cast<char16_t>(c >= u'a' && c <= u'z' ? c - 32 : c);
    };
    std::vector<uint8_t> visited(cfb.entryCount);
    ByteReader entries = ByteView(cfb.directory.data(), cfb.directory.size());
    uint32_t i = ReadLe32(entries, 76);  // the root's child
    // An index outside the directory (the "no sibling" marker among them) ends the search, and
    // so does an entry met twice: a tree that loops has no answer.
    while (i >= 1 && i < cfb.entryCount && !visited[i]) {
        visited[i] = 1;
        const size_t e = static_cast<size_t>(i) * kEntryBytes;
        const uint32_t haveBytes = ReadLe16(entries, e + 64);
        int order = 0;  // < 0: the wanted name sorts before this entry's
        if (wantBytes != haveBytes) {
            order = wantBytes < haveBytes ? -1 : 1;
        } else {
            // The directory is ordered by upper-cased names; the name field holds 32 units.
            for (size_t k = 0; k < chars && k < 32 && order == 0; ++k) {
                const char16_t a = upper(name[k]), b = upper(ReadLe16(entries, e + 2 * k));
                if (a != b) order = a < b ? -1 : 1;
            }
        }
        if (order == 0) return static_cast<int32_t>(i);
        i = ReadLe32(entries, e + (order < 0 ? 68 : 72));
    }
    return 0;
}

}  // namespace lectra
