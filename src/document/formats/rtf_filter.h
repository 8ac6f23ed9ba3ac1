// The RTF filter: drops RTF syntax and turns control words, escapes and destinations into units.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

// What a row of the control-word table does.
enum RtfWordKind : uint8_t {
    kRtfEmit = 0,       // emits its character (0: nothing)
    kRtfSkipGroup = 2,  // the whole group that holds the word vanishes
};

struct RtfWord {
    RtfWordKind kind;
    char16_t emits;
    const char* name;  // upper case; a control word matches when it begins with the name
};

// The rows in the order they are tried.
extern const RtfWord kRtfWordTable[24];

// The filter of FormatKind 3 in single-byte code pages: `unit` was read just before `offset`.
int RtfFilter(Document& doc, char16_t& unit, uint32_t offset);

}  // namespace lectra
