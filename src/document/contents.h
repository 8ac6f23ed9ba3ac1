// The book's contents: gathered beside the stream on the open's indexing pass (FictionBook titles,
// HTML headings, an EPUB's navigation), or found in a plain-text book when first asked for.
#pragma once
#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/notes.h"

namespace lectra {

// The indexing pass's side of the gathering: chooses what the book's kind gathers before the pass,
// and settles the entries after it.
void StartContents(Document& doc);
void FinishContents(Document& doc);
// The pass enters the part that starts at `offset`.
void GatherPartStart(Document& doc, uint32_t offset);
// The unit at `position` came out of the pass, handed over because the filter said the gatherer
// wants it.
void GatherStep(Document& doc, int32_t position, char16_t unit);
// A tag that GatherTag found the contents may want.
void GatherContentsTag(Document& doc, std::u16string_view tag, int html, int hidden);
// The markup filters hand over each tag's text as they read it (upper-cased in HTML), with whether
// the text around it is hidden; called only on the indexing pass, for every tag of the book, so
// that what no gatherer wants costs no call.
inline void GatherTag(Document& doc, std::u16string_view tag, int html, int hidden) {
    const ContentsGather& g = doc.gather;
    if (!g.indexing) return;
    NotesTag(doc, tag, hidden);
    // A cheap look at the name's first letter passes over the tags that the contents never
    // read: a FictionBook title moves only at "body", "section" and "title" (and any other tag
    // that opens while a section's title is awaited), and in the notes body at "body" alone; an
    // HTML heading is an "H"; only an EPUB's navigation reads every tag, for its id.
    const size_t at = !tag.empty() && tag[0] == u'/' ? 1 : 0;
    const char16_t first = at < tag.size() ? tag[at] : 0;
    bool wanted = false;
    if (g.kind == GatherKind::kFb2Titles) {
        wanted =
            !html && (first == u'b' ||
                      (!g.notesBody && (first == u's' || first == u't' || (!at && g.awaitTitle))));
    } else if (g.kind == GatherKind::kHtmlHeadings || g.kind == GatherKind::kPartHeadings) {
        wanted = html && first == u'H';
    } else if (g.kind == GatherKind::kTargets) {
        wanted = html != 0;
    }
    if (wanted) GatherContentsTag(doc, tag, html, hidden);
}

// The open book's contents in book order (an EPUB's in its navigation's order). A plain-text book
// finds its chapter headings on the first call: one bounded pass over its text.
const std::vector<ContentsEntry>& BookContents(Document& doc);

// A plain-text book's chapter headings: one bounded pass over its text that touches nothing but
// `doc` (no hook is called but its progress), so that a worker may run it over a document of its
// own; the source bytes done are stored in `done` (when given) a few times a megabyte.
std::vector<ContentsEntry> FindTextChapters(Document& doc, std::atomic<uint64_t>* done);

// The entry of the page whose first visible character is at `position`: the last one that starts
// there or before (the chapter being read, even when the next one starts lower on the page); the
// first entry when the page lies before every entry, −1 for no contents.
int ContentsIndexAt(const std::vector<ContentsEntry>& entries, int32_t position);
// The first visible character at or after `pageStart`, looking no further than `limit` units; a
// page that starts with a paragraph mark (as after a jump to a title) is at its title.
int32_t FirstVisibleAt(Document& doc, int32_t pageStart, int32_t limit);

// Whether a line of plain text, trimmed, reads as a chapter heading; `*depth` is 0 for a part or a
// book ("Часть вторая", "Part II"), 1 for a chapter ("Глава 5", "CHAPTER XII", "Пролог", "XII").
int IsChapterHeading(std::u16string_view line, int32_t* depth);

}  // namespace lectra
