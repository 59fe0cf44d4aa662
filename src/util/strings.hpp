// String utilities on fixed-width, blank-padded text: cleaning, bounds,
// case, counting and splitting items, word lookup. Positions are 1-based, as the file formats
// and callers count them.
//
// Conventions of this family:
// - "Blank-like" characters are blank, the zero byte and the tab.
// - Two texts are equal under the padded comparison when they are equal after
//   padding the shorter one with blanks (letters case-sensitive).
// - Routines returning pieces of text take a `width`: the element length of
//   the caller's fixed-width array (pieces cut or blank-padded to it), or 0
//   for the natural length (the piece with trailing blanks removed).
// The byte-vector conversions (BYTE2STR, STR2BYTE) are in util/bytevec.hpp,
// numbers and dates as text in util/strings_numbers.hpp.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "util/bytevec.hpp"

namespace morvane {

// ---- small helpers ----

// Blank, zero byte or tab.
constexpr bool blank_like(char c) { return c == ' ' || c == '\0' || c == '\t'; }
// True when every character is blank-like (also for an empty text).
bool is_blank(std::string_view s);
// s cut or blank-padded to width characters.
std::string fit(std::string_view s, std::size_t width);
// s without trailing blanks (only the blank itself).
std::string_view trim_right(std::string_view s);
// The padded comparison.
bool padded_equal(std::string_view a, std::string_view b);
// The text between the first and last non-blank-like character ("" when blank).
std::string_view trimmed(std::string_view s);

// First and last position (1-based) of the non-blank text; both 0 when blank.
struct Limits {
    int first = 0;
    int last = 0;
};

// ---- the family ----

// TIDY: copy with every zero byte and tab replaced by a blank.
std::string tidy(std::string_view s);

// STRLIM: positions of the first and last character of TIDY(s) that is not a
// blank; {0, 0} for a blank text.
Limits strlim(std::string_view s);

// UPP2LOW: copy with the letters A-Z turned into a-z; all else unchanged.
std::string upp2low(std::string_view s);

// CHARCOUNT: occurrences of ch between the limits of s; mode 1 counts all,
// mode 2 only those outside single quotes, any other mode none.
int charcount(int mode, char ch, std::string_view s);

// NITEMS: number of items of s (runs of blanks/tabs or commas separate them;
// single quotes protect separators).
int nitems(std::string_view s);

// GAPPOS: first and last position of the n-th run of separators of s;
// {0, 0} when there is none.
Limits gappos(int n, std::string_view s);

// SPLITITEMS: the items of s, at most nmax. Quote handling when qc is not a
// blank (qc toggles the quote state and is blanked in the items). dlim is the
// delimiter set (default blank, zero byte, tab). Items are cut or padded to
// width (0: natural length) and left-adjusted. The result's size is N.
std::vector<std::string> splititems(std::string_view s, int nmax, std::size_t width = 0, char qc = ' ',
                                    std::optional<std::string_view> dlim = std::nullopt);

// STRREPL: every occurrence of cold in s replaced by cnew, in place; s keeps
// its length (the tail is cut at the end or blank-filled).
void strrepl(std::string_view cold, std::string_view cnew, std::string& s);

// SPLITAT: line split at the character dch outside single or double quotes
// into at most nmax parts (the last part takes the rest). The result always
// has nmax elements, unused ones blank; each cut or padded to width (0:
// natural length).
std::vector<std::string> splitat(std::string_view line, char dch, int nmax, std::size_t width = 0);

// WORDIDX: 1-based number of the first word of s equal to word (taken without
// its leading and trailing blanks), 0 when absent or when either is blank.
// Delimiters: dlim, default blank, zero byte, tab; quotes protect them.
int wordidx(std::string_view s, std::string_view word, std::optional<std::string_view> dlim = std::nullopt);

// CVECFIND: true when s equals one of cvec (padded comparison); idx is its
// 1-based position, else 0.
bool cvecfind(std::span<const std::string> cvec, std::string_view s, int& idx);
bool cvecfind(std::span<const std::string_view> cvec, std::string_view s, int& idx);

// ISCHAR: true when the text of line is exactly the one character c.
bool ischar(std::string_view line, char c);

}  // namespace morvane
