// TCR books: the 256-phrase dictionary and a one-pass index of where each raw block of the
// expanded text starts in the body, so that any raw block is expanded straight from the file.
#pragma once
#include <cstdint>
#include <vector>

#include "document/document.h"
#include "document/format_table.h"

namespace lectra {

// Where raw block b begins: the code whose phrase holds the block's first byte, and how many
// bytes of that phrase belong to the block before.
struct TcrBlockStart {
    uint32_t codeOffset = 0;
    uint32_t skip = 0;
};

struct TcrState : ReaderState {
    uint8_t length[256] = {};
    uint8_t phrase[256][255] = {};
    uint32_t bodyOffset = 0;  // file offset of the first code byte
    uint32_t bodyEnd = 0;     // and past the last one the open pass read
    std::vector<TcrBlockStart> blocks;
    // Some line of the text begins with a tab (after spaces or controls, if any): the book marks
    // its paragraphs so, and a line that begins with text is a title. Found by the open pass.
    int tabIndents = 0;
};

// The expanded text is cut here, as the text cache can show no more units than this.
constexpr uint32_t kTcrMaxExpanded = 1u << 27;

// The open step for FormatKind 8: loads the dictionary, scans the body once to index every raw
// block and sets SourceSize to the expanded length. 0 refuses with "Bad Format!".
int OpenTcr(Document& doc);
void ReadTcrRawBlock(Document& doc, uint32_t offset, uint8_t* block);
// The start of the expanded text, for code-page detection.
uint32_t SampleTcr(Document& doc, uint8_t* buffer, uint32_t capacity);
// The open book's TCR state; null when another reader opened the book.
TcrState* TcrOf(const Document& doc);

extern const FormatReader kTcrReader;

}  // namespace lectra
