// Fuzz target: arbitrary bytes opened as a ".doc" (every Word generation, the compound-file
// reader, and the hand-on to RTF or text), every position read in order, then back to front on a
// cold cache.
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
    const int codePages[] = {kCodePageAuto, kCodePageAuto, 1251, kCodePageUtf16};
    fuzz::MemoryBook book(data + 1, size - 1, ".doc");
    if (book.path().empty()) return 0;
    auto doc = NewDocument();
    OpenRequest request;
    request.codePageSetting = codePages[data[0] % 4];
    const std::u16string path = Utf8ToUtf16(book.path());
    if (!OpenBook(*doc, path.c_str(), 0, request)) {
        CloseDocument(*doc);
        return 0;
    }
    const int32_t length = DocLength(*doc);
    std::u16string straight;
    for (int32_t i = 0; i < length; ++i) straight += GetChar(*doc, i);
    if (!OpenBook(*doc, path.c_str(), 1, request)) __builtin_trap();
    if (DocLength(*doc) != length) __builtin_trap();
    for (int32_t i = length - 1; i >= 0; --i) {
        if (GetChar(*doc, i) != straight[i]) __builtin_trap();
    }
    CloseDocument(*doc);
    return 0;
}
