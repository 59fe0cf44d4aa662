#include "plot/panes.hpp"

#include <stdexcept>

namespace morvane {
namespace {

// Extent of k panes and their k - 1 gaps, in pane units.
float extent(std::int32_t k, float gap) {
    return static_cast<float>(k) + static_cast<float>(k - 1) * gap;
}

}  // namespace

void choose_panes(std::int32_t mode, std::int32_t n, const PanePage& page, PaneGrid& grid) {
    const float uw = (1.0f - page.mx0 - page.mx1) * page.w;
    const float uh = (1.0f - page.my0 - page.my1) * page.h;

    if (n >= 1) {
        PaneGrid best;           // the last grid that fitted
        float best_left = 0.0f;  // its left-over area
        bool taken = false;
        std::int32_t last_m = 0;
        for (std::int32_t i = 1; i <= n; ++i) {
            const std::int32_t m = (n - 1) / i + 1;  // ceiling(n / i)
            if (m == last_m) continue;  // each column count once, with its fewest rows
            last_m = m;
            const float pw = uw / extent(m, page.gx);
            const float ph = pw / page.ratio;
            const float left = (uh - extent(i, page.gy) * ph) * uw;
            if (left >= 0.0f) {
                best = {m, i, pw, ph};
                best_left = left;
                continue;
            }
            // Too tall: the search ends here. Height-limited panes for this grid.
            const float ph2 = uh / extent(i, page.gy);
            const float pw2 = page.ratio * ph2;
            if (i == 1) {
                grid = {m, i, pw2, ph2};
            } else {
                const float left2 = (uw - extent(m, page.gx) * pw2) * uh;
                grid = best_left > left2 ? PaneGrid{m, i, pw2, ph2} : best;
            }
            taken = true;
            break;
        }
        if (!taken) grid = best;  // every grid fitted: the last one, n rows of one column
    }

    if (mode == 2) {
        grid.pw = uw / extent(grid.nc, page.gx);
        grid.ph = uh / extent(grid.nr, page.gy);
    }
}

std::int64_t pane_count(std::int32_t n, const PaneGrid& grid) {
    if (grid.nr < 1 || grid.nc < 1) return 0;
    if (n >= 1) return n;
    return static_cast<std::int64_t>(grid.nr) * grid.nc;
}

void pane_positions(std::int32_t n, const PanePage& page, const PaneGrid& grid,
                    std::span<float> x, std::span<float> y) {
    const std::int64_t count = pane_count(n, grid);
    if (static_cast<std::int64_t>(x.size()) < count || static_cast<std::int64_t>(y.size()) < count)
        throw std::length_error("pane_positions: too little room for the pane corners");
    if (count == 0) return;
    // For n >= 1 the chosen grid has n panes in fewer than nr full rows plus
    // the last one, so the count is reached in the last row; stopping there
    // writes exactly n positions.
    std::int64_t k = 0;
    for (std::int32_t r = 1; r <= grid.nr; ++r) {
        const float yr = page.h * page.my0 + extent(r, page.gy) * grid.ph;
        for (std::int32_t j = 1; j <= grid.nc; ++j) {
            x[k] = page.w * page.mx0 + static_cast<float>(j - 1) * (1.0f + page.gx) * grid.pw;
            y[k] = yr;
            if (++k == count) return;
        }
    }
}

}  // namespace morvane
