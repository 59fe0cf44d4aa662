// Polyline thinning (Douglas-Peucker) and the segment geometry it rests on.
// Single precision: every intermediate result is rounded to float.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

struct PointF {
    float x, y;
};

// Foot of the perpendicular from (px, py) onto the line through (x1, y1) and
// (x2, y2); the first point when the two points are (numerically) one.
PointF footline(float x1, float y1, float x2, float y2, float px, float py);

// Point of the segment from (x1, y1) to (x2, y2) nearest to (px, py).
PointF nearseg(float px, float py, float x1, float y1, float x2, float y2);

// Distance from (px, py) to the segment from (x1, y1) to (x2, y2).
float distseg(float px, float py, float x1, float y1, float x2, float y2);

// Thins the points nbeg..nend of a polyline whose coordinates xv, yv are
// indexed from n0 (xv[0] is point n0). A point is kept when it lies farther
// than tol from the chord between the points kept on either side of it.
// Writes the kept indices (in the caller's numbering, increasing) to the front
// of intp, which needs room for nend - nbeg + 1 entries, and returns their
// count. Fewer than two points, or two kept points that coincide (a closed
// loop reduced to its ends), give 0. nbeg < n0 stops the run with
// "DOUPEU: nbeg < n0!"; when the installed stop handler returns, 0 is returned.
// Throws std::length_error when xv, yv or intp are too short.
std::int32_t doupeu(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                    std::span<const float> xv, std::span<const float> yv, float tol,
                    std::span<std::int32_t> intp);

// The same, returning the kept indices.
std::vector<std::int32_t> doupeu(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                                 std::span<const float> xv, std::span<const float> yv, float tol);

namespace detail {
// doupeu with the baseline instruction set only (doupeu may take a version for
// wider vectors), so that tests can check both give the same indices.
std::int32_t doupeu_baseline(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                             std::span<const float> xv, std::span<const float> yv, float tol,
                             std::span<std::int32_t> intp);
}  // namespace detail

}  // namespace morvane
