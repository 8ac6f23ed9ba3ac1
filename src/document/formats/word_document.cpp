// Word documents of four generations (Word for DOS, WinWord 2.0, Word 6.0/95, Word 97-2003): the
// File Information Block, the piece table, and raw blocks of the main text assembled from pieces.
#include "document/formats/word_document.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "document/formats/file_bytes.h"

namespace lectra {

namespace {

// What differs between the generations whose FIB we read.
struct FibLayout {
    int kind;
    uint32_t countsAt;  // the eight character counts
    uint32_t clxAt;     // fcClx
    uint32_t lcbBytes;  // width of the piece table's size field
};

constexpr FibLayout kFibLayouts[] = {
    {kKindWinWord2, 52, 286, 2},
    {kKindWord6, 52, 352, 4},
    {kKindWord97, 76, 418, 4},
};

const FibLayout* LayoutFor(int kind) {
    for (const FibLayout& l : kFibLayouts) {
        if (l.kind == kind) return &l;
    }
    return nullptr;
}

// 8-bit ("compressed") pieces of a 16-bit document hold windows-1252 text; these are its
// characters at 0x80–0x9F, where a zero high byte would give C1 controls instead of quotes and
// dashes (0 where the code page has no character: the byte is kept).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Numbers read from a stream; bytes past its end read as 0xFF, as ReadStream gives them.
uint16_t U16(WordState& w, Document& doc, int32_t stream, uint64_t offset) {
    uint8_t b[2];
    ReadStream(w.cfb, doc, stream, offset, b, 2);
    ByteReader r = ByteView(b, sizeof b);
    return ReadLe16(r, 0);
}

uint32_t U32(WordState& w, Document& doc, int32_t stream, uint64_t offset) {
    uint8_t b[4];
    ReadStream(w.cfb, doc, stream, offset, b, 4);
    ByteReader r = ByteView(b, sizeof b);
    return ReadLe32(r, 0);
}

// Reads the piece table at fcClx in the table stream: property blocks are skipped, then the
// character positions and the piece descriptors. Every size comes from the file, so each is
// held against the table stream's real extent first.
int ReadPieceTable(WordState& w, Document& doc, const FibLayout& layout) {
    const uint64_t tableSize = StreamSize(w.cfb, w.tableStream);
    uint64_t pos = U32(w, doc, w.wordStream, layout.clxAt);
    uint8_t marker = 0;
    for (;;) {
        if (pos >= tableSize) return 0;
        ReadStream(w.cfb, doc, w.tableStream, pos++, &marker, 1);
        if (marker != 1) break;
        if (pos + 2 > tableSize) return 0;
        pos += 2 + static_cast<uint64_t>(U16(w, doc, w.tableStream, pos));
    }
    if (marker != 2 || pos + layout.lcbBytes > tableSize) return 0;
    const uint32_t lcb =
        layout.lcbBytes == 2 ? U16(w, doc, w.tableStream, pos) : U32(w, doc, w.tableStream, pos);
    pos += layout.lcbBytes;
    if (lcb < 4 || pos + lcb > tableSize) return 0;  // a piece table larger than its stream
    const uint32_t count = (lcb - 4) / 12;
    std::vector<uint8_t> plc(static_cast<size_t>(count) * 12 + 4);
    ReadStream(w.cfb, doc, w.tableStream, pos, plc.data(), static_cast<uint32_t>(plc.size()));
    ByteReader table = ByteView(plc.data(), plc.size());
    w.pieces.resize(static_cast<size_t>(count) + 1);
    for (uint32_t i = 0; i <= count; ++i) w.pieces[i].cp = ReadLe32(table, 4 * i);
    if (w.pieces[0].cp != 0) return 0;
    const size_t descriptors = 4 * (static_cast<size_t>(count) + 1);
    for (uint32_t i = 0; i < count; ++i) {
        if (w.pieces[i].cp >= w.pieces[i + 1].cp) return 0;
        const uint32_t value = ReadLe32(table, descriptors + 8 * i + 2);
        if (value & 0x40000000u) {
            w.pieces[i].is16Bit = 0;
            w.pieces[i].fc = (value & ~0x40000000u & 0x7FFFFFFFu) / 2;
        } else {
            w.pieces[i].is16Bit = (w.fibFlags & kFibExtendedChars) ? 1 : 0;
            w.pieces[i].fc = value & 0x7FFFFFFFu;
        }
    }
    return 1;
}

// Whether the main text of every piece lies inside the text stream.
int PiecesInsideStream(WordState& w) {
    const uint64_t streamSize = StreamSize(w.cfb, w.wordStream);
    const uint32_t ccpText = w.ccp[0];
    for (size_t i = 0; i + 1 < w.pieces.size() && w.pieces[i].cp < ccpText; ++i) {
        const uint64_t chars = std::min(w.pieces[i + 1].cp, ccpText) - w.pieces[i].cp;
        if (w.pieces[i].fc + chars * (w.pieces[i].is16Bit ? 2 : 1) > streamSize) return 0;
    }
    return 1;
}

// Not a Word document: RTF when its first 64 bytes say so, else plain text.
int HandOn(Document& doc) {
    uint8_t head[64];
    const int64_t size = FileSize(doc.source);
    ReadFileBytes(doc, size < 0 ? 0 : static_cast<uint64_t>(size), 0, head, sizeof head);
    const std::string_view text(reinterpret_cast<const char*>(head), sizeof head);
    doc.formatKind = text.find("\\rtf") != std::string_view::npos ? kKindRtf : kKindText;
    ReleaseReader(doc);
    return 1;
}

}  // namespace

WordState* WordOf(const Document& doc) {
    return ReaderStateOf<WordState>(doc, kWordReader);
}

int OpenWordDocument(Document& doc) {
    WordState& w = NewReaderState<WordState>(doc, kWordReader);
    const int64_t fileSize = FileSize(doc.source);
    if (fileSize < 0) return RefuseOpen(doc, nullptr);
    w.cfb.fileSize = static_cast<uint64_t>(fileSize);

    const uint16_t magic = U16(w, doc, -1, 0);
    int kind;
    if (magic == 0xA59B || magic == 0xA5DB) {
        kind = kKindWinWord2;
        w.fibFlags = U16(w, doc, -1, 10);
        // WinWord 2.0 encrypts with the same FIB flag as its successors; its text is unreadable.
        if (w.fibFlags & kFibEncrypted) return RefuseOpen(doc, nullptr);
    } else if (magic == 0xBE31 || magic == 0xBE32) {
        // Word for DOS: one 8-bit run of text from byte 128 to the end of text.
        const uint32_t end = U32(w, doc, -1, 14);
        if (end < 128 || end > w.cfb.fileSize) return RefuseOpen(doc, nullptr);
        w.ccp[0] = end - 128;
        w.pieces = {WordPiece{0, 128, 0}, WordPiece{w.ccp[0], 0, 0}};
        doc.bookCodePage = U16(w, doc, -1, 96) ? 1251 : 866;
        doc.sourceSize = w.ccp[0];
        doc.formatKind = kKindWordDos;
        return 1;
    } else {
        if (!OpenCompoundFile(w.cfb, doc)) return HandOn(doc);
        w.wordStream = FindDirectoryEntry(w.cfb, u"WordDocument");
        if (!w.wordStream) return RefuseOpen(doc, nullptr);
        const uint16_t inner = U16(w, doc, w.wordStream, 0);
        w.fibFlags = U16(w, doc, w.wordStream, 10);
        if (inner == 0xA5EC) {
            kind = kKindWord97;
            w.tableStream =
                FindDirectoryEntry(w.cfb, (w.fibFlags & kFibTableIs1Table) ? u"1Table" : u"0Table");
            if (!w.tableStream) return RefuseOpen(doc, nullptr);
        } else if (inner == 0xA5DC) {
            kind = kKindWord6;
            w.tableStream = w.wordStream;
        } else {
            return RefuseOpen(doc, nullptr);
        }
        w.cfb.directory.clear();
        w.cfb.directory.shrink_to_fit();
        if (w.fibFlags & kFibEncrypted) return RefuseOpen(doc, nullptr);
    }
    const FibLayout& layout = *LayoutFor(kind);
    // The FIB must hold every field read from it.
    if (StreamSize(w.cfb, w.wordStream) < layout.clxAt + 4) return RefuseOpen(doc, nullptr);
    for (int i = 0; i < 8; ++i) w.ccp[i] = U32(w, doc, w.wordStream, layout.countsAt + 4 * i);

    if (kind != kKindWord97 && !(w.fibFlags & kFibComplex)) {
        const uint32_t fcMin = U32(w, doc, w.wordStream, 24);
        const uint32_t fcMac = U32(w, doc, w.wordStream, 28);
        if (fcMac < fcMin) return RefuseOpen(doc, nullptr);
        const uint8_t wide = (w.fibFlags & kFibExtendedChars) ? 1 : 0;
        w.pieces = {WordPiece{0, fcMin, wide}, WordPiece{fcMac - fcMin, 0, 0}};
    } else if (!ReadPieceTable(w, doc, layout)) {
        return RefuseOpen(doc, nullptr);
    }
    const uint32_t ccpText = w.ccp[0];
    if (ccpText > w.pieces.back().cp || !PiecesInsideStream(w)) return RefuseOpen(doc, nullptr);

    if (w.fibFlags & kFibExtendedChars) {
        if (ccpText > 0x7FFF0000u) return RefuseOpen(doc, nullptr);
        doc.sourceSize = 2 * ccpText;
        doc.bookCodePage = kCodePageUtf16;
    } else {
        doc.sourceSize = ccpText;
        doc.bookCodePage = 1251;
    }
    doc.formatKind = kind;
    return 1;
}

void ReadWordRawBlock(Document& doc, uint32_t offset, uint8_t* block) {
    WordState* state = WordOf(doc);
    if (!state) return;
    WordState& w = *state;
    const bool wide = (w.fibFlags & kFibExtendedChars) != 0;
    const uint32_t start = offset & ~(kRawBlockBytes - 1);
    uint32_t c = wide ? start / 2 : start;
    const uint32_t ccpText = w.ccp[0];
    uint32_t room = kRawBlockBytes;
    uint8_t* out = block;
    const WordPiece* first = w.pieces.data();
    const WordPiece* last = first + w.pieces.size() - 1;  // the end entry
    while (c < ccpText && room > 0) {
        // The piece holding c: the last whose position is not above it.
        const WordPiece* p =
            std::upper_bound(first, last, c,
                             [](uint32_t v, const WordPiece& e) { return v < e.cp; }) -
            1;
        const uint32_t k = c - p->cp;
        const uint32_t left = std::min(p[1].cp, ccpText) - c;
        uint32_t n;
        if (wide) {
            n = std::min(left, room / 2);
            if (p->is16Bit) {
                ReadStream(w.cfb, doc, w.wordStream, p->fc + 2ull * k, out, 2 * n);
            } else {
                // Read the bytes into the front of their room, then widen from the last back.
                ReadStream(w.cfb, doc, w.wordStream, static_cast<uint64_t>(p->fc) + k, out, n);
                for (uint32_t i = n; i-- > 0;) {
                    const uint8_t b = out[i];
                    const char16_t u = (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80])
                                           ? kCp1252High[b - 0x80]
                                           : b;
                    out[2 * i] = static_cast<uint8_t>(u & 0xFF);
                    out[2 * i + 1] = static_cast<uint8_t>(u >> 8);
                }
            }
            out += 2 * n;
            room -= 2 * n;
        } else {
            n = std::min(left, room);
            ReadStream(w.cfb, doc, w.wordStream, static_cast<uint64_t>(p->fc) + k, out, n);
            out += n;
            room -= n;
        }
        c += n;
    }
}

const FormatReader kWordReader = {OpenWordDocument, ReadWordRawBlock, nullptr,
                                  DeleteReaderState<WordState>};

}  // namespace lectra
