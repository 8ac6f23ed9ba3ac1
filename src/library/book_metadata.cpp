// What a book says about itself: the FictionBook description, an EPUB's package metadata, an HTML
// title, each read from a bounded head and kept within fixed caps.
#include "library/book_metadata.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "document/document.h"
#include "document/formats/epub_package.h"
#include "document/formats/xml_tags.h"
#include "library/name_fold.h"
#include "platform/sys/code_pages.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

bool Space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The value of attribute `name` (matched after any namespace prefix, in any case), in single or
// double quotes; empty when absent.
std::string_view Attribute(std::string_view attrs, std::string_view name) {
    size_t at = 0;
    while (at < attrs.size()) {
        while (at < attrs.size() && (Space(attrs[at]) || attrs[at] == '/')) ++at;
        const size_t nameStart = at;
        while (at < attrs.size() && attrs[at] != '=' && !Space(attrs[at])) ++at;
        std::string_view key = attrs.substr(nameStart, at - nameStart);
        if (const size_t colon = key.rfind(':'); colon != key.npos) key.remove_prefix(colon + 1);
        while (at < attrs.size() && Space(attrs[at])) ++at;
        if (at >= attrs.size() || attrs[at] != '=') {
            if (at == nameStart) ++at;
            continue;
        }
        ++at;
        while (at < attrs.size() && Space(attrs[at])) ++at;
        std::string_view value;
        if (at < attrs.size() && (attrs[at] == '"' || attrs[at] == '\'')) {
            const size_t close = attrs.find(attrs[at], at + 1);
            if (close == attrs.npos) return {};
            value = attrs.substr(at + 1, close - at - 1);
            at = close + 1;
        } else {
            const size_t start = at;
            while (at < attrs.size() && !Space(attrs[at])) ++at;
            value = attrs.substr(start, at - start);
        }
        if (SameAscii(key, name)) return value;
    }
    return {};
}

// Markup text as one line: the five named references and numeric ones resolved, control
// characters (NUL included) and runs of white space as one space, cut at `cap` units without
// splitting a surrogate pair.
std::u16string CleanText(std::string_view utf8, size_t cap) {
    // Only so much of the bytes can matter: each unit comes from at least one byte, a reference
    // from at most a dozen.
    if (utf8.size() > cap * 12 + 64) utf8 = utf8.substr(0, cap * 12 + 64);
    // The references are resolved as an EPUB package's text is; "&nbsp;", which HTML heads use,
    // is a space here.
    std::string text(utf8);
    for (size_t at = text.find("&nbsp;"); at != std::string::npos; at = text.find("&nbsp;", at))
        text.replace(at, 6, " ");
    std::u16string out;
    for (char16_t c : EpubText(text)) {
        if (out.size() > cap) break;
        if (c < 0x20 || c == 0x7F || c == 0xA0) c = u' ';
        if (c == u' ' && (out.empty() || out.back() == u' ')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == u' ') out.pop_back();
    if (out.size() > cap) {
        out.resize(cap);
        if (out.back() >= 0xD800 && out.back() < 0xDC00) out.pop_back();
        while (!out.empty() && out.back() == u' ') out.pop_back();
    }
    return out;
}

// The text from `from` up to the next tag.
std::string_view TextAt(std::string_view xml, size_t from) {
    if (from > xml.size()) return {};
    const size_t close = xml.find('<', from);
    return xml.substr(from, (close == xml.npos ? xml.size() : close) - from);
}

// A series number as written ("3", "2.5", " 7 "); 0 for anything else, or a value out of reason.
double SeriesNumber(std::string_view text) {
    std::string s(text.substr(0, 32));
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || !(v > 0 && v < 1e9)) return 0;
    return v;
}

struct EncodingName {
    std::string_view name;
    int codePage;
};
constexpr EncodingName kEncodings[] = {
    {"utf-8", kCodePageUtf8}, {"utf8", kCodePageUtf8}, {"us-ascii", kCodePageUtf8},
    {"windows-1251", 1251},   {"cp1251", 1251},        {"win-1251", 1251},
    {"koi8-r", 20866},        {"koi8-u", 21866},       {"cp866", 866},
    {"ibm866", 866},          {"iso-8859-5", 28595},   {"windows-1252", 1252},
    {"iso-8859-1", 1252},     {"latin1", 1252},        {"utf-16", kCodePageUtf16},
};

// The value after `key` ("encoding", "charset") in the first `window` bytes, matched in any
// case; empty when none.
std::string_view DeclaredName(std::string_view head, std::string_view key) {
    const std::string_view window = head.substr(0, 4096);
    for (size_t i = 0; i + key.size() < window.size(); ++i) {
        if (!SameAscii(window.substr(i, key.size()), key)) continue;
        size_t k = i + key.size();
        while (k < window.size() && Space(window[k])) ++k;
        if (k >= window.size() || window[k] != '=') continue;
        ++k;
        while (k < window.size() && (Space(window[k]) || window[k] == '"' || window[k] == '\''))
            ++k;
        const size_t start = k;
        while (k < window.size() && (std::isalnum(static_cast<unsigned char>(window[k])) ||
                                     window[k] == '-' || window[k] == '_')) {
            ++k;
        }
        return window.substr(start, k - start);
    }
    return {};
}

std::u16string Name(std::string_view text) {
    return CleanText(text, kMaxNameUnits);
}

}  // namespace

int HeadCodePage(std::string_view head) {
    if (head.size() >= 2 && static_cast<uint8_t>(head[0]) == 0xFF &&
        static_cast<uint8_t>(head[1]) == 0xFE) {
        return kCodePageUtf16;
    }
    if (head.size() >= 3 && head.starts_with("\xEF\xBB\xBF")) return kCodePageUtf8;
    for (std::string_view key : {std::string_view("encoding"), std::string_view("charset")}) {
        const std::string_view name = DeclaredName(head, key);
        for (const EncodingName& e : kEncodings) {
            if (!name.empty() && SameAscii(name, e.name)) return e.codePage;
        }
    }
    // A head cut in the middle of a character is still UTF-8.
    std::string_view sample = head.substr(0, 65536);
    size_t trim = 0;
    while (trim < 3 && trim < sample.size() &&
           (static_cast<uint8_t>(sample[sample.size() - 1 - trim]) & 0xC0) == 0x80) {
        ++trim;
    }
    if (trim < sample.size() && static_cast<uint8_t>(sample[sample.size() - 1 - trim]) >= 0xC0)
        ++trim;
    return IsUtf8(sample.substr(0, sample.size() - trim)) ? kCodePageUtf8 : 1251;
}

std::string HeadAsUtf8(std::string_view head, int codePage) {
    if (codePage == kCodePageUtf8) {
        if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
        return std::string(head);
    }
    if (codePage == kCodePageUtf16) {
        std::u16string wide;
        wide.reserve(head.size() / 2);
        for (size_t i = 2; i + 1 < head.size(); i += 2) {
            wide += static_cast<char16_t>(static_cast<uint8_t>(head[i]) |
                                          (static_cast<uint8_t>(head[i + 1]) << 8));
        }
        return Utf16ToUtf8(wide);
    }
    return Utf16ToUtf8(CodePageDecode(codePage, head));
}

int ReadFb2Meta(std::string_view head, BookMeta& meta) {
    meta = BookMeta{};
    // Only the description counts: the body's tags are never walked.
    if (const size_t end = head.find("</description>"); end != head.npos)
        head = head.substr(0, end);
    size_t at = 0;
    XmlTag tag;
    bool inTitleInfo = false, found = false, inAuthor = false, annotationRead = false;
    while (NextXmlTag(head, at, tag)) {
        if (!inTitleInfo) {
            if (tag.name == "title-info" && !tag.closing) inTitleInfo = found = true;
            continue;
        }
        if (tag.name == "title-info" && tag.closing) break;
        if (tag.closing) {
            if (tag.name == "author") inAuthor = false;
            continue;
        }
        const std::string_view text = tag.empty ? std::string_view() : TextAt(head, tag.end);
        if (tag.name == "author") {
            inAuthor = !tag.empty && meta.authors.size() < kMaxAuthors;
            if (inAuthor) meta.authors.emplace_back();
        } else if (inAuthor && tag.name == "first-name") {
            meta.authors.back().first = Name(text);
        } else if (inAuthor && tag.name == "middle-name") {
            meta.authors.back().middle = Name(text);
        } else if (inAuthor && tag.name == "last-name") {
            meta.authors.back().last = Name(text);
        } else if (inAuthor && tag.name == "nickname") {
            meta.authors.back().nickname = Name(text);
        } else if (tag.name == "book-title" && meta.title.empty()) {
            meta.title = Name(text);
        } else if (tag.name == "genre" && meta.genres.size() < kMaxGenres) {
            std::u16string genre = CleanText(text, kMaxShortUnits);
            if (!genre.empty()) meta.genres.push_back(std::move(genre));
        } else if (tag.name == "lang" && meta.language.empty()) {
            meta.language = CleanText(text, kMaxShortUnits);
        } else if (tag.name == "sequence" && meta.series.empty()) {
            meta.series = Name(Attribute(tag.attrs, "name"));
            if (!meta.series.empty())
                meta.seriesNumber = SeriesNumber(Attribute(tag.attrs, "number"));
        } else if (tag.name == "image" && meta.coverId.empty()) {
            std::string_view href = Attribute(tag.attrs, "href");
            if (href.starts_with("#")) href.remove_prefix(1);
            meta.coverId = CleanText(href, kMaxShortUnits);
        } else if (tag.name == "annotation" && !tag.empty && !annotationRead) {
            annotationRead = true;
            // Its paragraphs' text, the tags inside dropped, up to the annotation's end.
            size_t stop = head.find("</annotation", tag.end);
            if (stop == head.npos) stop = head.size();
            const std::string_view inner = head.substr(tag.end, stop - tag.end);
            std::string joined;
            bool inTag = false;
            for (size_t i = 0; i < inner.size() && joined.size() < kMaxAnnotationUnits * 4; ++i) {
                if (inner[i] == '<' || inner[i] == '>') {
                    inTag = inner[i] == '<';
                    joined += ' ';
                } else if (!inTag) {
                    joined += inner[i];
                }
            }
            meta.annotation = CleanText(joined, kMaxAnnotationUnits);
            at = std::max(at, stop);
        }
    }
    // An author with no name at all is no author.
    std::erase_if(meta.authors, [](const BookAuthor& a) {
        return a.first.empty() && a.middle.empty() && a.last.empty() && a.nickname.empty();
    });
    return found;
}

int ReadOpfMeta(std::string_view opf, BookMeta& meta) {
    meta = BookMeta{};
    struct Creator {
        BookAuthor author;
        std::string_view id;
        std::string_view role;
    };
    std::vector<Creator> creators;
    std::string_view collectionId, coverMetaId;
    std::u16string collection;
    double collectionNumber = 0;
    std::u16string calibreSeries;
    double calibreNumber = 0;
    // Refinements of EPUB 3 name their subject by id; they are read after the subject, so the
    // values wait here until the walk ends.
    struct Refine {
        std::string_view about;
        std::string_view property;
        std::string_view value;
    };
    std::vector<Refine> refines;
    size_t at = 0;
    XmlTag tag;
    bool inMetadata = false, found = false;
    while (NextXmlTag(opf, at, tag)) {
        if (tag.name == "metadata") {
            if (tag.closing) break;
            inMetadata = found = true;
            continue;
        }
        if (!inMetadata || tag.closing) {
            if (tag.name == "manifest" && !tag.closing) break;
            continue;
        }
        const std::string_view text = tag.empty ? std::string_view() : TextAt(opf, tag.end);
        if (tag.name == "title" && meta.title.empty()) {
            meta.title = Name(text);
        } else if (tag.name == "creator" && creators.size() < kMaxAuthors * 2) {
            Creator c;
            c.author.last = Name(text);  // as written; split below
            c.author.fileAs = Name(Attribute(tag.attrs, "file-as"));
            c.id = Attribute(tag.attrs, "id");
            c.role = Attribute(tag.attrs, "role");
            if (!c.author.last.empty()) creators.push_back(std::move(c));
        } else if (tag.name == "language" && meta.language.empty()) {
            meta.language = CleanText(text, kMaxShortUnits);
        } else if (tag.name == "subject" && meta.genres.size() < kMaxGenres) {
            std::u16string genre = CleanText(text, kMaxShortUnits);
            if (!genre.empty()) meta.genres.push_back(std::move(genre));
        } else if (tag.name == "description" && meta.annotation.empty()) {
            meta.annotation = CleanText(text, kMaxAnnotationUnits);
        } else if (tag.name == "meta") {
            const std::string_view name = Attribute(tag.attrs, "name");
            const std::string_view content = Attribute(tag.attrs, "content");
            const std::string_view property = Attribute(tag.attrs, "property");
            const std::string_view refinesId = Attribute(tag.attrs, "refines");
            if (name == "calibre:series") {
                calibreSeries = Name(content);
            } else if (name == "calibre:series_index") {
                calibreNumber = SeriesNumber(content);
            } else if (name == "cover") {
                coverMetaId = content;
            } else if (property == "belongs-to-collection" && refinesId.empty() &&
                       collection.empty()) {
                collection = Name(text);
                collectionId = Attribute(tag.attrs, "id");
            } else if (!refinesId.empty() && refines.size() < 4 * kMaxAuthors) {
                refines.push_back(
                    {refinesId.starts_with("#") ? refinesId.substr(1) : refinesId, property, text});
            }
        }
    }
    for (const Refine& r : refines) {
        if (!collectionId.empty() && r.about == collectionId && r.property == "group-position")
            collectionNumber = SeriesNumber(r.value);
        for (Creator& c : creators) {
            if (c.id.empty() || r.about != c.id) continue;
            if (r.property == "role") c.role = r.value;
            if (r.property == "file-as") c.author.fileAs = Name(r.value);
        }
    }
    // The book's authors: creators without a role or with the author's; others (illustrators,
    // editors) only when nobody is named as an author.
    bool anyAuthor = false;
    for (const Creator& c : creators) anyAuthor |= c.role.empty() || c.role == "aut";
    for (Creator& c : creators) {
        if (anyAuthor && !(c.role.empty() || c.role == "aut")) continue;
        if (meta.authors.size() >= kMaxAuthors) break;
        // The name as written: the last word is taken as the last name, the rest as the first.
        BookAuthor a;
        a.fileAs = c.author.fileAs;
        const std::u16string& whole = c.author.last;
        const size_t space = whole.rfind(u' ');
        if (space == whole.npos) {
            a.last = whole;
        } else {
            a.first = whole.substr(0, space);
            a.last = whole.substr(space + 1);
        }
        meta.authors.push_back(std::move(a));
    }
    if (!collection.empty()) {
        meta.series = collection;
        meta.seriesNumber = collectionNumber;
    } else if (!calibreSeries.empty()) {
        meta.series = calibreSeries;
        meta.seriesNumber = calibreNumber;
    }
    // The cover: the item that a "cover" meta names, or the one whose properties say so.
    if (found) {
        at = 0;
        while (NextXmlTag(opf, at, tag)) {
            if (tag.closing || tag.name != "item") continue;
            const std::string_view id = Attribute(tag.attrs, "id");
            const std::string_view properties = Attribute(tag.attrs, "properties");
            if ((!coverMetaId.empty() && id == coverMetaId) ||
                properties.find("cover-image") != properties.npos) {
                meta.coverId = CleanText(Attribute(tag.attrs, "href"), kMaxNameUnits);
                break;
            }
        }
    }
    return found;
}

int ReadHtmlMeta(std::string_view head, BookMeta& meta) {
    meta = BookMeta{};
    size_t at = 0;
    XmlTag tag;
    while (NextXmlTag(head, at, tag)) {
        if (tag.closing) continue;
        if (SameAscii(tag.name, "body")) break;
        // The language of the page: lang or xml:lang of the root.
        if (SameAscii(tag.name, "html") && meta.language.empty())
            meta.language = CleanText(Attribute(tag.attrs, "lang"), kMaxShortUnits);
        if (SameAscii(tag.name, "title") && !tag.empty) {
            meta.title = Name(TextAt(head, tag.end));
            return !meta.title.empty();
        }
    }
    return 0;
}

std::u16string AuthorName(const BookAuthor& a) {
    std::u16string name;
    for (const std::u16string* part : {&a.first, &a.middle, &a.last}) {
        if (part->empty()) continue;
        if (!name.empty()) name += u' ';
        name += *part;
    }
    return name.empty() ? a.nickname : name;
}

std::u16string AuthorSortKey(const BookAuthor& a) {
    if (!a.fileAs.empty()) {
        std::u16string key = a.fileAs;
        std::erase(key, u',');
        return FoldName(key);
    }
    std::u16string key;
    for (const std::u16string* part : {&a.last, &a.first, &a.middle}) {
        if (part->empty()) continue;
        if (!key.empty()) key += u' ';
        key += *part;
    }
    return FoldName(key.empty() ? a.nickname : key);
}

std::u16string TitleFromName(std::u16string_view name) {
    if (const size_t slash = name.rfind(u'/'); slash != name.npos) name.remove_prefix(slash + 1);
    // Drop up to two known-looking extensions: "book.fb2.zip" → "book".
    for (int i = 0; i < 2; ++i) {
        const size_t dot = name.rfind(u'.');
        if (dot == name.npos || dot == 0 || name.size() - dot > 5) break;
        name = name.substr(0, dot);
    }
    std::u16string title;
    for (char16_t c : name) title += (c == u'_' || c < 0x20) ? u' ' : c;
    return CleanText(Utf16ToUtf8(title), kMaxNameUnits);
}

}  // namespace lectra
