#include "output/valcrit.hpp"

#include <cmath>

namespace morvane {

float sdiv(float a, float b, float eps) {
    if (b != 0.0f) return a / b;
    float r = std::fabs(a) >= eps ? 1.0f / eps : eps;
    if (a < 0.0f) r = -r;
    return r;
}

float val_crit(std::int32_t icrit, const float* x2, const float* x3, const float* x4,
               const float* x5, const float* x6, const float* x7, const float* x8) {
    constexpr float eps = 0.001f;
    constexpr float undefined = -999.0f;
    // S = (X2 + X3) * 0.5 + X4, formed only by the criteria that use it.
    auto s = [&] { return (*x2 + *x3) * 0.5f + *x4; };
    switch (icrit) {
        case 1: return sdiv(*x6 / 3.0f, s(), eps);
        case 2: return *x6;
        case 3: return *x8;
        case 4: return 3.0f - std::log10(*x5);
        case 5: return *x7;
        case 6: return sdiv(s(), *x5, eps);
        case 8: return sdiv(*x6 / 3.0f, *x2 * 0.5f, eps);
        case 11: return *x6 > 0.1f ? sdiv(*x6 / 3.0f, s(), eps) : *x6;
        default: return undefined;  // 7, 9, 10 and every other number
    }
}

}  // namespace morvane
