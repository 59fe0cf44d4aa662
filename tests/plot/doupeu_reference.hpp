// The thinning procedure exactly as first written: INTP (1-based) is refined in
// place, shifting the indices right of every newly kept point up by one. It is
// quadratic in the number of kept points and serves as the reference that the
// library's thinning must reproduce index for index.
#pragma once

#include <cstdint>
#include <vector>

#include "plot/thinning.hpp"

namespace morvane::reference {

// xv[k - n0], yv[k - n0] are point k. Returns INTP(1..NOUT).
inline std::vector<std::int32_t> doupeu(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                                        const float* xv, const float* yv, float tol) {
    auto X = [&](std::int32_t k) { return xv[k - n0]; };
    auto Y = [&](std::int32_t k) { return yv[k - n0]; };
    std::int32_t nout = 0;
    if (nend - nbeg + 1 <= 1) return {};
    std::vector<std::int32_t> intp(static_cast<std::size_t>(nend - nbeg + 2));  // INTP(1..)
    nout = 2;
    intp[1] = nbeg;
    intp[2] = nend;
    std::int32_t i = 1;
    for (;;) {
        const std::int32_t a = intp[i];
        const std::int32_t b = intp[i + 1];
        if (b == a + 1) {
            if (b == nend) break;
            ++i;
            continue;
        }
        float dmax = 0.0f;
        std::int32_t kmax = 0;
        for (std::int32_t k = a + 1; k <= b - 1; ++k) {
            const float d = distseg(X(k), Y(k), X(a), Y(a), X(b), Y(b));
            if (d > dmax) {
                dmax = d;
                kmax = k;
            }
        }
        if (dmax > tol) {
            for (std::int32_t j = nout; j >= i + 1; --j) intp[j + 1] = intp[j];
            intp[i + 1] = kmax;
            ++nout;
            continue;
        }
        ++i;
        if (i >= nout) break;
    }
    if (nout == 2 && X(nbeg) == X(nend) && Y(nbeg) == Y(nend)) nout = 0;
    return std::vector<std::int32_t>(intp.begin() + 1, intp.begin() + 1 + nout);
}

}  // namespace morvane::reference
