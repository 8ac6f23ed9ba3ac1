// Container fuzz targets: the input opened and read both ways under a first-byte code page.
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
    CheckContents(*doc);
    CheckPictures(*doc);
    CheckNotes(*doc);
    // A small input can stand for a long text (many records of 64 KiB, a compressed member):
    // positions 4099 apart are read, then again back to front on a cold cache.
    std::u16string seen;
    for (int32_t i = 0; i < length; i += 4099) seen += GetChar(*doc, i);
    if (!book.Open(1)) __builtin_trap();
    for (int32_t i = (length - 1) / 4099 * 4099; i >= 0; i -= 4099) {
        if (GetChar(*doc, i) != seen[static_cast<size_t>(i / 4099)]) __builtin_trap();
    }
    return 0;
}

}  // namespace lectra::fuzz
