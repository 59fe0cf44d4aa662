// The time-series reader: a series value of the keyword file (a constant, the
// equals-sign marker, or a column of a data file) turned into the run's series.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace morvane {

// VARIN01(TEXT, N0, IYRB, IYRE, NS, RMISS, VEC): vec[0] is VEC(N0); the run
// occupies VEC(IYRB) .. VEC(IYRB + (IYRE - IYRB + 1) * NS - 1). A failure
// throws Error with the one failure message; VEC is then left as the
// message's case says.
void varin01(std::string_view text, std::int32_t n0, std::int32_t iyrb, std::int32_t iyre, std::int32_t ns,
                    float rmiss, std::span<float> vec);

}  // namespace morvane
