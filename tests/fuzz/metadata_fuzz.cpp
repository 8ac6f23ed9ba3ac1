// Fuzz target: the library's description readers, chosen by the first byte.
#include <cstdint>
#include <string>
#include <string_view>

#include "library/book_metadata.h"
#include "library/name_fold.h"
#include "platform/sys/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = lectra::HeadAsUtf8(bytes, lectra::HeadCodePage(bytes));
    lectra::BookMeta meta;
    switch (data[0] % 4) {
        case 0:
            lectra::ReadFb2Meta(text, meta);
            break;
        case 1:
            lectra::ReadOpfMeta(text, meta);
            break;
        case 2:
            lectra::ReadHtmlMeta(text, meta);
            break;
        default:
            meta.title = lectra::TitleFromName(lectra::PathFromBytes(bytes));
            lectra::SearchExpression(lectra::Utf8ToUtf16(text));
            break;
    }
    // Every record stays within its caps.
    if (meta.authors.size() > lectra::kMaxAuthors || meta.genres.size() > lectra::kMaxGenres ||
        meta.title.size() > lectra::kMaxNameUnits || meta.series.size() > lectra::kMaxNameUnits ||
        meta.annotation.size() > lectra::kMaxAnnotationUnits) {
        __builtin_trap();
    }
    for (const lectra::BookAuthor& a : meta.authors) {
        lectra::AuthorName(a);
        lectra::AuthorSortKey(a);
    }
    return 0;
}
