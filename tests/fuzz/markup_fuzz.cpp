// Fuzz target: arbitrary bytes opened as HTML, FictionBook or plain text read as HTML, in a
// single-byte code page, UTF-8 or UTF-16; every block decoded alone must equal the straight pass.
#include <cstddef>
#include <cstdint>

#include "document/document.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "fuzz_support.h"
#include "platform/sys/utf.h"
#include "straight_decode.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char* const extensions[] = {".html", ".fb2", ".txt"};
    const int codePages[] = {kCodePageAuto, 1251, kCodePageUtf8, kCodePageUtf16};
    const char* extension = extensions[data[0] % 3];
    const int codePage = codePages[(data[0] / 3) % 4];
    const int mode = extension[1] == 't' ? kTxtPlainAsHtml : (data[0] / 12) % 3;
    fuzz::MemoryBook book(data + 1, size - 1, extension);
    if (book.path().empty()) return 0;
    auto doc = NewDocument();
    doc->txtParagraphMode = mode;
    OpenRequest request;
    request.codePageSetting = codePage;
    const std::u16string path = Utf8ToUtf16(book.path());
    if (!OpenBook(*doc, path.c_str(), 0, request)) return 0;
    const std::u16string straight = test::StraightDecode(*doc);
    if (straight.size() != static_cast<size_t>(DocLength(*doc))) __builtin_trap();
    for (int32_t i = DocLength(*doc) - 1; i >= 0; --i) {
        if (GetChar(*doc, i) != straight[i]) __builtin_trap();
    }
    CloseDocument(*doc);
    return 0;
}
