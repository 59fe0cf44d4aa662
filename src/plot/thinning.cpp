#include "plot/thinning.hpp"

#include <cmath>
#include <cstring>
#include <stdexcept>

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

// The farthest point strictly between offsets a and b (b > a + 1); the first
// of equal maxima wins, and a maximum of 0 leaves k at a.
MORVANE_INLINE Farthest farthest(const float* x, const float* y, std::int32_t a, std::int32_t b) {
    const Chord chord(x[a], y[a], x[b], y[b]);
    constexpr int block = 512;
    float s[block];
    Farthest best{a, 0.0f};
    for (std::int32_t k0 = a + 1; k0 < b; k0 += block) {
        const int n = static_cast<int>(b - k0 < block ? b - k0 : block);
        chord.squares(x + k0, y + k0, n, s);
        const float smax = largest(s, n);
        const float dmax = root(smax);
        if (!(dmax > best.d)) continue;
        // The first point of the block whose distance rounds to dmax (it may
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
    return best;
}

using FarthestFn = Farthest (*)(const float*, const float*, std::int32_t, std::int32_t);

Farthest farthest_base(const float* x, const float* y, std::int32_t a, std::int32_t b) {
    return farthest(x, y, a, b);
}

// On 64-bit x86 a version for wider vectors is built as well and taken when
// the processor has it: its lanes do the same single operations, so the
// results are the same, about three times faster.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__)
__attribute__((target("avx2"))) Farthest farthest_avx2(const float* x, const float* y,
                                                        std::int32_t a, std::int32_t b) {
    return farthest(x, y, a, b);
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
        std::int32_t top = cap;
        out[nout++] = nbeg;
        out[--top] = end;
        std::int32_t a = first;
        while (top < cap) {
            const std::int32_t b = out[top];
            if (b > a + 1) {
                const Farthest f = find(x, y, a, b);
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
