// TCR books: the 256-phrase dictionary and a one-pass index of where each raw block of the
// expanded text starts in the body, so that any raw block is expanded straight from the file.
#include "document/formats/tcr_reader.h"

#include <algorithm>
#include <cstring>

#include "document/formats/file_bytes.h"
#include "document/open_book.h"
#include "document/text_cache.h"

namespace lectra {

namespace {

constexpr char kSignature[] = "!!8-Bit!!";
constexpr uint32_t kSignatureBytes = 9;
constexpr uint32_t kChunk = 8192;

// Expands raw block `b` into `out` (at most `want` bytes): from the block's starting code, the
// first `skip` bytes dropped, reading codes until the block is full or the body ends. Codes of
// empty phrases produce nothing, so the block may need more than 8192 codes.
uint32_t ExpandBlock(Document& doc, uint32_t b, uint8_t* out, uint32_t want) {
    const TcrState& s = *TcrOf(doc);
    if (b >= s.blocks.size()) return 0;
    uint32_t skip = s.blocks[b].skip;
    uint64_t at = s.blocks[b].codeOffset;
    uint8_t codes[kChunk];
    uint32_t written = 0;
    while (written < want && at < s.bodyEnd) {
        const uint32_t got =
            ReadSource(doc, static_cast<uint32_t>(at), codes, kChunk,
                       static_cast<uint32_t>(std::min<uint64_t>(kChunk, s.bodyEnd - at)));
        if (got == 0) break;
        at += got;
        for (uint32_t i = 0; i < got && written < want; ++i) {
            const uint8_t c = codes[i];
            uint32_t len = s.length[c];
            const uint8_t* p = s.phrase[c];
            if (skip) {
                const uint32_t drop = std::min(skip, len);
                p += drop;
                len -= drop;
                skip -= drop;
            }
            len = std::min(len, want - written);
            std::memcpy(out + written, p, len);
            written += len;
        }
    }
    return written;
}

// What a phrase does to the search for a tab that begins a line, from each state (0: inside a
// line, 1: at a line's start, before any character above 32): the state after it, and whether it
// holds such a tab (once one is found the state no longer matters, and the scan stops).
struct TabScan {
    uint8_t after[2];
    uint8_t found[2];
};

TabScan ScanPhrase(const uint8_t* p, uint32_t len) {
    TabScan t{};
    for (int from = 0; from < 2; ++from) {
        int at = from;
        for (uint32_t i = 0; i < len && !t.found[from]; ++i) {
            if (p[i] == 10)
                at = 1;
            else if (p[i] == 9 && at)
                t.found[from] = 1;
            else if (p[i] > 32)
                at = 0;
        }
        t.after[from] = static_cast<uint8_t>(at);
    }
    return t;
}

}  // namespace

TcrState* TcrOf(const Document& doc) {
    return ReaderStateOf<TcrState>(doc, kTcrReader);
}

int OpenTcr(Document& doc) {
    char signature[kSignatureBytes];
    if (!ReadOpeningBytes(doc, signature, kSignatureBytes) ||
        std::memcmp(signature, kSignature, kSignatureBytes) != 0) {
        return RefuseOpen(doc, kBadFormat);
    }
    PlatformFile& file = doc.source;
    TcrState& s = NewReaderState<TcrState>(doc, kTcrReader);
    // The dictionary: for each code a length byte and that many phrase bytes. It is read with the
    // body's first bytes in one go; at most 256 × 256 bytes.
    std::vector<uint8_t> head(256 * 256);
    uint32_t got = 0;
    if (!FileRead(file, head.data(), static_cast<uint32_t>(head.size()), &got))
        return RefuseOpen(doc, kBadFormat);
    ByteReader dictionary = ByteView(head.data(), got);
    uint32_t at = 0;
    for (int code = 0; code < 256; ++code) {
        const uint8_t len = ReadU8(dictionary, at);
        const uint8_t* phrase = ByteSpan(dictionary, at + 1, len);
        if (!dictionary.ok)
            return RefuseOpen(doc, kBadFormat);  // the file ends inside the dictionary
        s.length[code] = len;
        std::memcpy(s.phrase[code], phrase, len);
        at += 1 + len;
    }
    s.bodyOffset = kSignatureBytes + at;

    // One pass over the body: a block starts at every multiple of 8192 expanded bytes, inside the
    // phrase that covers it. A phrase is shorter than a block, so it crosses at most one start.
    if (!FileSeek(file, s.bodyOffset)) return RefuseOpen(doc, kBadFormat);
    TabScan scans[256];
    for (int code = 0; code < 256; ++code) scans[code] = ScanPhrase(s.phrase[code], s.length[code]);
    uint8_t lineStart = 1;
    uint64_t offset = s.bodyOffset;
    uint32_t expanded = 0;
    uint8_t codes[kChunk];
    for (;;) {
        if (!FileRead(file, codes, kChunk, &got) || got == 0) break;
        for (uint32_t i = 0; i < got; ++i, ++offset) {
            const uint32_t len = s.length[codes[i]];
            if (len == 0) continue;
            const TabScan& scan = scans[codes[i]];
            s.tabIndents |= scan.found[lineStart];
            lineStart = scan.after[lineStart];
            // The next block start at or after `expanded`.
            const uint32_t next = (expanded + kRawBlockBytes - 1) & ~(kRawBlockBytes - 1);
            if (next - expanded < len && offset <= 0xFFFFFFFFu) {
                s.blocks.push_back({static_cast<uint32_t>(offset), next - expanded});
            }
            expanded += len;
            if (expanded >= kTcrMaxExpanded || offset >= 0xFFFFFFFFu) {
                expanded = std::min(expanded, kTcrMaxExpanded);
                got = 0;  // the text is cut here
                break;
            }
        }
        if (got == 0) break;
    }
    s.bodyEnd = static_cast<uint32_t>(std::clamp<int64_t>(FileSize(file), 0, 0xFFFFFFFFu));
    doc.sourceSize = expanded;
    return 1;
}

void ReadTcrRawBlock(Document& doc, uint32_t offset, uint8_t* block) {
    if (!TcrOf(doc) || offset >= doc.sourceSize) return;
    const uint32_t start = offset & ~(kRawBlockBytes - 1);
    const uint32_t want = std::min(kRawBlockBytes, doc.sourceSize - start);
    ExpandBlock(doc, start >> kRawBlockShift, block, want);
}

uint32_t SampleTcr(Document& doc, uint8_t* buffer, uint32_t capacity) {
    if (!TcrOf(doc)) return 0;
    uint8_t block[kRawBlockBytes];
    const uint32_t n = ExpandBlock(doc, 0, block, std::min(doc.sourceSize, kRawBlockBytes));
    const uint32_t take = std::min(n, capacity);
    std::memcpy(buffer, block, take);
    return take;
}

const FormatReader kTcrReader = {OpenTcr, ReadTcrRawBlock, SampleTcr, DeleteReaderState<TcrState>};

}  // namespace lectra
