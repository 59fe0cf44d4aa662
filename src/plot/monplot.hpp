// MONPLOT: one Encapsulated PostScript page of up to 25 windows showing the
// simulated series of a run, the observations and up to nine earlier runs.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "morvane.h"

namespace morvane {

// The driver's arguments. Texts are the 128-character fields as the byte
// vectors give them; spans are sized by the counts (ivar, cumul, iwin: NV;
// iblk: NBLK; vars: NREC; lwid: 9; rgb: 27; time: NT; runs: 9).
struct MonplotArgs {
    std::string psfile, title, subttl;
    std::int32_t nrec = 0;
    std::int32_t nv = 0;
    std::span<const std::int32_t> ivar;
    std::span<const std::int32_t> iblk;
    std::span<const std::int32_t> cumul;  // logicals
    std::span<const std::int32_t> iwin;
    std::span<const VarDescriptor> vars;
    const PlotSettings* pset = nullptr;
    float aspect = 1.414f;
    std::int32_t idate = 0;
    std::span<const float> lwid;
    std::span<const std::int32_t> rgb;
    std::int32_t igrid = 255;
    std::int32_t nacc = 1;
    std::int32_t ivlab = -2;
    float yref = 0.0f;
    float zlwid = -1.0f;
    std::int32_t n0 = 1, n1 = 0;
    std::int32_t iyoff = 0;
    std::int32_t nstep = 1;
    std::span<const float> time;
    const float* val = nullptr;             // VAL(N0:N1, *), time-major
    std::span<const SeriesSpec> runs;       // comparison runs
    const SeriesSpec* obsspecs = nullptr;   // OBSSPECS(*), one per variable record and block
};

// Draws the page into psfile. Returns "" or the message of the last observation
// file that was not found; a failure throws Error with its message.
std::string monplot(const MonplotArgs& a);

}  // namespace morvane
