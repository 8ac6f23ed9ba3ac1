// The book's pictures: anchors gathered on the open's indexing pass beside the stream, names
// resolved when the pass ends, and a picture's bytes read (its base64 decoded) only when asked.
#include "document/pictures.h"

#include <algorithm>

#include "document/encoding.h"
#include "document/format_table.h"
#include "document/formats/href_path.h"
#include "document/formats/xml_tags.h"
#include "document/formats/zip_reader.h"
#include "document/markup_filter.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

template <typename Char>
Char LowerAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + 32) : c;
}

template <typename Char>
bool IsSpace(Char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether `name` is `lower` in any case, ASCII only.
template <typename Char>
bool SameName(std::basic_string_view<Char> name, std::string_view lower) {
    if (name.size() != lower.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (LowerAscii(name[i]) != static_cast<Char>(lower[i])) return false;
    }
    return true;
}

template <typename Char>
std::basic_string_view<Char> LocalName(std::basic_string_view<Char> name) {
    const size_t colon = name.rfind(Char(':'));
    return colon == name.npos ? name : name.substr(colon + 1);
}

// The element's local name in a tag's text ("l:image" gives "image"); the "/" of a closing tag
// is left to the caller.
std::u16string_view ElementName(std::u16string_view tag) {
    size_t n = 0;
    while (n < tag.size() && !IsSpace(tag[n]) && tag[n] != u'/' && tag[n] != u'>') ++n;
    return LocalName(tag.substr(0, n));
}

// The value of the first attribute of `tag` (the text after "<") whose local name is `lower` in
// any case: "l:href", "xlink:href" and "href" are all "href". Empty when there is none.
template <typename Char>
std::basic_string_view<Char> Attribute(std::basic_string_view<Char> tag, std::string_view lower) {
    size_t i = 0;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>') ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
        if (i >= tag.size() || tag[i] == '>') break;
        const size_t nameAt = i;
        while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '>') ++i;
        const auto name = tag.substr(nameAt, i - nameAt);
        while (i < tag.size() && IsSpace(tag[i])) ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && IsSpace(tag[i])) ++i;
        if (i >= tag.size()) break;
        size_t valueAt = i, valueEnd;
        if (tag[i] == '"' || tag[i] == '\'') {
            const Char quote = tag[i];
            valueAt = i + 1;
            valueEnd = tag.find(quote, valueAt);
            if (valueEnd == tag.npos) return {};
            i = valueEnd + 1;
        } else {
            while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>') ++i;
            valueEnd = i;
        }
        if (SameName(LocalName(name), lower)) return tag.substr(valueAt, valueEnd - valueAt);
    }
    return {};
}

// The tag's text as the source has it (the filters upper-case HTML and keep 256 units), read
// again from just after its "<"; empty when it is longer than kMaxPictureTag.
std::u16string OriginalTag(Document& doc, uint32_t from, uint32_t to) {
    std::u16string text;
    uint32_t offset = from;
    while (offset < to && offset < doc.sourceSize) {
        if (text.size() >= kMaxPictureTag) return {};
        text += ReadSourceChar(doc, offset);
    }
    return text;
}

void AddAnchor(Document& doc, int32_t position, int32_t source, std::u16string id = {}) {
    PictureTable& t = doc.pictures;
    if (static_cast<int>(t.anchors.size()) >= kMaxPictureAnchors) return;
    t.anchors.push_back({position, source});
    t.ids.push_back(std::move(id));
}

// The source named `name`, made when it is new; −1 when the table is full.
int32_t SourceFor(Document& doc, const std::u16string& name, PictureKind kind) {
    PictureTable& t = doc.pictures;
    if (const auto it = t.byName.find(name); it != t.byName.end()) return it->second;
    if (static_cast<int>(t.sources.size()) >= kMaxPictureSources) return -1;
    PictureSource s;
    s.kind = kind;
    s.name = name;
    t.sources.push_back(std::move(s));
    const auto index = static_cast<int32_t>(t.sources.size() - 1);
    t.byName.emplace(name, index);
    return index;
}

void Fb2Tag(Document& doc, std::u16string_view tag, int hidden, uint32_t tagStart,
            uint32_t tagEnd) {
    PictureTable& t = doc.pictures;
    const bool closing = !tag.empty() && tag[0] == u'/';
    const std::u16string_view name = ElementName(closing ? tag.substr(1) : tag);
    if (SameName(name, "coverpage")) {
        t.inCoverpage = !closing;
        return;
    }
    if (SameName(name, "binary")) {
        if (closing) {
            if (t.openBinary >= 0) t.sources[static_cast<size_t>(t.openBinary)].end = tagStart;
            t.openBinary = -1;
            return;
        }
        const std::u16string text = OriginalTag(doc, tagStart, tagEnd);
        const std::u16string_view id = Attribute(std::u16string_view(text), "id");
        if (id.empty() || id.size() > kMaxPictureName || t.byName.count(std::u16string(id))) return;
        if (static_cast<int>(t.sources.size()) >= kMaxPictureSources) return;
        const int32_t s = SourceFor(doc, std::u16string(id), PictureKind::kBase64);
        t.sources[static_cast<size_t>(s)].begin = tagEnd;
        t.openBinary = text.size() >= 2 && text[text.size() - 2] == u'/' ? -1 : s;
        return;
    }
    if (closing || !SameName(name, "image")) return;
    const bool cover = t.inCoverpage && hidden;
    if (hidden && !cover) return;
    if (cover && t.hasCover) return;
    const std::u16string text = OriginalTag(doc, tagStart, tagEnd);
    const std::u16string_view href = Attribute(std::u16string_view(text), "href");
    // Only a link into the book itself names a binary.
    if (href.size() < 2 || href[0] != u'#' || href.size() > kMaxPictureName) return;
    if (cover) t.hasCover = 1;
    AddAnchor(doc, cover ? 0 : t.passPosition, -1, std::u16string(href.substr(1)));
}

void HtmlTag(Document& doc, std::u16string_view tag, int hidden, uint32_t tagStart,
             uint32_t tagEnd) {
    PictureTable& t = doc.pictures;
    if (hidden || tag.empty() || tag[0] == u'/') return;
    const std::u16string_view name = ElementName(tag);
    const bool img = SameName(name, "img");
    if (!img && !SameName(name, "image")) return;
    const std::u16string text = OriginalTag(doc, tagStart, tagEnd);
    const std::u16string_view link = Attribute(std::u16string_view(text), img ? "src" : "href");
    if (link.empty() || link.size() > kMaxPictureName) return;
    // The base: the archive entry the tag stands in (an EPUB's spine item, a ZIP's book), else
    // the book's file.
    if (const ZipState* z = ZipOf(doc)) {
        const ZipPart* part = nullptr;
        for (const ZipPart& p : z->parts) {
            if (p.start <= tagStart && tagStart - p.start < p.size) part = &p;
        }
        if (!part || part->item < 0 || static_cast<size_t>(part->item) >= z->items.size()) return;
        const size_t entry = z->items[static_cast<size_t>(part->item)].entry;
        if (entry >= z->directory.entries.size()) return;
        const std::u16string path = ResolvePicturePath(z->directory.entries[entry].name, link, 1);
        if (path.empty()) return;
        if (part->item == 0 && !t.epubCover.empty() && path == t.epubCover) t.coverShown = 1;
        const int32_t s = SourceFor(doc, path, PictureKind::kArchive);
        if (s >= 0) AddAnchor(doc, t.passPosition, s);
        return;
    }
    const std::u16string path = ResolvePicturePath(doc.bookPath, link, 0);
    if (path.empty()) return;
    const int32_t s = SourceFor(doc, path, PictureKind::kFile);
    if (s >= 0) AddAnchor(doc, t.passPosition, s);
}

// Base64 digits (the URL-safe ones too) by character: their value, kSkip for white space, kPad
// for "=", kStop for the "<" of the closing tag, kBad for anything else.
constexpr int8_t kSkip = -2, kPad = -3, kStop = -4, kBad = -1;
struct Base64Table {
    int8_t value[128];
    constexpr Base64Table() : value() {
        for (int c = 0; c < 128; ++c) value[c] = kBad;
        for (int c = 0; c < 26; ++c) {
            value['A' + c] = static_cast<int8_t>(c);
            value['a' + c] = static_cast<int8_t>(26 + c);
        }
        for (int c = 0; c < 10; ++c) value['0' + c] = static_cast<int8_t>(52 + c);
        value['+'] = value['-'] = 62;
        value['/'] = value['_'] = 63;
        value[' '] = value['\t'] = value['\r'] = value['\n'] = kSkip;
        value['='] = kPad;
        value['<'] = kStop;
    }
};
constexpr Base64Table kBase64;

// The binary's base64 decoded, up to `limit` bytes; white space is allowed anywhere, anything
// else that is not base64 (or text after the padding) makes the picture damaged.
int DecodeBase64(Document& doc, uint32_t begin, uint32_t end, std::string& out, uint32_t limit) {
    if (end <= begin) return 0;
    const bool wide = doc.bookCodePage == kCodePageUtf16;
    const uint64_t chars = wide ? (end - begin) / 2 : end - begin;
    // Four characters give three bytes; a line break after every few dozen adds a little, a
    // sixteenth is far more than any writer adds.
    const uint64_t most = static_cast<uint64_t>(kMaxPictureBytes) / 3 * 4;
    if (chars > most + most / 16) return 0;
    out.reserve(static_cast<size_t>(std::min<uint64_t>(limit, chars / 4 * 3 + 3)));
    uint32_t acc = 0;
    int bits = 0;
    int padding = 0;
    uint32_t offset = begin;
    while (offset < end) {
        const char16_t c = wide ? ReadSourceChar(doc, offset) : ReadSourceByte(doc, offset++);
        const int v = c < 128 ? kBase64.value[c] : kBad;
        if (v == kStop) break;
        if (v == kPad) {
            ++padding;
            continue;
        }
        if (v == kSkip) continue;
        if (v < 0 || padding) return 0;
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((acc >> bits) & 0xFF));
            acc &= (1u << bits) - 1;
            // The whole picture asked for and more to come: it is beyond the largest read.
            if (out.size() >= limit) return limit < kMaxPictureBytes;
        }
    }
    return !out.empty();
}

std::string Utf8Of(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

}  // namespace

std::u16string ResolvePicturePath(std::u16string_view base, std::u16string_view link,
                                  int inArchive) {
    while (!link.empty() && IsSpace(link.front())) link.remove_prefix(1);
    while (!link.empty() && IsSpace(link.back())) link.remove_suffix(1);
    std::string raw = Utf8Of(link);
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '#' || raw[i] == '?') {
            raw.resize(i);
            break;
        }
        if (raw[i] == ':') {
            // A scheme ("http:", "data:", "file:") is not a path inside the book or beside it.
            const size_t slash = raw.find('/');
            if (slash == std::string::npos || slash > i) return {};
        }
    }
    const std::string decoded = PercentDecode(raw);
    if (decoded.empty()) return {};
    std::string joined;
    const bool absolute = decoded[0] == '/';
    if (!absolute) {
        const std::string folder = Utf8Of(base);
        const size_t slash = folder.rfind('/');
        if (slash != std::string::npos) joined = folder.substr(0, slash + 1);
    }
    joined += decoded;
    std::string rest;
    if (!ResolveDotSegments(joined, !inArchive, rest) || rest.empty()) return {};
    const std::string path = (!inArchive && joined[0] == '/' ? "/" : "") + rest;
    if (path.size() > kMaxPictureName * 3) return {};
    return Utf8ToUtf16(path, BadUtf8::kKeepBytes);
}

void StartPictures(Document& doc) {
    std::u16string cover = std::move(doc.pictures.epubCover);
    doc.pictures = PictureTable{};
    doc.pictures.epubCover = std::move(cover);
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    if (!readable || plan.pass != PassMode::kFiltered) return;
    doc.pictures.indexing = plan.passFilter == Fb2Filter || plan.passFilter == HtmlFilter ||
                            plan.passFilter == XhtmlFilter;
}

void GatherPictureElement(Document& doc, std::u16string_view tag, int html, int hidden,
                          uint32_t tagStart, uint32_t tagEnd) {
    if (html) {
        HtmlTag(doc, tag, hidden, tagStart, tagEnd);
    } else {
        Fb2Tag(doc, tag, hidden, tagStart, tagEnd);
    }
}

void FinishPictures(Document& doc) {
    PictureTable& t = doc.pictures;
    if (!t.indexing) {
        t = PictureTable{};
        return;
    }
    if (t.openBinary >= 0) t.sources[static_cast<size_t>(t.openBinary)].end = doc.sourceSize;
    // A FictionBook anchor names its binary by id; one that names none shows a frame.
    int32_t missing = -1;
    for (size_t i = 0; i < t.anchors.size(); ++i) {
        if (t.anchors[i].source >= 0) continue;
        const auto it = t.byName.find(t.ids[i]);
        if (it != t.byName.end() &&
            t.sources[static_cast<size_t>(it->second)].kind == PictureKind::kBase64) {
            t.anchors[i].source = it->second;
            continue;
        }
        if (missing < 0) {
            t.sources.emplace_back();
            missing = static_cast<int32_t>(t.sources.size() - 1);
        }
        t.anchors[i].source = missing;
    }
    // An EPUB's cover comes first, unless its first document shows it already.
    const ZipState* z = ZipOf(doc);
    if (z && !t.epubCover.empty()) {
        if (t.coverShown) {
            // The first document is the cover page: its picture opens the book, above any title
            // paragraph made from the package.
            for (PictureAnchor& a : t.anchors) {
                if (t.sources[static_cast<size_t>(a.source)].name == t.epubCover) {
                    a.position = 0;
                    break;
                }
            }
            t.hasCover = 1;
        } else if (const int32_t s = SourceFor(doc, t.epubCover, PictureKind::kArchive); s >= 0) {
            t.anchors.insert(t.anchors.begin(), PictureAnchor{0, s});
            if (static_cast<int>(t.anchors.size()) > kMaxPictureAnchors) t.anchors.pop_back();
            t.hasCover = 1;
        }
    }
    if (z) {
        std::unordered_map<std::u16string, int32_t> entries;
        for (size_t e = 0; e < z->directory.entries.size(); ++e)
            entries.emplace(z->directory.entries[e].name, static_cast<int32_t>(e));
        for (PictureSource& s : t.sources) {
            if (s.kind != PictureKind::kArchive) continue;
            const auto it = entries.find(s.name);
            if (it == entries.end()) {
                s.kind = PictureKind::kMissing;
            } else {
                s.entry = it->second;
            }
        }
        // A cover that the archive lacks is no cover.
        if (t.hasCover && !t.coverShown && !t.anchors.empty() &&
            t.sources[static_cast<size_t>(t.anchors[0].source)].kind == PictureKind::kMissing) {
            t.anchors.erase(t.anchors.begin());
            t.hasCover = 0;
        }
    }
    std::stable_sort(
        t.anchors.begin(), t.anchors.end(),
        [](const PictureAnchor& a, const PictureAnchor& b) { return a.position < b.position; });
    // A picture is shown once at its place: a FictionBook whose body opens with its cover's own
    // image would otherwise show the cover twice, one above the other.
    t.anchors.erase(std::unique(t.anchors.begin(), t.anchors.end(),
                                [](const PictureAnchor& a, const PictureAnchor& b) {
                                    return a.position == b.position && a.source == b.source &&
                                           a.source >= 0;
                                }),
                    t.anchors.end());
    t.indexing = 0;
    t.pictureKind = 1;
    t.ids = {};
    t.byName = {};
}

std::string EpubCoverPath(std::string_view opf, std::string_view opfPath) {
    std::string_view coverId, byProperty, byId;
    std::vector<std::pair<std::string_view, std::string_view>> items;
    size_t at = 0;
    XmlTag tag;
    while (NextXmlTag(opf, at, tag)) {
        if (tag.closing) continue;
        if (tag.name == "meta" && Attribute(tag.attrs, "name") == "cover") {
            if (coverId.empty()) coverId = Attribute(tag.attrs, "content");
        } else if (tag.name == "item") {
            const std::string_view href = Attribute(tag.attrs, "href");
            const std::string_view properties = Attribute(tag.attrs, "properties");
            if (byProperty.empty() && properties.find("cover-image") != std::string_view::npos)
                byProperty = href;
            if (items.size() < kMaxPictureSources)
                items.emplace_back(Attribute(tag.attrs, "id"), href);
        }
    }
    if (!coverId.empty()) {
        for (const auto& [id, href] : items) {
            if (id == coverId) {
                byId = href;
                break;
            }
        }
    }
    const std::string_view href = !byProperty.empty() ? byProperty : byId;
    if (href.empty()) return {};
    return Utf8Of(ResolvePicturePath(Utf8ToUtf16(opfPath), Utf8ToUtf16(href), 1));
}

int ReadPictureBytes(Document& doc, int32_t source, std::string& out, uint32_t limit) {
    out.clear();
    const std::vector<PictureSource>& sources = doc.pictures.sources;
    if (source < 0 || static_cast<size_t>(source) >= sources.size() || !doc.sourceIsOpen) return 0;
    limit = std::min(limit, kMaxPictureBytes);
    const PictureSource& s = sources[static_cast<size_t>(source)];
    switch (s.kind) {
        case PictureKind::kBase64:
            return DecodeBase64(doc, s.begin, s.end, out, limit);
        case PictureKind::kArchive: {
            const ZipState* z = ZipOf(doc);
            if (!z || s.entry < 0 || static_cast<size_t>(s.entry) >= z->directory.entries.size())
                return 0;
            const ZipEntry& e = z->directory.entries[static_cast<size_t>(s.entry)];
            if (e.size > kMaxPictureBytes || !ZipEntryReadable(e)) return 0;
            return ReadSmallZipEntry(doc.source, e, kMaxPictureBytes, out);
        }
        case PictureKind::kFile: {
            PlatformFile file;
            if (!FileOpenRead(file, s.name)) return 0;
            const int64_t size = FileSize(file);
            int ok = size > 0 && size <= static_cast<int64_t>(kMaxPictureBytes);
            if (ok) {
                out.resize(static_cast<size_t>(std::min<int64_t>(size, limit)));
                uint32_t got = 0;
                ok = FileRead(file, out.data(), static_cast<uint32_t>(out.size()), &got) &&
                     got == out.size();
            }
            FileClose(file);
            if (!ok) out.clear();
            return ok;
        }
        case PictureKind::kMissing:
            break;
    }
    return 0;
}

}  // namespace lectra
