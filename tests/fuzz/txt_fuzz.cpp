// Fuzz target: arbitrary bytes opened as plain text in a single-byte code page, UTF-8 and UTF-16,
// every position read in order, then in a scattered order on a cold cache.
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
    const int codePages[] = {kCodePageAuto, 1251, kCodePageUtf8, kCodePageUtf16, 20866, 12345};
    const int codePage = codePages[data[0] % 6];
    const int mode = (data[0] / 6) % 2;  // the HTML mode belongs to the markup targets
    fuzz::MemoryBook book(data + 1, size - 1, ".txt");
    if (book.path().empty()) return 0;
    auto doc = NewDocument();
    doc->txtParagraphMode = mode;
    OpenRequest request;
    request.codePageSetting = codePage;
    const std::u16string path = Utf8ToUtf16(book.path());
    if (!OpenBook(*doc, path.c_str(), 0, request)) return 0;
    const int32_t length = DocLength(*doc);
    if (length > static_cast<int32_t>(size)) __builtin_trap();  // never more units than bytes
    std::u16string straight;
    for (int32_t i = 0; i < length; ++i) straight += GetChar(*doc, i);
    // Reopen and read back to front: every block decoded alone must give the same units.
    if (!OpenBook(*doc, path.c_str(), 1, request)) __builtin_trap();
    for (int32_t i = length - 1; i >= 0; --i) {
        if (GetChar(*doc, i) != straight[i]) __builtin_trap();
    }
    CloseDocument(*doc);
    return 0;
}
