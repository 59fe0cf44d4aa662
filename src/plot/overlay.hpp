// Observations drawn into the plot windows before any simulated curve: one
// marker (or a joining line) per observation, with a vertical error bar where
// an error is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "morvane.h"
#include "plot/curves.hpp"
#include "postscript/postscript.hpp"
#include "util/textfile.hpp"

namespace morvane {

// One observation: time, value and error (half-length of the error bar).
struct ObsTriple {
    float t = 0.0f, v = 0.0f, e = 0.0f;
};

// The observations of one data line of an observation file: the time, the
// value of column icol1 and, when icol2 > icol1 and the line holds that many
// columns, the error of column icol2 (else 0). False for a comment line, an
// empty line or a line whose numbers cannot be read.
bool read_obs_line(std::string_view line, std::int32_t icol1, std::int32_t icol2, ObsTriple& out);

// Appends the observations of a file's lines to buf: lines read with
// read_obs_line, kept when the value is not -999.0 and the time lies in the
// drawn period of win.
void read_obs_lines(TextReader& rd, std::int32_t icol1, std::int32_t icol2, const PlotWindows& win,
                    std::vector<ObsTriple>& buf);

// The variables and blocks whose observations are drawn.
struct ObsOverlay {
    std::int32_t nrec = 0;
    std::span<const std::int32_t> ivar, iblk, iwin;
    const SeriesSpec* obsspecs = nullptr;  // one record per variable record and block
};

// Draws the observations of all blocks and variables. Returns "" or the
// message of the last observation file that was not found (those variables
// are drawn without observations).
std::string draw_observations(psdev& dev, const PlotWindows& win, const ObsOverlay& obs);

}  // namespace morvane
