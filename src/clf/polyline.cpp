#include "clf/polyline.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "util/stop.hpp"

namespace morvane {
namespace {

// Bisection: the index j (1-based) with v(j) <= t < v(j+1) for ascending v
// (mirrored for descending), 0 before v(1), n at or beyond v(n).
std::int32_t bracket(std::span<const float> v, float t) {
    const std::int32_t n = static_cast<std::int32_t>(v.size());
    if (n == 0) return 0;
    const bool ascending = v[n - 1] >= v[0];
    std::int32_t lower = 0, upper = n + 1;
    while (upper - lower >= 2) {
        const std::int32_t mid = (upper + lower) / 2;
        if ((t >= v[mid - 1]) == ascending)
            lower = mid;
        else
            upper = mid;
    }
    return lower;
}

// Value of the polyline (x, y) at t, on the segment that brackets t. A t at
// or beyond the last vertex takes the last value (and one before the first
// vertex the first), so no vertex past either end is ever read.
float value_at(std::span<const float> x, std::span<const float> y, float t) {
    const std::int32_t n = static_cast<std::int32_t>(x.size());
    const std::int32_t j = bracket(x, t);
    if (j < 1) return y[0];
    if (j >= n) return y[n - 1];
    const float x0 = x[j - 1], x1 = x[j], y0 = y[j - 1], y1 = y[j];
    return y0 + ((y1 - y0) * (t - x0)) / (x1 - x0);
}

}  // namespace

std::int32_t minpoly(std::span<const float> xa, std::span<const float> ya, std::span<const float> xb,
                     std::span<const float> yb, float* xout, float* yout) {
    const std::size_t na = xa.size(), nb = xb.size();
    // An empty polyline shares no range with the other one.
    if (na == 0 || nb == 0) return 0;

    // Merged vertices: abscissa, value of A and of B there (-1: not known yet).
    struct Vertex {
        float x, a, b;
    };
    std::vector<Vertex> merged;
    merged.reserve(na + nb);
    // Where each vertex of A went in the merged list (none: not taken).
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::vector<std::size_t> where(na, none);

    for (std::size_t i = 0; i < na; ++i) {
        if (xa[i] < xb[0]) continue;
        if (xa[i] > xb[nb - 1]) break;
        where[i] = merged.size();
        merged.push_back({xa[i], ya[i], -1.0f});
    }
    for (std::size_t j = 0; j < nb; ++j) {
        if (xb[j] < xa[0]) continue;
        if (xb[j] > xa[na - 1]) break;
        const auto hit = std::find(xa.begin(), xa.end(), xb[j]);
        const std::size_t i = static_cast<std::size_t>(hit - xa.begin());
        // A vertex of B that coincides with one of A shares its entry.
        if (hit != xa.end() && where[i] != none)
            merged[where[i]].b = yb[j];
        else
            merged.push_back({xb[j], -1.0f, yb[j]});
    }
    // No overlap of the two ranges: no point at all.
    if (merged.empty()) return 0;

    // A stable sort: vertices with equal abscissae keep the order in which
    // they were collected (those of A first). NaN abscissae go last.
    std::stable_sort(merged.begin(), merged.end(), [](const Vertex& p, const Vertex& q) {
        return p.x < q.x || (!std::isnan(p.x) && std::isnan(q.x));
    });

    for (Vertex& v : merged) {
        if (v.a < 0.0f) v.a = value_at(xa, ya, v.x);
        if (v.b < 0.0f) v.b = value_at(xb, yb, v.x);
    }

    auto lower = [](const Vertex& v) { return v.b < v.a ? v.b : v.a; };
    xout[0] = merged[0].x;
    yout[0] = lower(merged[0]);
    std::int32_t nout = 1;
    for (std::size_t k = 1; k < merged.size(); ++k) {
        const Vertex& p = merged[k - 1];
        const Vertex& q = merged[k];
        const float dp = p.a - p.b;
        const float dq = q.a - q.b;
        if (dp * dq < 0.0f) {
            // The two functions cross strictly between the vertices.
            xout[nout] = p.x + (dp * (q.x - p.x)) / (dp - dq);
            yout[nout] = (p.a * q.b - p.b * q.a) / (dp - dq);
            ++nout;
        }
        xout[nout] = q.x;
        yout[nout] = lower(q);
        ++nout;
    }
    return nout;
}

std::int32_t shftpoly(std::span<const float> x, std::span<const float> y, float d, float* xout, float* yout) {
    const std::size_t n = x.size();
    if (n == 0) return 0;
    if (y[0] < d) return 0;
    if (d <= 0.0f) {
        // No shift: the polyline as it is (also for a negative d).
        std::copy(x.begin(), x.end(), xout);
        std::copy(y.begin(), y.end(), yout);
        return static_cast<std::int32_t>(n);
    }
    xout[0] = x[0];
    yout[0] = y[0] - d;
    if (n == 1) return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if (y[i] > d) {
            xout[i] = x[i];
            yout[i] = y[i] - d;
            continue;
        }
        // Where the lowered segment from vertex i-1 to vertex i reaches zero.
        xout[i] = x[i] + ((x[i - 1] - x[i]) / (y[i - 1] - y[i])) * (0.0f - (y[i] - d));
        yout[i] = 0.0f;
        return static_cast<std::int32_t>(i + 1);
    }
    stop_run("SHFTPOLY: Impossible!");
    return 0;
}

}  // namespace morvane
