// The text cache: raw source blocks below, decoded 4096-unit character blocks above, built on
// an indexing pass that records where each block starts in the source.
#include "document/text_cache.h"

#include <algorithm>
#include <cstring>

#include "document/contents.h"
#include "document/encoding.h"
#include "document/format_table.h"
#include "document/pictures.h"
#include "platform/sys/clock.h"

namespace lectra {

namespace {

constexpr char16_t kReadErrorMessage[] = u"Error reading file! Reopen or open another file!";

uint8_t Cut(int32_t v) {
    return static_cast<uint8_t>(v);
}

void SetWaitCursor(Document& doc, int on) {
    if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, on);
}

// Applies the pending skip that a filter's lookahead left, except under UTF-8, where the filters
// consume it one character at a time.
inline void JumpPendingSkip(Document& doc, uint32_t& offset) {
    int32_t skip = doc.markup.pendingSkip;
    if (skip > 0 && doc.bookCodePage != kCodePageUtf8) {
        uint64_t next =
            offset + static_cast<uint64_t>(skip) * (doc.bookCodePage == kCodePageUtf16 ? 2 : 1);
        offset = static_cast<uint32_t>(std::min<uint64_t>(next, doc.sourceSize));
        doc.markup.pendingSkip = 0;
    } else if (skip < 0) {
        doc.markup.pendingSkip = 0;
    }
}

// The first part start at or after `offset`; beyond every offset when there is none.
uint32_t NextPartStart(const Document& doc, uint32_t offset) {
    auto it = std::lower_bound(doc.partStarts.begin(), doc.partStarts.end(), offset);
    return it == doc.partStarts.end() ? UINT32_MAX : *it;
}

// Produces at most one unit from the source character at `offset` through the filter. Inside a
// book of parts the filter sees its part's end as the end of the source, so that a tag left open
// there swallows the rest of its part only, as at the end of a book. At the start of a part its
// leading spaces are dropped and, when text comes before any paragraph mark, a body mark is
// produced first and the character read again on the next step.
inline int FilteredStep(Document& doc, FilterFn filter, uint32_t& offset, char16_t& unit,
                        uint32_t nextPart) {
    MarkupState& m = doc.markup;
    if (nextPart == UINT32_MAX && !m.partStart) {
        unit = ReadSourceChar(doc, offset);
        const int yield = filter(doc, unit, offset);
        JumpPendingSkip(doc, offset);
        return yield;
    }
    const uint32_t size = doc.sourceSize;
    doc.sourceSize = std::min(size, nextPart);
    const MarkupState before = m;
    const uint32_t start = offset;
    unit = ReadSourceChar(doc, offset);
    int yield = filter(doc, unit, offset);
    if (yield && before.partStart) {
        if (unit < 16) {
            m.partStart = 0;
        } else if (unit == u' ') {
            yield = 0;
        } else {
            m = before;
            m.partStart = 0;
            offset = start;
            unit = kMarkBody;
        }
    }
    JumpPendingSkip(doc, offset);
    doc.sourceSize = size;
    return yield;
}

// At a part start the counters start afresh; no step reads past one.
inline void CrossParts(uint32_t& offset, uint32_t nextPart) {
    if (offset > nextPart) offset = nextPart;
}
inline void EnterPart(Document& doc, uint32_t offset, uint32_t& nextPart) {
    if (offset != nextPart) return;
    doc.markup = MarkupState{};
    doc.markup.partStart = 1;
    nextPart = NextPartStart(doc, offset + 1);
}

BlockRecord& RecordFor(Document& doc, int32_t block) {
    if (static_cast<size_t>(block) >= doc.blocks.size()) doc.blocks.resize(block + 1);
    return doc.blocks[block];
}

// The bytes come from the reader that opened the book (a container's for the book inside it),
// else straight from the file for the kinds whose text is the file's own bytes.
void FillRawBlock(Document& doc, uint32_t offset, uint8_t* data) {
    const FormatHandler* row = FormatHandlerFor(doc.formatKind);
    const FormatReader* reader = doc.reader ? doc.reader : row ? row->reader : nullptr;
    if (reader) {
        if (reader->fillRawBlock) reader->fillRawBlock(doc, offset, data);
        return;
    }
    if (!row) return;
    // What cannot be read keeps the pre-fill.
    const uint32_t base = offset & ~(kRawBlockBytes - 1);
    ReadSource(doc, base, data, kRawBlockBytes, std::min(kRawBlockBytes, doc.sourceSize - base));
}

}  // namespace

void RecordCut(Document& doc, uint64_t sourceOffset, int32_t docLength) {
    // The first cut met is where the text ends: a cut of the units comes before the cut of the
    // source that the open made.
    if (doc.bookCut.isCut && doc.bookCut.sourceOffset <= sourceOffset) {
        doc.bookCut.docLength = docLength;
        return;
    }
    doc.bookCut.isCut = 1;
    doc.bookCut.sourceOffset = sourceOffset;
    doc.bookCut.docLength = docLength;
}

// Where a block record's state keeps each field of the markup state, one byte each (the layout
// reads the three alignment depths at 3, 4 and 5); the emphasis depths take the three bytes from
// kEmphasisByte, three bits a kind.
struct StateByte {
    int32_t MarkupState::*field;
    int at;
};
constexpr StateByte kStateBytes[] = {
    {&MarkupState::pendingSkip, 0},  {&MarkupState::preDepth, 1},
    {&MarkupState::hiddenDepth, 2},  {&MarkupState::centreDepth, 3},
    {&MarkupState::leftDepth, 4},    {&MarkupState::rightDepth, 5},
    {&MarkupState::centreOnce, 9},   {&MarkupState::leftOnce, 10},
    {&MarkupState::rightOnce, 11},   {&MarkupState::rtfUnicodeSkip, 12},
    {&MarkupState::rtfFallback, 13}, {&MarkupState::partStart, 14},
};
constexpr int kEmphasisByte = 6;

void SnapshotMarkup(const MarkupState& m, uint8_t s[kMarkupStateBytes]) {
    for (const StateByte& b : kStateBytes) s[b.at] = Cut(m.*b.field);
    uint32_t depths = 0;
    for (int k = 0; k < kEmphasisKinds; ++k)
        depths |= static_cast<uint32_t>(std::clamp(m.emphasisDepth[k], 0, kEmphasisDepthMax))
                  << (3 * k);
    for (int i = 0; i < 3; ++i) s[kEmphasisByte + i] = static_cast<uint8_t>(depths >> (8 * i));
}

void RestoreMarkup(MarkupState& m, const uint8_t s[kMarkupStateBytes]) {
    for (const StateByte& b : kStateBytes) m.*b.field = s[b.at];
    uint32_t depths = 0;
    for (int i = 0; i < 3; ++i) depths |= uint32_t{s[kEmphasisByte + i]} << (8 * i);
    for (int k = 0; k < kEmphasisKinds; ++k) m.emphasisDepth[k] = (depths >> (3 * k)) & 7;
}

uint8_t ReadSourceByteMiss(Document& doc, uint32_t offset) {
    if (offset >= doc.sourceSize) return 0;
    const int64_t r = offset >> kRawBlockShift;
    for (int s = 0; s < kRawSlots; ++s) {
        if (doc.rawSlotBlock[s] == r) {
            doc.lastRawBlock = r;
            doc.lastRawData = doc.rawSlots[s];
            return doc.rawSlots[s][offset & (kRawBlockBytes - 1)];
        }
    }
    // Miss: the first-filled raw block leaves.
    if (int64_t old = doc.rawSlotList[kRawSlots - 1]; old >= 0) {
        for (int s = 0; s < kRawSlots; ++s) {
            if (doc.rawSlotBlock[s] == old) doc.rawSlotBlock[s] = -1;
        }
    }
    std::memmove(doc.rawSlotList + 1, doc.rawSlotList, sizeof(int64_t) * (kRawSlots - 1));
    int slot = 0;
    while (slot < kRawSlots - 1 && doc.rawSlotBlock[slot] >= 0) ++slot;
    doc.rawSlotBlock[slot] = r;
    doc.rawSlotList[0] = r;
    uint8_t* data = doc.rawSlots[slot];
    // A block its filler cannot produce reads as rows of question marks broken into words.
    std::memset(data, '?', kRawBlockBytes);
    for (uint32_t i = 5; i < kRawBlockBytes; i += 5) data[i] = ' ';
    FillRawBlock(doc, offset, data);
    doc.lastRawBlock = r;
    doc.lastRawData = data;
    return data[offset & (kRawBlockBytes - 1)];
}

int OpenSourceFile(Document& doc) {
    if (FileIsOpen(doc.source)) return 1;
    return FileOpenRead(doc.source, doc.bookPath);
}

void CloseSourceFile(Document& doc) {
    FileClose(doc.source);
}

// Runs `step` on the source file. Handles on removable storage go bad while the device sleeps,
// and an unplugged card fails in read() rather than in the seek: on failure the file is reopened
// by its path and the step tried twice more. Returns 1 when the first attempt succeeded.
template <typename Step>
int WithRetries(Document& doc, Step step) {
    if (step()) return 1;
    ++doc.readErrors;
    SetWaitCursor(doc, 1);
    int ok = 0;
    for (uint32_t wait : {100u, 1000u}) {
        FileClose(doc.source);
        SleepMs(wait);
        if (FileOpenRead(doc.source, doc.bookPath) && step()) {
            ok = 1;
            break;
        }
    }
    SetWaitCursor(doc, 0);
    if (!ok) doc.readErrorPending = 1;
    return 0;
}

void RecordReadError(Document& doc) {
    ++doc.readErrors;
    doc.readErrorPending = 1;
}

int SeekSource(Document& doc, uint32_t offset) {
    return WithRetries(doc, [&] { return FileSeek(doc.source, offset); });
}

uint32_t ReadSource(Document& doc, uint32_t offset, void* buffer, uint32_t size, uint32_t need) {
    uint32_t got = 0;
    WithRetries(doc, [&] {
        return FileSeek(doc.source, offset) && FileRead(doc.source, buffer, size, &got) &&
               got >= std::min(need, size);
    });
    return got;
}

const char16_t* TakeReadError(Document& doc) {
    if (!doc.readErrorPending) return nullptr;
    doc.readErrorPending = 0;
    return kReadErrorMessage;
}

void DiscardBlockRecords(Document& doc) {
    doc.blocks.clear();
    doc.blocks.shrink_to_fit();
}

void ResetTextCache(Document& doc) {
    doc.sourceFlags &= ~0x07;
    ReleaseReader(doc);
    CloseSourceFile(doc);
    doc.sourceIsOpen = 0;
    doc.pageStart = 0;
    doc.pageEnd = 0;
    doc.sourceSize = 0;
    doc.sourceSizeCopy = 0;
    doc.docLength = 0;
    doc.textStart = 0;
    doc.partStarts.clear();
    doc.partNames.clear();
    doc.historyIndex = 0;
    std::fill(std::begin(doc.history), std::end(doc.history), -1);
    std::fill(std::begin(doc.charSlotList), std::end(doc.charSlotList), -1);
    std::fill(std::begin(doc.charSlotFree), std::end(doc.charSlotFree), 1);
    std::fill(std::begin(doc.rawSlotList), std::end(doc.rawSlotList), -1);
    std::fill(std::begin(doc.rawSlotBlock), std::end(doc.rawSlotBlock), -1);
    doc.lastRawBlock = -1;
    doc.lastRawData = nullptr;
    doc.readErrors = 0;
    doc.readErrorPending = 0;
    doc.bookCut = BookCut{};
    doc.contents.clear();
    doc.contentsOnDemand = 0;
    doc.contentsFound = 0;
    doc.contentsTargets.clear();
    doc.gather = ContentsGather{};
    doc.pictures = PictureTable{};
    for (BlockRecord& r : doc.blocks) {
        r.chars = nullptr;
        r.sourceOffset = 0xFFFFFFFFu;
        r.slot = 0;
    }
}

// The reset releases the reader and closes the file: a closed book is one reset to empty.
void CloseDocument(Document& doc) {
    ResetTextCache(doc);
}

namespace {

int IndexBlocks(Document& doc) {
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    MarkupState& m = doc.markup;
    const MarkupState keep = m;
    m = MarkupState{};
    m.rightOnce = keep.rightOnce;
    m.leftOnce = keep.leftOnce;
    m.centreOnce = keep.centreOnce;
    doc.docLength = 0;
    uint32_t offset = doc.textStart;
    const uint32_t size = doc.sourceSize;
    if (size < 1 || offset >= size || plan.pass == PassMode::kNothing || !readable) return 1;

    if (plan.pass == PassMode::kOneForOne) {
        // Nothing is read: the block starts follow from the unit width alone.
        const uint64_t units =
            (static_cast<uint64_t>(size - offset) + plan.passStep - 1) / plan.passStep;
        const int32_t length = static_cast<int32_t>(std::min<uint64_t>(units, kMaxDocLength));
        const int32_t blocks = (length + kBlockUnits - 1) / kBlockUnits;
        doc.blocks.assign(blocks, BlockRecord{});
        uint8_t state[kMarkupStateBytes];
        SnapshotMarkup(m, state);
        for (int32_t b = 0; b < blocks; ++b) {
            doc.blocks[b].sourceOffset =
                offset +
                static_cast<uint32_t>(static_cast<uint64_t>(b) * kBlockUnits * plan.passStep);
            std::memcpy(doc.blocks[b].state, state, kMarkupStateBytes);
        }
        doc.docLength = length;
        if (units > static_cast<uint64_t>(length))
            RecordCut(doc, offset + static_cast<uint64_t>(length) * plan.passStep, length);
        return 1;
    }

    int32_t count = 0;
    uint32_t nextPart = NextPartStart(doc, offset);
    constexpr uint32_t kProgressStep = 1u << 20;
    uint32_t nextReport = offset + kProgressStep;
    for (;;) {
        if (offset >= nextReport) {
            ReportProgress(doc, offset, size);
            nextReport = offset + kProgressStep;
        }
        if (count >= kMaxDocLength) {
            doc.docLength = kMaxDocLength;
            RecordCut(doc, offset, kMaxDocLength);
            return 1;
        }
        if (offset == nextPart) {
            // The part's fresh markup state, then the gatherer's part.
            EnterPart(doc, offset, nextPart);
            GatherPartStart(doc, offset);
        }
        if ((count & (kBlockUnits - 1)) == 0) {
            // Rewritten on every step until a unit comes, so that the record finally holds the
            // offset and state of the character that yields the block's first unit.
            BlockRecord& r = RecordFor(doc, count >> kBlockShift);
            r.sourceOffset = offset;
            SnapshotMarkup(m, r.state);
        }
        if (plan.pass == PassMode::kReadChar) {
            ReadSourceChar(doc, offset);
            ++count;
        } else {
            char16_t unit = 0;
            doc.pictures.passPosition = count;
            // A unit that the contents gatherer wants comes as 2 (MarkupState's handOver).
            if (const int yield = FilteredStep(doc, plan.passFilter, offset, unit, nextPart)) {
                if (yield > 1) GatherStep(doc, count, unit);
                ++count;
            }
        }
        CrossParts(offset, nextPart);
        if (offset >= size) {
            doc.docLength = count;
            return 1;
        }
    }
}

}  // namespace

// The contents and the pictures are gathered on this pass only: block decoding runs the same
// filters again later, and must add nothing.
int BuildBlockIndex(Document& doc) {
    StartContents(doc);
    StartPictures(doc);
    IndexBlocks(doc);
    FinishContents(doc);
    FinishPictures(doc);
    return 1;
}

int DecodeBlock(Document& doc, int32_t block) {
    if (block < 0 || static_cast<size_t>(block) >= doc.blocks.size()) return 0;
    if (doc.blocks[block].chars) return 1;
    // Eviction follows decoding order only: the block decoded first leaves first.
    if (int32_t old = doc.charSlotList[kCharSlots - 1]; old >= 0) {
        BlockRecord& o = doc.blocks[old];
        doc.charSlotFree[o.slot] = 1;
        o.chars = nullptr;
    }
    std::memmove(doc.charSlotList + 1, doc.charSlotList, sizeof(int32_t) * (kCharSlots - 1));
    int slot = 0;
    while (slot < kCharSlots - 1 && !doc.charSlotFree[slot]) ++slot;
    BlockRecord& r = doc.blocks[block];
    r.chars = doc.charSlots[slot];
    r.slot = static_cast<uint32_t>(slot);
    doc.charSlotFree[slot] = 0;
    doc.charSlotList[0] = block;

    RestoreMarkup(doc.markup, r.state);
    uint8_t* styles = doc.styleSlots[slot];
    std::memset(styles, 0, kBlockUnits);
    uint32_t offset = r.sourceOffset;
    const uint32_t size = doc.sourceSize;
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    if (!readable || plan.decode == DecodeMode::kNothing) return 1;
    char16_t* out = r.chars;
    int i = 0;
    if (plan.decodeFilter == TxtFilter && doc.bookCodePage != kCodePageUtf8 &&
        doc.bookCodePage != kCodePageUtf16) {
        // Plain single-byte text: ordinary characters go straight through the byte table; the
        // filter sees only what it changes (controls, line feeds, the no-break space).
        while (i < kBlockUnits && offset < size) {
            char16_t unit = doc.byteToChar[ReadSourceByte(doc, offset)];
            ++offset;
            if (unit < 32 || unit == 160) TxtFilter(doc, unit, offset);
            out[i++] = unit;
        }
        return 1;
    }
    uint32_t nextPart = NextPartStart(doc, offset);
    while (i < kBlockUnits && offset < size) {
        if (plan.decode == DecodeMode::kAlternating) {
            out[i] = (i & 1) ? u'?' : u' ';
            ++i;
            offset += plan.decodeStep;
            continue;
        }
        EnterPart(doc, offset, nextPart);
        char16_t unit = 0;
        if (FilteredStep(doc, plan.decodeFilter, offset, unit, nextPart)) {
            styles[i] = EmphasisOf(doc.markup);
            out[i++] = unit;
        }
        CrossParts(offset, nextPart);
    }
    return 1;
}

char16_t GetCharMiss(Document& doc, int32_t pos) {
    if (pos < 0 || pos >= doc.docLength) return 0;
    const int32_t block = (pos >> kBlockShift) & (kMaxBlocks - 1);
    if (static_cast<size_t>(block) >= doc.blocks.size()) return 0;
    BlockRecord& r = doc.blocks[block];
    if (!r.chars && !DecodeBlock(doc, block)) return 0;
    return r.chars[pos & (kBlockUnits - 1)];
}

std::unique_ptr<Document> NewDocument() {
    auto doc = std::make_unique<Document>();
    ResetTextCache(*doc);
    return doc;
}

}  // namespace lectra
