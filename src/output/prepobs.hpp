// PREPOBS: the observations of a model variable, the (time, value, second
// value) triples of its observation file in a window (where the file is, the
// keyword list tells: GETOBS, input/getobs.hpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "morvane.h"

namespace morvane {

// One observation: time, first value, second value (0 when there is none).
struct ObsPoint {
    float time = 0.0f;
    float value = 0.0f;
    float value2 = 0.0f;
};

struct ObsFile {
    std::vector<ObsPoint> points;  // the observations kept, in file order
    std::string msg;              // "", or the message of the last line that could not be read
};

// PREPOBS: reads the observation file spec.path: data lines give the time
// (item 1), the first value (item icol1 + 1) and, when icol2 > icol1 and the
// line holds enough items, the second value (item icol2 + 1). Kept are the
// lines whose first value is not xmiss and whose time lies in [iyb, iye].
// Comment lines ("!" in column 1) and blank lines are passed over. A data line
// that cannot give every value it needs (too few items, an item that is not
// a number, an empty item or a "/" where a value should be) is skipped, the
// rest still read, and the message names the last such line. Warnings
// (util/warnings.hpp): each line skipped and why, a number that is not
// finite, the observations outside the window. A file that does not exist
// (or cannot be read) throws Error.
ObsFile prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye);
// The same, the triples written straight into OBS(3, *), the caller's array,
// and their number into nobs; returns the message. nobs is set only when the
// file was read to its end (a read that fails may leave triples in obs).
std::string prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye, float* obs,
                    std::int32_t& nobs);

}  // namespace morvane
