// Operations on piecewise-linear functions given by their vertices.
#pragma once

#include <cstdint>
#include <span>

namespace morvane {

// Pointwise minimum of polylines A and B (x ascending, y >= 0) over the
// x-range they share, crossings included. xout and yout need room for
// 2 * (na + nb) points. Returns the number of points written; 0 when either
// polyline is empty or the ranges do not overlap.
std::int32_t minpoly(std::span<const float> xa, std::span<const float> ya, std::span<const float> xb,
                     std::span<const float> yb, float* xout, float* yout);

// A decreasing polyline lowered by d and cut where it reaches zero. xout and
// yout need room for x.size() points. Returns the number of points written.
// When the lowered polyline never reaches zero the run is stopped; if the
// installed stop handler returns, the result is 0.
std::int32_t shftpoly(std::span<const float> x, std::span<const float> y, float d, float* xout, float* yout);

}  // namespace morvane
