// The kinds of book, one row each: name, extensions, recognition, reader, filter and reading plan;
// and the open book's reader state, which the row that opened it owns.
#include "document/format_table.h"

#include "document/formats/file_bytes.h"
#include "document/formats/gz_reader.h"
#include "document/formats/pdb_reader.h"
#include "document/formats/rtf_filter.h"
#include "document/formats/tcr_reader.h"
#include "document/formats/word_document.h"
#include "document/formats/zip_reader.h"
#include "document/markup_filter.h"
#include "document/tcr_filter.h"
#include "document/word_filter.h"

namespace lectra {

namespace {

bool InUtf(const Document& doc) {
    return doc.bookCodePage == kCodePageUtf8 || doc.bookCodePage == kCodePageUtf16;
}
bool AsHtml(const Document& doc) {
    return doc.txtParagraphMode == kTxtPlainAsHtml;
}
uint32_t UnitBytes(const Document& doc) {
    return doc.bookCodePage == kCodePageUtf16 ? 2 : 1;
}

// Every character read and filtered, in the pass and in decoding.
ReadingPlan Filtered(FilterFn filter) {
    return {.pass = PassMode::kFiltered,
            .passFilter = filter,
            .decode = DecodeMode::kFilter,
            .decodeFilter = filter};
}

// The pass counts a unit per `step` bytes without reading; decoding filters.
ReadingPlan Counted(uint32_t step, FilterFn decodeFilter) {
    return {.pass = PassMode::kOneForOne,
            .passStep = step,
            .decode = DecodeMode::kFilter,
            .decodeFilter = decodeFilter};
}

ReadingPlan Alternating(ReadingPlan p, uint32_t step) {
    p.decode = DecodeMode::kAlternating;
    p.decodeStep = step;
    p.decodeFilter = nullptr;
    return p;
}

// A reader whose text is one byte a unit cannot show UTF-8 or UTF-16.
ReadingPlan SingleByteOnly(const Document& doc, ReadingPlan p) {
    return InUtf(doc) ? Alternating(p, 1) : p;
}

// TEXT: one unit per byte (two in UTF-16), counted by reading characters in UTF-8; read as HTML
// in that paragraph mode.
ReadingPlan PlanText(const Document& doc, FilterFn filter) {
    if (AsHtml(doc)) return Filtered(HtmlFilter);
    ReadingPlan p = Counted(UnitBytes(doc), filter);
    if (doc.bookCodePage == kCodePageUtf8) p.pass = PassMode::kReadChar;
    return p;
}

// HTML, FB2, EPUB: markup, every character through the filter.
ReadingPlan PlanMarkup(const Document&, FilterFn filter) {
    return Filtered(filter);
}

// RTF is 7-bit text with escapes naming bytes of one code page; in UTF-8 or UTF-16 it is not read.
ReadingPlan PlanRtf(const Document& doc, FilterFn filter) {
    return InUtf(doc) ? Alternating(Counted(2, nullptr), 2) : Filtered(filter);
}

// PalmDOC and zTXT: text of one byte a unit, as TEXT is (HTML in that paragraph mode).
ReadingPlan PlanRecords(const Document& doc, FilterFn filter) {
    return SingleByteOnly(doc,
                          AsHtml(doc) ? Filtered(HtmlFilter) : Counted(UnitBytes(doc), filter));
}

// Word: one unit per stored byte, or per two where the book is UTF-16; never read as HTML,
// whatever the paragraph mode.
ReadingPlan PlanCounted(const Document& doc, FilterFn filter) {
    return Counted(UnitBytes(doc), filter);
}

// TCR: as Word, but one byte a unit only.
ReadingPlan PlanTcr(const Document& doc, FilterFn filter) {
    return SingleByteOnly(doc, PlanCounted(doc, filter));
}

// Indexed by kind. The open step of a row runs only for the kind that the file's name (or its
// recognition) selected: the PalmDOC step refines kind 4 to 5 or 6, the Word step recognises
// every generation (10 to 13) and the gzip and ZIP steps choose the kind of the book inside.
constexpr FormatHandler kHandlers[kKindCount] = {
    {u"TEXT", {u".TXT"}, nullptr, nullptr, TxtFilter, PlanText, 0},
    {u"HTML", {u".HTML", u".HTM"}, nullptr, nullptr, HtmlFilter, PlanMarkup, 0},
    {u"FB2", {u".FB2", u".FB1", u".FB", u".XML"}, nullptr, nullptr, Fb2Filter, PlanMarkup, 0},
    {u"RTF", {u".RTF"}, nullptr, nullptr, RtfFilter, PlanRtf, 0},
    {u"PalmDOC", {u".PDB", u".PRC"}, nullptr, &kPdbReader, TxtFilter, PlanRecords, 0},
    {u"Compressed PalmDOC", {}, nullptr, &kPdbReader, TxtFilter, PlanRecords, 0},
    {u"zTXT mode 1", {}, nullptr, &kPdbReader, TxtFilter, PlanRecords, 0},
    {u"zTXT mode 2", {}, nullptr, &kPdbReader, TxtFilter, PlanRecords, 0},
    {u"TCR", {u".TCR"}, nullptr, &kTcrReader, TcrFilter, PlanTcr, 0},
    {u"GZ", {}, RoutesToGzip, &kGzReader, nullptr, nullptr, 0},
    {u"Word for DOS", {u".DOC"}, nullptr, &kWordReader, WordFilter, PlanCounted, 1},
    {u"WinWord 2.0", {}, nullptr, &kWordReader, WordFilter, PlanCounted, 1},
    {u"Word 6.0/95", {}, nullptr, &kWordReader, WordFilter, PlanCounted, 1},
    {u"Word 97-2003", {}, nullptr, &kWordReader, WordFilter, PlanCounted, 1},
    {u"ZIP", {u".ZIP"}, nullptr, &kZipReader, nullptr, nullptr, 0},
    {u"EPUB", {u".EPUB"}, nullptr, &kEpubReader, XhtmlFilter, PlanMarkup, 0},
};

}  // namespace

const FormatHandler* FormatHandlerFor(int kind) {
    return kind >= 0 && kind < kKindCount ? &kHandlers[kind] : nullptr;
}

int KindReadsBytes(int kind) {
    const FormatHandler* row = FormatHandlerFor(kind);
    return row && !row->reader;
}

const char16_t* FormatKindName(int kind) {
    const FormatHandler* row = FormatHandlerFor(kind);
    return row ? row->name : nullptr;
}

void SetReaderState(Document& doc, const FormatReader& reader, ReaderState* state) {
    ReleaseReader(doc);
    doc.reader = &reader;
    doc.readerState = state;
}

int ReadOpeningBytes(Document& doc, void* head, uint32_t size) {
    ReleaseReader(doc);
    return ReadAt(doc.source, 0, head, size);
}

int RefuseOpen(Document& doc, const char16_t* message) {
    if (message) doc.openErrorText = message;
    ReleaseReader(doc);
    return 0;
}

void ReleaseReader(Document& doc) {
    if (doc.readerState && doc.reader && doc.reader->release) doc.reader->release(doc.readerState);
    doc.reader = nullptr;
    doc.readerState = nullptr;
}

ReadingPlan PlanFor(const Document& doc, int* readable) {
    const FormatHandler* row = FormatHandlerFor(doc.formatKind);
    const ReadingPlan plan = row && row->plan ? row->plan(doc, row->filter) : ReadingPlan{};
    // A kind is readable only when its own filter exists, and so does every filter of its plan.
    const bool passOk = plan.pass != PassMode::kFiltered || plan.passFilter;
    const bool decodeOk = plan.decode != DecodeMode::kFilter || plan.decodeFilter;
    *readable = row && row->filter && passOk && decodeOk;
    return plan;
}

}  // namespace lectra
