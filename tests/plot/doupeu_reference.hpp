// The thinning procedure as first written: INTP (1-based) refined in place,
// shifting the indices right of each newly kept point up by one. The reference
// that the library's thinning must reproduce index for index.
#pragma once

#include <cstdint>
#include <vector>

#include "plot/thinning.hpp"

namespace morvane::reference {

// xv[k - n0], yv[k - n0] are point k. Returns INTP(1..NOUT).
inline std::vector<std::int32_t> doupeu(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                                        const float* xv, const float* yv, float tol) {
    auto d = [&](std::int32_t k, std::int32_t a, std::int32_t b) {
        return distseg(xv[k - n0], yv[k - n0], xv[a - n0], yv[a - n0], xv[b - n0], yv[b - n0]);
    };
    if (nend - nbeg + 1 <= 1) return {};
    std::vector<std::int32_t> intp(static_cast<std::size_t>(nend - nbeg + 2));
    std::int32_t nout = 2, i = 1;
    intp[1] = nbeg;
    intp[2] = nend;
    for (;;) {
        const std::int32_t a = intp[i], b = intp[i + 1];
        if (b == a + 1) {
            if (b == nend) break;
            ++i;
            continue;
        }
        float dmax = 0.0f;
        std::int32_t kmax = 0;
        for (std::int32_t k = a + 1; k <= b - 1; ++k)
            if (d(k, a, b) > dmax) dmax = d(k, a, b), kmax = k;
        if (dmax > tol) {
            for (std::int32_t j = nout; j >= i + 1; --j) intp[j + 1] = intp[j];
            intp[i + 1] = kmax;
            ++nout;
            continue;
        }
        if (++i >= nout) break;
    }
    if (nout == 2 && xv[nbeg - n0] == xv[nend - n0] && yv[nbeg - n0] == yv[nend - n0]) nout = 0;
    return std::vector<std::int32_t>(intp.begin() + 1, intp.begin() + 1 + nout);
}

}  // namespace morvane::reference
