// Observations of a model variable: where they are (GETOBS, from the keyword
// list into the variable's SeriesSpec record) and what they are (PREPOBS, the
// (time, value, second value) triples of an observation file in a window).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// the record is changed.
void getobs(const ObsIndexFn& obsind, const KEYLIST& list, std::string_view name, SeriesSpec* obsspecs,
            std::optional<std::int32_t> isuf = std::nullopt);

// One observation: time, first value, second value (0 when there is none).
struct ObsPoint {
    float time = 0.0f;
    float value = 0.0f;
    float value2 = 0.0f;
};

struct ObsFile {
    bool found = false;           // false: the file does not exist (nothing read)
    std::vector<ObsPoint> points;  // the observations kept, in file order
    std::string msg;              // "" on success
};

// PREPOBS: reads the observation file spec.path: data lines give the time
// (item 1), the first value (item icol1 + 1) and, when icol2 > icol1 and the
// line holds enough items, the second value (item icol2 + 1). Kept are the
// lines whose first value is not xmiss and whose time lies in [iyb, iye].
// Comment lines ("!" in column 1) and blank lines are passed over. A data line
// that cannot be read (too few items, an item that is not a number) is
// skipped, the rest still read, and the message names the last such line.
ObsFile prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye);

}  // namespace morvane
