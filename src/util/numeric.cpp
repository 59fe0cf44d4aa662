#include "util/numeric.hpp"

#include <cmath>

namespace morvane {

std::int32_t nint(float v) {
    if (!(std::fabs(v) < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(std::lround(v));
}

int vecintp(std::int32_t n0, std::int32_t nb, std::int32_t ne, float xmiss, std::span<float> vec) {
    if (n0 > nb) return 1;
    // 64-bit positions: NE may be the largest 32-bit integer.
    const std::int64_t b = std::int64_t{nb} - n0;
    const std::int64_t e = std::int64_t{ne} - n0;
    if (e >= static_cast<std::int64_t>(vec.size())) return 1;
    float* v = vec.data();

    std::int64_t p = b;
    while (p <= e && !(v[p] > xmiss)) ++p;
    if (p > e) return 2;

    for (std::int64_t i = b; i < p; ++i) v[i] = v[p];
    for (std::int64_t q = p + 1; q <= e; ++q) {
        if (!(v[q] > xmiss)) continue;
        const float s = (v[q] - v[p]) / static_cast<float>(q - p);
        for (std::int64_t m = p + 1; m < q; ++m) v[m] = v[p] + s * static_cast<float>(m - p);
        p = q;
    }
    for (std::int64_t i = p + 1; i <= e; ++i) v[i] = v[p];
    return 0;
}

}  // namespace morvane
