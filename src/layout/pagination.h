// Pagination and the reading position: laying out the page from PageStart, the moves by a page
// or a line forwards and backwards, and the progress shown on the status line.
#pragma once
#include <cstdint>

#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// Lays out the page's lines from `from`, LinesPerPage + 1 of them, and sets LinesPerPage and
// PageEnd; PageStart is left alone. Brings the profile's "LINE_IL" into range first and stores it
// back: the line pitch (text font height + LINE_IL) is between 1 and 4 × the font height. Title
// lines at the page's foot (with blank lines among and after them, half a page at most) go over
// to the next page with the paragraph after them: their records are left blank, PageEnd is where
// they begin, and titleHeld says how many; not while autoscrolling, nor with "KEEP_ONE_ITEM".
// The lines that show the search hit are marked (MarkSearchHit).
void LayoutPage(Layout& layout, Document& doc, int32_t from);
// One line of the page from `pos`, as LayoutPage lays each out (a blank line or a line of stars
// is centred); returns where the next line starts.
int32_t LayoutPageLine(Layout& layout, Document& doc, LineRecord& record, int32_t pos,
                       const DrawContext& dc);
// Lays out from PageStart, then lets the painter draw and show the page.

// Distance in pixels from the top of one line to the top of the next, after LayoutPage.
int LinePitch(const Layout& layout);
// The number of lines a page of the text rectangle holds (1 at least), as LayoutPage counts them;
// brings "LINE_IL" into range as LayoutPage does.
int PageLineCount(Layout& layout);

// The moves only move (and end the search hit's mark): each stores the new PageStart into the
// current jump-history entry and returns 1, or returns 0 and leaves the page where it is when there
// is nowhere to go (the page already shows the end of the book, or its start). The caller lays the
// page out and paints it, and decides what a move means while autoscroll runs.
int NextPage(Layout& layout, Document& doc);
int NextLine(Layout& layout, Document& doc);
int PreviousPage(Layout& layout, Document& doc);
int PreviousLine(Layout& layout, Document& doc);

// The start of the `wanted`-th line before `end` (clamped into the book), as the forward layout
// breaks them; the earliest line found when the book has fewer, `end` when none is wanted. Lays
// out about `wanted` lines and one paragraph, whatever precedes them.
int32_t StartOfLinesBefore(Layout& layout, Document& doc, int32_t end, int wanted);
// `pos` brought into 0 .. the start of the last full page: the page whose lines end with the
// book's, as a backward page from the end finds it. The moves to the end (End, a jump to 100 %,
// the last page number) go through it, so that no page shows only the book's tail.
int32_t ClampToLastPage(Layout& layout, Document& doc, int32_t pos);

// A jump to `pos` brought into 0 .. the last full page (ClampToLastPage), recorded as JumpTo
// records it. JumpTo lands on the space or mark before the word; when the last full page begins a
// paragraph that is its mark, whose empty line would push the book's last line off the page, and
// the jump lands on the page's first line instead.
void JumpToPage(Layout& layout, Document& doc, int32_t pos);

// The start of the line just above the page (0 at the start of the book).
int32_t PreviousLineStart(Layout& layout, Document& doc);
// Where the lines before `p` are laid out from: after the mark that opens p's paragraph (or the
// previous one when p begins a paragraph), or a block's first position two blocks or more before
// p's block, or 0. Never below 0.
int32_t BackwardScan(Document& doc, int32_t p);

// Progress: PageEnd as a percentage of the book, and "pages" of 1024 characters.
double PercentRead(const Document& doc);
int32_t CurrentPageNumber(const Document& doc);
int32_t PageCount(const Document& doc);

}  // namespace lectra
