// Random access into a gzip member: one inflation at open records an access point about every
// span of output (with the 32 KiB of output before it), and any range is later inflated from
// the nearest point before it.
#include "document/formats/gz_index.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "document/formats/file_bytes.h"

namespace lectra {

namespace {

// Inflates with `flush`; a call that makes no progress, or asks for a dictionary that a gzip
// member never has, is a data error, so that no loop can spin on malformed input.
int Inflate(z_stream& z, int flush) {
    const uInt inBefore = z.avail_in, outBefore = z.avail_out;
    int ret = inflate(&z, flush);
    if (ret == Z_NEED_DICT) return Z_DATA_ERROR;
    if (ret == Z_BUF_ERROR && z.avail_in == inBefore && z.avail_out == outBefore)
        return Z_DATA_ERROR;
    return ret == Z_BUF_ERROR ? Z_OK : ret;
}

// The last 32 KiB of output are in the wrap-around buffer: the part after the next write
// position is the older one.
void AddPoint(GzIndex& index, uint32_t bits, uint64_t in, uint64_t out, uint32_t left,
              const uint8_t* window) {
    GzAccessPoint& p = index.points.emplace_back();
    p.bits = bits;
    p.in = in;
    p.out = out;
    p.window.resize(kGzWindow);
    if (left) std::memcpy(p.window.data(), window + kGzWindow - left, left);
    if (left < kGzWindow) std::memcpy(p.window.data() + left, window, kGzWindow - left);
}

// Fills `dst` with up to `want` bytes from the cursor's stream; returns the bytes produced or a
// negative status.
int Pump(PlatformFile& file, GzCursor& c, uint8_t* dst, uint32_t want) {
    z_stream& z = c.stream;
    z.next_out = dst;
    z.avail_out = want;
    while (z.avail_out > 0 && !c.ended) {
        if (z.avail_in == 0) {
            uint32_t got = 0;
            if (!FileSeek(file, c.filePos) || !FileRead(file, c.input, kGzInputChunk, &got))
                return Z_ERRNO;
            // At the end of the file the inflater may still finish the stream from the bits it
            // holds; when it cannot, the call below moves nothing and is a data error.
            c.filePos += got;
            z.next_in = c.input;
            z.avail_in = got;
        }
        const int ret = Inflate(z, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) {
            c.ended = 1;
        } else if (ret != Z_OK) {
            return ret;
        }
    }
    const uint32_t produced = want - z.avail_out;
    c.out += produced;
    return static_cast<int>(produced);
}

// Starts the cursor's raw inflater at an access point: the bits left over from the byte before
// it are primed, and its window becomes the dictionary.
int StartAt(PlatformFile& file, GzCursor& c, const GzAccessPoint& p) {
    EndGzCursor(c);
    c.stream = z_stream{};
    if (inflateInit2(&c.stream, -15) != Z_OK) return Z_MEM_ERROR;
    c.live = 1;
    c.ended = 0;
    if (p.bits) {
        uint8_t byte = 0;
        if (p.in == 0 || !ReadAt(file, p.in - 1, &byte, 1)) return Z_ERRNO;
        inflatePrime(&c.stream, static_cast<int>(p.bits), byte >> (8 - p.bits));
    }
    if (p.window.size() == kGzWindow) inflateSetDictionary(&c.stream, p.window.data(), kGzWindow);
    c.filePos = p.in;
    c.out = p.out;
    c.stream.avail_in = 0;
    return Z_OK;
}

// What one indexing run reads: the stream's first byte in the file, at most `limit` compressed
// bytes, and (for a raw stream) the exact output it must give, whose CRC-32 is computed.
struct IndexRun {
    uint64_t start = 0;
    uint64_t limit = UINT64_MAX;
    int raw = 0;
    uint64_t expected = 0;
};

int BuildIndex(PlatformFile& file, const IndexRun& run, uint32_t span, GzIndex& index,
               uint64_t* size, uint32_t* crc, const IndexProgress& progress) {
    index.points.clear();
    index.points.reserve(8);
    index.cut = 0;
    *size = 0;
    if (!FileSeek(file, run.start)) return Z_ERRNO;
    z_stream z{};
    // Window bits 47: a zlib or gzip header, recognised automatically; −15: raw deflate.
    if (inflateInit2(&z, run.raw ? -15 : 47) != Z_OK) return Z_MEM_ERROR;
    std::unique_ptr<uint8_t[]> input(new uint8_t[kGzInputChunk]);
    std::unique_ptr<uint8_t[]> window(new uint8_t[kGzWindow]());
    uint64_t totalIn = 0, totalOut = 0, last = 0, left = run.limit;
    uLong check = crc32(0, nullptr, 0);
    // A raw stream has no header to stop after: its first point is its start, with no history.
    if (run.raw) index.points.emplace_back().in = run.start;
    int ret = Z_OK;
    z.avail_out = 0;
    // Once the input is used up the inflater may still hold bits and a pending copy worth many
    // kilobytes of output (a run of one letter), and the stream's end may lie behind one more
    // block boundary: it is called on without input, each call's output counted and checked as
    // any other, until the stream ends or it stops moving.
    bool inputDone = false;
    int stalls = 0;
    for (;;) {
        if (z.avail_in == 0 && !inputDone) {
            uint32_t got = 0;
            const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(kGzInputChunk, left));
            if (want && !FileRead(file, input.get(), want, &got)) {
                ret = Z_ERRNO;
                break;
            }
            if (got == 0) {
                inputDone = true;
            } else {
                left -= got;
                if (progress.report)
                    progress.report(progress.context, run.start + totalIn, progress.total);
                z.next_in = input.get();
                z.avail_in = got;
            }
        }
        if (z.avail_out == 0) {
            z.next_out = window.get();
            z.avail_out = kGzWindow;
        }
        const uint8_t* from = z.next_out;
        const uInt inBefore = z.avail_in, outBefore = z.avail_out;
        ret = inflate(&z, Z_BLOCK);
        totalIn += inBefore - z.avail_in;
        totalOut += outBefore - z.avail_out;
        if (run.raw) check = crc32(check, from, static_cast<uInt>(z.next_out - from));
        if (ret == Z_NEED_DICT) ret = Z_DATA_ERROR;
        if (ret == Z_BUF_ERROR) ret = Z_OK;
        if (ret != Z_OK && ret != Z_STREAM_END) break;
        // An entry that inflates beyond its stated size is damaged: stop before the bomb.
        if (run.raw && totalOut > run.expected) {
            ret = Z_DATA_ERROR;
            break;
        }
        if (totalOut >= kGzMaxOutput && ret != Z_STREAM_END) {
            totalOut = kGzMaxOutput;
            ret = run.raw ? Z_DATA_ERROR : Z_STREAM_END;
            index.cut = !run.raw;
            break;
        }
        if (ret == Z_STREAM_END) break;
        // At the end of a block that is not the last one the inflater can be resumed with only
        // the bit offset and the window.
        if ((z.data_type & 128) && !(z.data_type & 64) &&
            ((totalOut == 0 && !run.raw) || totalOut - last > span)) {
            AddPoint(index, static_cast<uint32_t>(z.data_type & 7), run.start + totalIn, totalOut,
                     z.avail_out, window.get());
            last = totalOut;
        }
        // Without input a call that yields nothing only steps over bits already held (a block
        // header, an empty block); a few in a row mean the file or entry ends inside the stream.
        if (inputDone && z.avail_out == outBefore) {
            if (++stalls > 8) {
                ret = Z_DATA_ERROR;
                break;
            }
        } else {
            stalls = 0;
        }
    }
    inflateEnd(&z);
    if (ret == Z_STREAM_END && run.raw && totalOut != run.expected) ret = Z_DATA_ERROR;
    if (ret != Z_STREAM_END || index.points.empty()) {
        index.points.clear();
        index.points.shrink_to_fit();
        return ret == Z_STREAM_END ? Z_DATA_ERROR : ret;
    }
    index.points.shrink_to_fit();
    *size = totalOut;
    if (crc) *crc = static_cast<uint32_t>(check);
    return static_cast<int>(index.points.size());
}

}  // namespace

void EndGzCursor(GzCursor& cursor) {
    if (cursor.live) inflateEnd(&cursor.stream);
    cursor.live = 0;
    cursor.ended = 0;
}

int BuildGzIndex(PlatformFile& file, uint32_t span, GzIndex& index, uint64_t* size,
                 const IndexProgress& progress) {
    return BuildIndex(file, IndexRun{}, span, index, size, nullptr, progress);
}

int BuildRawIndex(PlatformFile& file, const RawDeflate& stream, uint32_t span, GzIndex& index,
                  uint32_t* crc, const IndexProgress& progress) {
    IndexRun run;
    run.start = stream.start;
    run.limit = stream.compressedSize;
    run.raw = 1;
    run.expected = stream.size;
    uint64_t size = 0;
    return BuildIndex(file, run, span, index, &size, crc, progress);
}

int ReadGzRange(PlatformFile& file, const GzIndex& index, uint64_t offset, uint8_t* buffer,
                int32_t length, GzCursor* cursor) {
    if (length <= 0) return 0;
    if (index.points.empty()) return Z_DATA_ERROR;
    auto after = std::upper_bound(index.points.begin(), index.points.end(), offset,
                                  [](uint64_t o, const GzAccessPoint& p) { return o < p.out; });
    const GzAccessPoint& point =
        after == index.points.begin() ? index.points.front() : *(after - 1);

    std::unique_ptr<GzCursor> local;
    if (!cursor) {
        local.reset(new GzCursor);
        cursor = local.get();
    }
    GzCursor& c = *cursor;
    // Reading on from the live stream costs no more than starting again at the point.
    if (!(c.live && c.out <= offset && point.out <= c.out)) {
        const int ret = StartAt(file, c, point);
        if (ret != Z_OK) {
            EndGzCursor(c);
            return ret;
        }
    }
    int result = 0;
    while (c.out < offset) {
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(offset - c.out, kGzWindow));
        result = Pump(file, c, c.discard, want);
        if (result < 0) break;
        if (static_cast<uint32_t>(result) < want) {
            result = 0;  // the member ends before the offset
            break;
        }
        result = 0;
    }
    if (result == 0 && c.out == offset)
        result = Pump(file, c, buffer, static_cast<uint32_t>(length));
    if (result < 0) EndGzCursor(c);
    if (local) EndGzCursor(*local);
    return result;
}

}  // namespace lectra
