// The kinds of book, one row each: name, extensions, recognition, reader, filter and reading plan;
// and the open book's reader state, which the row that opened it owns.
#pragma once
#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/txt_filter.h"

namespace lectra {

enum FormatKindCode : int {
    kKindText = 0,
    kKindHtml = 1,
    kKindFb2 = 2,
    kKindRtf = 3,
    kKindPalmDoc = 4,
    kKindPalmDocCompressed = 5,
    kKindZtxt1 = 6,
    kKindZtxt2 = 7,
    kKindTcr = 8,
    kKindGz = 9,
    kKindWordDos = 10,
    kKindWinWord2 = 11,
    kKindWord6 = 12,
    kKindWord97 = 13,
    // A ZIP archive until its open step has chosen the book inside; then that book's kind, read
    // through the archive (SourceFlags bit 2).
    kKindZip = 14,
    kKindEpub = 15,
};
constexpr int kKindCount = 16;

// Every reader's own state (PdbState, GzState …) derives from this, so that the document holds
// whichever one is open and frees it through the reader that made it.
struct ReaderState {};

// What a format's reader provides; a null member means it has no such step. A container's open
// step (gzip, ZIP) sets FormatKind to the kind of the book inside, and its filler then serves that
// kind's bytes: the bytes come from the reader that opened the book, the units from its kind.
struct FormatReader {
    // Runs before the indexing pass; sets SourceSize to the decompressed size and may refine
    // FormatKind. 0 refuses the file (after writing "Bad Format!" into OpenErrorText).
    int (*open)(Document& doc);
    // Writes the 8192 bytes of raw block (offset >> 13) into `block`.
    void (*fillRawBlock)(Document& doc, uint32_t offset, uint8_t* block);
    // Copies the start of the book's text for code-page detection; returns the bytes placed.
    uint32_t (*sample)(Document& doc, uint8_t* buffer, uint32_t capacity);
    // Frees the state that `open` made.
    void (*release)(ReaderState* state);
};

// How the indexing pass advances over one kind.
enum class PassMode : uint8_t {
    kNothing,    // no units at all
    kOneForOne,  // one unit per `step` bytes, nothing read
    kReadChar,   // one unit per source character (UTF-8 plain text)
    kFiltered,   // one character read and filtered; a unit when the filter yields one
};

// How block decoding produces units.
enum class DecodeMode : uint8_t {
    kNothing,      // nothing is stored
    kFilter,       // read one character, run the filter
    kAlternating,  // a code page the kind cannot read: space and "?" alternating, `step` bytes each
};

struct ReadingPlan {
    PassMode pass = PassMode::kNothing;
    uint32_t passStep = 1;
    FilterFn passFilter = nullptr;
    DecodeMode decode = DecodeMode::kNothing;
    uint32_t decodeStep = 1;
    FilterFn decodeFilter = nullptr;
};

constexpr int kMaxExtensions = 4;

// One kind of book. Adding a format is a row here and its reader.
struct FormatHandler {
    const char16_t* name;  // shown in the code-page dialog
    // The extensions that select the kind, upper case with the dot; unused entries are null.
    const char16_t* extensions[kMaxExtensions];
    // Whether a file is of this kind whatever its extension says (a gzip file by its signature).
    int (*recognize)(const std::u16string& path, PlatformFile& file);
    // Null for a kind whose text is the file's own bytes, read straight through the raw layer
    // (and so the only kinds that a container can hold).
    const FormatReader* reader;
    // The kind's own filter; a kind without one cannot be read.
    FilterFn filter;
    // How the indexing pass and block decoding read the kind, given its filter, under the book's
    // code page and paragraph mode.
    ReadingPlan (*plan)(const Document& doc, FilterFn filter);
    // The reader gives the book's code page: detection is skipped, and a chosen code page can only
    // replace a single-byte one by another.
    int ownCodePage;
};

// The row of a kind; null beyond the table.
const FormatHandler* FormatHandlerFor(int kind);

// Whether the kind's text is the file's own bytes (TEXT, HTML, FB2, RTF).
int KindReadsBytes(int kind);

// Makes `state` the open book's reader state, made by `reader`; any earlier state is released.
void SetReaderState(Document& doc, const FormatReader& reader, ReaderState* state);
// Releases the open book's reader state through the reader that made it; nothing when there is
// none.
void ReleaseReader(Document& doc);
// Makes a new `State` the open book's reader state, made by `reader`; any earlier state is
// released.
template <typename State>
State& NewReaderState(Document& doc, const FormatReader& reader) {
    State* state = new State;
    SetReaderState(doc, reader, state);
    return *state;
}
// The first step of a reader's open: any earlier reader state is released, and the file's first
// `size` bytes are read into `head`. 0 when the file is shorter or cannot be read.
int ReadOpeningBytes(Document& doc, void* head, uint32_t size);
// Frees a reader's state that needs nothing but deleting.
template <typename State>
void DeleteReaderState(ReaderState* state) {
    delete static_cast<State*>(state);
}
// Ends an open step that refuses the file: `message`, when not null, goes into OpenErrorText
// (else the opener's stays), and the step's state is released. Returns 0.
int RefuseOpen(Document& doc, const char16_t* message);
// The open book's reader state when `reader` made it, else null.
template <typename State>
State* ReaderStateOf(const Document& doc, const FormatReader& reader) {
    return doc.reader == &reader ? static_cast<State*>(doc.readerState) : nullptr;
}

// The plan for the open book's kind, code page and TXT paragraph mode. `*readable` is 0 when the
// kind needs a filter that this build lacks.
ReadingPlan PlanFor(const Document& doc, int* readable);

// Display names of the kinds ("TEXT" … "EPUB"); null beyond the table.
const char16_t* FormatKindName(int kind);

}  // namespace lectra
