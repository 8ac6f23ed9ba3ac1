// A book inside a gzip file: the member's header and kind at open, its access-point index, and
// raw blocks of the decompressed member for the text cache.
#include "document/formats/gz_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "document/formats/file_bytes.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/code_pages.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

constexpr uint8_t kFlagExtra = 4;
constexpr uint8_t kFlagName = 8;
constexpr uint32_t kMaxStoredName = 259;

std::u16string MemberName(std::string_view stored) {
    return IsUtf8(stored) ? Utf8ToUtf16(stored) : CodePageDecode(866, stored);
}

void ReleaseGz(ReaderState* state) {
    GzState* gz = static_cast<GzState*>(state);
    EndGzCursor(gz->cursor);
    delete gz;
}

}  // namespace

int RoutesToGzip(const std::u16string& path, PlatformFile& file) {
    const size_t n = path.size();
    if (n < 3 || path[n - 3] != u'.' || (path[n - 2] | 0x20) != u'g' ||
        (path[n - 1] | 0x20) != u'z')
        return 0;
    uint8_t magic[2];
    return ReadAt(file, 0, magic, 2) && magic[0] == 0x1F && magic[1] == 0x8B;
}

GzState* GzOf(const Document& doc) {
    return ReaderStateOf<GzState>(doc, kGzReader);
}

int OpenGzMember(Document& doc) {
    uint8_t head[10];
    if (!ReadOpeningBytes(doc, head, sizeof head) || head[0] != 0x1F || head[1] != 0x8B ||
        head[2] != 8) {
        return RefuseOpen(doc, kBadFormat);
    }
    PlatformFile& file = doc.source;
    const int64_t fileSize = FileSize(file);
    if (fileSize < 0) return RefuseOpen(doc, kBadFormat);
    uint64_t at = sizeof head;
    if (head[3] & kFlagExtra) {
        uint8_t x[2];
        if (!ReadAt(file, at, x, 2)) return RefuseOpen(doc, kBadFormat);
        ByteReader extra = ByteView(x, sizeof x);
        at += 2 + ReadLe16(extra, 0);
        if (at > static_cast<uint64_t>(fileSize)) return RefuseOpen(doc, kBadFormat);
    }
    std::u16string name;
    if (head[3] & kFlagName) {
        // The stored name ends in a zero byte; only its first 259 bytes are taken. A name that is
        // UTF-8 was written on a system like ours; any other is in the OEM code page.
        char stored[kMaxStoredName];
        uint32_t got = 0;
        if (!FileSeek(file, at) || !FileRead(file, stored, kMaxStoredName, &got))
            return RefuseOpen(doc, kBadFormat);
        const char* end = static_cast<const char*>(std::memchr(stored, 0, got));
        if (!end && got < kMaxStoredName)
            return RefuseOpen(doc, kBadFormat);  // the file ends inside the name
        name = MemberName(std::string_view(stored, end ? end - stored : got));
    } else {
        name =
            doc.bookPath.substr(0, doc.bookPath.size() - std::min<size_t>(3, doc.bookPath.size()));
    }
    // A name without an extension reads as TEXT, as it would outside the archive. The readers of
    // PalmDOC, TCR and Word books read the file itself, so they cannot open a member.
    int kind = FormatKindFromPath(name);
    if (kind < 0) kind = kKindText;
    if (!KindReadsBytes(kind)) return RefuseOpen(doc, kBadFormat);

    GzState& gz = NewReaderState<GzState>(doc, kGzReader);
    uint64_t size = 0;
    IndexProgress progress;
    progress.report = doc.hooks.progress;
    progress.context = doc.hooks.context;
    progress.total = doc.sourceSize;
    if (BuildGzIndex(file, kGzSpan, gz.index, &size, progress) < 1)
        return RefuseOpen(doc, kBadFormat);
    gz.size = size;
    gz.memberName = name;
    doc.formatKind = kind;
    doc.sourceFlags |= kSourceGzMember;
    doc.sourceSize = static_cast<uint32_t>(size);  // at most kGzMaxOutput
    if (gz.index.cut) RecordCut(doc, size, 0);
    return 1;
}

void ReadGzRawBlock(Document& doc, uint32_t offset, uint8_t* block) {
    GzState* state = GzOf(doc);
    if (!state || offset >= doc.sourceSize) return;
    const uint32_t start = offset & ~(kRawBlockBytes - 1);
    const int32_t want = static_cast<int32_t>(std::min(kRawBlockBytes, doc.sourceSize - start));
    GzState& gz = *state;
    int got = ReadGzRange(doc.source, gz.index, start, block, want, &gz.cursor);
    if (got == Z_ERRNO) {
        // A handle on removable storage goes bad while the device sleeps: the raw layer's seek
        // reopens it (and tells the user if it cannot), then the range is read once more.
        SeekSource(doc, 0);
        if (FileIsOpen(doc.source))
            got = ReadGzRange(doc.source, gz.index, start, block, want, &gz.cursor);
    }
    // A member cut short or changed while it is open: the block keeps the pre-fill, and the
    // window says why.
    if (got < 0) RecordReadError(doc);
}

const FormatReader kGzReader = {OpenGzMember, ReadGzRawBlock, nullptr, ReleaseGz};

}  // namespace lectra
