// Books inside ZIP archives and EPUB books: the open steps that choose the entries and index
// them, and raw blocks of the decompressed text (an EPUB's spine items one after another).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/format_table.h"
#include "document/formats/gz_index.h"
#include "document/formats/zip_directory.h"

namespace lectra {

// One entry read as text: where its data is, and its access points when it is deflated.
struct ZipItem {
    size_t entry = 0;
    uint64_t data = 0;
    GzIndex index;
    // The CRC-32 of the item's bytes read so far in one run from its start, and where that run
    // stands: a read at 0 starts it again, a read reaching its end carries it on, so that paging
    // through the item checks it as the open did.
    uint64_t checked = 0;
    uint32_t crc = 0;
};

// A stretch of the raw layer: bytes of an item (from `skip` on, past a byte-order mark), or of
// the made-up title paragraph when `item` is −1.
struct ZipPart {
    uint32_t start = 0;
    uint32_t size = 0;
    int32_t item = -1;
    uint32_t skip = 0;
};

struct ZipState : ReaderState {
    ZipDirectory directory;
    std::vector<ZipItem> items;
    std::vector<ZipPart> parts;
    std::string title;  // the title paragraph's bytes
    // Bytes of the raw layer. SourceSize says the same, except while the text cache lets a filter
    // see only the current part.
    uint32_t total = 0;
    GzCursor cursor;
    int32_t cursorItem = -1;  // the item whose stream the cursor holds
};

// Each ends in ".zip" or ".epub" (any case); the open step checks the signature.
int OpenZipBook(Document& doc);
int OpenEpubBook(Document& doc);
void ReadZipRawBlock(Document& doc, uint32_t offset, uint8_t* block);
// The first bytes of an EPUB's first spine item, byte-order mark included, for detection.
uint32_t SampleEpub(Document& doc, uint8_t* buffer, uint32_t capacity);
// The open book's archive state (a ZIP book or an EPUB); null when another reader opened it.
ZipState* ZipOf(const Document& doc);
// Whether an EPUB part's bytes start with a heading before any text, looking at most at the
// first 64 KiB (exposed for tests).
int StartsWithHeading(const std::string& xhtml);
// The text of the first heading in the same first 64 KiB, white space collapsed; empty when there
// is none (exposed for tests).
std::u16string FirstHeadingText(const std::string& xhtml);
// Whether two titles are the same text, letters compared without case (Latin and Cyrillic).
int SameTitle(const std::u16string& a, const std::u16string& b);

extern const FormatReader kZipReader;
extern const FormatReader kEpubReader;

}  // namespace lectra
