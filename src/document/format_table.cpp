// The dispatch by FormatKind: each kind's open step, raw-block filler, detection sample, and how
// the indexing pass and block decoding produce its units.
#include "document/format_table.h"

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

// Filters of the markup and container kinds; null while a kind has no reader in this build.
constexpr FilterFn kHtmlFilter = HtmlFilter;
constexpr FilterFn kFb2Filter = Fb2Filter;
constexpr FilterFn kRtfFilter = RtfFilter;
constexpr FilterFn kTcrFilter = TcrFilter;
constexpr FilterFn kWordFilter = WordFilter;

// Readers of the container kinds, indexed by kind; null entries read straight from the file.
constexpr const FormatReader* kReaders[kKindCount] = {
    nullptr,       // TEXT
    nullptr,       // HTML
    nullptr,       // FB2
    nullptr,       // RTF
    &kPdbReader,   // PalmDOC: its open step refines the kind to 5 or 6
    &kPdbReader,   // Compressed PalmDOC
    &kPdbReader,   // zTXT mode 1
    &kPdbReader,   // zTXT mode 2
    &kTcrReader,   // TCR
    &kGzReader,    // GZ: its filler also serves kinds 0-3 read from a member
    &kWordReader,  // Word for DOS: its open step recognises every generation
    &kWordReader,  // WinWord 2.0
    &kWordReader,  // Word 6.0/95
    &kWordReader,  // Word 97-2003
    &kZipReader,   // ZIP: its filler also serves kinds 0-3 read from an entry
    &kEpubReader,  // EPUB
};

const char16_t* const kKindNames[] = {
    u"TEXT",        u"HTML",         u"FB2", u"RTF",  u"PalmDOC",      u"Compressed PalmDOC",
    u"zTXT mode 1", u"zTXT mode 2",  u"TCR", u"GZ",   u"Word for DOS", u"WinWord 2.0",
    u"Word 6.0/95", u"Word 97-2003", u"ZIP", u"EPUB",
};

ReadingPlan Filtered(FilterFn passFilter, FilterFn decodeFilter) {
    ReadingPlan p;
    p.pass = PassMode::kFiltered;
    p.passFilter = passFilter;
    p.decode = DecodeMode::kFilter;
    p.decodeFilter = decodeFilter;
    return p;
}

ReadingPlan Counted(uint32_t step, FilterFn decodeFilter) {
    ReadingPlan p;
    p.pass = PassMode::kOneForOne;
    p.passStep = step;
    p.decode = DecodeMode::kFilter;
    p.decodeFilter = decodeFilter;
    return p;
}

ReadingPlan Alternating(ReadingPlan p, uint32_t step) {
    p.decode = DecodeMode::kAlternating;
    p.decodeStep = step;
    p.decodeFilter = nullptr;
    return p;
}

}  // namespace

const FormatReader* FormatReaderFor(int kind) {
    return kind >= 0 && kind < kKindCount ? kReaders[kind] : nullptr;
}

void ReleaseFormatReaders(Document& doc) {
    for (const FormatReader* reader : kReaders) {
        if (reader && reader->release) reader->release(doc);
    }
}

const char16_t* FormatKindName(int kind) {
    return kind >= 0 && kind < kKindCount ? kKindNames[kind] : nullptr;
}

ReadingPlan PlanFor(const Document& doc, int* readable) {
    const int kind = doc.formatKind;
    const bool utf8 = doc.bookCodePage == kCodePageUtf8;
    const bool utf16 = doc.bookCodePage == kCodePageUtf16;
    const bool asHtml = doc.txtParagraphMode == kTxtPlainAsHtml;
    const uint32_t unitBytes = utf16 ? 2 : 1;
    ReadingPlan plan;
    switch (kind) {
        case kKindText:
            if (asHtml) {
                plan = Filtered(kHtmlFilter, kHtmlFilter);
            } else {
                plan = Counted(unitBytes, TxtFilter);
                if (utf8) plan.pass = PassMode::kReadChar;
            }
            break;
        case kKindHtml:
            plan = Filtered(kHtmlFilter, kHtmlFilter);
            break;
        case kKindFb2:
            plan = Filtered(kFb2Filter, kFb2Filter);
            break;
        case kKindRtf:
            plan = (utf8 || utf16) ? Alternating(Counted(2, nullptr), 2)
                                   : Filtered(kRtfFilter, kRtfFilter);
            break;
        case kKindPalmDoc:
        case kKindPalmDocCompressed:
        case kKindZtxt1:
        case kKindZtxt2:
            plan = asHtml ? Filtered(kHtmlFilter, kHtmlFilter) : Counted(unitBytes, TxtFilter);
            if (utf8 || utf16) plan = Alternating(plan, 1);
            break;
        case kKindTcr:
            plan = Counted(unitBytes, kTcrFilter);
            if (utf8 || utf16) plan = Alternating(plan, 1);
            break;
        case kKindWordDos:
        case kKindWinWord2:
        case kKindWord6:
        case kKindWord97:
            // The Word decoder never uses the HTML filter, whatever the paragraph mode.
            plan = Counted(unitBytes, kWordFilter);
            break;
        case kKindEpub:
            plan = Filtered(XhtmlFilter, XhtmlFilter);
            break;
        default:
            break;
    }
    // A kind is readable only when its own filter exists, whatever the code page makes of it.
    const FilterFn kindFilters[kKindCount] = {TxtFilter,   kHtmlFilter, kFb2Filter,  kRtfFilter,
                                              TxtFilter,   TxtFilter,   TxtFilter,   TxtFilter,
                                              kTcrFilter,  nullptr,     kWordFilter, kWordFilter,
                                              kWordFilter, kWordFilter, nullptr,     XhtmlFilter};
    FilterFn own = kind >= 0 && kind < kKindCount ? kindFilters[kind] : nullptr;
    if (asHtml && (kind == kKindText || (kind >= kKindPalmDoc && kind <= kKindZtxt2)))
        own = kHtmlFilter;
    const bool passOk = plan.pass != PassMode::kFiltered || plan.passFilter;
    const bool decodeOk = plan.decode != DecodeMode::kFilter || plan.decodeFilter;
    *readable = own && passOk && decodeOk;
    return plan;
}

}  // namespace lectra
