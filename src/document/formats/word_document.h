// Word documents of four generations (Word for DOS, WinWord 2.0, Word 6.0/95, Word 97-2003): the
// File Information Block, the piece table, and raw blocks of the main text assembled from pieces.
#pragma once
#include <cstdint>
#include <vector>

#include "document/document.h"
#include "document/format_table.h"
#include "document/formats/compound_file.h"

namespace lectra {

// FIB flags the reader uses.
constexpr uint16_t kFibComplex = 0x0004;
constexpr uint16_t kFibEncrypted = 0x0100;
constexpr uint16_t kFibTableIs1Table = 0x0200;
constexpr uint16_t kFibExtendedChars = 0x1000;  // the text stream is 16-bit

// One entry of the piece table; the last entry holds only the end character position.
struct WordPiece {
    uint32_t cp = 0;  // first character position
    uint32_t fc = 0;  // byte offset of the piece's text in the text stream
    uint8_t is16Bit = 0;
};

struct WordState : ReaderState {
    CfbState cfb;
    int32_t wordStream = -1;   // the text stream: "WordDocument", or −1 for the file itself
    int32_t tableStream = -1;  // where the piece table is
    uint16_t fibFlags = 0;
    std::vector<WordPiece> pieces;
    // Character counts in FIB order: main text, footnotes, headers, macros, annotations, endnotes,
    // text boxes, header text boxes. Only the main text is shown.
    uint32_t ccp[8] = {};
};

// The open step of kind 10: recognises the generation and sets FormatKind (10–13), SourceSize
// and BookCodePage; a ".DOC" that is not Word becomes RTF (3) or plain text (0). 0 refuses the
// file, leaving OpenErrorText as the caller preset it.
int OpenWordDocument(Document& doc);

// Writes raw block (offset >> 13) of the main text into `block` (8192 bytes).
void ReadWordRawBlock(Document& doc, uint32_t offset, uint8_t* block);

// The open book's Word state; null when another reader opened the book.
WordState* WordOf(const Document& doc);

extern const FormatReader kWordReader;

}  // namespace lectra
