#include "plot/thinning.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "util/stop.hpp"

namespace morvane {

PointF footline(float x1, float y1, float x2, float y2, float px, float py) {
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float d2 = dx * dx + dy * dy;
    if (d2 == 0.0f) return {x1, y1};
    const float a = px * dx + py * dy;
    const float b = x1 * dy - y1 * dx;
    return {(dx * a + dy * b) / d2, (dy * a - dx * b) / d2};
}

PointF nearseg(float px, float py, float x1, float y1, float x2, float y2) {
    if (x1 == x2 && y1 == y2) return {x1, y1};
    const PointF f = footline(x1, y1, x2, y2, px, py);
    const float t = x1 == x2 ? (f.y - y1) / (y2 - y1) : (f.x - x1) / (x2 - x1);
    if (t < 0.0f) return {x1, y1};
    if (t > 1.0f) return {x2, y2};
    return f;
}

namespace {

float distance(float px, float py, float cx, float cy) {
    const float ex = px - cx;
    const float ey = py - cy;
    return static_cast<float>(std::sqrt(static_cast<double>(ex * ex + ey * ey)));
}

}  // namespace

float distseg(float px, float py, float x1, float y1, float x2, float y2) {
    if (x1 == x2 && y1 == y2) return distance(px, py, x1, y1);
    const PointF c = nearseg(px, py, x1, y1, x2, y2);
    return distance(px, py, c.x, c.y);
}

namespace {

// The per-chord work is inlined into each instruction-set version below.
#define MORVANE_INLINE inline __attribute__((always_inline))

// Compilers do not vectorise the per-point selections on their own (a float
// comparison may trap), so the points are taken in explicit vectors.
constexpr int lanes = 8;
typedef float Vec __attribute__((vector_size(lanes * sizeof(float))));

// Squared distances of points from one chord, as distseg measures them. The
// chord's own terms are computed once; every per-point operation is the one
// distseg performs, in the same order, so each square is bit for bit the one
// distseg takes the root of. Roots are taken only where they can decide the
// farthest point (the root is monotonic), which lets the per-point work
// vectorise.
class Chord {
public:
    Chord(float x1, float y1, float x2, float y2)
        : x1_(x1), y1_(y1), x2_(x2), y2_(y2), dx_(x2 - x1), dy_(y2 - y1),
          d2_(dx_ * dx_ + dy_ * dy_), b_(x1 * dy_ - y1 * dx_) {
        // Coincident ends, or ends so close that d2 underflows: the foot is
        // the first end for every point (the segment parameter is then 0).
        if ((x1 == x2 && y1 == y2) || d2_ == 0.0f)
            kind_ = Kind::point;
        else
            kind_ = x1 == x2 ? Kind::vertical : Kind::general;
    }

    // Squared distances of the points (px[i], py[i]), i < n, into s.
    MORVANE_INLINE void squares(const float* px, const float* py, int n, float* s) const {
        switch (kind_) {
            case Kind::point:
                for (int i = 0; i < n; ++i) {
                    const float ex = px[i] - x1_;
                    const float ey = py[i] - y1_;
                    s[i] = ex * ex + ey * ey;
                }
                break;
            case Kind::vertical: segment<true>(px, py, n, s); break;
            case Kind::general: segment<false>(px, py, n, s); break;
        }
    }

private:
    enum class Kind { point, vertical, general };

    // One point, or one vector of points: the same operations lane by lane.
    template <bool Vertical, class V>
    MORVANE_INLINE void square(const V& px, const V& py, V& out) const {
        const V a = px * dx_ + py * dy_;
        const V fx = (dx_ * a + dy_ * b_) / d2_;
        const V fy = (dy_ * a - dx_ * b_) / d2_;
        const V t = Vertical ? (fy - y1_) / dy_ : (fx - x1_) / dx_;
        // Before the first end, beyond the second, or the foot itself (the
        // two tests exclude each other).
        V cx = t < 0.0f ? x1_ : fx;
        V cy = t < 0.0f ? y1_ : fy;
        cx = t > 1.0f ? x2_ : cx;
        cy = t > 1.0f ? y2_ : cy;
        const V ex = px - cx;
        const V ey = py - cy;
        out = ex * ex + ey * ey;
    }

    template <bool Vertical>
    MORVANE_INLINE void segment(const float* px, const float* py, int n, float* s) const {
        int i = 0;
        for (; i + lanes <= n; i += lanes) {
            Vec vx, vy;
            std::memcpy(&vx, px + i, sizeof vx);
            std::memcpy(&vy, py + i, sizeof vy);
            Vec vs;
            square<Vertical>(vx, vy, vs);
            std::memcpy(s + i, &vs, sizeof vs);
        }
        for (; i < n; ++i) square<Vertical>(px[i], py[i], s[i]);
    }

    float x1_, y1_, x2_, y2_, dx_, dy_, d2_, b_;
    Kind kind_;

    friend class Bound;
};

// Whether a group of points can hold a distance from the chord of at least
// a threshold, told from their bounding box: the distance to a segment (or
// to a point) is convex, so over the box it is greatest at a corner. The
// corners are measured exactly (in double); the distances the chord computes
// in single precision differ from the exact ones by less than `margin`: the
// foot's coordinates by less than 1e-5 M (M the largest coordinate in play),
// and the choice between the foot and an end, made on a segment parameter
// divided by dx, by that error times |d| / |dx|. Outside the range where that
// holds (large or non-finite coordinates, a chord whose squared length comes
// near underflow) nothing is skipped.
class Bound {
public:
    explicit Bound(const Chord& c)
        : c_(c), lx_(c.dx_), ly_(c.dy_), len2_(static_cast<double>(c.dx_) * c.dx_ + static_cast<double>(c.dy_) * c.dy_),
          inv_len2_(1.0 / len2_) {
        const float m = std::max(std::max(std::fabs(c.x1_), std::fabs(c.y1_)), std::max(std::fabs(c.x2_), std::fabs(c.y2_)));
        if (!(m <= kLimit)) return;
        switch (c.kind_) {
            case Chord::Kind::point: slope_ = 0.0; break;
            case Chord::Kind::vertical: slope_ = 1.0; break;
            case Chord::Kind::general:
                if (!(c.d2_ >= 1e-24f)) return;
                slope_ = std::sqrt(len2_) / std::fabs(static_cast<double>(c.dx_));
                break;
        }
        usable_ = true;
    }

    // True when no point of the box x0..x1, y0..y1 lies as far as `at_least`.
    bool below(float x0, float x1, float y0, float y1, float at_least) const {
        if (!usable_ || !(x0 <= x1 && y0 <= y1)) return false;  // a NaN among the points
        const double m = std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1), std::fabs(c_.x1_),
                                   std::fabs(c_.y1_), std::fabs(c_.x2_), std::fabs(c_.y2_)});
        if (!(m <= kLimit)) return false;
        const double reach = at_least - (1e-5 * m * (3.0 + slope_) + 1e-30);
        if (!(reach > 0.0)) return false;
        const double far = std::max(std::max(corner(x0, y0), corner(x0, y1)), std::max(corner(x1, y0), corner(x1, y1)));
        return far * (1.0 + 1e-12) < reach * reach;
    }

private:
    static constexpr float kLimit = 1e6f;

    // Squared exact distance of (px, py) from the chord.
    double corner(double px, double py) const {
        const double ex = px - c_.x1_, ey = py - c_.y1_;
        if (c_.kind_ == Chord::Kind::point) return ex * ex + ey * ey;
        const double t = (ex * lx_ + ey * ly_) * inv_len2_;
        const double fx = t <= 0.0 ? ex : t >= 1.0 ? ex - lx_ : ex - t * lx_;
        const double fy = t <= 0.0 ? ey : t >= 1.0 ? ey - ly_ : ey - t * ly_;
        return fx * fx + fy * fy;
    }

    const Chord& c_;
    double lx_, ly_, len2_, inv_len2_;
    double slope_ = 0.0;
    bool usable_ = false;
};

// The distance of a squared distance, exactly as distseg rounds it.
MORVANE_INLINE float root(float s) { return static_cast<float>(std::sqrt(static_cast<double>(s))); }

// Largest of s[0..n), ignoring NaN; 0 when none is larger.
MORVANE_INLINE float largest(const float* s, int n) {
    float m[lanes] = {};
    int i = 0;
    for (; i + lanes <= n; i += lanes)
        for (int l = 0; l < lanes; ++l) m[l] = s[i + l] > m[l] ? s[i + l] : m[l];
    float best = 0.0f;
    for (; i < n; ++i) best = s[i] > best ? s[i] : best;
    for (float v : m) best = v > best ? v : best;
    return best;
}

struct Farthest {
    std::int32_t k;  // offset of the point
    float d;         // its distance; 0 when no point is farther
};

// The bounding box of n >= lanes points; crossed bounds (x0 > x1) when a
// coordinate is NaN, which a box leaves out.
struct Box {
    float x0, x1, y0, y1;
};
MORVANE_INLINE Box box(const float* x, const float* y, int n) {
    typedef int Mask __attribute__((vector_size(lanes * sizeof(int))));
    Vec lx, hx, ly, hy;
    std::memcpy(&lx, x, sizeof lx), std::memcpy(&ly, y, sizeof ly);
    hx = lx, hy = ly;
    Mask nan = (lx != lx) | (ly != ly);
    int i = lanes;
    for (; i + lanes <= n; i += lanes) {
        Vec vx, vy;
        std::memcpy(&vx, x + i, sizeof vx), std::memcpy(&vy, y + i, sizeof vy);
        lx = vx < lx ? vx : lx, hx = vx > hx ? vx : hx;
        ly = vy < ly ? vy : ly, hy = vy > hy ? vy : hy;
        nan |= (vx != vx) | (vy != vy);
    }
    Box r{lx[0], hx[0], ly[0], hy[0]};
    bool crossed = nan[0] != 0;
    for (int l = 1; l < lanes; ++l) {
        r = {std::min(r.x0, lx[l]), std::max(r.x1, hx[l]), std::min(r.y0, ly[l]), std::max(r.y1, hy[l])};
        crossed = crossed || nan[l] != 0;
    }
    for (; i < n; ++i) {
        r = {std::min(r.x0, x[i]), std::max(r.x1, x[i]), std::min(r.y0, y[i]), std::max(r.y1, y[i])};
        crossed = crossed || x[i] != x[i] || y[i] != y[i];
    }
    if (crossed) r.x0 = 1.0f, r.x1 = 0.0f;
    return r;
}

// The boxes of the polyline's points in aligned runs of 64, 512 and 4096
// (level 0, 1, 2; box j of a level covers the offsets j * size .. j * size +
// size - 1), made once per thinning, so that a chord passes over the runs
// that cannot hold its farthest point without touching their points.
class Boxes {
public:
    static constexpr int kLevels = 3;
    static constexpr int size(int level) { return 64 << (3 * level); }

    Boxes(const float* x, const float* y, std::int32_t count) {
        for (int l = 0; l < kLevels; ++l) boxes_[l].resize(static_cast<std::size_t>(count / size(l)));
        for (std::size_t j = 0; j < boxes_[0].size(); ++j)
            boxes_[0][j] = box(x + j * size(0), y + j * size(0), size(0));
        for (int l = 1; l < kLevels; ++l)
            for (std::size_t j = 0; j < boxes_[l].size(); ++j) {
                const Box* in = &boxes_[l - 1][8 * j];
                Box r = in[0];
                for (int i = 1; i < 8; ++i)
                    r = {std::min(r.x0, in[i].x0), std::max(r.x1, in[i].x1), std::min(r.y0, in[i].y0),
                         std::max(r.y1, in[i].y1)};
                // A crossed box crosses the box around it.
                for (int i = 0; i < 8; ++i)
                    if (!(in[i].x0 <= in[i].x1)) r.x0 = 1.0f, r.x1 = 0.0f;
                boxes_[l][j] = r;
            }
    }
    const Box& at(int level, std::int32_t k) const { return boxes_[level][static_cast<std::size_t>(k / size(level))]; }

private:
    std::vector<Box> boxes_[kLevels];
};

// The farthest point strictly between offsets a and b (b > a + 1); the first
// of equal maxima wins, and a maximum of 0 leaves k at a. Aligned runs of
// points that cannot reach the best so far, nor tol, are passed over (the
// largest run first): when no point lies farther than tol, the point
// returned is not used.
MORVANE_INLINE Farthest farthest(const float* x, const float* y, const Boxes& boxes, std::int32_t a, std::int32_t b,
                                 float tol) {
    const Chord chord(x[a], y[a], x[b], y[b]);
    const Bound bound(chord);
    constexpr int block = 64;
    float s[block];
    Farthest best{a, 0.0f};
    for (std::int32_t k0 = a + 1; k0 < b;) {
        int level = Boxes::kLevels - 1;
        for (; level >= 0; --level) {
            const std::int32_t size = Boxes::size(level);
            if (k0 % size != 0 || b - k0 < size) continue;
            const Box& r = boxes.at(level, k0);
            if (!bound.below(r.x0, r.x1, r.y0, r.y1, std::max(best.d, tol))) continue;
            k0 += size;
            break;
        }
        if (level >= 0) continue;
        // Up to the next boundary of 64.
        const int n = static_cast<int>(std::min<std::int32_t>(b - k0, block - k0 % block));
        chord.squares(x + k0, y + k0, n, s);
        const float smax = largest(s, n);
        const float dmax = root(smax);
        if (dmax > best.d) {
            // The first point of the run whose distance rounds to dmax (it may
            // have a smaller square). Equal roots need squares within a relative
            // 2^-21 of each other, well inside the margin of 0.999; below 2^-127
            // only equal squares have equal roots.
            const float low = smax * 0.999f;
            for (int i = 0; i < n; ++i) {
                if (s[i] >= low && root(s[i]) == dmax) {
                    best = {k0 + i, dmax};
                    break;
                }
            }
        }
        k0 += n;
    }
    return best;
}

using FarthestFn = Farthest (*)(const float*, const float*, const Boxes&, std::int32_t, std::int32_t, float);

Farthest farthest_base(const float* x, const float* y, const Boxes& boxes, std::int32_t a, std::int32_t b, float tol) {
    return farthest(x, y, boxes, a, b, tol);
}

// On 64-bit x86 a version for wider vectors is built as well and taken when
// the processor has it: its lanes do the same single operations, so the
// results are the same, about three times faster.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__)
__attribute__((target("avx2"))) Farthest farthest_avx2(const float* x, const float* y, const Boxes& boxes,
                                                        std::int32_t a, std::int32_t b, float tol) {
    return farthest(x, y, boxes, a, b, tol);
}
FarthestFn best_farthest() { return __builtin_cpu_supports("avx2") ? farthest_avx2 : farthest_base; }
#else
FarthestFn best_farthest() { return farthest_base; }
#endif

std::int32_t thin(std::int32_t n0, std::int32_t nbeg, std::int32_t nend, std::span<const float> xv,
                  std::span<const float> yv, float tol, std::span<std::int32_t> intp,
                  FarthestFn find) {
    if (nbeg < n0) {
        stop_run("DOUPEU: nbeg < n0!");
        return 0;
    }
    const std::int64_t count = static_cast<std::int64_t>(nend) - nbeg + 1;
    if (count <= 1) return 0;
    const std::int64_t last = static_cast<std::int64_t>(nend) - n0;  // offset of nend
    if (static_cast<std::int64_t>(xv.size()) <= last || static_cast<std::int64_t>(yv.size()) <= last)
        throw std::length_error("DOUPEU: fewer points than nend");
    if (static_cast<std::int64_t>(intp.size()) < count)
        throw std::length_error("DOUPEU: too little room for the kept indices");

    // Work in offsets from n0 so that no pointer goes below the arrays.
    const float* x = xv.data();
    const float* y = yv.data();
    const std::int32_t first = nbeg - n0;
    const std::int32_t end = nend - n0;
    std::int32_t* out = intp.data();

    std::int32_t nout = 0;
    if (tol < 0.0f) {
        // A negative tolerance: every point lies farther than it from any
        // chord, so every point is kept.
        for (std::int32_t k = nbeg; k <= nend; ++k) out[nout++] = k;
    } else {
        // Each pair of neighbouring kept points is refined before its right
        // neighbour, so the kept points are found in increasing order and
        // appended. The pending right ends (all of them kept points, nearest
        // on top) are stacked from the far end of intp: kept and pending
        // points are distinct, so the two never overlap.
        const std::int32_t cap = static_cast<std::int32_t>(count);
        const Boxes boxes(x, y, end + 1);
        std::int32_t top = cap;
        out[nout++] = nbeg;
        out[--top] = end;
        std::int32_t a = first;
        while (top < cap) {
            const std::int32_t b = out[top];
            if (b > a + 1) {
                const Farthest f = find(x, y, boxes, a, b, tol);
                if (f.d > tol) {
                    out[--top] = f.k;
                    continue;
                }
            }
            ++top;
            out[nout++] = b + n0;
            a = b;
        }
    }
    // A closed loop reduced to its two ends draws nothing.
    if (nout == 2 && x[first] == x[end] && y[first] == y[end]) nout = 0;
    return nout;
}

}  // namespace

std::int32_t doupeu(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                    std::span<const float> xv, std::span<const float> yv, float tol,
                    std::span<std::int32_t> intp) {
    return thin(n0, nbeg, nend, xv, yv, tol, intp, best_farthest());
}

std::int32_t detail::doupeu_baseline(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                                     std::span<const float> xv, std::span<const float> yv,
                                     float tol, std::span<std::int32_t> intp) {
    return thin(n0, nbeg, nend, xv, yv, tol, intp, farthest_base);
}

std::vector<std::int32_t> doupeu(std::int32_t n0, std::int32_t nbeg, std::int32_t nend,
                                 std::span<const float> xv, std::span<const float> yv, float tol) {
    const std::int64_t count = static_cast<std::int64_t>(nend) - nbeg + 1;
    std::vector<std::int32_t> kept(count > 0 ? static_cast<std::size_t>(count) : 0);
    kept.resize(static_cast<std::size_t>(doupeu(n0, nbeg, nend, xv, yv, tol, kept)));
    return kept;
}

}  // namespace morvane
