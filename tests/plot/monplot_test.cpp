#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <tuple>

#include "plot_page.hpp"
#include "support/targets.hpp"

namespace morvane::testing {
namespace {

using Change = std::function<void(Page&)>;
const std::vector<std::int32_t> nine(9, 1), ten(10, 1);

// Every check made before the file is opened: its message; an existing page left as it was, no other file.
TEST(Monplot, ChecksWriteNoFile) {
    const std::pair<Change, const char*> cases[] = {
        {[](Page& p) { p.set_vars(p.vars, {}); }, ""},
        {[](Page& p) { p.psfile = "     \t"; }, ""},
        {[](Page& p) { p.a.nv = -1; }, "xMonplot: NV below 0!"},
        {[](Page& p) { p.pset.year1 = 1990.0f; }, "xMonplot: No positive interval for display!"},
        {[](Page& p) { p.pset.year1 = 1990.49f, p.a.nstep = 2, p.a.iyoff = 1; }, "xMonplot: No positive interval for display!"},
        {[](Page& p) { p.iwin = {26}; }, "xMonplot: Not more than 25 display windows!"},
        {[](Page& p) { p.iwin = {0}; }, "xMonplot: Window numbers start at 1!"},
        {[](Page& p) { p.set_vars(p.vars, ten); }, "xMonplot: Not more than  9 variables/window!"},
        {[](Page& p) { p.ivar = {0}; }, "xMonplot: IVAR(  1) not in 1..NREC!"},
        {[](Page& p) { p.ivar = {2}; }, "xMonplot: IVAR(  1) not in 1..NREC!"},
        {[](Page& p) { p.iblk = {1, 0}; }, "xMonplot: IBLK(  2) below 1!"},
        {[](Page& p) { p.pset.nxdiv = 0; }, "xMonplot: nxdiv below 1!"},
        {[](Page& p) { p.pset.xlabstep = 0; }, "xMonplot: xlabstep below 1!"},
        {[](Page& p) { p.a.nacc = 0; }, "xMonplot: NACC below 1!"},
        {[](Page& p) { p.a.aspect = 0.0f; }, "xMonplot: ASPECT must be positive!"},
        {[](Page& p) { p.a.n1 = 9; }, "xMonplot: NT exceeds N1 - N0 + 1!"},
        {[](Page& p) { p.vars[0].ymax = 0.0f; }, "xMonplot: Window  1 has ymin = ymax!"},
        // Settings whose arithmetic or work would have no bound.
        {[](Page& p) { p.pset.year1 = 2147483648.0f; }, "xMonplot: year0 or year1 out of range!"},
        {[](Page& p) { p.pset.year0 = -INFINITY; }, "xMonplot: year0 or year1 out of range!"},
        {[](Page& p) { p.pset.year1 = NAN; }, "xMonplot: year0 or year1 out of range!"},
        {[](Page& p) { p.pset.year0 = 2010.0f, p.a.nstep = -1; }, "xMonplot: NSTEP below 1!"},
        {[](Page& p) { p.pset.year0 = -2e9f, p.a.iyoff = -2e9; }, "xMonplot: IYOFF out of range!"},
        {[](Page& p) { p.pset.year0 = -2e9f, p.pset.year1 = 2e9f, p.a.iyoff = -2147483647 - 1, p.a.nstep = 2147483647; },
         "xMonplot: IYOFF out of range!"},
        {[](Page& p) { p.pset.nxdiv = 1001; }, "xMonplot: nxdiv above 1000!"},
        {[](Page& p) { p.pset.xlab0 = -1; }, "xMonplot: xlab0 below 0!"},
        {[](Page& p) { p.vars[0].ndiv = 1001; }, "xMonplot: Window  1 has more than 1000 divisions!"},
    };
    for (const auto& [change, msg] : cases) {
        const std::string dir = scratch_dir();
        Page p(dir);
        change(p);
        MonplotArgs a = p.args();
        if (p.a.nv < 0) a.nv = -1, a.psfile = "";  // reported even without a file name
        write_file(dir + "/page.eps", "old page");
        EXPECT_EQ(message_of([&] { return monplot(a); }), msg);
        EXPECT_EQ(read_file(dir + "/page.eps"), "old page") << msg;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << msg;
    }
}

// One window whole: head, grid, reference year, zero line, frame, x labels, y labels (the lowest
// too, x labels being at division 0), legend, the current run and its mean as value label.
TEST(Monplot, OneWindowPage) {
    Page p(scratch_dir());
    p.vars[0] = var("A", "Alpha (a)", -5.0f, 10.0f, 3);
    p.a.igrid = 128, p.a.zlwid = 2.0f, p.a.yref = 1992.5f, p.a.ivlab = 0;
    ASSERT_EQ(p.draw(), "");
    EXPECT_TRUE(read_text(p.psfile).starts_with(
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox:   20  411  570  800\n%%Title: by Monplot\n"));
    const Lines want = {
        "fA 0 /Helvetica put", "fA 0 get dup scandvec ReEncodeSmall", " 0.0343 SSF",
        "(T) 0.024 2 1   0.500   0.697 W", "show GR S", "0.502 SG", " 0.24000 Th",
        "  0.5150  0.0953 M  0.5150  0.6577 L S", "  0.0600  0.2828 M  0.9700  0.2828 L S",
        "  0.0600  0.4702 M  0.9700  0.4702 L S", " 1.00000 Th", " 0.000 0.784 0.000 RGB",
        "  0.2875  0.0953 M  0.2875  0.6577 L S", "0 SG", " 2.00000 Th", "  0.0600  0.2828 M  0.9700  0.2828 L S",
        " 0.50000 Th", "  0.5624  0.9100  0.0600  0.0953 RS", " 0.24000 Th",
        " 0.0243 SSF", "(1990.) 0.017 2 1   0.105   0.092 W", "show GR S",
        " 0.0243 SSF", "(1994.) 0.017 2 1   0.561   0.092 W", "show GR S",
        " 0.0243 SSF", "(1999.) 0.017 2 1   1.016   0.092 W", "show GR S",
        " 0.0243 SSF", "(0) 0.017 1 2   0.057   0.283 W", "show GR S",
        " 0.0243 SSF", "(5) 0.017 1 2   0.057   0.470 W", "show GR S",
        " 0.0243 SSF", "(10) 0.017 1 2   0.057   0.658 W", "show GR S",
        " 1.000 0.000 0.000 RGB", " 0.0243 SSF", "(Alpha \\050a\\051) 0.017 0 0   0.060   0.661 WB", "show GR S",
        "0 SG", " 1.000 0.000 0.000 RGB", " 1.00000 Th", "  0.0600  0.2828 M  0.8790  0.6202 L", "S",
        " 0.0171 SSF", "(4.500) 0.012 2 2   0.967   0.655 WB", "show GR S", "showpage", "%%EOF",
    };
    EXPECT_EQ(p.body(), want);
    EXPECT_TRUE(renders(p.psfile));
}

// Five windows listed out of order, the fourth unused: frames in 2 x 3 (pane 4 too); x labels only below
// panes 4 and 5, which lose their lowest y label; legends in list order; window 1's second curve blue.
TEST(Monplot, FiveWindows) {
    Page p(scratch_dir());
    p.set_vars({var("A", "Alpha", 0, 10, 2), var("B", "Beta", -1, 1, 4), var("C", "Gamma", 0, 20, 4),
                var("D", "Delta", 0, 1, 1), var("E", "Epsilon", 0, 5, 5)},
               {1, 2, 1, 3, 5});
    p.val.assign(50, 1.0f);
    ASSERT_EQ(p.draw(), "");
    const Lines body = p.body();
    const std::string size = "  0.1894  0.3065";
    EXPECT_EQ(ending(body, " RS"), (Lines{size + "  0.0600  0.4683 RS", size + "  0.4585  0.4683 RS",
                                          size + "  0.0600  0.2447 RS", size + "  0.4585  0.2447 RS",
                                          size + "  0.0600  0.0212 RS"}));
    Lines xlabels, ylabels;
    for (const std::string& l : body) {
        if (l.starts_with("(1990.)")) xlabels.push_back(l);
        if (l.find(" 1 2   0.057   ") != std::string::npos) ylabels.push_back(l.substr(0, l.find(')') + 1));
    }
    EXPECT_EQ(xlabels, (Lines{"(1990.) 0.017 2 1   0.474   0.242 W", "(1990.) 0.017 2 1   0.075   0.018 W"}));
    EXPECT_EQ(ylabels, (Lines{"(0)", "(5)", "(10)", "(15)", "(20)", "(0)", "(1)", "(1)", "(2)", "(3)", "(4)", "(5)"}));
    EXPECT_EQ(ending(body, " WB"), (Lines{"(Alpha) 0.017 0 0   0.060   0.661 WB", "(Beta) 0.017 0 0   0.213   0.661 WB",
                                          "(Gamma) 0.017 0 0   0.458   0.661 WB", "(Delta) 0.017 0 0   0.060   0.437 WB",
                                          "(Epsilon) 0.017 0 0   0.060   0.214 WB"}));
    const std::string red = " 1.000 0.000 0.000 RGB", blue = " 0.000 0.000 1.000 RGB";
    EXPECT_EQ(ending(p.after("(Epsilon) 0.017 0 0   0.060   0.214 WB"), " RGB"), (Lines{red, red, blue, red, red}));
    EXPECT_TRUE(renders(p.psfile));
}

// Years and steps whose products leave 32 bits: the x labels of divisions 0, 1 and 2 (nxdiv 2), and
// the one label of a label step of 2147483647.
TEST(Monplot, LargeYearsAndSteps) {
    const std::tuple<float, float, std::int32_t, std::int32_t, Lines> cases[] = {
        {0.0f, 2e9f, 2, 1, {"(0)", "(1000000000.)", "(2000000000.)"}},
        // The products in integers, divided as 32-bit reals: 4294967168 and 8589934336 round up by 128 and 256.
        {-2147483648.0f, 2147483520.0f, 1, 1, {"(-2147483648.)", "(0)", "(2147483648.)"}},
        {1990.0f, 1999.0f, 1, 2147483647, {"(1990.)"}},
    };
    for (const auto& [year0, year1, nstep, xlabstep, labels] : cases) {
        Page p(scratch_dir());
        p.pset.year0 = year0, p.pset.year1 = year1, p.pset.xlabstep = xlabstep, p.a.nstep = nstep;
        set_field(p.pset.xlabfmt, "(f14.0)");
        ASSERT_EQ(p.draw(), "") << year1;
        Lines got;
        for (const std::string& l : ending(p.body(), " W"))
            if (l.find(" 0.017 2 1 ") != std::string::npos) got.push_back(l.substr(0, l.find(')') + 1));
        EXPECT_EQ(got, labels) << year1;
    }
}

// Limits accepted (25 windows, 9 variables in one, 2 steps in a year); label size by columns; date; subtitle.
TEST(Monplot, LimitsAndHead) {
    const std::pair<Change, const char*> cases[] = {
        {[](Page& p) { p.iwin = {25}; }, "^ 0\\.0154 SSF$"},  // five columns
        {[](Page& p) { p.set_vars(p.vars, nine); }, "^ 0\\.0243 SSF$"},
        {[](Page& p) { p.pset.year1 = 1990.0f, p.a.nstep = 2; }, "^\\(1990\\.\\) "},
        {[](Page& p) { p.a.idate = 1; },
         "^\\([0-3][0-9]-[A-Z][a-z][a-z]-20[0-9][0-9] [0-2][0-9]:[0-5][0-9]\\) 0\\.012 2 2   0\\.980   0\\.697 W$"},
        {[](Page& p) { p.a.subttl = "Sub"; }, "^\\(Sub\\) 0\\.012 2 0   0\\.020   0\\.697 W$"},
    };
    for (const auto& [change, line] : cases) {
        Page p(scratch_dir());
        change(p);
        EXPECT_EQ(p.draw(), "") << line;
        const std::regex re(line);
        EXPECT_TRUE(std::ranges::any_of(p.body(), [&](auto& l) { return std::regex_search(l, re); })) << line;
        EXPECT_TRUE(renders(p.psfile)) << line;
    }
}

// Every kind of target of the page, and a failure at each open, write, close and rename.
TEST(Monplot, TargetsAndFaults) {
    Page p(scratch_dir());
    const auto writer = [&](const std::string& path) { p.psfile = path; return p.draw(); };
    const auto failure = [](const std::string& path) { return "xMonplot: Cannot write file " + path; };
    const auto undated = [](std::string text) {
        return std::regex_replace(text, std::regex("%%CreationDate: [^\n]*"), "%%CreationDate:");
    };
    ASSERT_EQ(p.draw(), "");
    check_targets(writer, read_file(p.psfile), failure, undated);
    check_faults(writer, failure);
}

}  // namespace
}  // namespace morvane::testing
