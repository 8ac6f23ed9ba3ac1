// Fuzz target: bytes as HTML or FictionBook; blocks alone, contents, notes and pictures bounded.
#include "fuzz_support.h"
#include "straight_decode.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char* const extensions[] = {".html", ".fb2", ".txt"};
    const int codePages[] = {kCodePageAuto, 1251, kCodePageUtf8, kCodePageUtf16};
    const char* extension = extensions[data[0] % 3];
    const int codePage = codePages[(data[0] / 3) % 4];
    const int mode = extension[1] == 't' ? kTxtPlainAsHtml : (data[0] / 12) % 3;
    fuzz::FuzzBook book(data, size, extension, codePage, mode);
    if (!book.Open(0)) return 0;
    Document* doc = book.doc.get();
    const std::u16string straight = test::StraightDecode(*doc);
    fuzz::Check(straight.size() == static_cast<size_t>(DocLength(*doc)));
    for (int32_t i = DocLength(*doc) - 1; i >= 0; --i) fuzz::Check(GetChar(*doc, i) == straight[i]);
    fuzz::CheckContents(*doc);
    fuzz::CheckPictures(*doc);
    fuzz::CheckNotes(*doc);
    return 0;
}
