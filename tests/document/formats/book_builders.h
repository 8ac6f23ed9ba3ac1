// Small PalmDOC, zTXT and TCR files built byte by byte for the tests, and helpers to read back
// what the raw layer and the stream hold.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra::test {

inline void PutBE16(std::string& s, uint32_t v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}
inline void PutBE32(std::string& s, uint32_t v) {
    PutBE16(s, v >> 16);
    PutBE16(s, v & 0xFFFF);
}

// A Palm database: the 78-byte header, the record list, then record 0 and the text records.
// `offsets`, when given, replaces the list's data offsets of records 1 … n, so that broken
// lists can be made.
inline std::string BuildPdb(const std::string& typeCreator, const std::string& record0,
                            const std::vector<std::string>& texts,
                            const std::vector<uint32_t>* offsets = nullptr,
                            int recordCountField = -1) {
    const uint32_t count = static_cast<uint32_t>(texts.size() + 1);
    std::string s = "test book";
    s.resize(60, '\0');
    s += typeCreator;
    s.append(8, '\0');
    PutBE16(s, recordCountField >= 0 ? static_cast<uint32_t>(recordCountField) : count);
    uint32_t at = 78 + 8 * count + 2;
    std::vector<uint32_t> starts;
    starts.push_back(at);
    at += static_cast<uint32_t>(record0.size());
    for (const std::string& t : texts) {
        starts.push_back(at);
        at += static_cast<uint32_t>(t.size());
    }
    for (uint32_t k = 0; k < count; ++k) {
        PutBE32(s, k > 0 && offsets ? (*offsets)[k - 1] : starts[k]);
        s += '\0';
        s.append({'\0', '\0', static_cast<char>(k)});
    }
    s.append(2, '\0');
    s += record0;
    for (const std::string& t : texts) s += t;
    return s;
}

inline std::string PalmDocHeader(uint32_t compression, uint32_t textRecords, uint32_t recordSize,
                                 uint32_t length = 0) {
    std::string h;
    PutBE16(h, compression);
    PutBE16(h, 0);
    PutBE32(h, length);
    PutBE16(h, textRecords);
    PutBE16(h, recordSize);
    PutBE32(h, 0);
    return h;
}

// Stored PalmDOC: `text` cut into records of `recordSize` bytes.
inline std::string StoredPalmDoc(const std::string& text, uint32_t recordSize,
                                 uint32_t compression = 1) {
    std::vector<std::string> records;
    for (size_t i = 0; i < text.size(); i += recordSize)
        records.push_back(text.substr(i, recordSize));
    return BuildPdb("TEXtREAd",
                    PalmDocHeader(compression, static_cast<uint32_t>(records.size()), recordSize,
                                  static_cast<uint32_t>(text.size())),
                    records);
}

// zTXT: one zlib stream, fully flushed after every record, finished in the last one.
inline std::string Ztxt(const std::string& text, uint32_t recordSize, uint8_t flags = 1) {
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<std::string> records;
    for (size_t i = 0; i < text.size() || records.empty(); i += recordSize) {
        const std::string chunk = text.substr(i, recordSize);
        const bool last = i + recordSize >= text.size();
        std::string out(chunk.size() * 2 + 64, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
        z.avail_in = static_cast<uInt>(chunk.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, last ? Z_FINISH : Z_FULL_FLUSH);
        out.resize(out.size() - z.avail_out);
        records.push_back(out);
        if (last) break;
    }
    deflateEnd(&z);
    std::string h;
    PutBE16(h, 0x012C);
    PutBE16(h, static_cast<uint32_t>(records.size()));
    PutBE32(h, static_cast<uint32_t>(text.size()));
    PutBE16(h, recordSize);
    h.append(8, '\0');
    h += static_cast<char>(flags);
    h.append(13, '\0');
    return BuildPdb("zTXTGPlm", h, records);
}

// TCR: the signature, 256 dictionary entries (missing ones empty), the body.
inline std::string BuildTcr(const std::vector<std::string>& phrases, const std::string& body) {
    std::string s = "!!8-Bit!!";
    for (int code = 0; code < 256; ++code) {
        const std::string p =
            code < static_cast<int>(phrases.size()) ? phrases[code] : std::string();
        s += static_cast<char>(p.size());
        s += p;
    }
    return s + body;
}

// Every byte of the raw layer, 0 … SourceSize − 1.
inline std::string RawBytes(Document& doc) {
    std::string s(doc.sourceSize, '\0');
    for (uint32_t i = 0; i < doc.sourceSize; ++i) s[i] = static_cast<char>(ReadSourceByte(doc, i));
    return s;
}

// What the raw layer leaves in a block that its filler cannot produce.
inline char PreFill(uint32_t offset) {
    const uint32_t i = offset & (kRawBlockBytes - 1);
    return i > 0 && i % 5 == 0 ? ' ' : '?';
}

inline std::vector<std::string> StreamWords(Document& doc) {
    return Words(Utf16ToUtf8(ReadAll(doc)));
}
inline std::vector<std::string> FileWords(const std::string& path) {
    return Words(ReadBytes(path));
}

inline std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

}  // namespace lectra::test
