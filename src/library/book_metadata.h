// What a book says about itself: the FictionBook description, an EPUB's package metadata, an HTML
// title, each read from a bounded head of the file and kept within fixed caps.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lectra {

// At most this much of a book's head is read for its description; a description that never
// closes ends there.
constexpr size_t kMaxHeadBytes = 1u << 20;
// Caps on one book's record, so that a hostile description gives a bounded row.
constexpr size_t kMaxAuthors = 16;
constexpr size_t kMaxGenres = 16;
constexpr size_t kMaxNameUnits = 256;  // a title, a name, a series
constexpr size_t kMaxAnnotationUnits = 2048;
constexpr size_t kMaxShortUnits = 64;  // a language, a genre, a cover id

struct BookAuthor {
    std::u16string first;
    std::u16string middle;
    std::u16string last;
    std::u16string nickname;
    std::u16string fileAs;  // the sort form a package gives ("Tolstoy, Leo")
};

struct BookMeta {
    std::u16string title;
    std::vector<BookAuthor> authors;
    std::u16string series;
    double seriesNumber = 0;  // 0: none
    std::vector<std::u16string> genres;
    std::u16string language;
    std::u16string annotation;
    std::u16string coverId;  // the cover picture's id or archive path; empty when none
};

// The code page a head declares (XML encoding, HTML charset) or, without a declaration, UTF-8
// when the bytes are UTF-8 and windows-1251 otherwise; UTF-16 by its byte-order mark.
int HeadCodePage(std::string_view head);
// The head as UTF-8 in its code page; a UTF-16 head is converted, a single-byte one decoded.
std::string HeadAsUtf8(std::string_view head, int codePage);

// Each returns 1 when the text held the description it looks for (filling `meta`), 0 otherwise;
// `meta` is cleared first.
int ReadFb2Meta(std::string_view head, BookMeta& meta);
// `opf` is the package document, already UTF-8.
int ReadOpfMeta(std::string_view opf, BookMeta& meta);
// An HTML head gives its title and the language its root element declares.
int ReadHtmlMeta(std::string_view head, BookMeta& meta);

// An author as shown ("Лев Николаевич Толстой", or the nickname) and as sorted ("толстой лев
// николаевич", folded).
std::u16string AuthorName(const BookAuthor& author);
std::u16string AuthorSortKey(const BookAuthor& author);

// A title from a file or entry name: the last path component without its extensions
// (".fb2.zip" as a whole), underscores as spaces.
std::u16string TitleFromName(std::u16string_view name);

}  // namespace lectra
