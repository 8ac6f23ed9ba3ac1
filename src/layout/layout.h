// The layout engine's state: fonts and brushes, the hyphenation patterns, the word and
// hyphenation buffers, the text rectangle and the lines of the page.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "platform/draw.h"
#include "settings/settings_model.h"

namespace lectra {

// Line flags: exactly one style, plus the two paragraph bits, and the bit of a line of a title
// paragraph that was measured (and is drawn) with the title font.
constexpr uint32_t kParaStart = 0x1;
constexpr uint32_t kParaEnd = 0x2;
constexpr uint32_t kTitleFont = 0x4;
constexpr uint32_t kStyleLeft = 0x100;
constexpr uint32_t kStyleRight = 0x200;
constexpr uint32_t kStyleTitle = 0x400;
constexpr uint32_t kStyleBody = 0x800;
constexpr uint32_t kStyleNine = 0x1000;
constexpr uint32_t kStyleMask = kStyleLeft | kStyleRight | kStyleTitle | kStyleBody | kStyleNine;

// One laid-out line. `text` is what is drawn: an optional indent, the words separated by single
// spaces, an optional final hyphen; no trailing space except at the end of the book. `styles`
// holds the emphasis of each unit of `text` (kEmphasis… bits) as the line breaker measured it; a
// line whose `styles` is not as long as its text is drawn without emphasis.
struct LineRecord {
    std::u16string text;
    uint32_t flags = 0;
    int words = 0;  // a hyphenated or cut piece of a word counts as one
    int32_t start = 0;
    int32_t end = 0;  // where the next line starts
    std::vector<uint8_t> styles;
    // Units markFrom .. markTo − 1 of `text` show the search hit (MarkSearchHit); none when equal.
    int markFrom = 0;
    int markTo = 0;
};

constexpr int kMaxWord = 255;

// The word being placed: its units and the position of each in the book.
struct WordBuffer {
    char16_t text[kMaxWord + 1] = {};
    int32_t pos[kMaxWord + 1] = {};
    uint8_t style[kMaxWord + 1] = {};
    int length = 0;
};

// The patterns of one pattern file ("En.pat", or the book's language's); empty when the file is
// missing or bad, or the language has none.
struct HyphenPatterns {
    struct Letter {
        char16_t forms[2] = {};
        uint8_t code = 0;
    };
    struct IndexEntry {
        uint8_t code = 0;
        uint32_t first = 0;
        uint32_t end = 0;
    };
    struct Pattern {
        uint32_t letters = 0;  // offsets of the two strings in `block`
        uint32_t digits = 0;
        uint8_t length = 0;
    };
    std::vector<Letter> letters;
    std::vector<IndexEntry> index;
    std::vector<Pattern> patterns;
    std::vector<uint8_t> block;
    // Derived at load, so that a look-up is one step instead of a walk over the tables; each gives
    // what the walk would find first. Unit → letter code (−1: no entry), code → index entry (−1).
    std::vector<int16_t> codeOfUnit;
    int32_t indexOfCode[256] = {};
    // Every pattern number, ordered by the pattern's letters (a shorter one before the longer ones
    // it begins), so that the patterns matching at a position are found by search instead of by
    // comparing each one of the index range.
    std::vector<uint32_t> byLetters;
    // The folder the files are read from and the file last asked for (empty: none), so that a
    // book in the same language as the last one reads nothing.
    std::u16string folder;
    std::u16string file;
};

// The hyphenation work areas: the word, its framed codes, the values between them, the marks.
struct HyphenWork {
    char16_t word[kMaxWord + 1] = {};
    int length = 0;
    uint8_t framed[kMaxWord + 2] = {};
    uint8_t hasLetter[kMaxWord + 2] = {};
    char values[kMaxWord + 2] = {};
    // Per character: 'a' break after it with a hyphen added, 'A' break after it as it stands,
    // '*' no break.
    char marks[kMaxWord + 1] = {};
};

// A brush is a solid colour; `exists` tells whether it has been made.
struct Brush {
    int exists = 0;
    uint32_t colour = 0;
};

// The fonts of emphasised runs, one for each combination of the bits that change the font:
// italic, bold, monospace, small (superscript or subscript), underline, strike-through.
constexpr int kEmphasisFonts = 64;

struct LayoutFonts {
    PlatformFont* textFont = nullptr;
    int textFontHeight = 0;  // cell height of the text font as first made
    int textFontAscent = 0;
    // Titles: the text face in bold, a quarter larger, drawn on the text lines' baseline. Null
    // (the tests' layouts) lays titles out and draws them with the text font.
    PlatformFont* titleFont = nullptr;
    int titleFontAscent = 0;
    PlatformFont* statusFont = nullptr;
    int statusFontHeight = 0;
    PlatformFont* clockFont = nullptr;  // made once, never replaced
    // The text font's description, from which the fonts of emphasised runs are made when a run
    // first needs one; the painter may be the first (a const Layout), hence mutable. Dropped with
    // the text font. An empty face and no height: emphasis is drawn in the text font.
    FontDesc emphasisDesc;
    mutable PlatformFont* emphasisFonts[kEmphasisFonts] = {};
    mutable int emphasisAscents[kEmphasisFonts] = {};
    Brush backgroundBrush;
    Brush statusBrush;
    Brush markBrush;  // pure red, made once
};

// A memory device context: the drawing services, the surface drawn into (may be null when only
// measuring), the font and colour of the text.
struct DrawContext {
    const DrawServices* draw = nullptr;
    PlatformSurface* surface = nullptr;
    PlatformFont* font = nullptr;
    uint32_t textColour = 0;
};

constexpr int kProgressThickness = 4;

// The rectangles of the page, for the window's size, the rotation, the margins and the mode.
struct PageGeometry {
    int pageWidth = 0;  // in the page's own, unrotated frame
    int pageHeight = 0;
    int screenWidth = 0;  // the screen area of the surface, where a turned page ends up
    int x0 = 0;           // where the page is painted in the surface (right of the screen area
                          // when the page is turned afterwards)
    int statusVisible = 0;
    int progressVisible = 0;
    PixelRect pageRect;
    PixelRect statusRect;
    PixelRect progressRect;
    PixelRect textRect;
};

// What the status line shows, sampled before each paint.
struct StatusSnapshot {
    int hour = 0;
    int minute = 0;
    int batteryPercent = 100;
    char16_t power = u'~';  // '~' on mains power, ' ' on battery
    double percentRead = 0;
    int32_t page = 0;  // current page and page count
    int32_t pages = 0;
    int bookmarkHere = 0;                  // a bookmark of the book lies on the page
    std::vector<double> bookmarkPercents;  // where each bookmark is, 0..100 of the book
};

struct PictureBlocks;

// Lines from..to − 1, by the positions they start at.
struct LineSpan {
    int32_t from = 0;
    int32_t to = 0;
};

// The lines of the opening title that a page passes over (heading_space.h), worked out once for
// each book.
struct HiddenLeadCache {
    std::u16string bookPath;
    int32_t bookLength = -1;
    int formatKind = -1;
    LineSpan span;
};

// Threads: the interface thread owns all of this. While smooth autoscrolling runs, the worker
// thread lays out and paints with the fonts (their width caches), the word and hyphenation
// buffers, `pageLines` and the surface's painter, and the interface thread leaves them alone until
// the worker hands the frame over.
struct Layout {
    const DrawServices* draw = nullptr;
    Settings* settings = nullptr;
    LayoutFonts fonts;
    PlatformSurface* surface = nullptr;  // the page surface, owned by the painter
    PageGeometry geometry;               // the one copy; ComputeGeometry of the window sets it
    StatusSnapshot status;
    // The open book's bookmarks (positions), handed in by the shell, which keeps them.
    std::vector<int32_t> bookmarks;

    HyphenPatterns patterns;
    WordBuffer word;
    HyphenWork hyphenation;

    int linesPerPage = 1;
    // LinesPerPage + 1 records: the page's lines and the one below them. Records are kept when
    // the page gets fewer lines.
    std::vector<LineRecord> pageLines;
    // Title lines that would end the page are held for the next one, with the paragraph after
    // them: their records are left blank and PageEnd is where they begin. 0 when none are.
    int titleHeld = 0;
    // The latest forward moves from a page that held a title, so that the way back returns to
    // the page the reader came from (several pages end where a title begins); a ring.
    struct HeldMove {
        int32_t from = -1;
        int32_t to = -1;
    };
    static constexpr int kHeldMoves = 64;
    HeldMove heldMoves[kHeldMoves];
    int heldMoveNext = 0;
    std::vector<LineRecord> checkLines;  // a page laid out to check a held move
    LineRecord scratch;                  // the temporary line of the backward moves
    std::vector<int32_t> lineStarts;     // the backward page move's list
    std::vector<int32_t> stretchStarts;  // and the stretch it lays out next

    int autoscrolling = 0;
    int autoscrollPaused = 0;
    uint32_t autoscrollTicks = 0;  // the status line alternates its left item with these
    int autoscrollMode = 0;        // an AutoscrollMode, for the decorations of the lines
    int autoscrollMarker = -1;     // the line last written or reached; −1 before the first tick
    // A search hit to show: the units searchMark .. searchMarkEnd − 1 are marked until the next
    // page move; searchMark −1 for none.
    int32_t searchMark = -1;
    int32_t searchMarkEnd = -1;
    // A short note painted over the page for a moment ("Hyphenation off"); never part of it.
    std::u16string note;
    // The picture blocks and their cache (picture_blocks.h), owned by the caller; null lays the
    // book out without pictures.
    PictureBlocks* pictures = nullptr;
    HiddenLeadCache hiddenLead;
};

// The autoscroll modes, in the order of their "ASW_MODE" values (0 to 4).
enum AutoscrollMode : int {
    kAutoscrollWave,
    kAutoscrollLine,
    kAutoscrollSmooth,
    kAutoscrollTurnPages,
    kAutoscrollWave2,
};

// The active profile, kept inside the tables whatever the field holds.
inline int ActiveProfile(const Settings& s) {
    return s.activeProfile >= 0 && s.activeProfile < kProfileCount ? s.activeProfile : 0;
}

}  // namespace lectra
