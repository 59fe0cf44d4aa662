#include "clf/exceed.hpp"

namespace morvane {

Exceedance exceed(float clmaxs, float clminn, float clmaxn, float ndep, float sdep) {
    const float a = clmaxs, b = clminn, c = clmaxn, n = ndep, s = sdep;
    if (a < 0.0f || b < 0.0f || c < 0.0f) return {-1.0f, -1.0f, -1};
    const float dn = c - b;
    if (a >= s && c >= n && -(dn * s) >= (n - c) * a) return {0.0f, 0.0f, 0};
    if (b >= n) return {0.0f, s - a, 4};
    if ((n - c) * dn >= a * s) return {n - c, s, 1};
    if (a * (s - a) >= dn * (n - b)) return {n - b, s - a, 3};
    // Foot of the perpendicular from (N, S) onto the line through
    // (CLminN, CLmaxS) and (CLmaxN, 0).
    const float d = dn * dn + a * a;
    const float p = dn * n + (-a) * s;
    const float np = (dn * p + (-a) * (-(a * c))) / d;
    const float sp = ((-a) * p - dn * (-(a * c))) / d;
    return {n - np, s - sp, 2};
}

}  // namespace morvane
