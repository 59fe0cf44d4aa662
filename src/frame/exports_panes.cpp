// Export of the pane layout.
#include <span>

#include "frame/guard.hpp"
#include "morvane.h"
#include "plot/panes.hpp"

extern "C" {

MORVANE_API void MORVANE_CALL GETPANES(const int32_t* mode, const int32_t* n, const float* w,
                                       const float* h, const float* mx0, const float* mx1,
                                       const float* my0, const float* my1, const float* ratio,
                                       const float* gx, const float* gy, int32_t* nc, int32_t* nr,
                                       float* x, float* y, float* pw, float* ph) {
    morvane::frame::quietly([&] {
        const morvane::PanePage page{*w, *h, *mx0, *mx1, *my0, *my1, *ratio, *gx, *gy};
        morvane::PaneGrid grid{*nc, *nr, *pw, *ph};
        morvane::choose_panes(*mode, *n, page, grid);
        *nc = grid.nc;
        *nr = grid.nr;
        *pw = grid.pw;
        *ph = grid.ph;
        const auto count = static_cast<std::size_t>(morvane::pane_count(*n, grid));
        morvane::pane_positions(*n, page, grid, std::span<float>(x, count), std::span<float>(y, count));
    });
}

}  // extern "C"
