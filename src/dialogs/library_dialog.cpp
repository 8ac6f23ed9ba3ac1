// The library dialog: the catalogue listed in one of five orders a page at a time, searched as
// one types, and the book chosen handed back.
#include "dialogs/library_dialog.h"

#include <cstdio>
#include <vector>

#include "platform/dialog.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

// Books are listed this many at a time; the next page is read when the selection comes near the
// end, so that a catalogue of 100,000 shows its first page at once.
constexpr int64_t kPageRows = 200;
constexpr int kSearchRows = 500;

constexpr const char16_t* kOrders[] = {u"By author", u"By series", u"By title", u"By language",
                                       u"Recently added"};
constexpr ListOrder kOrderOf[] = {ListOrder::kAuthor, ListOrder::kSeries, ListOrder::kTitle,
                                  ListOrder::kLanguage, ListOrder::kAdded};

struct Library {
    const ReaderServices* reader = nullptr;
    LibraryDb* db = nullptr;
    LibraryChoice* choice = nullptr;
    std::vector<BookRow> rows;
    int order = 0;
    int searching = 0;
    int complete = 0;  // every book of the listing is loaded
    int chosen = 0;
};

std::u16string Number(double n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", n);
    return Utf8ToUtf16(buffer);
}

void AddRows(PlatformDialog* dialog, Library& l, const std::vector<BookRow>& more) {
    for (const BookRow& row : more) {
        ListAdd(dialog, kCtlLibraryBooks, LibraryLine(row));
        l.rows.push_back(row);
    }
}

void ShowCount(PlatformDialog* dialog, Library& l) {
    const int64_t all = CountBooks(*l.db);
    char buffer[96];
    if (l.searching) {
        std::snprintf(buffer, sizeof buffer, "%zu found of %lld books", l.rows.size(),
                      static_cast<long long>(all));
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld books", static_cast<long long>(all));
    }
    SetControlText(
        dialog, kCtlLibraryCount,
        Utf8ToUtf16(all == 0 && !l.searching ? "No books found in your folders yet" : buffer));
}

// The listing again from its start: the search's matches, or the first page in the order.
void Relist(PlatformDialog* dialog, Library& l) {
    ListReset(dialog, kCtlLibraryBooks);
    l.rows.clear();
    const std::u16string query = ControlText(dialog, kCtlLibrarySearch);
    l.searching = query.find_first_not_of(u' ') != std::u16string::npos;
    std::vector<BookRow> found;
    if (l.searching) {
        SearchBooks(*l.db, query, kSearchRows, found);
        l.complete = 1;
    } else {
        ListBooks(*l.db, kOrderOf[l.order], 0, kPageRows, found);
        l.complete = static_cast<int64_t>(found.size()) < kPageRows;
    }
    AddRows(dialog, l, found);
    ListSelect(dialog, kCtlLibraryBooks, l.rows.empty() ? -1 : 0);
    ShowCount(dialog, l);
}

void MoreIfNearTheEnd(PlatformDialog* dialog, Library& l) {
    if (l.complete || l.searching) return;
    const int at = ListSelection(dialog, kCtlLibraryBooks);
    if (at < static_cast<int>(l.rows.size()) - 20) return;
    // Paged by the last row's sort key, so that a page far down costs what the first did.
    std::vector<BookRow> more;
    if (l.rows.empty()) return;
    ListBooksAfter(*l.db, kOrderOf[l.order], l.rows.back(), kPageRows, more);
    l.complete = static_cast<int64_t>(more.size()) < kPageRows;
    AddRows(dialog, l, more);
}

void OpenLibrary(Library& l, PlatformDialog* dialog) {
    InitDialogFrame(dialog, u"Library", u"Open");
    for (const char16_t* order : kOrders) ListAdd(dialog, kCtlLibraryOrder, order);
    ListSelect(dialog, kCtlLibraryOrder, l.order);
    PlaceControls(dialog, {{kCtlLibraryOrder, 6, 2, 0},
                           {kCtlLibraryFolders, 5, 2, 0},
                           {kCtlLibrarySearch, 1, 2, 1},
                           {kCtlLibraryCount, 1, 2, 2},
                           {kCtlLibraryBooks, 2, 2, 3}});
    Relist(dialog, l);
    SetControlFocus(dialog, kCtlLibrarySearch);
}

int LibraryCommand(Library& l, PlatformDialog* dialog, uintptr_t wParam) {
    if (IsNotice(wParam, kCtlLibrarySearch, kEditChange)) {
        Relist(dialog, l);
        return 1;
    }
    if (IsNotice(wParam, kCtlLibraryOrder, kListSelectionChange)) {
        const int order = ListSelection(dialog, kCtlLibraryOrder);
        if (order >= 0 && order < static_cast<int>(std::size(kOrders)) && order != l.order) {
            l.order = order;
            Relist(dialog, l);
        }
        return 1;
    }
    if (IsNotice(wParam, kCtlLibraryFolders, kButtonPress)) {
        // The caller shows the folders and, after the rescan they start, the library again.
        l.choice->foldersAsked = 1;
        EndDialog(dialog, 0);
        return 1;
    }
    if (IsNotice(wParam, kCtlLibraryBooks, kListSelectionChange)) {
        MoreIfNearTheEnd(dialog, l);
        return 1;
    }
    if (!ListActionAsked(dialog, wParam, kCtlLibraryBooks)) return 1;
    const int at = ListSelection(dialog, kCtlLibraryBooks);
    if (at < 0 || at >= static_cast<int>(l.rows.size())) return 1;
    const BookRow& row = l.rows[static_cast<size_t>(at)];
    l.choice->path = PathFromBytes(row.path);
    l.choice->entry = Utf8ToUtf16(row.entry);
    l.chosen = 1;
    EndDialog(dialog, 1);
    return 1;
}

}  // namespace

std::u16string LibraryLine(const BookRow& row) {
    std::u16string line = CatalogueName(row);
    if (!row.series.empty()) {
        line += u" (" + Utf8ToUtf16(row.series);
        if (row.number > 0) line += u" " + Number(row.number);
        line += u")";
    }
    return line;
}

std::u16string CatalogueName(const BookRow& row) {
    std::u16string name = Utf8ToUtf16(row.title);
    if (!row.authors.empty()) name += u" \u2014 " + Utf8ToUtf16(row.authors);
    return name;
}

std::vector<std::u16string> CatalogueNames(const std::string& libraryPath,
                                           const std::vector<BookKey>& keys) {
    std::vector<std::u16string> names(keys.size());
    LibraryDb db;
    if (keys.empty() || !OpenLibraryToRead(db, libraryPath)) return names;
    std::vector<BookRow> rows;
    LookUpBooks(db, keys, rows);
    CloseLibrary(db);
    for (size_t i = 0; i < keys.size() && i < rows.size(); ++i) {
        if (rows[i].id != 0 && !rows[i].title.empty()) names[i] = CatalogueName(rows[i]);
    }
    return names;
}

int ShowLibraryDialog(const ReaderServices& reader, LibraryDb& library, LibraryChoice& choice) {
    Library l;
    l.reader = &reader;
    l.db = &library;
    l.choice = &choice;
    ShowDialog(reader, kTemplateLibrary, l, OpenLibrary, LibraryCommand);
    return l.chosen;
}

}  // namespace lectra
