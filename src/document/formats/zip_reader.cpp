// Books inside ZIP archives and EPUB books: the open steps that choose the entries and index
// them, and raw blocks of the decompressed text (an EPUB's spine items one after another).
#include "document/formats/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "document/formats/epub_package.h"
#include "document/formats/file_bytes.h"
#include "document/open_book.h"
#include "document/pictures.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

// The XML files of an EPUB are read whole; a bigger one is not a package but an attack.
constexpr uint64_t kMaxPackageFile = 4u << 20;
constexpr uint32_t kCheckChunk = 65536;
constexpr uint32_t kHeadingScan = 65536;

void ReleaseZip(ReaderState* state) {
    ZipState* z = static_cast<ZipState*>(state);
    EndGzCursor(z->cursor);
    delete z;
}

// Reads `length` bytes at `offset` of an item's decompressed data; returns the bytes placed or
// a negative status.
int ReadItem(Document& doc, int32_t itemIndex, uint64_t offset, uint8_t* buffer, uint32_t length) {
    ZipState& z = *ZipOf(doc);
    const ZipItem& item = z.items[itemIndex];
    const ZipEntry& entry = z.directory.entries[item.entry];
    if (offset >= entry.size) return 0;
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(length, entry.size - offset));
    int got = 0;
    if (entry.method == kZipStored) {
        got =
            ReadAt(doc.source, item.data + offset, buffer, want) ? static_cast<int>(want) : Z_ERRNO;
    } else {
        // The cursor keeps one stream; another item's cannot be read on.
        if (z.cursorItem != itemIndex) EndGzCursor(z.cursor);
        z.cursorItem = itemIndex;
        got = ReadGzRange(doc.source, item.index, offset, buffer, static_cast<int32_t>(want),
                          &z.cursor);
    }
    if (got <= 0) return got;
    ZipItem& checked = z.items[itemIndex];
    if (offset == 0) {
        checked.checked = 0;
        checked.crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
    }
    const uint64_t end = offset + static_cast<uint32_t>(got);
    if (offset <= checked.checked && end > checked.checked) {
        const uint64_t from = checked.checked - offset;
        checked.crc = static_cast<uint32_t>(
            crc32(checked.crc, buffer + from, static_cast<uInt>(end - checked.checked)));
        checked.checked = end;
        // The book changed since it was opened.
        if (end == entry.size && checked.crc != entry.crc) return Z_DATA_ERROR;
    }
    return got;
}

// Indexes a deflated item, or reads a stored one through, checking its CRC-32. Returns 1, 0
// for a damaged entry (a CRC that differs, a stream that breaks off or runs on).
int CheckItem(Document& doc, ZipItem& item) {
    const ZipEntry& entry = ZipOf(doc)->directory.entries[item.entry];
    uint32_t crc = 0;
    if (entry.method == kZipDeflated) {
        RawDeflate stream;
        stream.start = item.data;
        stream.compressedSize = entry.compressedSize;
        stream.size = entry.size;
        IndexProgress progress;
        progress.report = doc.hooks.progress;
        progress.context = doc.hooks.context;
        progress.total = doc.sourceSizeCopy;
        if (BuildRawIndex(doc.source, stream, kGzSpan, item.index, &crc, progress) < 1) return 0;
    } else {
        std::vector<uint8_t> chunk(kCheckChunk);
        uLong check = crc32(0, nullptr, 0);
        for (uint64_t done = 0; done < entry.size;) {
            const uint32_t n =
                static_cast<uint32_t>(std::min<uint64_t>(kCheckChunk, entry.size - done));
            if (!ReadAt(doc.source, item.data + done, chunk.data(), n)) return 0;
            check = crc32(check, chunk.data(), n);
            done += n;
        }
        crc = static_cast<uint32_t>(check);
    }
    return crc == entry.crc;
}

// Adds the entry as an item: 1, or 0 with OpenErrorText saying why.
int AddItem(Document& doc, size_t entryIndex) {
    ZipState& z = *ZipOf(doc);
    const ZipEntry& entry = z.directory.entries[entryIndex];
    if (!ZipEntryReadable(entry) || entry.size > kGzMaxOutput) {
        doc.openErrorText = kBadFormat;
        return 0;
    }
    ZipItem item;
    item.entry = entryIndex;
    item.data = ZipEntryData(doc.source, entry);
    if (!item.data) {
        doc.openErrorText = kBadFormat;
        return 0;
    }
    // A damaged book is refused rather than shown wrong.
    if (!CheckItem(doc, item)) {
        doc.openErrorText = kErrorReadingFile;
        return 0;
    }
    z.items.push_back(std::move(item));
    return 1;
}

int FindEntry(const ZipDirectory& directory, const std::u16string& name) {
    for (size_t i = 0; i < directory.entries.size(); ++i) {
        if (directory.entries[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

// The kind of a book entry: one that reads through the raw layer, or −1.
int EntryKind(const ZipEntry& entry) {
    if (entry.name.empty() || entry.name.back() == u'/') return -1;
    const int kind = FormatKindFromPath(entry.name);
    return KindReadsBytes(kind) ? kind : -1;
}

// Reads the directory into a new state of `reader` (the ZIP book's or the EPUB's).
int StartZip(Document& doc, const FormatReader& reader, uint32_t signature) {
    uint8_t magic[4] = {};
    ByteReader m = ByteView(magic, sizeof magic);
    if (!ReadOpeningBytes(doc, magic, 4) || ReadLe32(m, 0) != signature) return 0;
    ZipState& z = NewReaderState<ZipState>(doc, reader);
    return ReadZipDirectory(doc.source, z.directory);
}

bool IsSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool NameIs(const std::string& text, size_t at, const char* name) {
    for (size_t k = 0; name[k]; ++k) {
        if (at + k >= text.size() || (text[at + k] | 0x20) != name[k]) return false;
    }
    return true;
}

// The title paragraph: a heading whose text is ASCII with every other character (and "<", "&")
// as a numeric reference, so that it reads the same in any single-byte code page and in UTF-8;
// in UTF-16 when the book is.
std::string TitleBytes(const std::u16string& title, bool utf16) {
    std::string ascii = "<h1>";
    for (char16_t c : title) {
        if (c >= 32 && c < 127 && c != u'<' && c != u'&') {
            ascii += static_cast<char>(c);
        } else {
            ascii += "&#" + std::to_string(static_cast<unsigned>(c)) + ";";
        }
    }
    ascii += "</h1>";
    if (!utf16) return ascii;
    std::string wide;
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Where the scan goes on after the tag at `at`: past a comment, the head with its content, a
// document type with its internal subset, or any other tag; beyond the text when it never ends.
size_t SkipTag(const std::string& xhtml, size_t at) {
    const char* closer = xhtml.compare(at, 4, "<!--") == 0 ? "-->" : ">";
    // The head's content is not text of the page.
    if (NameIs(xhtml, at + 1, "head") && at + 5 < xhtml.size() &&
        (xhtml[at + 5] == '>' || IsSpace(static_cast<uint8_t>(xhtml[at + 5])))) {
        closer = "</head>";
    }
    if (NameIs(xhtml, at + 1, "!doctype")) {
        const size_t subset = xhtml.find('[', at), gt = xhtml.find('>', at);
        if (subset < gt) at = xhtml.find(']', subset);
        if (at == std::string::npos) return xhtml.size();
    }
    const size_t close = xhtml.find(closer, at + 1);
    return close == std::string::npos ? xhtml.size() : close + std::strlen(closer);
}

// The upper-case ASCII form the XHTML filter gives a tag's text, so that ids compare as it reads
// them.
std::u16string FilterCase(const std::string& id) {
    std::u16string out = Utf8ToUtf16(id);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return out;
}

// The navigation's entries (the navigation document's, else the NCX's) as targets in the parts of
// the raw layer; an entry whose file is not in the spine is left out.
void ReadNavigation(Document& doc, const EpubPackage& package,
                    const std::unordered_map<std::u16string, size_t>& byName) {
    ZipState& z = *ZipOf(doc);
    std::vector<EpubNavPoint> points;
    for (int ncx = 0; ncx < 2 && points.empty(); ++ncx) {
        const std::string& path = ncx ? package.ncxPath : package.navPath;
        const auto it = path.empty() ? byName.end() : byName.find(Utf8ToUtf16(path));
        std::string xml;
        // A navigation that cannot be read leaves the book without it, not unreadable.
        if (it == byName.end() ||
            !ReadSmallZipEntry(doc.source, z.directory.entries[it->second], kMaxPackageFile, xml)) {
            continue;
        }
        points = ncx ? ParseEpubNcx(xml, path) : ParseEpubNav(xml, path);
    }
    if (points.empty()) return;
    std::unordered_map<std::u16string, int32_t> partOf;
    for (size_t p = 0; p < z.parts.size(); ++p) {
        if (z.parts[p].item < 0) continue;
        const ZipItem& item = z.items[static_cast<size_t>(z.parts[p].item)];
        partOf.emplace(z.directory.entries[item.entry].name, static_cast<int32_t>(p));
    }
    for (EpubNavPoint& point : points) {
        const auto it = partOf.find(Utf8ToUtf16(point.path));
        if (it == partOf.end()) continue;
        doc.contentsTargets.push_back(
            {std::move(point.title), point.depth, it->second, FilterCase(point.fragment)});
    }
}

}  // namespace

int StartsWithHeading(const std::string& xhtml) {
    const size_t end = std::min<size_t>(xhtml.size(), kHeadingScan);
    size_t at = 0;
    while (at < end) {
        const uint8_t c = static_cast<uint8_t>(xhtml[at]);
        if (IsSpace(c)) {
            ++at;
            continue;
        }
        if (c != '<') return 0;  // text before any heading
        if (NameIs(xhtml, at + 1, "h") && at + 3 < xhtml.size() && xhtml[at + 2] >= '1' &&
            xhtml[at + 2] <= '9' &&
            (xhtml[at + 3] == '>' || xhtml[at + 3] == '/' ||
             IsSpace(static_cast<uint8_t>(xhtml[at + 3])))) {
            return 1;
        }
        at = SkipTag(xhtml, at);
    }
    return 0;
}

std::u16string FirstHeadingText(const std::string& xhtml) {
    const size_t end = std::min<size_t>(xhtml.size(), kHeadingScan);
    size_t at = 0;
    while ((at = xhtml.find('<', at)) != std::string::npos && at < end) {
        if (NameIs(xhtml, at + 1, "h") && at + 3 < xhtml.size() && xhtml[at + 2] >= '1' &&
            xhtml[at + 2] <= '9' &&
            (xhtml[at + 3] == '>' || IsSpace(static_cast<uint8_t>(xhtml[at + 3])))) {
            const size_t open = xhtml.find('>', at);
            const size_t close = xhtml.find("</", open);
            if (open == std::string::npos || close == std::string::npos || close > end) return {};
            // The heading's own text, tags inside it (a span, a line break) taken as spaces.
            std::string text;
            size_t k = open + 1;
            while (k < close) {
                if (xhtml[k] == '<') {
                    const size_t tagEnd = xhtml.find('>', k);
                    if (tagEnd == std::string::npos || tagEnd > close) break;
                    text += ' ';
                    k = tagEnd + 1;
                } else {
                    text += xhtml[k++];
                }
            }
            return EpubText(text);
        }
        at = SkipTag(xhtml, at);
    }
    return {};
}

int SameTitle(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    auto fold = [](char16_t c) -> char16_t {
        if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
        if (c >= u'\u0410' && c <= u'\u042F') return static_cast<char16_t>(c + 32);
        if (c == u'\u0401') return u'\u0451';
        return c;
    };
    for (size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) return 0;
    }
    return 1;
}

ZipState* ZipOf(const Document& doc) {
    ZipState* z = ReaderStateOf<ZipState>(doc, kZipReader);
    return z ? z : ReaderStateOf<ZipState>(doc, kEpubReader);
}

int OpenZipBook(Document& doc) {
    if (!StartZip(doc, kZipReader, 0x04034B50)) return RefuseOpen(doc, kBadFormat);
    ZipState& z = *ZipOf(doc);
    // The entry read last time, if it is still there; else the first book in directory order.
    int chosen = doc.zipEntryName.empty() ? -1 : FindEntry(z.directory, doc.zipEntryName);
    if (chosen >= 0 && EntryKind(z.directory.entries[chosen]) < 0) chosen = -1;
    for (size_t i = 0; chosen < 0 && i < z.directory.entries.size(); ++i) {
        if (EntryKind(z.directory.entries[i]) >= 0) chosen = static_cast<int>(i);
    }
    if (chosen < 0) return RefuseOpen(doc, kBadFormat);
    if (!AddItem(doc, static_cast<size_t>(chosen))) return RefuseOpen(doc, nullptr);
    const ZipEntry& entry = z.directory.entries[chosen];
    ZipPart part;
    part.size = static_cast<uint32_t>(entry.size);
    part.item = 0;
    z.parts.push_back(part);
    doc.zipEntryName = entry.name;
    doc.formatKind = EntryKind(entry);
    doc.sourceFlags |= kSourceZipEntry;
    z.total = part.size;
    doc.sourceSize = part.size;
    return 1;
}

int OpenEpubBook(Document& doc) {
    if (!StartZip(doc, kEpubReader, 0x04034B50)) return RefuseOpen(doc, kBadFormat);
    ZipState& z = *ZipOf(doc);
    const ZipDirectory& dir = z.directory;
    std::string mimetype, container, opf;
    const int mimeEntry = FindEntry(dir, u"mimetype");
    const int containerEntry = FindEntry(dir, u"META-INF/container.xml");
    if (mimeEntry < 0 || containerEntry < 0 ||
        !ReadSmallZipEntry(doc.source, dir.entries[mimeEntry], 256, mimetype) ||
        !ReadSmallZipEntry(doc.source, dir.entries[containerEntry], kMaxPackageFile, container)) {
        return RefuseOpen(doc, kBadFormat);
    }
    while (!mimetype.empty() && IsSpace(static_cast<uint8_t>(mimetype.back()))) mimetype.pop_back();
    if (mimetype != "application/epub+zip") return RefuseOpen(doc, kBadFormat);
    const std::string opfPath = EpubRootFile(container);
    const int opfEntry = opfPath.empty() ? -1 : FindEntry(dir, Utf8ToUtf16(opfPath));
    EpubPackage package;
    if (opfEntry < 0 ||
        !ReadSmallZipEntry(doc.source, dir.entries[opfEntry], kMaxPackageFile, opf) ||
        !ParseEpubPackage(opf, opfPath, package)) {
        return RefuseOpen(doc, kBadFormat);
    }
    doc.pictures.epubCover = Utf8ToUtf16(EpubCoverPath(opf, opfPath));
    // Items that the encryption list names are locked; fonts it names (obfuscated, as some
    // writers do) do not matter here.
    std::unordered_set<std::string> encrypted;
    if (const int e = FindEntry(dir, u"META-INF/encryption.xml"); e >= 0) {
        std::string xml;
        if (!ReadSmallZipEntry(doc.source, dir.entries[e], kMaxPackageFile, xml))
            return RefuseOpen(doc, kBadFormat);
        for (std::string& path : EpubEncryptedPaths(xml)) encrypted.insert(std::move(path));
    }
    // Entries by name (the first of a name winning), so that a spine of many items costs no
    // search of the directory each.
    std::unordered_map<std::u16string, size_t> byName;
    for (size_t i = 0; i < dir.entries.size(); ++i) byName.emplace(dir.entries[i].name, i);
    uint64_t wanted = 0;
    for (const std::string& path : package.spine) {
        if (encrypted.count(path)) return RefuseOpen(doc, kBadFormat);
        // A spine item that the archive lacks is left out: the rest of the book is whole.
        const auto it = byName.find(Utf8ToUtf16(path));
        if (it == byName.end()) continue;
        // Counted before anything is inflated: a spine of many big items is refused at once, not
        // after inflating them.
        wanted += dir.entries[it->second].size;
        if (wanted > kGzMaxOutput) return RefuseOpen(doc, kBadFormat);
        if (!AddItem(doc, it->second)) return RefuseOpen(doc, nullptr);
    }
    if (z.items.empty()) return RefuseOpen(doc, kBadFormat);

    // Each item's byte-order mark is stepped over; the first one also says how the title is
    // written.
    uint64_t total = 0;
    std::string first;
    bool utf16 = false;
    for (size_t i = 0; i < z.items.size(); ++i) {
        uint8_t head[3] = {};
        const int n = ReadItem(doc, static_cast<int32_t>(i), 0, head, 3);
        if (n < 0) return RefuseOpen(doc, kErrorReadingFile);
        ZipPart part;
        part.item = static_cast<int32_t>(i);
        if (n == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) part.skip = 3;
        if (n >= 2 && head[0] == 0xFF && head[1] == 0xFE) part.skip = 2;
        if (i == 0) {
            utf16 = part.skip == 2;
            const uint64_t size = z.directory.entries[z.items[0].entry].size;
            first.resize(static_cast<size_t>(std::min<uint64_t>(size, kHeadingScan)));
            if (ReadItem(doc, 0, 0, reinterpret_cast<uint8_t*>(first.data()),
                         static_cast<uint32_t>(first.size())) != static_cast<int>(first.size())) {
                return RefuseOpen(doc, kErrorReadingFile);
            }
            if (utf16) {
                // The heading check reads bytes: take the low byte of each unit.
                std::string narrow;
                for (size_t k = 2; k + 1 < first.size(); k += 2) narrow += first[k];
                first.swap(narrow);
            }
            // Not above a first document that starts with a heading, nor above one whose first
            // heading is the title itself after something that is not one (a rule, a blank).
            if (!package.title.empty() && !StartsWithHeading(first) &&
                !SameTitle(FirstHeadingText(first), package.title)) {
                z.title = TitleBytes(package.title, utf16);
                ZipPart title;
                title.size = static_cast<uint32_t>(z.title.size());
                z.parts.push_back(title);
                total += title.size;
            }
        }
        const uint64_t size = z.directory.entries[z.items[i].entry].size;
        if (size <= part.skip) continue;
        part.size = static_cast<uint32_t>(size - part.skip);
        part.start = static_cast<uint32_t>(total);
        total += part.size;
        // The raw layer addresses at most what the gzip reader would.
        if (total > kGzMaxOutput) return RefuseOpen(doc, kBadFormat);
        z.parts.push_back(part);
    }
    doc.partStarts.clear();
    doc.partNames.clear();
    for (const ZipPart& p : z.parts) {
        doc.partStarts.push_back(p.start);
        doc.partNames.push_back(
            p.item < 0 ? std::string()
                       : Utf16ToUtf8(
                             z.directory.entries[z.items[static_cast<size_t>(p.item)].entry].name));
    }
    ReadNavigation(doc, package, byName);
    z.total = static_cast<uint32_t>(total);
    doc.sourceSize = z.total;
    return 1;
}

void ReadZipRawBlock(Document& doc, uint32_t offset, uint8_t* block) {
    ZipState* state = ZipOf(doc);
    if (!state || offset >= state->total) return;
    ZipState& z = *state;
    const uint32_t start = offset & ~(kRawBlockBytes - 1);
    const uint32_t end = static_cast<uint32_t>(
        std::min<uint64_t>(static_cast<uint64_t>(start) + kRawBlockBytes, z.total));
    // The parts that overlap the block, from the last one starting at or before it.
    auto it = std::upper_bound(z.parts.begin(), z.parts.end(), start,
                               [](uint32_t o, const ZipPart& p) { return o < p.start; });
    if (it != z.parts.begin()) --it;
    for (; it != z.parts.end() && it->start < end; ++it) {
        const uint32_t from = std::max(start, it->start);
        const uint32_t to = std::min<uint64_t>(end, static_cast<uint64_t>(it->start) + it->size);
        if (from >= to) continue;
        uint8_t* dst = block + (from - start);
        const uint32_t inPart = from - it->start;
        if (it->item < 0) {
            std::memcpy(dst, z.title.data() + inPart, to - from);
            continue;
        }
        // A part's first block also reads the byte-order mark it steps over, so that the item's
        // check starts at its first byte.
        if (inPart == 0 && it->skip) {
            uint8_t mark[3];
            ReadItem(doc, it->item, 0, mark, it->skip);
        }
        int got = ReadItem(doc, it->item, it->skip + inPart, dst, to - from);
        if (got == Z_ERRNO) {
            // A handle on removable storage goes bad while the device sleeps: the raw layer's
            // seek reopens it (and tells the user if it cannot), then the part is read once more.
            SeekSource(doc, 0);
            EndGzCursor(z.cursor);
            if (FileIsOpen(doc.source))
                got = ReadItem(doc, it->item, it->skip + inPart, dst, to - from);
        }
        // An archive cut short or changed while it is open: its stream breaks off, or its
        // checksum differs. The block keeps the pre-fill, and the window says why.
        if (got < 0) RecordReadError(doc);
    }
}

uint32_t SampleEpub(Document& doc, uint8_t* buffer, uint32_t capacity) {
    ZipState* z = ZipOf(doc);
    if (!z || z->items.empty()) return 0;
    const int n = ReadItem(doc, 0, 0, buffer, capacity);
    return n > 0 ? static_cast<uint32_t>(n) : 0;
}

const FormatReader kZipReader = {OpenZipBook, ReadZipRawBlock, nullptr, ReleaseZip};
const FormatReader kEpubReader = {OpenEpubBook, ReadZipRawBlock, SampleEpub, ReleaseZip};

}  // namespace lectra
