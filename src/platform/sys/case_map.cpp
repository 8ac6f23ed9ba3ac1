// Letter case of UTF-16 units: the one-to-one mappings of the Basic Multilingual Plane, from a
// generated table, independent of the process's locale.
#include "platform/sys/case_map.h"

#include <algorithm>

namespace lectra {

namespace {

struct CasePair {
    char16_t from;
    char16_t to;
};

#include "platform/sys/case_table.inc"

template <size_t N>
char16_t Map(const CasePair (&table)[N], char16_t unit) {
    const CasePair* end = table + N;
    const CasePair* at = std::lower_bound(table, end, unit,
                                          [](const CasePair& p, char16_t u) { return p.from < u; });
    return at != end && at->from == unit ? at->to : unit;
}

}  // namespace

char16_t LowerCase(char16_t unit) {
    if (unit < 0x80) return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
    return Map(kToLower, unit);
}

char16_t UpperCase(char16_t unit) {
    if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
    return Map(kToUpper, unit);
}

}  // namespace lectra
