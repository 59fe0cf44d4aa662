#include "chemistry/organic.hpp"

#include <cmath>
#include <limits>

namespace morvane {

int organic_model(float v) {
    // NaN and values beyond the integer range give the most negative integer
    // (as the x86 conversion does), so they take the "no organic acid" exit
    // instead of clearing an unbounded org array.
    if (!(std::fabs(v) < 2147483648.0f)) return std::numeric_limits<int>::min();
    return static_cast<int>(std::round(v));
}

void orgall(float h, float al, const float* par, float* org, float* alorg, float& alchg) {
    const int m = organic_model(par[19]);
    if (m >= 0)
        for (int k = 0; k <= m; ++k) org[k] = 0.0f;
    for (int k = 0; k < 3; ++k) alorg[k] = 0.0f;
    alchg = 0.0f;
    const float t = par[18];
    if (m < 0 || t <= 0.0f || h <= 0.0f) return;

    if (m == 0) {
        // Monoprotic acid whose pK depends on pH.
        const float p1 = par[20], p2 = par[21], p3 = par[22];
        const float ph = 3.0f - std::log10(h);
        const float kd = std::pow(10.0f, (3.0f - p1) - ph * (p2 - p3 * ph));
        org[1] = (t * kd) / (h + kd);
        org[0] = org[1];
        return;
    }

    // K(k) for k = 1..m sits at position 20 + k.
    const float* kk = par + 19;
    const float a1 = par[30], a2 = par[31];
    const bool complexes = al > 0.0f && (a1 > 0.0f || a2 > 0.0f) && (m == 2 || m == 3);
    float u = 0.0f, v = 0.0f, e = 0.0f;
    if (complexes) {
        const float a = al / 3.0f;
        if (m == 2) {
            u = (a1 * a) / ((h * h) * h);
            v = (a * a2) / h;
            e = ((u + v) * kk[1]) / h;
        } else {
            u = a1 * a;
            v = a * (a2 * h);
            e = (((kk[1] * kk[2]) * kk[3]) * (u + v)) / ((h * h) * h);
        }
    }

    float d = e + 1.0f;
    float p = 1.0f;
    for (int k = 1; k <= m; ++k) {
        p = (p * kk[k]) / h;
        d = d + p;
    }
    float c = t / d;
    for (int k = 1; k <= m; ++k) {
        c = (c * kk[k]) / h;
        org[k] = c;
    }

    if (complexes) {
        if (m == 2) {
            alorg[0] = u * org[1];
            alorg[2] = v * org[1];
        } else {
            alorg[1] = u * org[3];
            alorg[2] = v * org[3];
        }
        alchg = alorg[2] - alorg[0];
    }

    org[0] = org[1];
    for (int k = 2; k <= m; ++k) {
        org[k] = static_cast<float>(k) * org[k];
        org[0] = org[0] + org[k];
    }
}

}  // namespace morvane
