#include "plot/curves.hpp"

#include "plot_page.hpp"

namespace morvane::testing {
namespace {

TEST(Curves, Shape) {
    const std::pair<std::vector<float>, CurveShape> cases[] = {
        {{}, CurveShape::up_arrow},           {{2.1f, 3.0f}, CurveShape::up_arrow},
        {{2.0f, 3.0f}, CurveShape::polyline},  // the top edge is inside
        {{0.9f, 0.5f}, CurveShape::down_arrow}, {{1.0f, 0.5f}, CurveShape::polyline},
        {{0.5f, 2.5f}, CurveShape::polyline},  // below and above: drawn through
    };
    for (const auto& [y, shape] : cases) EXPECT_EQ(curve_shape(y, 1.0f, 2.0f), shape) << ::testing::PrintToString(y);
}

// Two variables in blocks 1 and 3 share a window: arrows at X + n PW / 3 for curves n = 2..4 (A of block 1
// a line, then below, above, below), colours 1 to 4, value labels (sum / 10) with block number, stacked.
TEST(Curves, BlocksShareWindow) {
    Page p(scratch_dir());
    p.set_vars({var("A", "Alpha", 0, 10, 1), var("B", "Beta", 0, 10, 1)}, {1, 1});
    p.iblk = {1, 3}, p.a.ivlab = 10;
    p.val.assign(60, -3.0f);
    for (int i = 0; i < 10; ++i) p.val[i] = static_cast<float>(i), p.val[40 + i] = 20.0f;
    ASSERT_EQ(p.draw(), "");
    const Lines want = {
        " 1.000 0.000 0.000 RGB", " 1.00000 Th", "  0.0600  0.0953 M  0.8790  0.6015 L", "S", " 0.0171 SSF",
        "(1:   4.500) 0.012 2 2   0.967   0.655 WB", "show GR S",
        " 0.000 0.000 1.000 RGB", " 0.24000 Th", "  0.6667  0.0953 M", "  0.6940  0.1347 L", "  0.6758  0.1347 L",
        "  0.6758  0.2640 L", "  0.6576  0.2640 L", "  0.6576  0.1347 L", "  0.6394  0.1347 L", "CP S", " 0.0171 SSF",
        "(1:  -3.000) 0.012 2 2   0.967   0.640 WB", "show GR S",
        " 0.000 0.502 0.000 RGB", " 0.24000 Th", "  0.9700  0.6577 M", "  0.9427  0.6183 L", "  0.9609  0.6183 L",
        "  0.9609  0.4890 L", "  0.9791  0.4890 L", "  0.9791  0.6183 L", "  0.9973  0.6183 L", "CP S", " 0.0171 SSF",
        "(3:   20.00) 0.012 2 2   0.967   0.626 WB", "show GR S",
        "0 SG", " 0.24000 Th", "  1.2733  0.0953 M", "  1.3006  0.1347 L", "  1.2824  0.1347 L", "  1.2824  0.2640 L",
        "  1.2642  0.2640 L", "  1.2642  0.1347 L", "  1.2460  0.1347 L", "CP S", " 0.0171 SSF",
        "(3:  -3.000) 0.012 2 2   0.967   0.612 WB", "show GR S", "showpage", "%%EOF"};
    const Lines body = p.body();
    EXPECT_EQ(Lines(body.end() - static_cast<long>(want.size()), body.end()), want);
    EXPECT_TRUE(renders(p.psfile));
}

// Sums over groups of 12 steps: a sawtooth thinned to its corners; the value label by mode (mean of raw values).
TEST(Curves, AccumulatedCurveAndValueLabels) {
    const std::pair<std::int32_t, Lines> cases[] = {
        {-2, {}},
        {-1, {"(12.00) 0.012 2 2   0.967   0.655 WB"}},
        {0, {"(1.000) 0.012 2 2   0.967   0.655 WB"}},
        {10, {"(2.400) 0.012 2 2   0.967   0.655 WB"}},
    };
    for (const auto& [ivlab, label] : cases) {
        Page p(scratch_dir());
        p.vars[0] = var("A", "Alpha", 0, 12, 1);
        p.cumul = {1}, p.a.nacc = 12, p.a.ivlab = ivlab, p.a.n1 = 24, p.pset.year1 = 2013.0f;
        for (int i = 10; i < 24; ++i) p.time.push_back(1990.0f + static_cast<float>(i));
        p.val.assign(24, 1.0f);
        ASSERT_EQ(p.draw(), "");
        const Lines curve = p.after("  0.0600  0.1422 M  0.4771  0.6577 L  0.5150  0.1422 L  0.9321  0.6577 L");
        ASSERT_FALSE(curve.empty()) << ivlab;
        EXPECT_EQ(ending(curve, " WB"), label) << ivlab;
    }
}

// Ten curves in one window: the tenth takes colour index 1 again.
TEST(Curves, TenthCurveReusesFirstColour) {
    Page p(scratch_dir());
    const VarDescriptor v = var("A", "a", 0, 1, 1);
    p.set_vars({v, v, v, v, var("E", "e", 0, 1, 1)}, {1, 1, 1, 1, 1});
    p.iblk = {1, 2};
    p.val.assign(100, 0.5f);
    ASSERT_EQ(p.draw(), "");
    Lines colours;
    for (const std::string& l : p.after("(e) 0.017 0 0   0.788   0.661 WB"))
        if (l.ends_with(" RGB") || l.ends_with(" SG")) colours.push_back(l);
    EXPECT_EQ(colours, (Lines{"0 SG", " 1.000 0.000 0.000 RGB", " 0.000 0.000 1.000 RGB", " 0.000 0.502 0.000 RGB",
                              "0 SG", " 1.000 0.000 1.000 RGB", " 0.000 1.000 1.000 RGB", "0.502 SG",
                              " 1.000 0.502 0.000 RGB", " 0.392 0.196 0.000 RGB", " 1.000 0.000 0.000 RGB"}));
}

}  // namespace
}  // namespace morvane::testing
