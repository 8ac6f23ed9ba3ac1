// The dispatch by FormatKind: each kind's open step, raw-block filler, detection sample, and how
// the indexing pass and block decoding produce its units.
#pragma once
#include <cstdint>

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

// What a container format provides. A null member means the kind has no such step.
struct FormatReader {
    // Runs before the indexing pass; sets SourceSize to the decompressed size. 0 refuses the file
    // (after writing "Bad Format!" into OpenErrorText).
    int (*open)(Document& doc);
    // Writes the 8192 bytes of raw block (offset >> 13) into `block`.
    void (*fillRawBlock)(Document& doc, uint32_t offset, uint8_t* block);
    // Copies the start of the book's text for code-page detection; returns the bytes placed.
    uint32_t (*sample)(Document& doc, uint8_t* buffer, uint32_t capacity);
    // Releases the reader's state.
    void (*release)(Document& doc);
};

// The reader of a kind, or null when the kind reads straight from the file.
const FormatReader* FormatReaderFor(int kind);

// Releases the state of every reader. A gzip member is read as the kind of its book, so the state
// to free cannot be told from FormatKind; each release does nothing when its state is absent.
void ReleaseFormatReaders(Document& doc);

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

// The plan for the open book's kind, code page and TXT paragraph mode. `*readable` is 0 when the
// kind needs a filter that this build lacks.
ReadingPlan PlanFor(const Document& doc, int* readable);

// Display names of the kinds ("TEXT" … "EPUB"); null beyond the table.
const char16_t* FormatKindName(int kind);

}  // namespace lectra
