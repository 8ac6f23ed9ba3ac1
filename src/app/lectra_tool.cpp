// lectra-tool: the reader's document store and layout on the command line (info, dump, contents,
// notes, export, layout of a book and a painted page as PNG, hyphenation of words), and the
// library's catalogue (scan, list, search).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "document/book_language.h"
#include "document/contents.h"
#include "document/document.h"
#include "document/encoding.h"
#include "document/formats/book_export.h"
#include "document/notes.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "layout/hyphen_patterns.h"
#include "layout/hyphenate.h"
#include "layout/layout_fonts.h"
#include "layout/page_geometry.h"
#include "layout/page_paint.h"
#include "layout/pagination.h"
#include "layout/picture_blocks.h"
#include "library/declared_language.h"
#include "library/library_db.h"
#include "library/library_scan.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"
#include "platform/qt/qt_image.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "settings/settings_model.h"

using namespace lectra;

namespace {

struct Options {
    std::string command;
    std::string book;
    int codePage = kCodePageAuto;
    int paragraphMode = kTxtDetectParagraph;
    int saveCodePage = kDefaultSaveCodePage;
    // layout
    int width = 480;
    int height = 640;
    std::string font = "DejaVu Sans";
    int size = 14;
    int position = 0;
    int pages = 1;
    int back = 0;
    // render
    std::string out;
    int profile = 0;
    int rotate = 0;
    int fullScreen = 0;
    int statusMode = -1;  // −1: as a first run has it
};

int Usage(FILE* to = stderr) {
    std::fputs(
        "usage: lectra-tool info [--code-page N] [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool dump [--code-page N] [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool contents [--code-page N] [--paragraph-mode 0|1|2] BOOK\n"
        "                   (one entry a line: depth, position, title, tab-separated)\n"
        "       lectra-tool notes [--code-page N] [--paragraph-mode 0|1|2] BOOK\n"
        "                   (one reference a line: its position, the note's position and the\n"
        "                   first 80 characters of the note, tab-separated)\n"
        "       lectra-tool export-txt [--save-code-page N] [--code-page N]\n"
        "                              [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool export-pdb [--save-code-page N] [--code-page N]\n"
        "                              [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool layout [--code-page N] [--paragraph-mode 0|1|2] [--width 480]\n"
        "                   [--height 640] [--font \"DejaVu Sans\"] [--size 14] [--position P]\n"
        "                   [--pages N] [--back] BOOK   (N pages at most, up to the book's end)\n"
        "       lectra-tool render --out PAGE.png [--code-page N] [--paragraph-mode 0|1|2]\n"
        "                   [--width 480] [--height 640] [--position P] [--profile 0..3]\n"
        "                   [--rotate 0|900|1800|2700] [--fullscreen] [--status-mode 0..3]\n"
        "                   [--font \"DejaVu Sans\"] [--size 14] BOOK\n"
        "       lectra-tool hyphenate [--language CODE] WORD...\n"
        "                   (each word with \"-\" at its breaks, in the patterns of the language\n"
        "                   named, else of the one its letters show)\n"
        "       lectra-tool library scan FOLDER... [--db FILE]\n"
        "       lectra-tool library list [--db FILE] [--by author|series|title|language]\n"
        "       lectra-tool library search [--db FILE] WORDS...\n"
        "export writes BOOK.txt or BOOK.pdb in the save code page (default 1251)\n",
        to);
    return to == stderr ? 2 : 0;
}

bool ParseInt(const char* text, int* value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < -2147483647L || v > 2147483647L) return false;
    *value = static_cast<int>(v);
    return true;
}

// The options of `layout` and `render` that take a whole number, with the least and most each
// may be, and a multiple it must be of.
constexpr unsigned kForLayout = 1, kForRender = 2;
struct IntOption {
    const char* name;
    int Options::*field;
    int least;
    int most;
    int step;
    unsigned commands;
};
constexpr IntOption kLayoutOptions[] = {
    {"--width", &Options::width, 1, 16384, 1, kForLayout},
    {"--height", &Options::height, 1, 16384, 1, kForLayout},
    // The page surface holds the screen beside a page of either orientation.
    {"--width", &Options::width, 1, 4096, 1, kForRender},
    {"--height", &Options::height, 1, 4096, 1, kForRender},
    {"--size", &Options::size, 1, 500, 1, kForLayout | kForRender},
    {"--position", &Options::position, 0, 2147483647, 1, kForLayout | kForRender},
    {"--pages", &Options::pages, 1, 1000000, 1, kForLayout},
    {"--profile", &Options::profile, 0, kProfileCount - 1, 1, kForRender},
    {"--rotate", &Options::rotate, 0, 2700, 900, kForRender},
    {"--status-mode", &Options::statusMode, 0, 3, 1, kForRender},
};

bool ParseLayoutOption(std::string_view a, const char* value, Options& o, unsigned command) {
    if (a == "--font") {
        o.font = value;
        return true;
    }
    if (a == "--out" && command == kForRender && *value) {
        o.out = value;
        return true;
    }
    for (const IntOption& option : kLayoutOptions) {
        if (a != option.name || !(option.commands & command)) continue;
        int v;
        if (!ParseInt(value, &v) || v < option.least || v > option.most || v % option.step) {
            return false;
        }
        o.*option.field = v;
        return true;
    }
    return false;
}

bool ParseArgs(int argc, char** argv, Options& o) {
    if (argc < 3) return false;
    o.command = argv[1];
    const unsigned command = o.command == "layout"   ? kForLayout
                             : o.command == "render" ? kForRender
                                                     : 0;
    for (int i = 2; i < argc; ++i) {
        std::string_view a = argv[i];
        if (command == kForLayout && a == "--back") {
            o.back = 1;
        } else if (command == kForRender && a == "--fullscreen") {
            o.fullScreen = 1;
        } else if (command && a.size() > 2 && a[0] == '-' && a[1] == '-' && a != "--code-page" &&
                   a != "--paragraph-mode") {
            if (i + 1 >= argc || !ParseLayoutOption(a, argv[++i], o, command)) return false;
        } else if ((a == "--code-page" || a == "--paragraph-mode" || a == "--save-code-page") &&
                   i + 1 < argc) {
            int v;
            if (!ParseInt(argv[++i], &v)) return false;
            if (a == "--code-page") {
                o.codePage = v;
            } else if (a == "--save-code-page") {
                o.saveCodePage = v;
            } else {
                if (v < 0 || v > 2) return false;
                o.paragraphMode = v;
            }
        } else if (o.book.empty() && (a.empty() || a[0] != '-' || a == "-")) {
            o.book = argv[i];
        } else {
            return false;
        }
    }
    return !o.book.empty() && (command != kForRender || !o.out.empty());
}

// Writes the stream as UTF-8: text as itself, each paragraph mark as a line feed, units 16–31
// dropped; surrogate pairs are joined, a lone surrogate becomes U+FFFD.
// Encodes one code point at `o`; returns the bytes written.
[[gnu::always_inline]] inline size_t PutUtf8(char* o, uint32_t cp) {
    if (cp < 0x80) {
        o[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        o[0] = static_cast<char>(0xC0 | (cp >> 6));
        o[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        o[0] = static_cast<char>(0xE0 | (cp >> 12));
        o[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        o[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    o[0] = static_cast<char>(0xF0 | (cp >> 18));
    o[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    o[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    o[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

void Dump(Document& doc) {
    constexpr size_t kBuffer = 1 << 16;
    static char buffer[kBuffer + 8];
    size_t n = 0;
    auto put = [&](uint32_t cp) { n += PutUtf8(buffer + n, cp); };
    char16_t high = 0;
    const int32_t length = DocLength(doc);
    for (int32_t pos = 0; pos < length; ++pos) {
        const char16_t u = GetChar(doc, pos);
        if (high && !(u >= 0xDC00 && u < 0xE000)) {
            put(0xFFFD);
            high = 0;
        }
        if (u < 16) {
            put('\n');
        } else if (u < 32) {
            continue;
        } else if (u >= 0xD800 && u < 0xDC00) {
            high = u;
        } else if (u >= 0xDC00 && u < 0xE000) {
            put(high ? 0x10000 + ((high - 0xD800u) << 10) + (u - 0xDC00u) : 0xFFFD);
            high = 0;
        } else {
            put(u);
        }
        if (n >= kBuffer) {
            std::fwrite(buffer, 1, n, stdout);
            n = 0;
        }
    }
    if (high) put(0xFFFD);
    std::fwrite(buffer, 1, n, stdout);
}

// The text of a line as the painter draws it: a justified line loses its trailing space.
std::u16string DrawnText(const LineRecord& line) {
    std::u16string text = line.text;
    const bool justified = (line.flags & (kStyleBody | kStyleNine)) && !(line.flags & kParaEnd);
    if (justified && !text.empty() && text.back() == u' ') text.pop_back();
    return text;
}

void PrintPage(const Layout& layout, const Document& doc) {
    std::printf("page %d %d\n", doc.pageStart, doc.pageEnd);
    for (int i = 0; i < layout.linesPerPage; ++i) {
        const LineRecord& line = layout.pageLines[static_cast<size_t>(i)];
        std::printf("%04x\t%s\n", line.flags, Utf16ToUtf8(DrawnText(line)).c_str());
    }
}

// The settings as a first run has them: every key at its default.
Settings FirstRunSettings() {
    SettingsStore defaults;
    defaults.capacity = kConfigCapacity;
    defaults.entries.resize(kConfigCapacity);
    Settings settings;
    LoadSettings(settings, defaults, IsListedCodePage);
    return settings;
}

// A layout that measures and draws with Qt and reads pictures through it, on the given settings.
void WireLayout(Layout& layout, Settings& settings, PictureBlocks& pictures) {
    layout.draw = &QtDrawServices();
    layout.settings = &settings;
    pictures.images = &QtImageServices();
    layout.pictures = &pictures;
}

// The text and status fonts and brushes for a page of the given width, and the hyphenation
// patterns beside the executable, chosen for the book's language.
void LoadLayoutFonts(Layout& layout, const Document& doc, int width) {
    CreateLayoutFont(layout, 0, width);
    CreateLayoutFont(layout, 1, width);
    CreateLayoutBrush(layout, 0);
    CreateLayoutBrush(layout, 1);
    LoadHyphenPatterns(layout.patterns, DataFolder());
    SelectHyphenPatterns(layout.patterns, doc.language);
}

// A position past the end shows the last full page, as End does in the window.
int32_t FirstPageStart(Layout& layout, Document& doc, int32_t position) {
    return position < DocLength(doc) ? position : ClampToLastPage(layout, doc, DocLength(doc));
}

// Pages of the open book on a page of the given size, with the default profile's settings, the
// margins, status line and progress bar as a first run has them, and the patterns beside the
// executable.
int LayoutPages(Document& doc, const Options& o) {
    if (!StartGuiPlatform()) return 1;
    Settings settings = FirstRunSettings();
    settings.fontFaceText = Utf8ToUtf16(o.font);
    settings.fontSizeText[ActiveProfile(settings)] = o.size;

    Layout layout;
    PictureBlocks pictures;
    WireLayout(layout, settings, pictures);
    LoadLayoutFonts(layout, doc, o.width);
    const PageGeometry geometry =
        ComputePageGeometry(settings, o.width, o.height, o.width, layout.fonts.statusFontHeight, 0);
    layout.geometry = geometry;

    doc.pageStart = FirstPageStart(layout, doc, o.position);
    LayoutPage(layout, doc, doc.pageStart);
    PrintPage(layout, doc);
    for (int page = 1; page < o.pages; ++page) {
        // A page that shows the book's end is the last one forwards (a move would only step to
        // its last character), and at either end a move leaves the page where it is.
        if (!o.back && doc.pageEnd >= DocLength(doc)) break;
        if (!(o.back ? PreviousPage(layout, doc) : NextPage(layout, doc))) break;
        LayoutPage(layout, doc, doc.pageStart);
        PrintPage(layout, doc);
    }
    ReleaseLayoutFonts(layout);
    ReleasePictures(pictures);
    return 0;
}

// One page painted as the reader paints it, written as PNG: settings as a first run has them with
// the options applied, a clock at 12:34 and a battery at 87 percent on mains, so that the picture
// depends on nothing but the book and the options.
int RenderPage(Document& doc, const Options& o) {
    if (!StartGuiPlatform()) return 1;
    Settings settings = FirstRunSettings();
    settings.activeProfile = o.profile;
    settings.rotateScreen = o.rotate;
    if (o.statusMode >= 0) settings.modeStatus = o.statusMode;
    // One face for the text and the status line, so that the picture does not depend on which
    // face the machine substitutes for the default one.
    settings.fontFaceText = Utf8ToUtf16(o.font);
    settings.fontFaceStatus = settings.fontFaceText;
    settings.fontSizeText[o.profile] = o.size;

    Layout layout;
    PictureBlocks pictures;
    WireLayout(layout, settings, pictures);
    int ok = EnsurePageSurface(layout, o.width, o.height);
    if (ok) {
        LoadLayoutFonts(layout, doc, o.width);
        // The window is the whole screen; a quarter turn gives the page the window's height.
        layout.geometry = ComputePageGeometry(settings, o.width, o.height, o.width,
                                              layout.fonts.statusFontHeight, o.fullScreen);
        doc.pageStart = FirstPageStart(layout, doc, o.position);
        LayoutPage(layout, doc, doc.pageStart);
        UpdateStatusSnapshot(layout, &doc, StatusSources{12, 34, 87, 1});
        PaintPage(layout, &doc);
        ok = WriteSurfacePng(layout.surface, o.width, o.height, Utf8ToUtf16(o.out));
        if (!ok) std::fprintf(stderr, "cannot write %s\n", o.out.c_str());
    }
    ReleaseLayoutFonts(layout);
    ReleasePictures(pictures);
    ReleasePageSurface(layout);
    return ok ? 0 : 1;
}

// The library verbs: scanning folders into the catalogue and printing it, one book a line
// (path, entry, title, authors, series, number, language, tab-separated).
struct LibraryOptions {
    std::string verb;
    std::string db;
    ListOrder order = ListOrder::kAuthor;
    std::vector<std::string> words;  // folders to scan, or the search words
};

bool ParseLibraryArgs(int argc, char** argv, LibraryOptions& o) {
    if (argc < 3) return false;
    o.verb = argv[2];
    if (o.verb != "scan" && o.verb != "list" && o.verb != "search") return false;
    constexpr struct {
        const char* name;
        ListOrder order;
    } kOrders[] = {{"author", ListOrder::kAuthor},
                   {"series", ListOrder::kSeries},
                   {"title", ListOrder::kTitle},
                   {"language", ListOrder::kLanguage}};
    for (int i = 3; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--db" && i + 1 < argc) {
            o.db = argv[++i];
        } else if (a == "--by" && i + 1 < argc && o.verb == "list") {
            const std::string_view by = argv[++i];
            bool known = false;
            for (const auto& k : kOrders) {
                if (by == k.name) {
                    o.order = k.order;
                    known = true;
                }
            }
            if (!known) return false;
        } else if (o.verb != "list" && !(a.size() > 2 && a.starts_with("--"))) {
            o.words.emplace_back(a);
        } else {
            return false;
        }
    }
    return o.verb == "list" || !o.words.empty();
}

// A field as one cell of a line: tabs and line breaks would split the row, so they print as
// spaces.
void PutCell(const std::string& text, char after) {
    for (char c : text) std::putchar(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
    std::putchar(after);
}

void PrintBookRow(void*, const BookRow& row) {
    PutCell(row.path, '\t');
    PutCell(row.entry, '\t');
    PutCell(row.title, '\t');
    PutCell(row.authors, '\t');
    PutCell(row.series, '\t');
    char number[32] = "";
    if (row.number > 0) std::snprintf(number, sizeof number, "%g", row.number);
    PutCell(number, '\t');
    PutCell(row.language, '\n');
}

void ScanReport(void*, const ScanCounts& c) {
    std::fprintf(stderr, "\r%lld/%lld files, %lld books added", static_cast<long long>(c.filesDone),
                 static_cast<long long>(c.filesTotal), static_cast<long long>(c.added));
}

int LibraryCommand(int argc, char** argv) {
    LibraryOptions o;
    if (!ParseLibraryArgs(argc, argv, o)) return Usage();
    const std::string path = o.db.empty() ? LibraryDatabasePath() : o.db;
    LibraryDb library;
    const int opened = OpenLibrary(library, path);
    if (opened == kLibraryOpenFailed) {
        std::fprintf(stderr, "cannot open the catalogue %s\n", path.c_str());
        return 1;
    }
    if (opened == kLibraryRebuilt)
        std::fprintf(stderr, "the catalogue was damaged or old: set aside, made anew\n");
    int status = 0;
    if (o.verb == "scan") {
        ScanProgress progress;
        // Progress on a terminal only, so that a script's output stays the counts alone.
        if (isatty(1)) progress.report = ScanReport;
        ScanCounts counts;
        int result = ScanLibrary(library, o.words, counts, progress);
        if (result == kScanFailed && RebuildLibrary(library) != kLibraryOpenFailed) {
            std::fprintf(stderr, "\nthe catalogue failed on the way: set aside, scanning anew\n");
            result = ScanLibrary(library, o.words, counts, progress);
        }
        if (progress.report) std::fputs("\n", stderr);
        std::printf("added %lld\nchanged %lld\nremoved %lld\nunreadable %lld\n",
                    static_cast<long long>(counts.added), static_cast<long long>(counts.changed),
                    static_cast<long long>(counts.removed),
                    static_cast<long long>(counts.unreadable));
        if (result != kScanDone) status = 1;
    } else if (o.verb == "list") {
        if (!ForEachBook(library, o.order, PrintBookRow, nullptr)) status = 1;
    } else {
        std::string query;
        for (const std::string& w : o.words) query += w + " ";
        std::vector<BookRow> rows;
        if (!SearchBooks(library, PathFromBytes(query), -1, rows)) status = 1;
        for (const BookRow& row : rows) PrintBookRow(nullptr, row);
    }
    if (status) std::fprintf(stderr, "the catalogue could not be read: %s\n", path.c_str());
    CloseLibrary(library);
    if (std::fflush(stdout) != 0) status = 1;
    return status;
}

// The hyphenate verb: each word on a line of its own, "-" after each character the patterns break
// after, as the line breaker would with hyphenation on. The patterns are those the language
// chooses in a book: named by --language (a tag as books write it), else guessed from the word.
int HyphenateCommand(int argc, char** argv) {
    std::string language;
    bool named = false;
    std::vector<std::u16string> words;
    for (int i = 2; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--language" && i + 1 < argc && !named) {
            language = LanguageCode(PathFromBytes(argv[++i]));
            named = true;
        } else if (!a.empty() && a[0] != '-') {
            words.push_back(PathFromBytes(argv[i]));
        } else {
            return Usage();
        }
    }
    if (words.empty()) return Usage();
    HyphenPatterns patterns;
    LoadHyphenPatterns(patterns, DataFolder());
    for (const std::u16string& word : words) {
        SelectHyphenPatterns(patterns, named ? language : GuessLanguage(word));
        std::printf("%s\n", Utf16ToUtf8(HyphenatedForm(patterns, word)).c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        return Usage(stdout);
    }
    if (argc >= 2 && std::strcmp(argv[1], "library") == 0) return LibraryCommand(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "hyphenate") == 0) return HyphenateCommand(argc, argv);
    Options o;
    if (!ParseArgs(argc, argv, o)) return Usage();
    if (o.command != "info" && o.command != "dump" && o.command != "contents" &&
        o.command != "notes" && o.command != "export-txt" && o.command != "export-pdb" &&
        o.command != "layout" && o.command != "render") {
        return Usage();
    }
    auto doc = NewDocument();
    // A long open says how far it is, on a terminal only.
    if (isatty(2)) {
        doc->hooks.progress = [](void*, uint64_t done, uint64_t total) {
            if (total)
                std::fprintf(stderr, "\r%3d%%",
                             static_cast<int>(std::min(done, total) * 100 / total));
        };
    }
    doc->txtParagraphMode = o.paragraphMode;
    OpenRequest request;
    request.codePageSetting = o.codePage;
    const std::u16string path = PathFromBytes(o.book);
    const int opened = OpenBook(*doc, path.c_str(), 0, request);
    if (doc->hooks.progress) std::fputs("\r    \r", stderr);
    if (!opened) {
        std::fprintf(stderr, "%s\n", Utf16ToUtf8(doc->openErrorText).c_str());
        return 1;
    }
    SetBookLanguage(*doc);
    int status = 0;
    if (o.command == "info") {
        std::printf("kind: %d\ncode page: %d\nsource size: %u\nlength: %d\nblocks: %zu\n",
                    doc->formatKind, doc->bookCodePage, doc->sourceSize, DocLength(*doc),
                    doc->blocks.size());
        if (doc->bookCut.isCut) std::printf("cut: %s\n", Utf16ToUtf8(BookCutText(*doc)).c_str());
        std::printf("language: %s\n", doc->language.empty() ? "unknown" : doc->language.c_str());
        // Only a book of a kind that has pictures says whether it has a cover.
        if (doc->pictures.pictureKind) {
            std::printf("cover: %s\npictures: %zu\n", doc->pictures.hasCover ? "yes" : "no",
                        doc->pictures.anchors.size());
        }
    } else if (o.command == "dump") {
        Dump(*doc);
    } else if (o.command == "contents") {
        for (const ContentsEntry& e : BookContents(*doc)) {
            std::printf("%d\t%d\t%s\n", e.depth, e.position, Utf16ToUtf8(e.title).c_str());
        }
    } else if (o.command == "notes") {
        for (const NoteRef& note : doc->notes) {
            std::u16string text = NoteText(*doc, note, kMaxNoteText, 0);
            if (text.size() > 80) text.resize(80);
            // A cut in the middle of a surrogate pair leaves no half of it.
            if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
            std::printf("%d\t%d\t%s\n", note.start, note.target, Utf16ToUtf8(text).c_str());
        }
    } else if (o.command == "layout" || o.command == "render") {
        status = o.command == "layout" ? LayoutPages(*doc, o) : RenderPage(*doc, o);
    } else {
        // As the reader's save commands: beside the book, named after it without its extensions.
        const int saved = o.command == "export-txt"
                              ? ExportTxt(*doc, ExportBase(doc->bookPath, u".txt"), o.saveCodePage)
                              : ExportPdb(*doc, ExportBase(doc->bookPath, u".pdb"), o.saveCodePage);
        std::puts(saved ? "File saved!" : "Error");
        status = saved ? 0 : 1;
    }
    if (std::fflush(stdout) != 0) status = 1;
    // A read error met on the way is reported once, at the end, and fails the run.
    if (const char16_t* error = TakeReadError(*doc)) {
        std::fprintf(stderr, "%s\n", Utf16ToUtf8(error).c_str());
        status = 1;
    }
    CloseDocument(*doc);
    return status;
}
