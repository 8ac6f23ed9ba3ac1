// The language a book is read in: what its description declares (FictionBook's <lang>, an EPUB's
// dc:language, HTML's lang), checked against and else replaced by what its letters show.
#pragma once
#include <string>

#include "document/document.h"

namespace lectra {

// The two-letter code of the language the book at `path` (its archive entry `entry`, when not
// empty) declares; empty when it declares none or cannot be read.
std::string DeclaredLanguage(const std::u16string& path, const std::u16string& entry);

// Sets doc.language for the book just opened: the declared language, unless the text is plainly
// in another script, else the one its first units show (ChooseLanguage).
void SetBookLanguage(Document& doc);

}  // namespace lectra
