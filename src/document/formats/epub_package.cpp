// The XML files of an EPUB that say what the book is: the container's package path, the
// package's title and spine, and the encryption list.
#include "document/formats/epub_package.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "document/formats/href_path.h"
#include "document/formats/xml_tags.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

// The value of attribute `name` (no namespace prefix, in single or double quotes); empty when
// absent.
std::string_view Attribute(std::string_view attrs, std::string_view name) {
    size_t at = 0;
    while ((at = attrs.find(name, at)) != attrs.npos) {
        const size_t after = at + name.size();
        const bool startsName = at == 0 || attrs[at - 1] == ' ' || attrs[at - 1] == '\t' ||
                                attrs[at - 1] == '\n' || attrs[at - 1] == '\r' ||
                                attrs[at - 1] == ':';
        size_t k = after;
        while (k < attrs.size() && (attrs[k] == ' ' || attrs[k] == '\n' || attrs[k] == '\r')) ++k;
        if (startsName && k < attrs.size() && attrs[k] == '=') {
            ++k;
            while (k < attrs.size() && (attrs[k] == ' ' || attrs[k] == '\n' || attrs[k] == '\r'))
                ++k;
            if (k < attrs.size() && (attrs[k] == '"' || attrs[k] == '\'')) {
                const size_t close = attrs.find(attrs[k], k + 1);
                if (close == attrs.npos) return {};
                return attrs.substr(k + 1, close - k - 1);
            }
        }
        at = after;
    }
    return {};
}

void AppendCodePoint(std::u16string& out, uint32_t c) {
    // One unit per character: a character beyond the first plane is shown as U+FFFD, as the
    // text of the book would be.
    out += (c == 0 || c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) ? u'\uFFFD'
                                                                  : static_cast<char16_t>(c);
}

// XML text with its five named references and numeric ones (decimal and hexadecimal) resolved.
std::u16string XmlText(std::string_view text) {
    std::u16string decoded = Utf8ToUtf16(text);
    std::u16string out;
    static constexpr struct {
        std::u16string_view name;
        char16_t c;
    } kNamed[] = {
        {u"amp;", u'&'}, {u"lt;", u'<'}, {u"gt;", u'>'}, {u"quot;", u'"'}, {u"apos;", u'\''}};
    for (size_t i = 0; i < decoded.size(); ++i) {
        const char16_t c = decoded[i];
        if (c != u'&') {
            out += c;
            continue;
        }
        const std::u16string_view rest = std::u16string_view(decoded).substr(i + 1);
        bool done = false;
        for (const auto& n : kNamed) {
            if (rest.starts_with(n.name)) {
                out += n.c;
                i += n.name.size();
                done = true;
                break;
            }
        }
        if (!done && rest.starts_with(u"#")) {
            const bool hex = rest.size() > 1 && (rest[1] == u'x' || rest[1] == u'X');
            size_t k = hex ? 2 : 1;
            uint32_t value = 0;
            while (k < rest.size() && k < 10) {
                const char16_t d = rest[k];
                int digit = -1;
                if (d >= u'0' && d <= u'9') digit = d - u'0';
                if (hex && d >= u'a' && d <= u'f') digit = d - u'a' + 10;
                if (hex && d >= u'A' && d <= u'F') digit = d - u'A' + 10;
                if (digit < 0) break;
                value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
                ++k;
            }
            if (k < rest.size() && rest[k] == u';' && k > (hex ? 2u : 1u)) {
                AppendCodePoint(out, value);
                i += k + 1;
                done = true;
            }
        }
        if (!done) out += c;
    }
    return out;
}

std::u16string CollapseSpace(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
        if (space) {
            if (!out.empty() && out.back() != u' ') out += u' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == u' ') out.pop_back();
    return out;
}

// An href of the package as an archive path: the fragment dropped, percent escapes and the
// named references undone, "." and ".." resolved against `base` (the package's folder). A path
// that climbs above the archive's root gives an empty string.
std::string ResolveHref(std::string_view base, std::string_view href) {
    href = href.substr(0, href.find('#'));
    // The package is XML read as written, so "&amp;" in an attribute still stands for "&".
    std::string unescaped;
    for (size_t i = 0; i < href.size(); ++i) {
        unescaped += href[i];
        if (href.substr(i).starts_with("&amp;")) i += 4;
    }
    const std::string raw = PercentDecode(unescaped);
    std::string path;
    if (raw.empty() || raw[0] == '/' || !ResolveDotSegments(std::string(base) + raw, 0, path))
        return {};
    return path;
}

struct ManifestItem {
    std::string_view id;
    std::string_view href;
    std::string_view mediaType;
    std::string_view properties;
};

bool HasWord(std::string_view list, std::string_view word) {
    size_t at = 0;
    while ((at = list.find(word, at)) != list.npos) {
        const size_t end = at + word.size();
        if ((at == 0 || list[at - 1] == ' ') && (end == list.size() || list[end] == ' '))
            return true;
        at = end;
    }
    return false;
}

std::string_view Folder(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == path.npos ? std::string_view() : path.substr(0, slash + 1);
}

// A link's text: what lies between the tag that ends at `from` and the closing tag `closer`, other
// tags taken as spaces. Looked for in a bounded window, so that a hundred thousand links never
// closed cost no more than their own bytes each.
std::u16string LinkText(std::string_view xml, size_t from, std::string_view closer) {
    constexpr size_t kWindow = 4096;
    const std::string_view window = xml.substr(std::min(from, xml.size()), kWindow);
    const size_t close = window.find(closer);
    const std::string_view inner = window.substr(0, close == window.npos ? 0 : close);
    std::string text;
    bool inTag = false;
    for (char c : inner) {
        if (c == '<') inTag = true;
        if (!inTag) text += c;
        if (c == '>') {
            inTag = false;
            text += ' ';
        }
    }
    std::u16string title = CollapseSpace(XmlText(text));
    if (title.size() > 200) title.resize(200);
    return title;
}

// A navigation entry for `href`, or none (a link to nowhere, outside the archive, or to the
// navigation itself).
bool MakePoint(std::string_view folder, std::string_view href, std::u16string title, int32_t depth,
               EpubNavPoint& point) {
    point.path = ResolveHref(folder, href);
    if (point.path.empty() || title.empty()) return false;
    const size_t hash = href.find('#');
    point.fragment =
        hash == href.npos ? std::string() : std::string(href.substr(hash + 1, kMaxNavFragment + 1));
    if (point.fragment.size() > kMaxNavFragment) point.fragment.clear();
    point.title = std::move(title);
    point.depth = depth;
    return true;
}

}  // namespace

std::string EpubRootFile(std::string_view containerXml) {
    size_t at = 0;
    XmlTag tag;
    while (NextXmlTag(containerXml, at, tag)) {
        if (tag.closing || tag.name != "rootfile") continue;
        const std::string_view path = Attribute(tag.attrs, "full-path");
        if (!path.empty()) return ResolveHref("", path);
    }
    return {};
}

int ParseEpubPackage(std::string_view opf, std::string_view opfPath, EpubPackage& package) {
    package = EpubPackage{};
    const size_t slash = opfPath.rfind('/');
    const std::string_view base = slash == opfPath.npos ? "" : opfPath.substr(0, slash + 1);
    std::vector<ManifestItem> manifest;
    std::vector<std::string_view> spine;
    bool sawSpine = false, haveTitle = false;
    std::string_view ncxId;
    size_t at = 0;
    XmlTag tag;
    while (NextXmlTag(opf, at, tag)) {
        if (tag.closing) continue;
        if (tag.name == "title" && !haveTitle) {
            const size_t close = opf.find('<', tag.end);
            if (close == opf.npos) break;
            package.title = CollapseSpace(XmlText(opf.substr(tag.end, close - tag.end)));
            // A title is a line of the book, not a chapter: a runaway one is cut.
            if (package.title.size() > 256) package.title.resize(256);
            haveTitle = true;
        } else if (tag.name == "item") {
            manifest.push_back({Attribute(tag.attrs, "id"), Attribute(tag.attrs, "href"),
                                Attribute(tag.attrs, "media-type"),
                                Attribute(tag.attrs, "properties")});
        } else if (tag.name == "spine") {
            sawSpine = true;
            ncxId = Attribute(tag.attrs, "toc");
        } else if (tag.name == "itemref") {
            spine.push_back(Attribute(tag.attrs, "idref"));
        }
    }
    if (!sawSpine || manifest.empty()) return 0;
    // Looked up by id, the first item of an id winning: a hostile package may hold a hundred
    // thousand of each.
    std::unordered_map<std::string_view, size_t> byId;
    for (size_t i = 0; i < manifest.size(); ++i) byId.emplace(manifest[i].id, i);
    for (const ManifestItem& item : manifest) {
        if (package.navPath.empty() && HasWord(item.properties, "nav"))
            package.navPath = ResolveHref(base, item.href);
        if (package.ncxPath.empty() && item.mediaType == "application/x-dtbncx+xml")
            package.ncxPath = ResolveHref(base, item.href);
    }
    if (const auto it = byId.find(ncxId); !ncxId.empty() && it != byId.end())
        package.ncxPath = ResolveHref(base, manifest[it->second].href);
    // Spine entries may name places inside one document ("ch1.xhtml#o8"): the document is read
    // once, at its first place.
    std::unordered_set<std::string> seen;
    for (std::string_view idref : spine) {
        const auto it = byId.find(idref);
        if (idref.empty() || it == byId.end()) continue;
        const ManifestItem& item = manifest[it->second];
        if (item.mediaType == "application/xhtml+xml" || item.mediaType == "text/html") {
            std::string path = ResolveHref(base, item.href);
            if (!path.empty() && seen.insert(path).second) package.spine.push_back(std::move(path));
        }
    }
    return 1;
}

std::vector<EpubNavPoint> ParseEpubNav(std::string_view xhtml, std::string_view navPath) {
    std::vector<EpubNavPoint> points;
    const std::string_view folder = Folder(navPath);
    // The table of contents' nav; the first nav when none says so.
    size_t start = xhtml.npos, at = 0;
    XmlTag tag;
    while (NextXmlTag(xhtml, at, tag)) {
        if (tag.closing || tag.name != "nav") continue;
        if (start == xhtml.npos) start = tag.end;
        if (HasWord(Attribute(tag.attrs, "type"), "toc")) {
            start = tag.end;
            break;
        }
    }
    if (start == xhtml.npos) return points;
    at = start;
    int32_t lists = 0, navs = 1;
    while (points.size() < kMaxNavPoints && NextXmlTag(xhtml, at, tag)) {
        if (tag.name == "nav") {
            navs += tag.closing ? -1 : 1;
            if (navs == 0) break;
        } else if (tag.name == "ol" || tag.name == "ul") {
            if (tag.closing && lists > 0) --lists;
            if (!tag.closing && lists < INT32_MAX) ++lists;
        } else if (tag.name == "a" && !tag.closing) {
            EpubNavPoint point;
            if (MakePoint(folder, Attribute(tag.attrs, "href"), LinkText(xhtml, tag.end, "</a>"),
                          std::max<int32_t>(lists - 1, 0), point)) {
                points.push_back(std::move(point));
            }
        }
    }
    return points;
}

std::vector<EpubNavPoint> ParseEpubNcx(std::string_view ncx, std::string_view ncxPath) {
    std::vector<EpubNavPoint> points;
    const std::string_view folder = Folder(ncxPath);
    int32_t depth = 0;
    bool inMap = false;
    std::u16string label;
    size_t at = 0;
    XmlTag tag;
    while (points.size() < kMaxNavPoints && NextXmlTag(ncx, at, tag)) {
        if (tag.name == "navMap") {
            inMap = !tag.closing;
        } else if (!inMap) {
            continue;
        } else if (tag.name == "navPoint") {
            if (tag.closing && depth > 0) --depth;
            if (!tag.closing && depth < INT32_MAX) ++depth;
            label.clear();
        } else if (tag.name == "text" && !tag.closing && label.empty()) {
            label = LinkText(ncx, tag.end, "</");
        } else if (tag.name == "content" && !tag.closing) {
            EpubNavPoint point;
            if (MakePoint(folder, Attribute(tag.attrs, "src"), label,
                          std::max<int32_t>(depth - 1, 0), point)) {
                points.push_back(std::move(point));
            }
            label.clear();
        }
    }
    return points;
}

std::u16string EpubText(std::string_view xml) {
    return CollapseSpace(XmlText(xml));
}

std::vector<std::string> EpubEncryptedPaths(std::string_view encryptionXml) {
    std::vector<std::string> paths;
    size_t at = 0;
    XmlTag tag;
    while (NextXmlTag(encryptionXml, at, tag)) {
        if (tag.closing || tag.name != "CipherReference") continue;
        std::string path = ResolveHref("", Attribute(tag.attrs, "URI"));
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace lectra
