// Shared body of the container-format fuzz targets: open the input as a book under a code page
// and paragraph mode picked by its first byte, read it, and read it again block by block on a
// cold cache, which must give the same units.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "fuzz_support.h"
#include "platform/sys/utf.h"

namespace lectra::fuzz {

inline int FuzzContainer(const uint8_t* data, size_t size, const char* extension) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, 20866, kCodePageUtf8};
    const int codePage = codePages[data[0] % 4];
    const int mode = (data[0] / 4) % 2;
    FuzzBook book(data, size, extension, codePage, mode);
    if (!book.Open(0)) return 0;
    Document* doc = book.doc.get();
    const int32_t length = DocLength(*doc);
    if (length < 0 || static_cast<uint32_t>(length) > doc->sourceSize) __builtin_trap();
    // A small input can stand for a long text (many records of 64 KiB, a compressed member):
    // the start is read whole, the rest at scattered positions.
    const int32_t head = length < 20000 ? length : 20000;
    std::u16string start;
    for (int32_t i = 0; i < head; ++i) start += GetChar(*doc, i);
    int32_t probes[64];
    char16_t seen[64];
    for (int k = 0; k < 64; ++k) {
        probes[k] =
            length > 0
                ? static_cast<int32_t>((static_cast<uint64_t>(length) * k * 2654435761u >> 6) %
                                       static_cast<uint64_t>(length))
                : 0;
        seen[k] = GetChar(*doc, probes[k]);
    }
    if (!book.Open(1)) __builtin_trap();
    for (int k = 63; k >= 0; --k) {
        if (GetChar(*doc, probes[k]) != seen[k]) __builtin_trap();
    }
    for (int32_t i = head - 1; i >= 0; i -= 4099) {
        if (GetChar(*doc, i) != start[i]) __builtin_trap();
    }
    return 0;
}

}  // namespace lectra::fuzz
