// A pull reader over the tags of an XML text.
#include "document/formats/xml_tags.h"

namespace lectra {

int NextXmlTag(std::string_view xml, size_t& at, XmlTag& tag) {
    for (;;) {
        const size_t open = xml.find('<', at);
        if (open == xml.npos) return 0;
        const std::string_view rest = xml.substr(open);
        std::string_view closer = ">";
        if (rest.starts_with("<!--")) closer = "-->";
        if (rest.starts_with("<![CDATA[")) closer = "]]>";
        const size_t close = xml.find(closer, open + 1);
        if (close == xml.npos) return 0;
        at = close + closer.size();
        if (rest.size() < 2 || rest[1] == '!' || rest[1] == '?') continue;
        std::string_view text = xml.substr(open + 1, close - open - 1);
        tag.closing = !text.empty() && text[0] == '/';
        if (tag.closing) text.remove_prefix(1);
        tag.empty = !text.empty() && text.back() == '/';
        size_t n = 0;
        while (n < text.size() && text[n] != ' ' && text[n] != '\t' && text[n] != '\r' &&
               text[n] != '\n' && text[n] != '/') {
            ++n;
        }
        tag.name = text.substr(0, n);
        if (const size_t colon = tag.name.rfind(':'); colon != tag.name.npos)
            tag.name.remove_prefix(colon + 1);
        tag.attrs = text.substr(n);
        tag.end = at;
        return 1;
    }
}

}  // namespace lectra
