// Exports of the critical-load function geometry.
#include <algorithm>
#include <span>

#include "clf/exceed.hpp"
#include "clf/polyline.hpp"
#include "frame/guard.hpp"
#include "morvane.h"

namespace {

std::span<const float> vertices(const float* v, std::int32_t n) {
    return {v, static_cast<std::size_t>(std::max<std::int32_t>(n, 0))};
}

}  // namespace

extern "C" {

MORVANE_API void MORVANE_CALL EXCEED(const float* clmaxs, const float* clminn, const float* clmaxn,
                                     const float* ndep, const float* sdep, float* exn, float* exs,
                                     int32_t* region) {
    const morvane::Exceedance r = morvane::exceed(*clmaxs, *clminn, *clmaxn, *ndep, *sdep);
    *exn = r.exn;
    *exs = r.exs;
    *region = r.region;
}

// A negative vertex count counts as an empty polyline.
MORVANE_API void MORVANE_CALL MINPOLY(const int32_t* na, const float* xa, const float* ya, const int32_t* nb,
                                      const float* xb, const float* yb, int32_t* nout, float* xout,
                                      float* yout) {
    *nout = 0;
    morvane::frame::quietly([&] {
        *nout = morvane::minpoly(vertices(xa, *na), vertices(ya, *na), vertices(xb, *nb), vertices(yb, *nb),
                                 xout, yout);
    });
}

MORVANE_API void MORVANE_CALL SHFTPOLY(const int32_t* n, const float* x, const float* y, const float* d,
                                       int32_t* nout, float* xout, float* yout) {
    *nout = 0;
    morvane::frame::quietly(
        [&] { *nout = morvane::shftpoly(vertices(x, *n), vertices(y, *n), *d, xout, yout); });
}

}  // extern "C"
