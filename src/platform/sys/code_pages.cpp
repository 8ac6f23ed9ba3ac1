// Single-byte code pages: looks up the generated tables to decode bytes 128–255 and to encode.
#include "platform/sys/code_pages.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace lectra {

namespace {

struct CodePageReverseEntry {
    char16_t unit;
    uint8_t byte;
};

struct CodePageTable {
    int id;
    char16_t high[128];
    const CodePageReverseEntry* reverse;  // sorted by unit
    size_t reverseCount;
};

// Regenerate with tools/gen_code_pages.py.
#include "code_page_tables.inc"

const CodePageTable* FindTable(int codePage) {
    for (const CodePageTable& table : kCodePageTables) {
        if (table.id == codePage) return &table;
    }
    return nullptr;
}

// Non-ASCII units only; `table` may be null (unknown code page).
uint8_t LookUpByte(const CodePageTable* table, char16_t unit, uint8_t fallback) {
    if (table == nullptr) return fallback;
    const CodePageReverseEntry* begin = table->reverse;
    const CodePageReverseEntry* end = begin + table->reverseCount;
    const CodePageReverseEntry* it = std::lower_bound(
        begin, end, unit,
        [](const CodePageReverseEntry& entry, char16_t u) { return entry.unit < u; });
    return it != end && it->unit == unit ? it->byte : fallback;
}

}  // namespace

int CodePageHighHalf(int codePage, char16_t high[128]) {
    const CodePageTable* table = FindTable(codePage);
    if (table == nullptr) return 0;
    std::copy(std::begin(table->high), std::end(table->high), high);
    return 1;
}

int CodePageKnown(int codePage) {
    return FindTable(codePage) != nullptr ? 1 : 0;
}

uint8_t CodePageEncodeChar(int codePage, char16_t unit, uint8_t fallback) {
    if (unit < 0x80) return static_cast<uint8_t>(unit);
    return LookUpByte(FindTable(codePage), unit, fallback);
}

int CodePageEncode(int codePage, std::u16string_view text, std::string& out) {
    const CodePageTable* table = FindTable(codePage);
    out.clear();
    out.reserve(text.size());
    // One byte per UTF-16 unit, so offsets carry over; a surrogate pair has no byte in any of
    // these code pages and becomes "??".
    for (char16_t unit : text) {
        uint8_t byte = unit < 0x80 ? static_cast<uint8_t>(unit) : LookUpByte(table, unit, '?');
        out += static_cast<char>(byte);
    }
    return table != nullptr ? 1 : 0;
}

std::u16string CodePageDecode(int codePage, std::string_view bytes) {
    char16_t high[128];
    for (int i = 0; i < 128; ++i) high[i] = static_cast<char16_t>(0x80 + i);
    CodePageHighHalf(codePage, high);
    std::u16string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        text += b < 0x80 ? static_cast<char16_t>(b) : high[b - 0x80];
    }
    return text;
}

}  // namespace lectra
