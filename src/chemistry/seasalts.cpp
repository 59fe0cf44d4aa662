#include "chemistry/seasalts.hpp"

namespace morvane {
namespace {

// Share of each tracer in the total sea-salt charge, and its (1-based)
// position in the ion vector, by reference code 1..5.
constexpr float kShare[5] = {0.53545f, 0.45916f, 0.10467f, 0.01997f, 0.00972f};
constexpr int kPos[5] = {8, 7, 5, 4, 6};

}  // namespace

void seasalts(std::int32_t iref, const float* dep, float* ssdep) {
    for (int i = 0; i < 9; ++i) ssdep[i] = 0.0f;
    if (iref < 1 || iref > 5) return;
    const float s = dep[kPos[iref - 1] - 1] / kShare[iref - 1];
    const float na = 0.45916f * s;
    const float cl = 0.53545f * s;
    const float mg = 0.10467f * s;
    const float ca = 0.01997f * s;
    const float k = 0.00972f * s;
    ssdep[6] = na;
    ssdep[7] = cl;
    ssdep[4] = mg;
    ssdep[3] = ca;
    ssdep[5] = k;
    // Sea-salt sulphate balances the charge of the five ions.
    ssdep[0] = (((na - cl) + mg) + ca) + k;
}

}  // namespace morvane
