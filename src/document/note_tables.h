// The notes of a book as the open's indexing pass leaves them: each reference's text and the
// place and extent of the note it leads to, positions in the book's own stream.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lectra {

// At most this many references are kept (the first ones in book order) and, apart from them, as
// many links whose text alone does not say they are notes; targets are kept for twice as many.
constexpr int kMaxNotes = 10000;
// A note's text ends at its element's end, at the next note, or this many units after its start.
constexpr int32_t kMaxNoteText = 4000;
// Units of a reference's text kept to judge whether it reads as a note's mark ("12", "[3]", "*").
constexpr int kMaxNoteLabel = 12;

struct NoteRef {
    int32_t start = 0;  // the reference's visible text, [start, end)
    int32_t end = 0;
    int32_t target = 0;     // the note's first visible unit
    int32_t targetEnd = 0;  // where the note's text ends
};

enum class NoteDialect : uint8_t { kNone, kFb2, kHtml, kXhtml };

// A place a link may lead to: an element with an id met on the pass.
struct NoteTarget {
    int32_t position = -1;  // its first visible unit, −1 until one comes
    int32_t end = -1;       // the unit after its element closed, −1 when unknown
    int noteLike = 0;       // its markup says it is a note (or it stands in a notes body)
};

// A link met on the pass, judged at the end once every target is known.
struct NoteLink {
    int32_t start = 0;
    int32_t end = 0;
    std::u16string key;  // the target's part and id
    int sure = 0;        // its own markup or its text says it is a note's reference
};

// What the indexing pass gathers for the notes while it runs; block decoding never sees it.
struct NotesGather {
    NoteDialect dialect = NoteDialect::kNone;
    // Set while the gatherer wants the units the pass yields.
    int active = 0;
    int32_t part = -1;
    int notesBody = 0;  // FictionBook: inside the notes (or comments) body
    // The link being read: its key, what it says, and its text so far.
    int linkOpen = 0;
    int linkSure = 0;
    std::u16string linkKey;
    int32_t linkStart = -1;
    int32_t linkEnd = -1;
    std::u16string linkText;
    std::vector<NoteLink> links;
    int32_t sureLinks = 0;
    int32_t maybeLinks = 0;
    std::vector<NoteTarget> targets;
    std::unordered_map<std::u16string, int32_t> targetOf;  // key → index into targets
    std::unordered_set<std::u16string> wanted;             // keys that links met so far lead to
    std::vector<int32_t> waiting;  // targets waiting for their first visible unit
    // The element of the last target, until it closes: its name and how deep it is nested in
    // itself; then the target whose end waits for the next unit.
    int32_t openTarget = -1;
    std::u16string openName;
    int32_t openNesting = 0;
    int32_t endWaiting = -1;
    // An anchor's target ("<a name=…>" around a mark, or empty) whose note ends with its paragraph.
    int32_t paragraphEnd = -1;
    // An EPUB's parts by their archive path (upper-cased ASCII, as the filter reads hrefs).
    std::unordered_map<std::string, int32_t> partByName;
};

}  // namespace lectra
