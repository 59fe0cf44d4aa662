// Validation criteria: VAL_CRIT and its guarded division SDIV, all in 32-bit
// floats in the written order of operations.
#pragma once

#include <cstdint>

namespace morvane {

// SDIV: A / B; when B is zero, 1/EPS if |A| >= EPS, else EPS, with the sign of A.
float sdiv(float a, float b, float eps);

// VAL_CRIT: criterion ICRIT from X2..X8; -999 for an undefined criterion.
// Only the pointers the criterion names are dereferenced (the others may be null).
float val_crit(std::int32_t icrit, const float* x2, const float* x3, const float* x4,
               const float* x5, const float* x6, const float* x7, const float* x8);

}  // namespace morvane
