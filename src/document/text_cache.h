// The text cache: raw source blocks below, decoded 4096-unit character blocks above, built on
// an indexing pass that records where each block starts in the source.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

char16_t GetCharMiss(Document& doc, int32_t pos);
// The unit at `pos`; 0 outside the book or when its block cannot be decoded.
inline char16_t GetChar(Document& doc, int32_t pos) {
    if (static_cast<uint32_t>(pos) < static_cast<uint32_t>(doc.docLength)) {
        const BlockRecord& r = doc.blocks[pos >> kBlockShift];
        if (r.chars) return r.chars[pos & (kBlockUnits - 1)];
    }
    return GetCharMiss(doc, pos);
}
// The emphasis of the unit at `pos` (kEmphasis… bits), decoded with it; 0 outside the book, for
// a block that cannot be decoded, and for units the store does not hold in its slots.
inline uint8_t GetStyle(Document& doc, int32_t pos) {
    if (static_cast<uint32_t>(pos) >= static_cast<uint32_t>(doc.docLength)) return 0;
    const size_t block = static_cast<size_t>(pos >> kBlockShift);
    if (block >= doc.blocks.size()) return 0;
    const BlockRecord& r = doc.blocks[block];
    if (!r.chars) GetCharMiss(doc, pos);
    if (!r.chars || r.slot >= kCharSlots || r.chars != doc.charSlots[r.slot]) return 0;
    return doc.styleSlots[r.slot][pos & (kBlockUnits - 1)];
}
// The emphasis the markup state gives the next unit.
inline uint8_t EmphasisOf(const MarkupState& m) {
    uint8_t style = 0;
    for (int k = 0; k < kEmphasisKinds; ++k) {
        if (m.emphasisDepth[k] > 0) style |= static_cast<uint8_t>(1u << k);
    }
    return style;
}
inline int32_t DocLength(const Document& doc) {
    return doc.docLength;
}

int DecodeBlock(Document& doc, int32_t block);
// The indexing pass; sets DocLength. Always succeeds.
int BuildBlockIndex(Document& doc);
void ResetTextCache(Document& doc);
// Drops every block record of the previous book.
void DiscardBlockRecords(Document& doc);
void CloseDocument(Document& doc);

int OpenSourceFile(Document& doc);
void CloseSourceFile(Document& doc);
// Seeks the source file, reopening it by BookPath when the handle went bad; 1 only when the first
// attempt succeeded.
int SeekSource(Document& doc, uint32_t offset);
// Reads up to `size` source bytes at `offset`, of which the first `need` lie inside the file and
// must arrive. A seek or read that fails or comes back short is a read error: the file is reopened
// by BookPath and read twice more, as for a seek. Returns the bytes read.
uint32_t ReadSource(Document& doc, uint32_t offset, void* buffer, uint32_t size, uint32_t need);
// Records that the book is cut: its text ends at `sourceOffset` bytes of the source after
// `docLength` units. The open sets `bookCut.sourceSize` itself.
void RecordCut(Document& doc, uint64_t sourceOffset, int32_t docLength);
// Records a read error that no retry can mend (a damaged stream, a checksum that differs), for
// the window to show after its paint.
void RecordReadError(Document& doc);
// The message of a read error that the retries could not mend, once; null when there is none.
const char16_t* TakeReadError(Document& doc);

// The raw layer: the source byte at `offset`, 0 at or beyond SourceSize.
uint8_t ReadSourceByteMiss(Document& doc, uint32_t offset);
inline uint8_t ReadSourceByte(Document& doc, uint32_t offset) {
    if (offset >= doc.sourceSize) return 0;
    if (static_cast<int64_t>(offset >> kRawBlockShift) == doc.lastRawBlock) {
        return doc.lastRawData[offset & (kRawBlockBytes - 1)];
    }
    return ReadSourceByteMiss(doc, offset);
}

// The markup counters packed into a record's one-byte snapshot, and back.
void SnapshotMarkup(const MarkupState& m, uint8_t state[kMarkupStateBytes]);
void RestoreMarkup(MarkupState& m, const uint8_t state[kMarkupStateBytes]);

}  // namespace lectra
