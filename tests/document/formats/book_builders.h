// Books written for the document tests: PalmDOC, zTXT and TCR files built byte by byte, small EPUBs
// and XHTML pages zipped by Python's zipfile; readers of the raw layer and the stream.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra::test {

// `v` as `n` big-endian bytes.
inline std::string Be(uint32_t v, int n) {
    std::string s;
    while (n-- > 0) s += static_cast<char>(v >> (8 * n));
    return s;
}

// A Palm database: the 78-byte header, the record list, a 2-byte gap, record 0, the text records.
// The list entry of record k is at 78 + 8k.
inline std::string BuildPdb(const std::string& typeCreator, const std::string& record0,
                            const std::vector<std::string>& texts) {
    const uint32_t count = static_cast<uint32_t>(texts.size() + 1);
    std::string s = "test book";
    s.resize(60, '\0');
    s += typeCreator + std::string(8, '\0') + Be(count, 2);
    uint32_t at = 78 + 8 * count + 2;
    for (uint32_t k = 0; k < count; ++k) {
        s += Be(at, 4) + std::string(3, '\0') + static_cast<char>(k);
        at += static_cast<uint32_t>((k == 0 ? record0 : texts[k - 1]).size());
    }
    s += std::string(2, '\0') + record0;
    for (const std::string& t : texts) s += t;
    return s;
}

inline std::string PalmDocHeader(uint32_t compression, uint32_t textRecords, uint32_t recordSize,
                                 uint32_t length = 0) {
    return Be(compression, 2) + Be(0, 2) + Be(length, 4) + Be(textRecords, 2) + Be(recordSize, 2) +
           Be(0, 4);
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
inline std::string Ztxt(const std::string& text, uint32_t recordSize) {
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<std::string> records;
    for (size_t i = 0; i == 0 || i < text.size(); i += recordSize) {
        std::string chunk = text.substr(i, recordSize), out(chunk.size() * 2 + 64, '\0');
        z.next_in = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_in = static_cast<uInt>(chunk.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, i + recordSize >= text.size() ? Z_FINISH : Z_FULL_FLUSH);
        records.push_back(out.substr(0, out.size() - z.avail_out));
    }
    deflateEnd(&z);
    const std::string h = Be(0x012C, 2) + Be(static_cast<uint32_t>(records.size()), 2) +
                          Be(static_cast<uint32_t>(text.size()), 4) + Be(recordSize, 2) +
                          std::string(8, '\0') + '\x01' + std::string(13, '\0');
    return BuildPdb("zTXTGPlm", h, records);
}

// TCR: the signature, 256 dictionary entries (a code past `phrases` stands for its own byte), the
// body.
inline std::string BuildTcr(const std::vector<std::string>& phrases, const std::string& body) {
    std::string s = "!!8-Bit!!";
    for (size_t code = 0; code < 256; ++code) {
        const std::string p =
            code < phrases.size() ? phrases[code] : std::string(1, static_cast<char>(code));
        s += static_cast<char>(p.size()) + p;
    }
    return s + body;
}

// An EPUB written by Python's zipfile: `files` are (archive name, bytes); the container points at
// OPS/book.opf.
inline std::string WriteEpub(const ScratchDir& dir, const std::string& name,
                             const std::vector<std::pair<std::string, std::string>>& files) {
    Run("mkdir -p '" + dir.path() + "/META-INF' '" + dir.path() + "/OPS'");
    dir.Write("META-INF/container.xml",
              "<container><rootfiles><rootfile full-path=\"OPS/book.opf\"/></rootfiles>"
              "</container>");
    std::string list = "META-INF/container.xml";
    for (const auto& [file, bytes] : files) {
        dir.Write(file, bytes);
        list += " '" + file + "'";
    }
    Run("cd '" + dir.path() +
        "' && python3 -c 'import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], \"w\", zipfile.ZIP_DEFLATED) as z:\n"
        "    z.writestr(\"mimetype\", \"application/epub+zip\")\n"
        "    for f in sys.argv[2:]: z.write(f, f)' '" +
        name + "' " + list);
    return dir.path() + "/" + name;
}

// The manifest's item of the navigation document OPS/nav.xhtml.
inline const std::string kNavItem =
    "<item id='n' href='nav.xhtml' properties='nav' media-type='application/xhtml+xml'/>";

// An EPUB whose spine is `parts` (OPS/c1.xhtml, c2.xhtml, …), its manifest holding `manifest`
// besides them, with `files` too.
inline std::string WriteParts(const ScratchDir& dir, const std::string& name,
                              const std::vector<std::string>& parts,
                              std::vector<std::pair<std::string, std::string>> files = {},
                              const std::string& manifest = "", const std::string& spine = "") {
    std::string opf = "<package><metadata><dc:title>T</dc:title></metadata><manifest>" + manifest;
    std::string refs;
    for (size_t i = 1; i <= parts.size(); ++i) {
        const std::string c = "c" + std::to_string(i);
        opf += "<item id='" + c + "' href='" + c + ".xhtml' media-type='application/xhtml+xml'/>";
        refs += "<itemref idref='" + c + "'/>";
        files.push_back({"OPS/" + c + ".xhtml", parts[i - 1]});
    }
    opf += "</manifest><spine" + spine + ">" + refs + "</spine></package>";
    files.push_back({"OPS/book.opf", opf});
    return WriteEpub(dir, name, files);
}

inline std::string Page(const std::string& body) {
    return "<?xml version=\"1.0\"?><html><head><title>x</title></head><body>" + body +
           "</body></html>";
}

// Every byte of the raw layer, 0 … SourceSize − 1.
inline std::string RawBytes(Document& doc) {
    std::string s(doc.sourceSize, '\0');
    for (uint32_t i = 0; i < doc.sourceSize; ++i) s[i] = static_cast<char>(ReadSourceByte(doc, i));
    return s;
}

inline std::vector<std::string> StreamWords(Document& doc) {
    return Words(Utf16ToUtf8(ReadAll(doc)));
}

// Text of many different words, so that gzip writes many deflate blocks.
inline std::string Varied(size_t bytes) {
    std::mt19937 rng(7);
    const char* words[] = {"river",     "lamp",    "Orion", "reel",     "northern",
                           "station",   "weather", "log",   "midnight", "film",
                           "projector", "wind",    "cloud", "keeper",   "ticket"};
    std::string s;
    while (s.size() < bytes) {
        s += words[rng() % 15];
        s += std::to_string(rng() % 1000);
        s += rng() % 12 ? ' ' : '\n';
    }
    s.resize(bytes);
    return s;
}

inline std::string Repeat(const std::string& s, int n) {
    std::string r;
    while (n-- > 0) r += s;
    return r;
}

}  // namespace lectra::test
