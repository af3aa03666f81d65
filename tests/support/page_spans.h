// Page text as tests compare it: Ghostscript's txtwrite device with TextFormat 0 lists
// every run of text (a span) with its place, font and size. Its plain-text form merges
// nearby lines differently from run to run when fonts are mixed; the spans do not vary.
#pragma once

#include <string>
#include <string_view>

namespace vomar::testing {

// Height of the A4 page the Ghostscript printer prints on, in points.
inline constexpr int kPageHeight = 842;

// One line per span, "X Y FONT SIZE TEXT", and a line "page" before each page.
// X and Y are where the span's baseline starts, in PostScript default user space
// (origin at the lower left of the A4 page, rounded to whole points); SIZE is written
// without trailing zeros; TEXT is UTF-8 (with a Shift-JIS font, each character is the
// one whose number is its code). Example: "50 650 GothicBBB-Medium-83pv-RKSJ-H 14 荊莉".
std::string PageSpansText(std::string_view txtwriteXml);

// UTF-8 text as a span of a Shift-JIS font gives it: the text in code page 932, each
// character turned into the one whose number is its code ("無" becomes "隳", U+96B3).
std::string AsPrinted(std::string_view utf8);

}  // namespace vomar::testing
