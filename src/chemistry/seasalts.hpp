// Sea-salt deposition from one tracer ion of marine origin.
#pragma once

#include <cstdint>

namespace morvane {

// Positions (1-based) of the nine-element ion vectors: 1 SO4, 2 NOx, 3 NHy,
// 4 Ca, 5 Mg, 6 K, 7 Na, 8 Cl, 9 P. iref picks the tracer: 1 Cl, 2 Na, 3 Mg,
// 4 Ca, 5 K. dep needs 8 elements (only 4..8 are read); ssdep gets 9. Codes
// outside 1..5 give nine zeros.
void seasalts(std::int32_t iref, const float* dep, float* ssdep);

}  // namespace morvane
