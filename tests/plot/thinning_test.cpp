#include "plot/thinning.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "plot/doupeu_reference.hpp"
#include "util/stop.hpp"
#include "support/test_support.hpp"

namespace morvane {
namespace {

using Idx = std::vector<std::int32_t>;

using morvane::testing::bits;

TEST(Thinning, SegmentGeometry) {
    // Point, segment, nearest point of the segment, distance.
    const struct { float px, py, x1, y1, x2, y2, cx, cy, d; } cases[] = {
        {1, 2, 0, 0, 4, 0, 1, 0, 2},       {7, 4, 0, 0, 4, 0, 4, 0, 5},     // foot inside; beyond the end
        {-3, -4, 0, 0, 4, 0, 0, 0, 5},     {6, 0, 0, 0, 4, 0, 4, 0, 2},     // before the start; on the line
        {3, 2, 0, 0, 0, 4, 0, 2, 3},       {-3, -4, 0, 4, 0, 0, 0, 0, 5},   // vertical: inside; beyond
        {0, 2, 0, 0, 2, 2, 1, 1, std::sqrt(2.0f)}, {4, 5, 1, 1, 1, 1, 1, 1, 5},  // slanted; one point
        {3, 4, 0, 0, 1e-30f, 0, 0, 0, 5},  // squared length underflows: the first end
    };
    for (const auto& c : cases) {
        const PointF n = nearseg(c.px, c.py, c.x1, c.y1, c.x2, c.y2);
        const float d = distseg(c.px, c.py, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(std::vector({bits(n.x), bits(n.y), bits(d)}), std::vector({bits(c.cx), bits(c.cy), bits(c.d)}))
            << c.px << "," << c.py;
    }
    EXPECT_EQ(footline(0, 0, 4, 0, 7, 4).x, 7.0f);  // on the line, beyond the segment
}

TEST(Thinning, Cases) {
    const float e = std::sqrt(0x1p-23f);  // squares 1 and 1 + 2^-23 have one root, 1
    ASSERT_EQ(1.0f + e * e, 1.0f + 0x1p-23f);
    ASSERT_EQ(distseg(1, e, 0, 0, 0, 0), 1.0f);
    const struct { const char* what; std::vector<float> x, y; std::int32_t n0, nbeg, nend; float tol; Idx kept; } cases[] = {
        {"one point", {1}, {2}, 1, 1, 1, 0.1f, {}},
        {"two points", {0, 1}, {0, 1}, 1, 1, 2, 0.1f, {1, 2}},
        {"two equal points", {3, 3}, {1, 1}, 1, 1, 2, 0.1f, {}},
        {"collinear", {0, 1, 2, 3, 4}, {0, 2, 4, 6, 8}, 1, 1, 5, 0.0f, {1, 5}},
        {"closed loop", {0, 1, 1, 0, 0}, {0, 0, 1, 1, 0}, 1, 1, 5, 0.1f, {1, 2, 3, 4, 5}},
        {"closed loop within tolerance", {0, 1, 1, 0, 0}, {0, 0, 1, 1, 0}, 1, 1, 5, 2.0f, {}},
        {"exactly at the tolerance", {0, 1, 2}, {0, 0.5f, 0}, 1, 1, 3, 0.5f, {1, 3}},
        {"just above the tolerance", {0, 1, 2}, {0, 0.5f, 0}, 1, 1, 3, 0.4999f, {1, 2, 3}},
        {"equal maxima: the first", {0, 1, 2, 3}, {0, 1, 1, 0}, 1, 1, 4, 0.5f, {1, 2, 4}},
        {"equal distances, unequal squares", {0, 1, 1, 0}, {0, 0, e, 0}, 1, 1, 4, 0.5f, {1, 2, 4}},
        {"beyond the chord's end", {0, 2, 1}, {0, 0, 0}, 1, 1, 3, 0.5f, {1, 2, 3}},
        {"negative tolerance keeps all", {0, 1, 2}, {5, 5, 5}, 1, 1, 3, -1.0f, {1, 2, 3}},
        {"lower bound 0, sub-range", {9, 0, 1, 2, 3, 9}, {9, 0, 3, 0, 0, 9}, 0, 1, 4, 0.1f, {1, 2, 3, 4}},
        {"lower bound -2", {0, 1, 2, 3}, {0, 0.5f, 1, 0}, -2, -2, 1, 0.1f, {-2, 0, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(doupeu(c.n0, c.nbeg, c.nend, c.x, c.y, c.tol), c.kept) << c.what;
        if (c.tol < 0.0f) continue;  // the in-place procedure does not handle it
        EXPECT_EQ(reference::doupeu(c.n0, c.nbeg, c.nend, c.x.data(), c.y.data(), c.tol), c.kept) << c.what;
    }
}

std::string g_stop_message;
void record_stop(const char* message) { g_stop_message = message; }

TEST(Thinning, FailurePaths) {
    const std::vector<float> x{0, 1, 2}, y{0, 1, 0};
    std::int32_t intp[3] = {-7, -7, -7}, small[2];
    set_stop_handler(record_stop);
    EXPECT_EQ(doupeu(2, 1, 3, x, y, 0.1f, intp), 0);
    set_stop_handler(nullptr);
    EXPECT_EQ(g_stop_message, "DOUPEU: nbeg < n0!");
    EXPECT_EQ(intp[0], -7);
    EXPECT_THROW(doupeu(1, 1, 4, x, y, 0.1f), std::length_error);
    EXPECT_THROW(doupeu(1, 1, 3, x, y, 0.1f, small), std::length_error);
    EXPECT_DEATH(doupeu(2, 1, 3, x, y, 0.1f), "^DOUPEU: nbeg < n0!\n$");
}

// Random polylines (walks, noisy sines, spirals, repeated points, steps, ties
// on a small grid, underflowing lengths, closed loops): the library's thinning,
// in each of its instruction-set versions, keeps the indices of the in-place procedure.
TEST(Thinning, SameAsReferenceOnRandomPolylines) {
    std::mt19937 rng(20261205);
    auto uni = [&](float lo, float hi) { return lo + (hi - lo) * static_cast<float>(rng() >> 8) * 0x1p-24f; };
    const float tols[] = {0.0f, 0.0005f, 0.01f, 0.2f, 1.0f};
    std::int64_t kept = 0;
    for (int kind = 0, rep = 0; kind < 10; rep = (rep + 1) % 400, kind += rep == 0) {
        const int n = 1 + static_cast<int>(rng() % (rep % 10 == 0 ? 3000 : 300));
        std::vector<float> x(n), y(n);
        float px = 0, py = 0;
        for (int k = 0; k < n; ++k) {
            const float t = static_cast<float>(k), turn = 6.2831853f / static_cast<float>(n);
            switch (kind) {
                case 0: px += uni(0, 1), py += uni(-1, 1); break;  // random walk
                case 1: px = t * 0.01f, py = std::sin(t * 0.05f) + uni(-0.05f, 0.05f); break;
                case 2: px = t * 0.01f * std::cos(t * 0.1f), py = t * 0.01f * std::sin(t * 0.1f); break;
                case 3: if (rng() % 3 == 0) px = uni(-1, 1), py = uni(-1, 1); break;  // repeated points
                case 4: if (k % 2 == 0) px += 1; else py = static_cast<float>(rng() % 5); break;  // steps
                case 5: px = static_cast<float>(rng() % 4), py = static_cast<float>(rng() % 4); break;
                case 6: px = uni(0, 1e-20f), py = uni(0, 1e-20f); break;  // squared lengths underflow
                case 8:  // times of a monitoring file: 50 points to one x, a noisy cycle
                    px = 0.1f + std::floor(t / 50.0f) * 7.5e-5f, py = 0.3f + 0.009f * std::sin(t * 0.01f) + uni(-0.0009f, 0.0009f);
                    break;
                case 9:  // large coordinates, steep runs
                    px = 9e5f + t * (rng() % 8 == 0 ? 30.0f : 0.01f), py = uni(-9e5f, 9e5f) * (k % 100 == 0 ? 1.0f : 1e-3f);
                    break;
                default: px = std::cos(t * turn) + uni(-0.01f, 0.01f), py = std::sin(t * turn);  // loop
            }
            x[k] = px, y[k] = py;
        }
        if (kind == 7) x.back() = x.front(), y.back() = y.front();
        const float tol = kind == 6 ? 1e-21f : kind == 9 ? tols[rng() % 5] * 1e3f : tols[rng() % 5];
        const std::int32_t n0 = static_cast<std::int32_t>(rng() % 5) - 2, nbeg = n0 + static_cast<std::int32_t>(rng() % 3);
        const Idx want = reference::doupeu(n0, nbeg, n0 + n - 1, x.data(), y.data(), tol);
        ASSERT_EQ(doupeu(n0, nbeg, n0 + n - 1, x, y, tol), want) << "kind " << kind << " rep " << rep;
        Idx base(static_cast<std::size_t>(n));
        base.resize(static_cast<std::size_t>(detail::doupeu_baseline(n0, nbeg, n0 + n - 1, x, y, tol, base)));
        ASSERT_EQ(base, want) << "baseline, kind " << kind << " rep " << rep;
        kept += static_cast<std::int64_t>(want.size());
    }
    EXPECT_GT(kept, 100000);  // the cases are not trivially thinned away
}

}  // namespace
}  // namespace morvane
