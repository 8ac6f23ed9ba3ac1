// Quotations: the page on screen appended to the memo file with a header saying where and when.
#pragma once
#include <string>

#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

constexpr char16_t kMemoFileName[] = u"_lct_memo.utf8.txt";

struct QuoteTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// The quotation's bytes: the header, then each line of the page and CR LF, in UTF-8.
std::string QuoteText(const Layout& layout, Document& doc, const QuoteTime& when);
// Appends the quotation of the page to `memoPath`; returns the message to show: "Quote saved into
// file "…"!" or "Error writing in file". Nothing happens while autoscrolling (an empty message).
std::u16string SaveQuote(const Layout& layout, Document& doc, const std::u16string& memoPath,
                         const QuoteTime& when);

}  // namespace lectra
