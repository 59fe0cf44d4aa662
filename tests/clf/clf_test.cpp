#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "clf/exceed.hpp"
#include "clf/polyline.hpp"
#include "support/test_support.hpp"
#include "util/stop.hpp"

namespace morvane {
namespace {

using testing::bits;
using testing::real;

using Points = std::vector<std::pair<float, float>>;
std::vector<float> xs(const Points& p, bool y = false) {
    std::vector<float> v;
    for (auto [a, b] : p) v.push_back(y ? b : a);
    return v;
}
Points points(std::int32_t n, const std::vector<float>& x, const std::vector<float>& y) {
    Points out;
    for (std::int32_t i = 0; i < n; ++i) out.push_back({x[i], y[i]});
    return out;
}
Points run_minpoly(const Points& a, const Points& b) {
    std::vector<float> xo(2 * (a.size() + b.size()) + 1), yo(xo.size());
    return points(minpoly(xs(a), xs(a, true), xs(b), xs(b, true), xo.data(), yo.data()), xo, yo);
}
Points run_shftpoly(const Points& p, float d) {
    std::vector<float> xo(p.size() + 1, -7.0f), yo(xo.size(), -7.0f);
    return points(shftpoly(xs(p), xs(p, true), d, xo.data(), yo.data()), xo, yo);
}

TEST(Exceed, RegionsOfTheWorkedExamples) {
    const struct { float a, b, c, n, s; std::int32_t region; float exn, exs; } cases[] = {
        {1000, 200, 1200, 1300, 50, 1, 100, 50},   {1000, 200, 1200, 100, 1500, 4, 0, 500},
        {1000, 200, 1200, 300, 1500, 3, 100, 500}, {1000, 200, 1200, 800, 800, 2, 200, 200},
        {1000, 200, 1200, 700, 500, 0, 0, 0},      {1000, 200, 1200, 1200, 0, 0, 0, 0},
        {1000, 200, 1200, 200, 1000, 0, 0, 0},     {1000, 200, 1200, 1201, 0, 1, 1, 0},
        {1000, -1, 1200, 800, 800, -1, -1, -1},    {-1, 200, 1200, 0, 0, -1, -1, -1},
        {1000, 200, -1, 0, 0, -1, -1, -1},         {0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const Exceedance r = exceed(c.a, c.b, c.c, c.n, c.s);
        EXPECT_EQ(std::vector({r.region, bits(r.exn), bits(r.exs)}), std::vector({c.region, bits(c.exn), bits(c.exs)}))
            << c.n << "," << c.s;
    }
}

TEST(Polyline, LowerEnvelopeAndShift) {
    const struct { Points a, b, want; } cases[] = {
        {{{0, 10}, {10, 0}}, {{0, 5}, {10, 5}}, {{0, 5}, {5, 5}, {10, 0}}},                           // crossing
        {{{0, 4}, {2, 3}, {6, 0}}, {{0, 4}, {2, 3}, {6, 0}}, {{0, 4}, {2, 3}, {6, 0}}},               // identical
        {{{0, 8}, {2, 6}, {8, 0}}, {{4, 1}, {8, 1}}, {{4, 1}, {7, 1}, {8, 0}}},  // B inside A: A interpolated
        {{{0, 2}, {5, 1}, {10, 2}}, {{0, 1}, {10, 1}}, {{0, 1}, {5, 1}, {10, 1}}},  // touching, no crossing
        {{{0, 1}, {1, 1}}, {{2, 1}, {3, 1}}, {}},                                   // ranges apart
        {{}, {{2, 1}, {3, 1}}, {}},                                                 // empty polyline
        {{{0, 3}, {1, 1}}, {{1, 2}, {3, 0}}, {{1, 1}}},                              // one shared point
        // A's step at the end of B's range: its upper value paired with B's last value
        {{{0, 5}, {10, 3}, {10, 8}}, {{0, 4}, {10, 4}}, {{0, 4}, {5, 4}, {10, 3}, {10, 4}, {10, 4}}},
    };
    for (const auto& c : cases) EXPECT_EQ(run_minpoly(c.a, c.b), c.want) << c.a.size() << " " << c.b.size();

    const Points line{{0, 10}, {10, 0}};
    const struct { Points p; float d; Points want; } shifts[] = {
        {line, 4, {{0, 6}, {6, 0}}}, {line, 10, {{0, 0}, {0, 0}}}, {line, 0, line}, {line, 10.5f, {}},
        {{}, 1, {}}, {{{1, 10}}, 4, {{1, 6}}}, {{{0, 10}, {2, 8}, {4, 5}, {6, 1}}, 3, {{0, 7}, {2, 5}, {4, 2}, {5, 0}}},
    };
    for (const auto& c : shifts) EXPECT_EQ(run_shftpoly(c.p, c.d), c.want) << c.p.size() << " " << c.d;
}

int g_stops = 0;
std::string g_stop_text;
void count_stop(const char* text) { ++g_stops, g_stop_text = text; }

TEST(PolylineDeathTest, ImpossibleShiftStopsTheRun) {
    EXPECT_EXIT(run_shftpoly({{0, 10}, {10, 8}}, 4), ::testing::ExitedWithCode(1), "^SHFTPOLY: Impossible!\n$");
    set_stop_handler(count_stop);
    g_stops = 0;
    EXPECT_EQ(run_shftpoly({{0, 10}, {10, 8}}, 4), Points{});
    set_stop_handler(nullptr);
    EXPECT_EQ(g_stops, 1);
    EXPECT_EQ(g_stop_text, "SHFTPOLY: Impossible!");
}

// Random inputs (fixed seed) reaching every region and branch, with ties and
// shared abscissae, bit for bit against the routines compiled by gfortran.
TEST(CriticalLoadGeometry, MatchFortranOracleBitForBit) {
    std::mt19937 g(5012026);
    auto unit = [&] { return static_cast<float>(g() >> 8) * 0x1p-24f; };
    auto value = [&](bool grid, float scale) { return grid ? static_cast<float>(g() % 11) * scale / 10.0f : scale * unit(); };
    auto abscissae = [&](int n, bool grid, std::vector<std::int32_t>& c) {  // ascending, some repeated
        float at = grid ? static_cast<float>(g() % 6) : 6.0f * unit();
        for (int i = 0; i < n; ++i, at += g() % 12 == 0 ? 0.0f : grid ? static_cast<float>(1 + g() % 3) : 3.0f * unit())
            c.push_back(bits(at));
    };
    std::vector<std::vector<std::int32_t>> cases;
    std::ostringstream in;
    for (int k = 0; k < 6000; ++k) {
        const bool grid = g() % 2;
        std::vector<std::int32_t> c{k % 3 + 1};
        if (c[0] == 1 && g() % 3 == 0) {  // exactly on the sloping line or one of the perpendiculars
            const float a = 100.0f * (g() % 11), b = 100.0f * (g() % 11), dn = 100.0f * (g() % 6);
            const float t = static_cast<float>(1 + g() % 4), pick = static_cast<float>(g() % 3);
            const float n = pick == 0 ? b + dn - t * a : pick == 1 ? b + dn + t * a : b + t * a;
            const float s = pick == 0 ? t * a : pick == 1 ? t * dn : a + t * dn;
            for (float v : {a, b, b + dn, n, s}) c.push_back(bits(v));
        } else if (c[0] == 1) {
            for (float scale : {1000.0f, 1000.0f, 1400.0f, 1600.0f, 1600.0f})
                c.push_back(bits(g() % 25 == 0 ? -value(grid, scale) : value(grid, scale)));
        } else if (c[0] == 2) {
            const int na = 1 + g() % 8, nb = 1 + g() % 8;
            c.insert(c.end(), {na, nb});
            for (int n : {na, nb}) {
                abscissae(n, grid, c);
                for (int i = 0; i < n; ++i) c.push_back(bits(g() % 30 == 0 ? -1.5f : value(grid, 10)));
            }
        } else {
            const int n = g() % 8;
            std::vector<float> y;
            for (float at = value(grid, 10); static_cast<int>(y.size()) < n; at -= value(grid, 5)) y.push_back(at);
            const float d = g() % 8 == 0 ? -value(grid, 3) : (g() % 3 == 0 && n ? y[g() % n] : value(grid, 10));
            c.insert(c.end(), {n, bits(d)});
            abscissae(n, grid, c);
            for (float v : y) c.push_back(bits(v));
        }
        for (std::int32_t v : c) in << v << ' ';
        in << '\n';
        cases.push_back(c);
    }
    const auto want_rows = testing::int_rows(testing::run_oracle(ORACLE_CLF, in.str()));
    set_stop_handler(count_stop);
    std::size_t rows = 0;
    int regions[6] = {}, crossings = 0, stops = 0;
    for (; rows < want_rows.size() && rows < cases.size(); ++rows) {
        const std::vector<std::int32_t>& want = want_rows[rows];
        std::vector<std::int32_t> got;
        const auto& c = cases[rows];
        std::vector<float> v;
        for (std::int32_t b : c) v.push_back(real(b));
        auto span = [&](std::size_t from, std::size_t n) { return std::vector<float>(v.begin() + from, v.begin() + from + n); };
        std::vector<float> xo(64), yo(64);
        std::int32_t n = 0;
        if (c[0] == 1) {
            const Exceedance r = exceed(v[1], v[2], v[3], v[4], v[5]);
            got = {1, r.region, bits(r.exn), bits(r.exs)};
            ++regions[r.region + 1];
        } else if (c[0] == 2) {
            const std::size_t na = c[1], nb = c[2];
            const std::vector<float> xa = span(3, na), xb = span(3 + 2 * na, nb);
            n = minpoly(xa, span(3 + na, na), xb, span(3 + 2 * na + nb, nb), xo.data(), yo.data());
            crossings += std::any_of(xo.begin(), xo.begin() + n, [&](float x) {
                return std::find(xa.begin(), xa.end(), x) == xa.end() && std::find(xb.begin(), xb.end(), x) == xb.end();
            });
        } else {
            g_stops = 0;
            n = shftpoly(span(3, c[1]), span(3 + c[1], c[1]), v[2], xo.data(), yo.data());
            if (g_stops) n = -1, ++stops;
        }
        if (c[0] != 1) got = {c[0], n};
        for (std::int32_t i = 0; i < n; ++i) got.insert(got.end(), {bits(xo[i]), bits(yo[i])});
        ASSERT_EQ(got, want) << "case " << rows;
    }
    set_stop_handler(nullptr);
    EXPECT_EQ(rows, cases.size());
    for (int r = 0; r < 6; ++r) EXPECT_GT(regions[r], 20) << "region " << r - 1;
    EXPECT_GT(crossings, 100);
    EXPECT_GT(stops, 20);
}

}  // namespace
}  // namespace morvane
