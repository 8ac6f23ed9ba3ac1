// The language a book is read in: what its description declares (FictionBook's <lang>, an EPUB's
// dc:language, HTML's lang), checked against and else replaced by what its letters show.
#include "library/declared_language.h"

#include "document/book_language.h"
#include "library/book_metadata.h"
#include "library/library_scan.h"

namespace lectra {

std::string DeclaredLanguage(const std::u16string& path, const std::u16string& entry) {
    BookMeta meta;
    if (!ReadOneBook(path, entry, meta)) return std::string();
    return LanguageCode(meta.language);
}

void SetBookLanguage(Document& doc) {
    // The description is read again from the file: the open's pass reads the text, not it.
    const std::u16string entry =
        (doc.sourceFlags & kSourceZipEntry) ? doc.zipEntryName : std::u16string();
    doc.language = ChooseLanguage(DeclaredLanguage(doc.bookPath, entry), GuessBookLanguage(doc));
}

}  // namespace lectra
