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

std::int32_t bits(float v) { return std::bit_cast<std::int32_t>(v); }
float real(std::int32_t b) { return std::bit_cast<float>(b); }

using Points = std::vector<std::pair<float, float>>;

Points run_minpoly(const Points& a, const Points& b) {
    std::vector<float> xa, ya, xb, yb;
    for (auto [x, y] : a) xa.push_back(x), ya.push_back(y);
    for (auto [x, y] : b) xb.push_back(x), yb.push_back(y);
    std::vector<float> xo(2 * (a.size() + b.size()) + 1), yo(xo.size());
    const std::int32_t n = minpoly(xa, ya, xb, yb, xo.data(), yo.data());
    Points out;
    for (std::int32_t i = 0; i < n; ++i) out.push_back({xo[i], yo[i]});
    return out;
}

Points run_shftpoly(const Points& p, float d) {
    std::vector<float> x, y;
    for (auto [u, v] : p) x.push_back(u), y.push_back(v);
    std::vector<float> xo(p.size() + 1, -7.0f), yo(xo.size(), -7.0f);
    const std::int32_t n = shftpoly(x, y, d, xo.data(), yo.data());
    Points out;
    for (std::int32_t i = 0; i < n; ++i) out.push_back({xo[i], yo[i]});
    return out;
}

TEST(Exceed, RegionsOfTheWorkedExamples) {
    struct Case {
        float a, b, c, n, s;
        std::int32_t region;
        float exn, exs;
    };
    const Case cases[] = {
        {1000, 200, 1200, 1300, 50, 1, 100, 50},   {1000, 200, 1200, 100, 1500, 4, 0, 500},
        {1000, 200, 1200, 300, 1500, 3, 100, 500}, {1000, 200, 1200, 800, 800, 2, 200, 200},
        {1000, 200, 1200, 700, 500, 0, 0, 0},      {1000, 200, 1200, 1200, 0, 0, 0, 0},
        {1000, 200, 1200, 200, 1000, 0, 0, 0},     {1000, 200, 1200, 1201, 0, 1, 1, 0},
        {1000, -1, 1200, 800, 800, -1, -1, -1},    {-1, 200, 1200, 0, 0, -1, -1, -1},
        {1000, 200, -1, 0, 0, -1, -1, -1},         {0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Exceedance r = exceed(c.a, c.b, c.c, c.n, c.s);
        EXPECT_EQ(r.region, c.region) << c.n << "," << c.s;
        EXPECT_EQ(bits(r.exn), bits(c.exn)) << c.n << "," << c.s;
        EXPECT_EQ(bits(r.exs), bits(c.exs)) << c.n << "," << c.s;
    }
}

TEST(Polyline, LowerEnvelope) {
    struct Case {
        Points a, b, want;
    };
    const Case cases[] = {
        // crossing at (5,5)
        {{{0, 10}, {10, 0}}, {{0, 5}, {10, 5}}, {{0, 5}, {5, 5}, {10, 0}}},
        // identical polylines: each vertex once
        {{{0, 4}, {2, 3}, {6, 0}}, {{0, 4}, {2, 3}, {6, 0}}, {{0, 4}, {2, 3}, {6, 0}}},
        // B starts inside A: A's leading vertices dropped, A interpolated at 4
        {{{0, 8}, {2, 6}, {8, 0}}, {{4, 1}, {8, 1}}, {{4, 1}, {7, 1}, {8, 0}}},
        // touching at a vertex without crossing
        {{{0, 2}, {5, 1}, {10, 2}}, {{0, 1}, {10, 1}}, {{0, 1}, {5, 1}, {10, 1}}},
        // ranges that do not overlap, and an empty polyline
        {{{0, 1}, {1, 1}}, {{2, 1}, {3, 1}}, {}},
        {{}, {{2, 1}, {3, 1}}, {}},
        // a single shared point
        {{{0, 3}, {1, 1}}, {{1, 2}, {3, 0}}, {{1, 1}}},
        // a step of A at the end of B's range: its upper value is paired
        // with B's last value
        {{{0, 5}, {10, 3}, {10, 8}}, {{0, 4}, {10, 4}}, {{0, 4}, {5, 4}, {10, 3}, {10, 4}, {10, 4}}},
    };
    for (const Case& c : cases) EXPECT_EQ(run_minpoly(c.a, c.b), c.want) << c.a.size() << " " << c.b.size();
}

int g_stops = 0;
std::string g_stop_text;
void count_stop(const char* text) {
    ++g_stops;
    g_stop_text = text;
}

TEST(Polyline, DownwardShift) {
    const Points line{{0, 10}, {10, 0}};
    EXPECT_EQ(run_shftpoly(line, 4), (Points{{0, 6}, {6, 0}}));
    EXPECT_EQ(run_shftpoly(line, 10), (Points{{0, 0}, {0, 0}}));
    EXPECT_EQ(run_shftpoly(line, 0), line);
    EXPECT_EQ(run_shftpoly(line, -3), line);
    EXPECT_EQ(run_shftpoly(line, 10.5f), Points{});
    EXPECT_EQ(run_shftpoly({}, 1), Points{});
    EXPECT_EQ(run_shftpoly({{1, 10}}, 4), (Points{{1, 6}}));
    EXPECT_EQ(run_shftpoly({{0, 10}, {2, 8}, {4, 5}, {6, 1}}, 3), (Points{{0, 7}, {2, 5}, {4, 2}, {5, 0}}));
}

TEST(PolylineDeathTest, ImpossibleShiftStopsTheRun) {
    EXPECT_EXIT(run_shftpoly({{0, 10}, {10, 8}}, 4), ::testing::ExitedWithCode(1), "^SHFTPOLY: Impossible!\n$");
    set_stop_handler(count_stop);
    g_stops = 0;
    EXPECT_EQ(run_shftpoly({{0, 10}, {10, 8}}, 4), Points{});
    set_stop_handler(nullptr);
    EXPECT_EQ(g_stops, 1);
    EXPECT_EQ(g_stop_text, "SHFTPOLY: Impossible!");
}

// Random inputs (fixed seed) that reach every region and branch, with ties
// and shared abscissae, bit for bit against the routines compiled by
// gfortran with REAL variables.
TEST(CriticalLoadGeometry, MatchFortranOracleBitForBit) {
    std::mt19937 g(5012026);
    auto unit = [&] { return static_cast<float>(g() >> 8) * 0x1p-24f; };
    auto value = [&](bool grid, float scale) {
        return grid ? static_cast<float>(g() % 11) * scale / 10.0f : scale * unit();
    };
    // Ascending abscissae, on a grid of integers or continuous; some repeated.
    auto abscissae = [&](int n, bool grid) {
        std::vector<float> x;
        float at = grid ? static_cast<float>(g() % 6) : 6.0f * unit();
        for (int i = 0; i < n; ++i) {
            x.push_back(at);
            at += g() % 12 == 0 ? 0.0f : (grid ? static_cast<float>(1 + g() % 3) : 3.0f * unit());
        }
        return x;
    };
    std::vector<std::vector<std::int32_t>> cases;
    for (int k = 0; k < 6000; ++k) {
        const bool grid = g() % 2;
        std::vector<std::int32_t> c{k % 3 + 1};
        if (c[0] == 1 && g() % 3 == 0) {
            // On the sloping line or on one of the two perpendiculars, exactly.
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
            c.push_back(na);
            c.push_back(nb);
            for (int n : {na, nb}) {
                for (float x : abscissae(n, grid)) c.push_back(bits(x));
                for (int i = 0; i < n; ++i) c.push_back(bits(g() % 30 == 0 ? -1.5f : value(grid, 10)));
            }
        } else {
            const int n = g() % 8;
            std::vector<float> y;
            float at = value(grid, 10);
            for (int i = 0; i < n; ++i, at -= value(grid, 5)) y.push_back(at);
            const float d = g() % 8 == 0 ? -value(grid, 3) : (g() % 3 == 0 && n ? y[g() % n] : value(grid, 10));
            c.push_back(n);
            c.push_back(bits(d));
            for (float x : abscissae(n, grid)) c.push_back(bits(x));
            for (float v : y) c.push_back(bits(v));
        }
        cases.push_back(c);
    }
    std::ostringstream in;
    for (const auto& c : cases) {
        for (std::int32_t v : c) in << v << ' ';
        in << '\n';
    }
    const std::string file = testing::scratch_dir() + "/cases.txt";
    testing::write_file(file, in.str());
    std::istringstream out(testing::run_command(std::string(ORACLE_CLF) + " < " + file));
    set_stop_handler(count_stop);
    std::size_t rows = 0;
    int regions[6] = {}, crossings = 0, stops = 0;
    for (std::string line; std::getline(out, line) && rows < cases.size(); ++rows) {
        std::istringstream ls(line);
        std::vector<std::int32_t> want, got;
        for (std::int64_t v; ls >> v;) want.push_back(static_cast<std::int32_t>(v));
        const auto& c = cases[rows];
        auto span = [&](std::size_t from, std::size_t n) {
            std::vector<float> v;
            for (std::size_t i = 0; i < n; ++i) v.push_back(real(c[from + i]));
            return v;
        };
        std::vector<float> xo(64), yo(64);
        std::int32_t n = 0;
        if (c[0] == 1) {
            const Exceedance r = exceed(real(c[1]), real(c[2]), real(c[3]), real(c[4]), real(c[5]));
            got = {1, r.region, bits(r.exn), bits(r.exs)};
            ++regions[r.region + 1];
        } else if (c[0] == 2) {
            const std::size_t na = c[1], nb = c[2];
            n = minpoly(span(3, na), span(3 + na, na), span(3 + 2 * na, nb), span(3 + 2 * na + nb, nb), xo.data(),
                        yo.data());
            const std::vector<float> xa = span(3, na), xb = span(3 + 2 * na, nb);
            crossings += std::any_of(xo.begin(), xo.begin() + n, [&](float x) {
                return std::find(xa.begin(), xa.end(), x) == xa.end() && std::find(xb.begin(), xb.end(), x) == xb.end();
            });
        } else {
            const std::size_t m = c[1];
            g_stops = 0;
            n = shftpoly(span(3, m), span(3 + m, m), real(c[2]), xo.data(), yo.data());
            if (g_stops) n = -1, ++stops;
        }
        if (c[0] != 1) {
            got = {c[0], n};
            for (std::int32_t i = 0; i < n; ++i) got.push_back(bits(xo[i])), got.push_back(bits(yo[i]));
        }
        ASSERT_EQ(got, want) << "case " << rows << ": " << line;
    }
    set_stop_handler(nullptr);
    EXPECT_EQ(rows, cases.size());
    for (int r = 0; r < 6; ++r) EXPECT_GT(regions[r], 20) << "region " << r - 1;
    EXPECT_GT(crossings, 100);
    EXPECT_GT(stops, 20);
}

}  // namespace
}  // namespace morvane
