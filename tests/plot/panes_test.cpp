#include "plot/panes.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <string>
#include <vector>

namespace morvane {
namespace {

// The plot driver's page: width 1, height h, its margins, golden-ratio panes.
PanePage driver_page(float h) { return {1, h, 0.06f, 0.03f, 0.07f, 0.03f, 1.618f, 0.3f, 0.18f}; }

std::string grid_text(const PaneGrid& g) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%dx%d %.4f %.4f", g.nc, g.nr, double{g.pw}, double{g.ph});
    return buf;
}

TEST(Panes, GridChoice) {
    const float land = 1.0f / 1.414f, port = 1.414f;
    const struct { float h; std::int32_t n; const char* want; } cases[] = {
        {land, 1, "1x1 0.9100 0.5624"}, {land, 2, "1x2 0.4724 0.2920"}, {land, 4, "2x2 0.3957 0.2445"},
        {land, 5, "2x3 0.3065 0.1894"}, {land, 9, "3x3 0.2528 0.1562"}, {land, 25, "5x5 0.1468 0.0907"},
        {port, 2, "1x2 0.9100 0.5624"}, {port, 4, "1x4 0.4535 0.2803"}, {port, 5, "2x3 0.3957 0.2445"},
        {port, 25, "3x9 0.1972 0.1219"},
    };
    for (const auto& c : cases) {
        PaneGrid g;
        choose_panes(1, c.n, driver_page(c.h), g);
        EXPECT_EQ(grid_text(g), c.want) << "h " << c.h << " n " << c.n;
    }
    // Square panes, no margins or gaps, N = 2: one row of two leaves H - 0.5,
    // two height-limited rows leave (1 - H / 2) * H; at H = 1 they tie and the
    // fitting grid is kept. Bit for bit, with the driver page's height- and width-limited grids.
    const float uw = (1.0f - 0.06f - 0.03f) * 1.0f, uh = (1.0f - 0.07f - 0.03f) * land;
    const float ph2 = uh / (2.0f + 1.0f * 0.18f), pw4 = uw / (2.0f + 1.0f * 0.3f);
    const struct { PanePage page; std::int32_t n, nc, nr; float pw, ph; } exact[] = {
        {driver_page(land), 2, 1, 2, 1.618f * ph2, ph2}, {driver_page(land), 4, 2, 2, pw4, pw4 / 1.618f},
        {{1, 0.99f, 0, 0, 0, 0, 1, 0, 0}, 2, 2, 1, 0.5f, 0.5f},    {{1, 1.0f, 0, 0, 0, 0, 1, 0, 0}, 2, 2, 1, 0.5f, 0.5f},
        {{1, 1.01f, 0, 0, 0, 0, 1, 0, 0}, 2, 1, 2, 0.505f, 0.505f}, {{1, 0.25f, 0, 0, 0, 0, 2, 0, 0}, 1, 1, 1, 0.5f, 0.25f},
        {{1, 100, 0, 0, 0, 0, 1, 0, 0}, 3, 1, 3, 1, 1},  // every grid fits
    };
    for (const auto& c : exact) {
        PaneGrid g;
        choose_panes(1, c.n, c.page, g);
        EXPECT_EQ(std::vector({g.nc, g.nr, std::bit_cast<std::int32_t>(g.pw), std::bit_cast<std::int32_t>(g.ph)}),
                  std::vector({c.nc, c.nr, std::bit_cast<std::int32_t>(c.pw), std::bit_cast<std::int32_t>(c.ph)}))
            << c.page.h << " " << c.n;
    }
}

TEST(Panes, Positions) {
    // A page whose numbers are exact: usable 7.5 x 5 from corner (1.25, 2).
    const PanePage page{10, 8, 0.125f, 0.125f, 0.25f, 0.125f, 1.5f, 0.5f, 0.5f};
    const struct { std::int32_t mode, n; PaneGrid given, want; std::vector<float> x, y; } cases[] = {
        {2, 0, {3, 2, 9, 9}, {3, 2, 1.875f, 2}, {1.25f, 4.0625f, 6.875f, 1.25f, 4.0625f, 6.875f}, {4, 4, 4, 7, 7, 7}},
        {1, 0, {3, 2, 1, 0.5f}, {3, 2, 1, 0.5f}, {1.25f, 2.75f, 4.25f, 1.25f, 2.75f, 4.25f},
         {2.5f, 2.5f, 2.5f, 3.25f, 3.25f, 3.25f}},
        // 3 x 2 fits leaving 14.0625; 2 x 3 height-limited leaves the same:
        // the fitting grid is kept, and its second row holds two panes.
        {1, 5, {}, {3, 2, 1.875f, 1.25f}, {1.25f, 4.0625f, 6.875f, 1.25f, 4.0625f}, {3.25f, 3.25f, 3.25f, 5.125f, 5.125f}},
        {2, 0, {0, 2, 9, 9}, {0, 2, -15, 2}, {}, {}},  // no column: no pane
    };
    for (const auto& c : cases) {
        PaneGrid g = c.given;
        choose_panes(c.mode, c.n, page, g);
        EXPECT_EQ(grid_text(g), grid_text(c.want)) << c.n;
        std::vector<float> x(7, -1), y(7, -1), wx = c.x, wy = c.y;
        pane_positions(c.n, page, g, x, y);
        wx.resize(7, -1), wy.resize(7, -1);
        EXPECT_EQ(x, wx) << c.n;
        EXPECT_EQ(y, wy) << c.n;
    }
    std::vector<float> five(5), six(6);
    EXPECT_THROW(pane_positions(0, page, {3, 2, 1, 1}, five, six), std::length_error);
}

}  // namespace
}  // namespace morvane
