// Observations drawn into the plot windows before any simulated curve: one
// marker (or a joining line) per observation, with a vertical error bar where
// an error is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "morvane.h"
#include "plot/curves.hpp"
#include "postscript/postscript.hpp"

namespace morvane {

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
