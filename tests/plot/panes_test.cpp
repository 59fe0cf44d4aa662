#include "plot/panes.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace morvane {
namespace {

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

// The plot driver's page: width 1, height h, its margins, golden-ratio panes.
PanePage driver_page(float h) { return {1.0f, h, 0.06f, 0.03f, 0.07f, 0.03f, 1.618f, 0.3f, 0.18f}; }

std::string four(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(v));
    return buf;
}

TEST(Panes, DriverPageTable) {
    struct Case {
        float h;
        std::int32_t n, nc, nr;
        const char *pw, *ph;
    };
    const float landscape = 1.0f / 1.414f;
    const float portrait = 1.414f;
    const Case cases[] = {
        {landscape, 1, 1, 1, "0.9100", "0.5624"}, {landscape, 2, 1, 2, "0.4724", "0.2920"},
        {landscape, 4, 2, 2, "0.3957", "0.2445"}, {landscape, 5, 2, 3, "0.3065", "0.1894"},
        {landscape, 9, 3, 3, "0.2528", "0.1562"}, {landscape, 25, 5, 5, "0.1468", "0.0907"},
        {portrait, 2, 1, 2, "0.9100", "0.5624"},  {portrait, 4, 1, 4, "0.4535", "0.2803"},
        {portrait, 5, 2, 3, "0.3957", "0.2445"},  {portrait, 25, 3, 9, "0.1972", "0.1219"},
    };
    for (const Case& c : cases) {
        PaneGrid g;
        choose_panes(1, c.n, driver_page(c.h), g);
        EXPECT_EQ(g.nc, c.nc) << "h " << c.h << " n " << c.n;
        EXPECT_EQ(g.nr, c.nr) << "h " << c.h << " n " << c.n;
        EXPECT_EQ(four(g.pw), c.pw) << "h " << c.h << " n " << c.n;
        EXPECT_EQ(four(g.ph), c.ph) << "h " << c.h << " n " << c.n;
    }
}

// Which of the fitting and the height-limited grid is taken, bit for bit.
TEST(Panes, GridChoice) {
    const PanePage land = driver_page(1.0f / 1.414f);
    const float uw = (1.0f - 0.06f - 0.03f) * 1.0f;
    const float uh = (1.0f - 0.07f - 0.03f) * (1.0f / 1.414f);
    // N = 2: two rows are too tall; their height-limited form wastes less.
    PaneGrid g;
    choose_panes(1, 2, land, g);
    EXPECT_EQ(bits(g.ph), bits(uh / (2.0f + 1.0f * 0.18f)));
    EXPECT_EQ(bits(g.pw), bits(1.618f * g.ph));
    // N = 4: the width-limited 2 x 2 grid.
    choose_panes(1, 4, land, g);
    EXPECT_EQ(g.nc * 10 + g.nr, 22);
    EXPECT_EQ(bits(g.pw), bits(uw / (2.0f + 1.0f * 0.3f)));
    EXPECT_EQ(bits(g.ph), bits(g.pw / 1.618f));

    // Square panes on a square page, no margins or gaps, N = 2: one row of two
    // leaves H - 0.5, two height-limited rows leave (1 - H / 2) * H. At H = 1
    // both leave 0.5 and the fitting grid is kept.
    struct Case {
        std::int32_t n;
        float h;
        std::int32_t nc, nr;
        float pw, ph;
    };
    const Case ties[] = {
        {2, 0.99f, 2, 1, 0.5f, 0.5f},
        {2, 1.0f, 2, 1, 0.5f, 0.5f},
        {2, 1.01f, 1, 2, 0.505f, 0.505f},
        // One pane too tall: height-limited, PH = UH, PW = RATIO * UH.
        {1, 0.25f, 1, 1, 0.25f, 0.25f},
    };
    for (const Case& c : ties) {
        PaneGrid t;
        choose_panes(1, c.n, {1, c.h, 0, 0, 0, 0, 1, 0, 0}, t);
        EXPECT_EQ(t.nc, c.nc) << c.h;
        EXPECT_EQ(t.nr, c.nr) << c.h;
        EXPECT_EQ(bits(t.pw), bits(c.pw)) << c.h;
        EXPECT_EQ(bits(t.ph), bits(c.ph)) << c.h;
    }
    // Every grid fits (a very tall page): N rows of one column.
    choose_panes(1, 3, {1, 100, 0, 0, 0, 0, 1, 0, 0}, g);
    EXPECT_EQ(g.nc * 10 + g.nr, 13);
    EXPECT_EQ(g.pw, 1.0f);
}

TEST(Panes, Positions) {
    // A page whose numbers are exact: usable 7.5 x 4.5 from corner (1.25, 2).
    const PanePage page{10, 8, 0.125f, 0.125f, 0.25f, 0.1875f, 1.5f, 0.5f, 0.25f};
    struct Case {
        const char* what;
        std::int32_t mode, n;
        PaneGrid given;
        PaneGrid want;
        std::vector<float> x, y;
    };
    const Case cases[] = {
        {"N = 0, caller's grid, fill", 2, 0, {3, 2, 9, 9}, {3, 2, 1.875f, 2},
         {1.25f, 4.0625f, 6.875f, 1.25f, 4.0625f, 6.875f}, {4, 4, 4, 6.5f, 6.5f, 6.5f}},
        {"N = 0, caller's grid and panes", 1, 0, {3, 2, 1, 0.5f}, {3, 2, 1, 0.5f},
         {1.25f, 2.75f, 4.25f, 1.25f, 2.75f, 4.25f}, {2.5f, 2.5f, 2.5f, 3.125f, 3.125f, 3.125f}},
        {"N = 0, no columns", 2, 0, {0, 2, 9, 9}, {0, 2, 0, 2}, {}, {}},
    };
    for (const Case& c : cases) {
        PaneGrid g = c.given;
        choose_panes(c.mode, c.n, page, g);
        EXPECT_EQ(g.nc, c.want.nc) << c.what;
        EXPECT_EQ(g.nr, c.want.nr) << c.what;
        if (c.want.nc > 0) {
            EXPECT_EQ(bits(g.pw), bits(c.want.pw)) << c.what;
            EXPECT_EQ(bits(g.ph), bits(c.want.ph)) << c.what;
        }
        std::vector<float> x(8, -1.0f), y(8, -1.0f);
        pane_positions(c.n, page, g, x, y);
        std::vector<float> wx = c.x, wy = c.y;
        wx.resize(8, -1.0f);
        wy.resize(8, -1.0f);
        EXPECT_EQ(x, wx) << c.what;
        EXPECT_EQ(y, wy) << c.what;
    }

    // N = 5 in 2 columns and 3 rows: five positions, the third row holds one.
    PaneGrid g;
    choose_panes(1, 5, driver_page(1.0f / 1.414f), g);
    ASSERT_EQ(pane_count(5, g), 5);
    std::vector<float> x(6, -1.0f), y(6, -1.0f);
    pane_positions(5, driver_page(1.0f / 1.414f), g, x, y);
    EXPECT_EQ(x[0], 0.06f);
    EXPECT_EQ(x[2], 0.06f);
    EXPECT_EQ(x[4], 0.06f);
    EXPECT_EQ(bits(x[3]), bits(0.06f + 1.0f * (1.0f + 0.3f) * g.pw));
    EXPECT_EQ(y[2], y[3]);
    EXPECT_EQ(bits(y[4]), bits(1.0f / 1.414f * 0.07f + (3.0f + 2.0f * 0.18f) * g.ph));
    EXPECT_EQ(x[5], -1.0f);
    EXPECT_EQ(y[5], -1.0f);
    EXPECT_THROW(pane_positions(5, driver_page(1.0f), g, std::span(x).first(4), y), std::length_error);
}

}  // namespace
}  // namespace morvane
