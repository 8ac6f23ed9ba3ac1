// Fuzz target: arbitrary bytes opened as RTF in several code pages; every position read in order,
// then back to front on a cold cache, which must give the same units (the filter's state at each
// block boundary is all that a block decoded alone knows).
#include <cstddef>
#include <cstdint>

#include "document/document.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "fuzz_support.h"
#include "platform/sys/utf.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, 1252, 866, kCodePageUtf8};
    fuzz::MemoryBook book(data + 1, size - 1, ".rtf");
    if (book.path().empty()) return 0;
    auto doc = NewDocument();
    OpenRequest request;
    request.codePageSetting = codePages[data[0] % 5];
    const std::u16string path = Utf8ToUtf16(book.path());
    if (!OpenBook(*doc, path.c_str(), 0, request)) __builtin_trap();  // RTF always opens
    const int32_t length = DocLength(*doc);
    if (length > static_cast<int32_t>(size)) __builtin_trap();  // never more units than bytes
    std::u16string straight;
    for (int32_t i = 0; i < length; ++i) straight += GetChar(*doc, i);
    if (!OpenBook(*doc, path.c_str(), 1, request)) __builtin_trap();
    for (int32_t i = length - 1; i >= 0; --i) {
        if (GetChar(*doc, i) != straight[i]) __builtin_trap();
    }
    CloseDocument(*doc);
    return 0;
}
