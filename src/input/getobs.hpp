// GETOBS: where a variable's observations are, from the keyword list into
// the variable's SeriesSpec record (the files themselves are read by PREPOBS,
// output/prepobs.hpp).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "morvane.h"

namespace morvane {

// The caller's lookup: 1-based index of a variable's observation record, 0 or
// less for none.
using ObsIndexFn = std::function<std::int32_t(std::string_view name)>;

// The keyword of a variable's observations: the name (tabs and zero bytes as
// blanks, trailing blanks removed), "obs", and "_" isuf when isuf is given.
std::string obs_keyword(std::string_view name, std::optional<std::int32_t> isuf);

// GETOBS: looks the variable's keyword up in the list; when it is there with a
// non-blank value and obsind gives an index k > 0, fills obsspecs[k - 1]:
// - constant form (only blanks, signs, digits, "."): path "1obsonly", up to
//   three numbers into cval, icol1 1, icol2 2, factor 1, cval(3) 0 first;
// - file form: FILEPART[/letter][;COLPART] gives path (joined to DIR), opt,
//   factor, icol1 and icol2.
// opt is "x" unless the file part sets another letter; fmt is never touched.
// A constant that cannot be read throws BadValue (input/keylist.hpp) before
// the record is changed. Warnings (util/warnings.hpp): a keyword without a
// value, or one whose variable has no record; more than three constants; a
// file that does not exist; a column given by name (read as column 1).
void getobs(const ObsIndexFn& obsind, const KEYLIST& list, std::string_view name, SeriesSpec* obsspecs,
            std::optional<std::int32_t> isuf = std::nullopt);

}  // namespace morvane
