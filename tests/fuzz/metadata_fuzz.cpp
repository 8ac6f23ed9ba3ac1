// Fuzz target: the library's description readers, chosen by the first byte.
#include <string_view>

#include "fuzz_support.h"
#include "library/book_metadata.h"
#include "library/name_fold.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = HeadAsUtf8(bytes, HeadCodePage(bytes));
    int (*const readers[])(std::string_view, BookMeta&) = {ReadFb2Meta, ReadOpfMeta, ReadHtmlMeta};
    BookMeta meta;
    if (data[0] % 4 < 3) {
        readers[data[0] % 4](text, meta);
    } else {
        meta.title = TitleFromName(PathFromBytes(bytes));
        SearchExpression(Utf8ToUtf16(text));
    }
    // Every record stays within its caps.
    fuzz::Check(meta.authors.size() <= kMaxAuthors && meta.genres.size() <= kMaxGenres &&
                meta.title.size() <= kMaxNameUnits && meta.series.size() <= kMaxNameUnits &&
                meta.annotation.size() <= kMaxAnnotationUnits);
    for (const BookAuthor& a : meta.authors) {
        AuthorName(a);
        AuthorSortKey(a);
    }
    return 0;
}
