// Searching the book: the Find dialog, Find Next, and the match with its wildcard and white-space
// rules, case-insensitive for every cased letter of the Basic Multilingual Plane.
#include "dialogs/search.h"

#include "document/text_cache.h"
#include "platform/sys/case_map.h"
#include "platform/window.h"

namespace lectra {

namespace {

// Builds both cases of the search string; 0 when it is too short.
int PrepareSearch(DialogMemory& m) {
    if (m.searchLower.size() < 2) return 0;
    m.searchUpper = m.searchLower;
    for (char16_t& c : m.searchLower) c = LowerUnit(c);
    for (char16_t& c : m.searchUpper) c = UpperUnit(c);
    return 1;
}

// From the book's start, or with `fromCurrent` from the page shown.
void SearchForward(const ReaderServices& reader, DialogMemory& m, int fromCurrent) {
    Document& doc = Book(reader);
    int32_t start = 0;
    if (fromCurrent) {
        // After the hit marked on the page, else after the word at the top of the page, so that
        // the hit shown is not found again.
        const int32_t mark = reader.page->searchMark;
        if (mark >= doc.pageStart && mark < doc.pageEnd) {
            start = mark + 1;
        } else {
            start = doc.pageStart + 1;
            while (start < DocLength(doc) && GetChar(doc, start) >= 33) ++start;
        }
    }
    SetWaitCursor(1);
    int32_t hit = FindFrom(doc, start, m.searchLower, m.searchUpper);
    // A hit in the lines the page passes over (the opening title that the first heading repeats)
    // is looked for again after them: the heading shows the same words.
    if (const int32_t shown = hit >= 0 ? reader.ops.shownFrom(reader.ops.context, hit) : hit;
        shown != hit)
        hit = FindFrom(doc, shown, m.searchLower, m.searchUpper);
    SetWaitCursor(0);
    if (hit < 0) {
        ShowMessage(reader, u"String not found!");
        return;
    }
    // The page starts at the line that holds the hit, so that the words before it show, and the
    // matched units are marked until the next page move.
    reader.ops.showFound(reader.ops.context, hit, MatchEnd(doc, hit, m.searchLower, m.searchUpper));
    Refresh(reader);
}

struct Find {
    const ReaderServices* reader = nullptr;
    DialogMemory* memory = nullptr;
    int search = 0;
    int fromCurrent = 0;
};

void OpenFind(Find& f, PlatformDialog* dialog) {
    Settings& s = *f.reader->settings;
    InitDialogFrame(dialog, u"Find...", u"Find");
    PlaceControl(dialog, kCtlFindText, 1, 10, 0);
    PlaceControl(dialog, kCtlFindFromCurrent, 1, 10, 1);
    SetChecked(dialog, kCtlFindFromCurrent, s.stateSearch != 0);
    SetControlText(dialog, kCtlFindText, f.memory->searchUpper);
    SetTextLimit(dialog, kCtlFindText, kSearchChars);
    SelectAllText(dialog, kCtlFindText);
    SetControlFocus(dialog, kCtlFindText);
}

int FindCommand(Find& f, PlatformDialog* dialog, uintptr_t wParam) {
    Settings& s = *f.reader->settings;
    const DialogAsk ask = ReadCommand(wParam);
    if (ask == DialogAsk::kAction) {
        f.memory->searchLower = ControlText(dialog, kCtlFindText).substr(0, kSearchChars);
        f.fromCurrent = IsChecked(dialog, kCtlFindFromCurrent);
        s.stateSearch = f.fromCurrent;
        if (!PrepareSearch(*f.memory)) {
            ShowTitledMessage(*f.reader, u"String too short!", u"Message!");
            return 1;
        }
        f.search = 1;
        EndDialog(dialog, 1);
    } else if (ask == DialogAsk::kClose) {
        // Only Cancel leaves a form: the Back key (Backspace) must not lose what was typed.
        EndDialog(dialog, 0);
    }
    return 1;
}

}  // namespace

char16_t LowerUnit(char16_t c) {
    return LowerCase(c);
}

char16_t UpperUnit(char16_t c) {
    return UpperCase(c);
}

int MatchAt(Document& doc, int32_t p, const std::u16string& lower, const std::u16string& upper) {
    return MatchEnd(doc, p, lower, upper) >= 0;
}

int32_t MatchEnd(Document& doc, int32_t p, const std::u16string& lower,
                 const std::u16string& upper) {
    const size_t n = std::min(lower.size(), upper.size());
    const int32_t length = DocLength(doc);
    int32_t t = p + 1;
    for (size_t i = 1; i < n; ++i) {
        const char16_t c = lower[i];
        if (c == u' ') {
            // Two spaces in a row match one run: only the last one takes it.
            if (i + 1 < n && lower[i + 1] == u' ') continue;
            if (t >= length || GetChar(doc, t) > 32) return -1;
            while (t + 1 < length && GetChar(doc, t + 1) <= 32) ++t;
        } else if (c != u'?') {
            if (t >= length) return -1;
            const char16_t x = GetChar(doc, t);
            if (x != c && x != upper[i]) return -1;
        } else if (t >= length) {
            return -1;
        }
        ++t;
    }
    return t;
}

int32_t FindFrom(Document& doc, int32_t from, const std::u16string& lower,
                 const std::u16string& upper) {
    if (lower.empty() || upper.empty()) return -1;
    const char16_t a = lower[0], b = upper[0];
    const int32_t length = DocLength(doc);
    for (int32_t p = std::max(from, 0); p < length; ++p) {
        const char16_t c = GetChar(doc, p);
        if ((c == a || c == b || (a == u'?' && c > 32)) && MatchAt(doc, p, lower, upper)) return p;
    }
    return -1;
}

void ShowFindDialog(const ReaderServices& reader, DialogMemory& memory) {
    Find f{&reader, &memory};
    ShowDialog(reader, kTemplateFind, f, OpenFind, FindCommand);
    if (f.search && reader.bookOpen) SearchForward(reader, memory, f.fromCurrent);
}

void FindNext(const ReaderServices& reader, DialogMemory& memory) {
    if (!reader.bookOpen) return;
    if (!PrepareSearch(memory)) {
        ShowFindDialog(reader, memory);
        return;
    }
    SearchForward(reader, memory, 1);
}

}  // namespace lectra
