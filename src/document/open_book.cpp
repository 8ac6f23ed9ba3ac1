// Opening a book: its kind from the file name, the format's open step, the code page, the
// indexing pass and the restored reading position.
#include "document/open_book.h"

#include <algorithm>
#include <string>

#include "document/code_page_detect.h"
#include "document/encoding.h"
#include "document/format_table.h"
#include "document/tcr_filter.h"
#include "document/text_cache.h"
#include "document/txt_filter.h"
#include "platform/sys/code_pages.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

// The raw layer addresses bytes with 32-bit offsets and reads a few bytes past a character.
constexpr uint32_t kMaxSourceSize = 0xFFFF0000u;

void SetWaitCursor(Document& doc, int on) {
    if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, on);
}

int Fail(Document& doc, const char16_t* message) {
    if (message) doc.openErrorText = message;
    // Nothing of a refused book stays: no reader state, and no gzip bit for the raw layer.
    ReleaseReader(doc);
    doc.sourceFlags &= ~0x07;
    CloseSourceFile(doc);
    doc.sourceIsOpen = 0;
    return 0;
}

// A byte-order mark of the chosen encoding is stepped over, not read as a character.
uint32_t ByteOrderMarkLength(Document& doc) {
    if (doc.formatKind > kKindFb2) return 0;
    const uint8_t b0 = ReadSourceByte(doc, 0), b1 = ReadSourceByte(doc, 1);
    if (doc.bookCodePage == kCodePageUtf8 && doc.sourceSize >= 3 && b0 == 0xEF && b1 == 0xBB &&
        ReadSourceByte(doc, 2) == 0xBF) {
        return 3;
    }
    if (doc.bookCodePage == kCodePageUtf16 && doc.sourceSize >= 2 && b0 == 0xFF && b1 == 0xFE)
        return 2;
    return 0;
}

// The kind whose row recognises the file (a gzip file by its signature, whatever else its name
// says), else the kind its extension selects, else TEXT.
int RecognizeKind(const std::u16string& path, PlatformFile& file) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        const FormatHandler* row = FormatHandlerFor(kind);
        if (row->recognize && row->recognize(path, file)) return kind;
    }
    const int kind = FormatKindFromPath(path);
    return kind < 0 ? kKindText : kind;
}

}  // namespace

std::u16string BookCutText(const Document& doc) {
    if (!doc.bookCut.isCut) return std::u16string();
    std::string text = "The book is too long to be read whole: it ends after " +
                       std::to_string(doc.bookCut.docLength) + " characters, at byte " +
                       std::to_string(doc.bookCut.sourceOffset);
    if (doc.bookCut.sourceSize > 0) text += " of " + std::to_string(doc.bookCut.sourceSize);
    text += ".";
    return Utf8ToUtf16(text);
}

int FormatKindFromPath(const std::u16string& path) {
    const size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos) return -1;
    std::u16string ext = path.substr(dot);
    for (char16_t& c : ext) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    for (int kind = 0; kind < kKindCount; ++kind) {
        for (const char16_t* e : FormatHandlerFor(kind)->extensions) {
            if (e && ext == e) return kind;
        }
    }
    return -1;
}

int OpenBook(Document& doc, const char16_t* path, int reopen, const OpenRequest& request) {
    doc.sourceFlags &= ~0x07;
    ResetTextCache(doc);
    DiscardBlockRecords(doc);
    // Nothing of the previous book's markup may leak into this one, the once flags included.
    doc.markup = MarkupState{};
    // A reopen reads the same archive entry again; another book reads the entry that the recent
    // list remembers for it, or chooses one.
    if (path && doc.bookPath != path) doc.zipEntryName.clear();
    if (path) doc.bookPath = path;
    doc.openErrorText = kErrorReadingFile;
    const RememberedBook* remembered =
        !reopen && request.remembered && request.remembered->path == doc.bookPath
            ? request.remembered
            : nullptr;
    if (remembered) doc.zipEntryName = remembered->zipName;

    if (!OpenSourceFile(doc)) {
        doc.sourceSize = doc.sourceSizeCopy = 0;
        doc.sourceIsOpen = 0;
        return 0;
    }
    const int64_t fileSize = FileSize(doc.source);
    doc.sourceSize =
        fileSize < 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(fileSize, kMaxSourceSize));
    doc.sourceSizeCopy = doc.sourceSize;
    doc.sourceIsOpen = 1;
    if (fileSize > static_cast<int64_t>(kMaxSourceSize)) {
        RecordCut(doc, kMaxSourceSize, 0);
        doc.bookCut.sourceSize = static_cast<uint64_t>(fileSize);
    }

    // The open step of the kind found, if it has one; it may change the kind (a container's to
    // the kind of the book inside), whose own step, if any, does not run.
    doc.formatKind = RecognizeKind(doc.bookPath, doc.source);
    if (const FormatReader* reader = FormatHandlerFor(doc.formatKind)->reader) {
        if (!reader->open) return Fail(doc, kBadFormat);
        SetWaitCursor(doc, 1);
        const int ok = reader->open(doc);
        SetWaitCursor(doc, 0);
        if (!ok) return Fail(doc, nullptr);
    }

    int codePage = remembered ? remembered->codePage : 0;
    const FormatHandler* row = FormatHandlerFor(doc.formatKind);
    const bool ownCodePage = row && row->ownCodePage;
    if (codePage == 0) {
        codePage = request.codePageSetting;
        if (codePage == kCodePageAuto)
            codePage = ownCodePage ? doc.bookCodePage : DetectCodePage(doc);
    }
    // A reader that gives the code page (Word's) reads one unit per stored byte, or UTF-16 where
    // the book says so: a chosen code page can only replace a single-byte one of its own by
    // another single-byte one. (The code-page setting is global, so UTF-8 chosen for one text book
    // reaches every Word book.)
    if (ownCodePage && !(CodePageKnown(doc.bookCodePage) && CodePageKnown(codePage)))
        codePage = doc.bookCodePage;
    doc.bookCodePage = codePage;
    if (codePage != kCodePageUtf8 && codePage != kCodePageUtf16) BuildByteToChar(doc);

    int readable = 0;
    PlanFor(doc, &readable);
    if (!readable) return Fail(doc, kBadFormat);
    doc.textStart = ByteOrderMarkLength(doc);
    // Only plain text is judged by its lines: a markup source's lines say nothing of its
    // paragraphs.
    doc.paragraphLines =
        row && (row->filter == TxtFilter || row->filter == TcrFilter) ? ParagraphLines(doc) : 0;

    SetWaitCursor(doc, 1);
    BuildBlockIndex(doc);
    if (doc.bookCut.isCut) {
        if (!doc.bookCut.docLength) doc.bookCut.docLength = doc.docLength;
        if (!doc.bookCut.sourceSize && !(doc.sourceFlags & kSourceGzMember))
            doc.bookCut.sourceSize = static_cast<uint64_t>(std::max<int64_t>(fileSize, 0));
    }
    CloseSourceFile(doc);
    OpenSourceFile(doc);
    SetWaitCursor(doc, 0);

    doc.pageStart = 0;
    if (remembered && remembered->position > 0 && remembered->position <= doc.docLength &&
        remembered->length == doc.docLength) {
        doc.pageStart = remembered->position;
    }
    return 1;
}

}  // namespace lectra
