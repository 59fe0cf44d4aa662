#include "plot/curves.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "plot_page.hpp"

namespace morvane::testing {
namespace {

// Lines of the page from the first one equal to `from` on.
std::vector<std::string> tail_from(const std::vector<std::string>& body, const std::string& from) {
    auto it = std::find(body.begin(), body.end(), from);
    return {it, body.end()};
}

std::vector<std::string> ending(const std::vector<std::string>& body, std::string_view tail) {
    std::vector<std::string> out;
    for (const std::string& l : body)
        if (l.ends_with(tail)) out.push_back(l);
    return out;
}

TEST(Curves, Accumulation) {
    struct Case {
        std::int32_t nacc;
        bool cumul;
        std::vector<float> in, out;
    };
    const Case cases[] = {
        {12, true, std::vector<float>(14, 1.0f), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2}},
        {3, true, {1, 2, 3, 4, 5}, {1, 3, 6, 4, 9}},
        {3, false, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
        {1, true, {5, -2, 7}, {5, -2, 7}},
        // Single precision: 0.1 + 0.2 rounds to 0.3 in floats, 1e8 + 1 to 1e8.
        {2, true, {0.1f, 0.2f, 1e8f, 1.0f}, {0.1f, 0.3f, 1e8f, 1e8f}},
    };
    for (const Case& c : cases) {
        Accumulator acc(c.nacc, c.cumul);
        std::vector<float> got;
        for (float v : c.in) got.push_back(acc.add(v));
        EXPECT_EQ(got, c.out) << c.nacc << " " << c.cumul;
        EXPECT_EQ(acc.last(), c.out.back());
    }
}

TEST(Curves, Shape) {
    struct Case {
        std::vector<float> y;
        CurveShape shape;
    };
    const Case cases[] = {
        {{}, CurveShape::up_arrow},
        {{2.1f, 3.0f}, CurveShape::up_arrow},
        {{2.0f, 3.0f}, CurveShape::polyline},  // at the top edge is inside
        {{0.9f, 0.5f}, CurveShape::down_arrow},
        {{1.0f, 0.5f}, CurveShape::polyline},
        {{0.5f, 2.5f}, CurveShape::polyline},  // below and above: drawn through
    };
    for (const Case& c : cases) EXPECT_EQ(curve_shape(c.y, 1.0f, 2.0f), c.shape) << ::testing::PrintToString(c.y);
}

// A curve wholly above its window becomes an up arrow at X + PW / 2 (the
// window's only curve), outlined after a thin line.
TEST(Curves, AboveWindowIsArrow) {
    Page p(scratch_dir());
    p.val.assign(10, 20.0f);
    ASSERT_EQ(p.draw(), "");
    const std::vector<std::string> body = p.body();
    const std::vector<std::string> want = {
        " 1.000 0.000 0.000 RGB", " 0.24000 Th",  "  0.5150  0.6577 M", "  0.4877  0.6183 L",
        "  0.5059  0.6183 L",     "  0.5059  0.4890 L", "  0.5241  0.4890 L", "  0.5241  0.6183 L",
        "  0.5423  0.6183 L",     "CP S",         "showpage",           "%%EOF",
    };
    EXPECT_EQ(std::vector<std::string>(body.end() - 12, body.end()), want);
    EXPECT_TRUE(renders(p.psfile));
}

// Two variables in two blocks share a window: curve counters 1 to 4, the
// arrows at X + n PW / 3 (beyond the pane for 3 and 4), colours 1 to 4, and
// value labels (raw sum / 10) with the block number, stacked downward.
TEST(Curves, BlocksShareWindow) {
    Page p(scratch_dir());
    p.vars = {var("A", "Alpha", 0, 10, 1), var("B", "Beta", 0, 10, 1)};
    p.ivar = {1, 2};
    p.iwin = {1, 1};
    p.cumul = {0, 0};
    p.iblk = {1, 3};
    p.ivlab = 10;
    p.val.assign(60, -3.0f);
    for (int i = 0; i < 10; ++i) p.val[i] = static_cast<float>(i);
    ASSERT_EQ(p.draw(), "");
    const std::vector<std::string> want = {
        " 1.000 0.000 0.000 RGB",
        " 1.00000 Th",
        "  0.0600  0.0953 M  0.8790  0.6015 L",
        "S",
        " 0.0171 SSF",
        "(1:   4.500) 0.012 2 2   0.967   0.655 WB",
        "show GR S",
        " 0.000 0.000 1.000 RGB",
        " 0.24000 Th",
        "  0.6667  0.0953 M",
        "  0.6940  0.1347 L",
        "  0.6758  0.1347 L",
        "  0.6758  0.2640 L",
        "  0.6576  0.2640 L",
        "  0.6576  0.1347 L",
        "  0.6394  0.1347 L",
        "CP S",
        " 0.0171 SSF",
        "(1:  -3.000) 0.012 2 2   0.967   0.640 WB",
        "show GR S",
        " 0.000 0.502 0.000 RGB",
        " 0.24000 Th",
        "  0.9700  0.0953 M",
        "  0.9973  0.1347 L",
        "  0.9791  0.1347 L",
        "  0.9791  0.2640 L",
        "  0.9609  0.2640 L",
        "  0.9609  0.1347 L",
        "  0.9427  0.1347 L",
        "CP S",
        " 0.0171 SSF",
        "(3:  -3.000) 0.012 2 2   0.967   0.626 WB",
        "show GR S",
        "0 SG",
        " 0.24000 Th",
        "  1.2733  0.0953 M",
        "  1.3006  0.1347 L",
        "  1.2824  0.1347 L",
        "  1.2824  0.2640 L",
        "  1.2642  0.2640 L",
        "  1.2642  0.1347 L",
        "  1.2460  0.1347 L",
        "CP S",
        " 0.0171 SSF",
        "(3:  -3.000) 0.012 2 2   0.967   0.612 WB",
        "show GR S",
        "showpage",
        "%%EOF",
    };
    const std::vector<std::string> body = p.body();
    ASSERT_GE(body.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(body.end() - static_cast<long>(want.size()), body.end()), want);
    EXPECT_TRUE(renders(p.psfile));
}

// Sums over groups of 12 steps: a sawtooth of within-group totals, thinned
// to its corners; the value label by mode (the mean of the raw values, not
// of the sums).
TEST(Curves, AccumulatedCurveAndValueLabels) {
    struct Case {
        std::int32_t ivlab;
        const char* label;  // "" for none
    };
    const Case cases[] = {
        {-2, ""},
        {-1, "(12.00) 0.012 2 2   0.967   0.655 WB"},
        {0, "(1.000) 0.012 2 2   0.967   0.655 WB"},
        {10, "(2.400) 0.012 2 2   0.967   0.655 WB"},
    };
    for (const Case& c : cases) {
        Page p(scratch_dir());
        p.vars[0] = var("A", "Alpha", 0, 12, 1);
        p.cumul = {1};
        p.nacc = 12;
        p.ivlab = c.ivlab;
        p.pset.year1 = 2013.0f;
        p.n1 = 24;
        p.time.clear();
        for (int i = 0; i < 24; ++i) p.time.push_back(1990.0f + static_cast<float>(i));
        p.val.assign(24, 1.0f);
        ASSERT_EQ(p.draw(), "");
        const std::vector<std::string> body = p.body();
        const std::vector<std::string> curve = tail_from(body, "  0.0600  0.1422 M  0.4771  0.6577 L  0.5150  0.1422 L  0.9321  0.6577 L");
        ASSERT_FALSE(curve.empty()) << c.ivlab;
        const std::vector<std::string> labels = ending(curve, " 2 2   0.967   0.655 WB");
        EXPECT_EQ(labels, c.label[0] ? std::vector<std::string>{c.label} : std::vector<std::string>{}) << c.ivlab;
    }
}

// Ten curves in one window: the tenth takes colour index 1 again.
TEST(Curves, TenthCurveReusesFirstColour) {
    Page p(scratch_dir());
    p.vars = {var("A", "a", 0, 1, 1), var("B", "b", 0, 1, 1), var("C", "c", 0, 1, 1), var("D", "d", 0, 1, 1),
              var("E", "e", 0, 1, 1)};
    p.ivar = {1, 2, 3, 4, 5};
    p.iwin.assign(5, 1);
    p.cumul.assign(5, 0);
    p.iblk = {1, 2};
    p.val.assign(100, 0.5f);
    ASSERT_EQ(p.draw(), "");
    const std::vector<std::string> body = p.body();
    std::vector<std::string> colours;
    const std::vector<std::string> after = tail_from(body, "(e) 0.017 0 0   0.788   0.661 WB");
    ASSERT_FALSE(after.empty());
    for (const std::string& l : after)
        if (l.ends_with(" RGB") || l.ends_with(" SG")) colours.push_back(l);
    EXPECT_EQ(colours, (std::vector<std::string>{"0 SG",  // after the legend
                                                 " 1.000 0.000 0.000 RGB", " 0.000 0.000 1.000 RGB",
                                                 " 0.000 0.502 0.000 RGB", "0 SG", " 1.000 0.000 1.000 RGB",
                                                 " 0.000 1.000 1.000 RGB", "0.502 SG", " 1.000 0.502 0.000 RGB",
                                                 " 0.392 0.196 0.000 RGB", " 1.000 0.000 0.000 RGB"}));
}

}  // namespace
}  // namespace morvane::testing
