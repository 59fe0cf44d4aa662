#include "plot_page.hpp"

namespace morvane::testing {
namespace {

const std::string legend = "(Beta) 0.017 0 0   0.515   0.661 WB", reset = "S 0.12 Th [] 0 setdash 0 SG";
const std::string dash1 = "dA 0  4 Da dA 1  2 Da dA 2  4 Da dA 3  2 Da dA 0 setdash";

// A file (columns 2 and 4, circles) and a constant (factor 2, dashed) between the legends and the current
// run: error bars, -999.0 skipped, -999.5 drawn, the period kept; a missing file reported, the page finished.
TEST(Overlay, FileAndConstant) {
    const std::string dir = scratch_dir();
    write_file(dir + "/obs.dat",
               "! t a b c d\n1990.5, 7.1, 6.3, 0.9, 0.4\n1991.5 7.0 6.1\n\n1992.5 1 -999.0 0 0\n"
               "1993.5 1 -999.5 0 0\n1985 1 5 0 1\n2000 1 5 0 1\nabc\n");
    Page p = two_vars(dir);
    p.vars[0].ymin = -1000.0f;  // -999.5 inside the window, so the page stays valid PostScript
    p.obs = {series(dir + "/obs.dat", true, 'o'), series("1obsonly and the rest", true, 'd'),
             series(dir + "/none.dat")};
    p.obs[0].icol1 = 2, p.obs[0].icol2 = 4;
    p.obs[1].cval[0] = 1995.0f, p.obs[1].cval[1] = 2.6f, p.obs[1].cval[2] = 0.5f, p.obs[1].factor = 2.0f;
    p.iblk = {1, 2};  // block 2: A's file is missing, B has none
    p.val.assign(40, 5.0f);
    EXPECT_EQ(p.draw(), "xFile  " + dir + "/none.dat  not found");
    EXPECT_TRUE(read_text(p.psfile).ends_with("showpage\n%%EOF\n"));
    const Lines want = {
        "show GR S", "0 SG", " 1.00000 Th", "  0.1055  0.6554 M  0.1055  0.6559 L S", " 0.24000 Th",
        "  0.1055  0.6556  0.0060 CS", "  0.1965  0.6555  0.0060 CS", "  0.3785  0.0956  0.0060 CS",
        reset, " 1.00000 Th", "  0.5150  0.6545 M  0.5150  0.6556 L S", " 0.24000 Th",
        dash1, "  0.5150  0.6550 M", reset, " 1.000 0.000 0.000 RGB"};
    EXPECT_EQ(p.after(legend, want.size()), want);
    EXPECT_TRUE(renders(p.psfile));
}

// Line letters join the points (w, b wider; d, b dashed), marker letters mark each point (every
// marker's shape is psmark's, drawing_test.cpp), l draws sticks.
TEST(Overlay, StyleLetters) {
    const std::string a = "  0.1055  0.4496", b = "  0.1965  0.4384";
    const std::pair<char, Lines> cases[] = {  // the lines between the error bars' end and the reset
        {'s', {a + " M", b + " L"}},
        {'d', {dash1, a + " M", b + " L"}},
        {'b', {" 0.50000 Th", dash1, a + " M", b + " L"}},
        {'w', {" 0.50000 Th", a + " M", b + " L"}},
        {'o', {a + "  0.0060 CS", b + "  0.0060 CS"}},
        {'l', {a + " M  0.1055  0.0953 L S", b + " M  0.1965  0.0953 L S"}},  // sticks down to the window's bottom
    };
    for (const auto& [style, lines] : cases) {
        const std::string dir = scratch_dir();
        write_file(dir + "/obs.dat", "1990.5 6.3\n1991.5 6.1\n");
        Page p = two_vars(dir);
        p.obs = {series(dir + "/obs.dat", true, style)};
        ASSERT_EQ(p.draw(), "") << style;
        Lines want = {"show GR S", "0 SG", " 1.00000 Th", " 0.24000 Th"};
        want.insert(want.end(), lines.begin(), lines.end());
        want.push_back(reset);
        EXPECT_EQ(p.after(legend, want.size()), want) << style;
        EXPECT_TRUE(renders(p.psfile)) << style;
    }
}

}  // namespace
}  // namespace morvane::testing
