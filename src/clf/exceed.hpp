// Exceedance of a critical-load function of sulphur and nitrogen.
#pragma once

#include <cstdint>

namespace morvane {

struct Exceedance {
    float exn;
    float exs;
    // -1 invalid critical loads, 0 not exceeded, 1 beyond the foot (CLmaxN, 0),
    // 2 opposite the sloping line, 3 beyond the corner (CLminN, CLmaxS),
    // 4 above the horizontal line.
    std::int32_t region;
};

Exceedance exceed(float clmaxs, float clminn, float clmaxn, float ndep, float sdep);

}  // namespace morvane
