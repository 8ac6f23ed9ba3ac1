// The book's notes: references in the text and the notes they lead to, gathered beside the
// stream on the open's indexing pass together with the contents (FictionBook note links into the
// notes body, an EPUB's note references and footnotes, an HTML file's numbered links).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace lectra {

// The indexing pass's side, called by the contents gatherer (contents.h): before the pass, at each
// part, for each unit handed over, for each tag's text, and after the pass.
void StartNotes(Document& doc);
void NotesPartStart(Document& doc, int32_t part);
void NotesStep(Document& doc, int32_t position, char16_t unit);
// A tag that NotesTag found the gatherer may want.
void NotesElement(Document& doc, std::u16string_view tag, int hidden);
// Only a link, a body, a tag with attributes or one named as the open note's element moves the
// gatherer: most tags (paragraphs, emphasis, the titles inside notes) are passed over without a
// call, by their first letter.
inline void NotesTag(Document& doc, std::u16string_view tag, int hidden) {
    const NotesGather& n = doc.noteGather;
    if (n.dialect == NoteDialect::kNone || tag.empty()) return;
    const bool closing = tag[0] == u'/';
    const size_t at = closing ? 1 : 0;
    const char16_t first = at < tag.size() ? tag[at] : 0;
    const bool mayNest =
        n.openTarget >= 0 && !n.openName.empty() && (first | 0x20) == (n.openName[0] | 0x20);
    if (!mayNest && first != u'a' && first != u'A' && first != u'b' &&
        (closing || hidden || tag.find(u'=') == tag.npos))
        return;
    NotesElement(doc, tag, hidden);
}
void FinishNotes(Document& doc);
// Whether the gatherer wants the units that the pass yields now.
inline int NotesActive(const Document& doc) {
    return doc.noteGather.active;
}

// Whether a reference's text reads as a note's mark: a number, a number in brackets, or (with
// `star`) an asterisk.
int IsNoteLabel(std::u16string_view text, int star);

// The first reference whose text overlaps [from, to), −1 when none.
int NoteIndexAt(const Document& doc, int32_t from, int32_t to);
// The references whose text starts in [from, to), in order: their indices.
std::vector<int> NotesBetween(const Document& doc, int32_t from, int32_t to);
// The note's text, at most `limit` units: paragraph marks become line feeds (`lines`) or spaces,
// white space folded, the ends trimmed.
std::u16string NoteText(Document& doc, const NoteRef& ref, int32_t limit, int lines);
// The reference's own text ("12", "[3]").
std::u16string NoteLabel(Document& doc, const NoteRef& ref);

}  // namespace lectra
