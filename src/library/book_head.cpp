// The head of a book for its description: read from a plain file, a gzip file or a ZIP entry,
// inflating only as much as the head needs.
#include "library/book_head.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "document/formats/file_bytes.h"

namespace lectra {

namespace {

constexpr uint32_t kChunk = 16384;

// Whether `stop` has appeared in `out` since `checked` bytes were already searched.
bool Stopped(const std::string& out, std::string_view stop, size_t& checked) {
    if (stop.empty()) return false;
    const size_t from = checked >= stop.size() ? checked - stop.size() + 1 : 0;
    checked = out.size();
    return out.find(stop, from) != out.npos;
}

// Inflates `length` compressed bytes from `start` (raw deflate or gzip by `windowBits`) until
// the head is complete; the input is read in chunks and never past `length`.
int InflateHead(PlatformFile& file, uint64_t start, uint64_t length, int windowBits, size_t cap,
                std::string_view stop, std::string& out) {
    out.clear();
    z_stream z{};
    if (inflateInit2(&z, windowBits) != Z_OK) return 0;
    std::vector<uint8_t> input(kChunk);
    std::vector<uint8_t> output(kChunk);
    uint64_t read = 0;
    size_t checked = 0;
    int ret = Z_OK;
    while (out.size() < cap) {
        if (z.avail_in == 0) {
            if (read >= length) break;
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kChunk, length - read));
            if (!ReadAt(file, start + read, input.data(), n)) break;
            read += n;
            z.next_in = input.data();
            z.avail_in = n;
        }
        z.next_out = output.data();
        z.avail_out = static_cast<uInt>(std::min<size_t>(kChunk, cap - out.size()));
        ret = inflate(&z, Z_NO_FLUSH);
        const size_t produced = static_cast<size_t>(z.next_out - output.data());
        out.append(reinterpret_cast<const char*>(output.data()), produced);
        if (ret == Z_STREAM_END || Stopped(out, stop, checked)) break;
        if (ret != Z_OK && ret != Z_BUF_ERROR) break;
        // No progress with input left means a damaged stream.
        if (ret == Z_BUF_ERROR && z.avail_in != 0) break;
    }
    inflateEnd(&z);
    return !out.empty() || ret == Z_STREAM_END;
}

}  // namespace

int ReadPlainHead(PlatformFile& file, size_t cap, std::string_view stop, std::string& out) {
    out.clear();
    if (!FileSeek(file, 0)) return 0;
    size_t checked = 0;
    char buffer[kChunk];
    while (out.size() < cap) {
        uint32_t got = 0;
        const uint32_t want = static_cast<uint32_t>(std::min<size_t>(kChunk, cap - out.size()));
        if (!FileRead(file, buffer, want, &got)) return 0;
        if (got == 0) break;
        out.append(buffer, got);
        if (Stopped(out, stop, checked)) break;
    }
    return 1;
}

int ReadGzipHead(PlatformFile& file, uint64_t fileSize, size_t cap, std::string_view stop,
                 std::string& out) {
    return InflateHead(file, 0, fileSize, 15 + 16, cap, stop, out);
}

int ReadZipEntryHead(PlatformFile& file, const ZipEntry& entry, size_t cap, std::string_view stop,
                     std::string& out) {
    out.clear();
    if (!ZipEntryReadable(entry)) return 0;
    const uint64_t data = ZipEntryData(file, entry);
    if (!data) return 0;
    if (entry.method == kZipStored) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(entry.size, cap));
        out.resize(n);
        if (n && !ReadAt(file, data, out.data(), static_cast<uint32_t>(n))) {
            out.clear();
            return 0;
        }
        if (!stop.empty()) {
            const size_t at = out.find(stop);
            if (at != out.npos) out.resize(at + stop.size());
        }
        return 1;
    }
    return InflateHead(file, data, entry.compressedSize, -15, cap, stop, out);
}

}  // namespace lectra
