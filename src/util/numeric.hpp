// Numeric utilities on series.
#pragma once

#include <cstdint>
#include <span>

namespace morvane {

// NINT of a 32-bit real: the nearest integer, halves away from zero; beyond
// the 32-bit range (and NaN) the most negative 32-bit integer.
std::int32_t nint(float v);

// vecintp: fills the gaps of VEC(NB..NE) in place. vec[0] is VEC(N0). An entry
// is valid when it is strictly greater than xmiss. Missing entries between two
// valid ones get the straight line between them (slope computed once per gap,
// each value rounded to float); the entries before the first valid one and
// after the last get that value. Returns IERR: 0 done; 1 bad bounds (N0 > NB,
// or NE beyond the end of vec), VEC untouched; 2 no valid entry in NB..NE
// (NE < NB included), VEC untouched.
int vecintp(std::int32_t n0, std::int32_t nb, std::int32_t ne, float xmiss, std::span<float> vec);

}  // namespace morvane
