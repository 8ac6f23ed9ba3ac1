// A pull reader over the tags of an XML text, shared by the readers of an EPUB's package files
// and of a book's description.
#pragma once
#include <cstddef>
#include <string_view>

namespace lectra {

struct XmlTag {
    std::string_view name;   // local name, without a namespace prefix, as written
    std::string_view attrs;  // the rest of the tag's text
    bool closing = false;
    bool empty = false;  // "<x/>"
    size_t end = 0;      // offset just after the ">"
};

// The next tag from `at` (moved past it): comments, processing instructions, declarations and
// CDATA sections are stepped over. Nothing is allocated; every step moves forward, so a malformed
// text ends the walk. Returns 0 when there is none.
int NextXmlTag(std::string_view xml, size_t& at, XmlTag& tag);

}  // namespace lectra
