#include "plot/monplot.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "plot_page.hpp"
#include "util/strings.hpp"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> files_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    return names;
}

// Every check made before the file is opened: its message, and no file
// written (an existing page of that name stays as it was).
TEST(Monplot, ChecksWriteNoFile) {
    struct Case {
        const char* what;
        std::function<void(Page&)> change;
        const char* msg;
    };
    const Case cases[] = {
        {"nothing to plot", [](Page& p) { p.ivar.clear(), p.iwin.clear(), p.cumul.clear(); }, ""},
        {"blank file name", [](Page& p) { p.psfile = std::string(5, ' ') + '\t'; }, ""},
        {"one step only", [](Page& p) { p.pset.year1 = 1990.0f; }, "xMonplot: No positive interval for display!"},
        {"offset past the end", [](Page& p) { p.iyoff = 9; }, "xMonplot: No positive interval for display!"},
        {"year1 rounds down to year0", [](Page& p) { p.pset.year1 = 1990.49f; },
         "xMonplot: No positive interval for display!"},
        {"window 26", [](Page& p) { p.iwin = {26}; }, "xMonplot: Not more than 25 display windows!"},
        {"window 0", [](Page& p) { p.iwin = {0}; }, "xMonplot: Window numbers start at 1!"},
        {"ten in a window",
         [](Page& p) {
             p.ivar.assign(10, 1), p.iwin.assign(10, 1), p.cumul.assign(10, 0);
         },
         "xMonplot: Not more than  9 variables/window!"},
        {"variable 0", [](Page& p) { p.ivar = {0}; }, "xMonplot: IVAR(  1) not in 1..NREC!"},
        {"variable past NREC", [](Page& p) { p.ivar = {2}; }, "xMonplot: IVAR(  1) not in 1..NREC!"},
        {"block 0", [](Page& p) { p.iblk = {1, 0}; }, "xMonplot: IBLK(  2) below 1!"},
        {"nxdiv 0", [](Page& p) { p.pset.nxdiv = 0; }, "xMonplot: nxdiv below 1!"},
        {"xlabstep 0", [](Page& p) { p.pset.xlabstep = 0; }, "xMonplot: xlabstep below 1!"},
        {"nacc 0", [](Page& p) { p.nacc = 0; }, "xMonplot: NACC below 1!"},
        {"aspect 0", [](Page& p) { p.aspect = 0.0f; }, "xMonplot: ASPECT must be positive!"},
        {"more times than VAL holds", [](Page& p) { p.n1 = 9; }, "xMonplot: NT exceeds N1 - N0 + 1!"},
        {"flat window", [](Page& p) { p.vars[0].ymax = 0.0f; }, "xMonplot: Window  1 has ymin = ymax!"},
    };
    for (const Case& c : cases) {
        const std::string dir = scratch_dir();
        Page p(dir);
        c.change(p);
        if (!is_blank(p.psfile)) write_file(p.psfile, "old page");
        EXPECT_EQ(p.draw(), c.msg) << c.what;
        if (!is_blank(p.psfile)) EXPECT_EQ(read_file(p.psfile), "old page") << c.what;
        EXPECT_EQ(files_in(dir).size(), is_blank(p.psfile) ? 0u : 1u) << c.what;
    }
    // NV below 0 is reported even without a file name.
    Page p(scratch_dir());
    MonplotArgs a = p.args();
    a.nv = -1;
    a.ivar = a.iwin = a.cumul = {};
    EXPECT_EQ(monplot(a), "xMonplot: NV below 0!");
    EXPECT_FALSE(fs::exists(p.psfile));
}

// One window drawn whole, line by line: head, grid, reference year, zero
// line, frame, x labels and the y labels above the lowest (J0 rule), legend,
// the current run's polyline and its mean as value label.
TEST(Monplot, OneWindowPage) {
    Page p(scratch_dir());
    p.vars[0] = var("A", "Alpha (a)", -5.0f, 10.0f, 3);
    p.igrid = 128;
    p.zlwid = 2.0f;
    p.yref = 1992.5f;
    p.ivlab = 0;
    ASSERT_EQ(p.draw(), "");
    const std::string text = read_file(p.psfile);
    EXPECT_EQ(text.substr(0, 79),
              "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox:   20  411  570  800\n%%Title: by Monplot\n");
    const std::vector<std::string> want = {
        "fA 0 /Helvetica put",
        "fA 0 get dup scandvec ReEncodeSmall",
        " 0.0343 SSF",
        "(T) 0.024 2 1   0.500   0.697 W",
        "show GR S",
        "0.502 SG",
        " 0.24000 Th",
        "  0.5150  0.0953 M  0.5150  0.6577 L S",
        "  0.0600  0.2828 M  0.9700  0.2828 L S",
        "  0.0600  0.4702 M  0.9700  0.4702 L S",
        " 1.00000 Th",
        " 0.000 0.784 0.000 RGB",
        "  0.2875  0.0953 M  0.2875  0.6577 L S",
        "0 SG",
        " 2.00000 Th",
        "  0.0600  0.2828 M  0.9700  0.2828 L S",
        " 0.50000 Th",
        "  0.5624  0.9100  0.0600  0.0953 RS",
        " 0.24000 Th",
        " 0.0243 SSF",
        "(1990.) 0.017 2 1   0.105   0.092 W",
        "show GR S",
        " 0.0243 SSF",
        "(1994.) 0.017 2 1   0.561   0.092 W",
        "show GR S",
        " 0.0243 SSF",
        "(1999.) 0.017 2 1   1.016   0.092 W",
        "show GR S",
        " 0.0243 SSF",
        "(0) 0.017 1 2   0.057   0.283 W",
        "show GR S",
        " 0.0243 SSF",
        "(5) 0.017 1 2   0.057   0.470 W",
        "show GR S",
        " 0.0243 SSF",
        "(10) 0.017 1 2   0.057   0.658 W",
        "show GR S",
        " 1.000 0.000 0.000 RGB",
        " 0.0243 SSF",
        "(Alpha \\050a\\051) 0.017 0 0   0.060   0.661 WB",
        "show GR S",
        "0 SG",
        " 1.000 0.000 0.000 RGB",
        " 1.00000 Th",
        "  0.0600  0.2828 M  0.8790  0.6202 L",
        "S",
        " 0.0171 SSF",
        "(4.500) 0.012 2 2   0.967   0.655 WB",
        "show GR S",
        "showpage",
        "%%EOF",
    };
    EXPECT_EQ(p.body(), want);
    EXPECT_TRUE(renders(p.psfile));
}

// The limits accepted: 25 windows, nine variables in one, two steps in one year.
TEST(Monplot, LimitsAccepted) {
    struct Case {
        const char* what;
        std::function<void(Page&)> change;
    };
    const Case cases[] = {
        {"window 25", [](Page& p) { p.iwin = {25}; }},
        {"nine in a window", [](Page& p) { p.ivar.assign(9, 1), p.iwin.assign(9, 1), p.cumul.assign(9, 0); }},
        {"two steps in one year", [](Page& p) { p.pset.year1 = 1990.0f, p.nstep = 2; }},
    };
    for (const Case& c : cases) {
        Page p(scratch_dir());
        c.change(p);
        EXPECT_EQ(p.draw(), "") << c.what;
        EXPECT_TRUE(renders(p.psfile)) << c.what;
    }
}

}  // namespace
}  // namespace morvane::testing
