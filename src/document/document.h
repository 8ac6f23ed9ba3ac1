// The open book's state: document globals, the block index, both cache levels, the jump history.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/note_tables.h"
#include "document/picture_anchors.h"
#include "platform/sys/files.h"

namespace lectra {

// Paragraph marks: units below 16 open a paragraph whose style the value gives.
constexpr char16_t kMarkBody = 10;
constexpr char16_t kMarkLeft = 11;
constexpr char16_t kMarkRight = 12;
constexpr char16_t kMarkTitle = 13;

constexpr int kBlockUnits = 4096;
constexpr int kBlockShift = 12;
constexpr int kMaxBlocks = 32768;
constexpr int32_t kMaxDocLength = kMaxBlocks * kBlockUnits;  // 2^27
constexpr int kCharSlots = 16;
constexpr uint32_t kRawBlockBytes = 8192;
constexpr int kRawBlockShift = 13;
constexpr int kRawSlots = 8;
constexpr int kHistorySize = 64;

// Code-page identifiers beyond the Windows single-byte numbers.
constexpr int kCodePageAuto = -1;
constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageUtf16 = 16777215;

// TXT paragraph modes (the "TXT_PARAGRAPH_DETECT" setting).
constexpr int kTxtPlainAsIs = 0;
constexpr int kTxtDetectParagraph = 1;
constexpr int kTxtPlainAsHtml = 2;

// SourceFlags bit 1: the source is a gzip member read through its access-point index.
constexpr uint8_t kSourceGzMember = 0x02;
// SourceFlags bit 2: the source is an entry of a ZIP archive read through the ZIP reader.
constexpr uint8_t kSourceZipEntry = 0x04;

// Emphasis of a unit, one bit each; the units of a decoded block carry theirs beside them in
// Document's style slots. Plain text and the formats without markup give 0.
constexpr uint8_t kEmphasisItalic = 0x01;
constexpr uint8_t kEmphasisBold = 0x02;
constexpr uint8_t kEmphasisMono = 0x04;
constexpr uint8_t kEmphasisSuper = 0x08;
constexpr uint8_t kEmphasisSub = 0x10;
constexpr uint8_t kEmphasisUnderline = 0x20;
constexpr uint8_t kEmphasisStrike = 0x40;
// One nesting depth per emphasis bit above, in that order.
constexpr int kEmphasisKinds = 7;
// Nesting deeper than this is counted as this: the depths are packed three bits each into the
// block snapshot.
constexpr int32_t kEmphasisDepthMax = 7;

// The filter layer's running state; every counter is snapshotted per block.
struct MarkupState {
    int32_t rightOnce = 0;
    int32_t leftOnce = 0;
    int32_t centreOnce = 0;
    // How many elements of each emphasis are open (kEmphasisKinds, saturating at
    // kEmphasisDepthMax); a unit is emphasised in each kind whose depth is above 0.
    int32_t emphasisDepth[kEmphasisKinds] = {};
    int32_t rightDepth = 0;
    int32_t leftDepth = 0;
    int32_t centreDepth = 0;
    int32_t pendingSkip = 0;
    int32_t preDepth = 0;
    int32_t hiddenDepth = 0;
    // Set on the indexing pass while the contents gatherer wants the units: the markup filters
    // then return 2, not 1, for a unit. Never snapshotted: block decoding sees 0.
    int32_t handOver = 0;
    // RTF: the count of the last \ucN (fallback characters that follow a \uN escape; 1 until a
    // \uc says otherwise), and how many fallback characters are still to be skipped.
    int32_t rtfUnicodeSkip = 1;
    int32_t rtfFallback = 0;
    // Set where a part of a book of several parts begins (an EPUB's spine item): the part opens
    // a paragraph of its own before its first text, unless it opens one itself.
    int32_t partStart = 0;
};

// Bytes of a block record's markup snapshot.
constexpr int kMarkupStateBytes = 15;

// One per 4096 stream units: where decoding of the block starts and the markup state there.
struct BlockRecord {
    char16_t* chars = nullptr;  // the decoded block while resident
    uint32_t sourceOffset = 0;
    uint32_t slot = 0;
    // pending skip, preformatted, hidden, centre, left, right, the emphasis depths (three bits
    // each over three bytes), centre-, left-, right-once, RTF \uc count, RTF fallback still to
    // skip, part start; each cut to one byte.
    uint8_t state[kMarkupStateBytes] = {};
};
// The block index costs at most 32 bytes per 4096 units.
static_assert(sizeof(BlockRecord) <= 32);

struct Document;

// Services of the window layer that the document store calls; the caller installs them.
struct DocumentHooks {
    void* context = nullptr;
    void (*setWaitCursor)(void* context, int on) = nullptr;
    // The long passes of an open (indexing a book, inflating a gzip member or an archive entry)
    // report how far they are through the source's bytes, a few times a megabyte.
    void (*progress)(void* context, uint64_t done, uint64_t total) = nullptr;
    // Finds a plain-text book's contents (BookContents) into `doc.contents` away from the window's
    // thread; returns 0 when it could not, and the store finds them itself.
    int (*findContents)(void* context, Document& doc) = nullptr;
};

// The contents ride beside the stream: each entry is a title and the position of its first
// visible character, so that it stays right whatever the page looks like. At most this many
// entries are kept, the first ones in book order; the rest of a bigger book has none.
constexpr int kMaxContentsEntries = 10000;
// Deeper nesting is shown at this depth.
constexpr int kMaxContentsDepth = 31;
// Units of a title kept; a runaway title is cut.
constexpr int kMaxContentsTitle = 200;

struct ContentsEntry {
    std::u16string title;  // white space folded, one line
    int32_t position = 0;
    int32_t depth = 0;
};

// A place an EPUB's navigation points at, made by the EPUB's open step: a part of the raw layer
// (index into PartStarts) and, when the link has a fragment, the id of an element in it,
// upper-cased in ASCII as the XHTML filter sees tag text.
struct ContentsTarget {
    std::u16string title;
    int32_t depth = 0;
    int32_t part = 0;
    std::u16string id;
};

enum class GatherKind : uint8_t {
    kNone,
    kFb2Titles,     // the titles of the body and its sections, the notes body left out
    kHtmlHeadings,  // H1 to H6, thinned when the open ends
    kPartHeadings,  // the first heading of each part (an EPUB without navigation)
    kTargets,       // the EPUB navigation's targets
};

// What the open's indexing pass gathers for the contents while it runs; nothing of it is read by
// block decoding, which runs the same filters again.
struct ContentsGather {
    int indexing = 0;  // set only while BuildBlockIndex runs
    GatherKind kind = GatherKind::kNone;
    // Set while the gatherer wants the units the pass yields (MarkupState's handOver says so to
    // the filters): a title is being collected, or a place waits for its first visible character.
    int active = 0;
    // The title being collected, its level (HTML heading 1 to 6, or depth) and first position.
    int collecting = 0;
    int32_t level = 0;
    int32_t start = -1;
    std::u16string text;
    // FictionBook: sections open in the current body, whether a title would be a section's (or
    // the body's) own, and whether the body is the notes.
    int32_t sectionDepth = 0;
    int awaitTitle = 0;
    int notesBody = 0;
    // Parts: the current one and whether its heading was taken; each part's first visible
    // position, and the targets waiting for the next visible character.
    int32_t part = -1;
    int partHeading = 0;
    int32_t partWaiting = -1;
    std::vector<int32_t> partFirst;
    std::vector<int32_t> targetPositions;
    std::vector<int32_t> waiting;
    // Indices into the targets sorted by (part, id), for the ids met in tags.
    std::vector<int32_t> byId;
    // HTML: how many headings of levels 1–3 and 4–6 were kept.
    int32_t highCount = 0;
    int32_t lowCount = 0;
    std::vector<int32_t> levels;
};

// A book longer than the reader holds (a source beyond 4,294,901,760 bytes, a text beyond
// kMaxDocLength units, a gzip member beyond kGzMaxOutput bytes) is cut, not refused. The open
// records the cut for the window to say: `isCut` is 1, the text ends at `sourceOffset` bytes of
// the source (of the decompressed member for a gzip book) after `docLength` units (DocLength), and
// the whole source is `sourceSize` bytes, 0 where that is unknown (a member whose inflation
// stopped at the cap). All 0 for a book read whole.
struct BookCut {
    int isCut = 0;
    uint64_t sourceOffset = 0;
    int32_t docLength = 0;
    uint64_t sourceSize = 0;
};

struct FormatReader;
struct ReaderState;

struct Document {
    // Document globals.
    std::u16string bookPath;
    int formatKind = 0;
    int bookCodePage = 1251;
    uint32_t sourceSize = 0;
    uint32_t sourceSizeCopy = 0;
    int32_t docLength = 0;
    int32_t pageStart = 0;
    int32_t pageEnd = 0;
    uint8_t sourceFlags = 0;
    std::u16string openErrorText;
    // The TXT paragraph mode the book is read in; set by the caller before OpenBook.
    int txtParagraphMode = kTxtDetectParagraph;
    // The text is written a paragraph to a line (found by the open from the text's first lines):
    // paragraph detection then never joins a line to the one before.
    int paragraphLines = 0;
    // Bytes of a byte-order mark that the indexing pass steps over (0, 2 or 3).
    uint32_t textStart = 0;
    // Where the parts of a book of several parts begin in the raw layer, ascending: the markup
    // counters start afresh at each, and no filter's lookahead reads across one. Empty for a
    // book of one part.
    std::vector<uint32_t> partStarts;
    // The archive path of each part (empty for one the reader made), beside PartStarts; an EPUB's
    // note links are resolved against them.
    std::vector<std::string> partNames;
    // The archive entry to read when the book is a ZIP: set by the caller (from the recent list)
    // before OpenBook, and to the entry read after it.
    std::u16string zipEntryName;
    // The book's language as a two-letter code ("en", "uk"), which chooses its hyphenation; empty
    // when not known. Set after the open by the caller, who can read what the book declares
    // (library/book_language.h).
    std::string language;

    PlatformFile source;
    int sourceIsOpen = 0;

    char16_t byteToChar[256] = {};
    MarkupState markup;

    // Block index: record b covers positions b*4096 .. b*4096+4095.
    std::vector<BlockRecord> blocks;

    // Decoded characters: 16 slots, the list holds block numbers, most recently decoded first.
    char16_t charSlots[kCharSlots][kBlockUnits] = {};
    // The emphasis of each unit of the slot beside it (GetStyle): one byte a unit, 4 KiB a block.
    uint8_t styleSlots[kCharSlots][kBlockUnits] = {};
    uint8_t charSlotFree[kCharSlots] = {};
    int32_t charSlotList[kCharSlots] = {};

    // Raw bytes: 8 slots, the list holds raw block numbers, most recently filled first. A raw
    // block is found by its full number among the slots, so offsets beyond 128 MiB never alias.
    uint8_t rawSlots[kRawSlots][kRawBlockBytes] = {};
    int64_t rawSlotList[kRawSlots] = {};
    int64_t rawSlotBlock[kRawSlots] = {};  // raw block held by each slot, −1 when the slot is free
    // The raw block last read, so that a run of reads in one block skips the slot search.
    int64_t lastRawBlock = -1;
    const uint8_t* lastRawData = nullptr;

    // Jump history: entry 0 the newest, −1 empty.
    int32_t history[kHistorySize] = {};
    int historyIndex = 0;

    DocumentHooks hooks;

    // Read errors: failed or short reads and seeks since the open, and whether one that the
    // retries could not mend waits to be shown. The store records it and never shows it: it is met
    // inside GetChar, and the window reports it after its paint (TakeReadError).
    int readErrors = 0;
    int readErrorPending = 0;

    // A book longer than the reader holds is cut, not refused (see BookCut).
    BookCut bookCut;

    // The reader that opened the book and its state, alive to the next open or close; both null
    // for a book read straight from the file. After a gzip or ZIP open they are the container's,
    // while FormatKind is the kind of the book inside (format_table.h).
    const FormatReader* reader = nullptr;
    ReaderState* readerState = nullptr;

    // The contents (contents.h). A plain-text book finds its own when they are first asked for:
    // `contentsOnDemand` says it may, `contentsFound` that it did.
    std::vector<ContentsEntry> contents;
    int contentsOnDemand = 0;
    int contentsFound = 0;
    std::vector<ContentsTarget> contentsTargets;
    ContentsGather gather;
    // The pictures (pictures.h).
    PictureTable pictures;
    // The note references in book order (notes.h), gathered on the same pass as the contents.
    std::vector<NoteRef> notes;
    NotesGather noteGather;
};

// A Document is large (its slots are inline); make it on the heap.
std::unique_ptr<Document> NewDocument();

// Reports the progress of an open through the hooks, when someone listens.
inline void ReportProgress(const Document& doc, uint64_t done, uint64_t total) {
    if (doc.hooks.progress) doc.hooks.progress(doc.hooks.context, done, total);
}

}  // namespace lectra
