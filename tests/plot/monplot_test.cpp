#include "plot/monplot.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "plot/panes.hpp"
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
        if (!is_blank(p.psfile)) {
            EXPECT_EQ(read_file(p.psfile), "old page") << c.what;
        }
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

// Five windows, the fourth used by no variable, listed out of window order.
TEST(Monplot, FiveWindows) {
    Page p(scratch_dir());
    p.vars = {var("A", "Alpha", 0, 10, 2), var("B", "Beta", -1, 1, 4), var("C", "Gamma", 0, 20, 4),
              var("D", "Delta", 0, 1, 1), var("E", "Epsilon", 0, 5, 5)};
    p.ivar = {1, 2, 3, 4, 5};
    p.iwin = {1, 2, 1, 3, 5};
    p.cumul.assign(5, 0);
    p.val.assign(50, 1.0f);
    ASSERT_EQ(p.draw(), "");
    const std::vector<std::string> body = p.body();
    auto ending = [&](std::string_view tail) {
        std::vector<std::string> out;
        for (const std::string& l : body)
            if (l.ends_with(tail)) out.push_back(l);
        return out;
    };

    // Frames at the corners of the pane layout, pane 4 included.
    const float h = 1.0f / 1.414f;
    const PanePage page{1.0f, h, 0.06f, 0.03f, 0.07f, 0.03f, 1.618f, 0.3f, 0.18f};
    PaneGrid grid;
    choose_panes(1, 5, page, grid);
    ASSERT_EQ(grid.nc, 2);
    ASSERT_EQ(grid.nr, 3);
    std::vector<float> x(5), y(5);
    pane_positions(5, page, grid, x, y);
    std::vector<std::string> frames;
    for (int k = 0; k < 5; ++k) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%8.4f%8.4f%8.4f%8.4f RS", double(grid.ph), double(grid.pw), double(x[k]),
                      double(h - y[k]));
        frames.push_back(buf);
    }
    EXPECT_EQ(ending(" RS"), frames);

    // X labels only below panes 4 and 5, the lowest of their columns; there
    // the lowest y label is left out when the window has more than one division.
    std::vector<std::string> xlabels, ylabels;
    for (const std::string& l : body) {
        if (l.ends_with(" 2 1   0.474   0.242 W") || l.ends_with(" 2 1   0.075   0.018 W")) xlabels.push_back(l);
        if (l.find(" 1 2   0.057   ") != std::string::npos) ylabels.push_back(l.substr(0, l.find(')') + 1));
    }
    EXPECT_EQ(xlabels, (std::vector<std::string>{"(1990.) 0.017 2 1   0.474   0.242 W",
                                                 "(1990.) 0.017 2 1   0.075   0.018 W"}));
    EXPECT_EQ(ylabels, (std::vector<std::string>{"(0)", "(5)", "(10)", "(15)", "(20)", "(0)", "(1)", "(1)", "(2)",
                                                 "(3)", "(4)", "(5)"}));
    EXPECT_EQ(std::count_if(body.begin(), body.end(), [](const std::string& l) { return l.starts_with("(1994.)"); }),
              2);

    // Legends take their texts in list order: window 1 shows the first two.
    EXPECT_EQ(ending(" WB"), (std::vector<std::string>{
                                 "(Alpha) 0.017 0 0   0.060   0.661 WB",
                                 "(Beta) 0.017 0 0   0.213   0.661 WB",
                                 "(Gamma) 0.017 0 0   0.458   0.661 WB",
                                 "(Delta) 0.017 0 0   0.060   0.437 WB",
                                 "(Epsilon) 0.017 0 0   0.060   0.214 WB",
                             }));
    // The curves go to their own windows: the third is window 1's second (blue).
    const auto last_legend = std::find(body.begin(), body.end(), "(Epsilon) 0.017 0 0   0.060   0.214 WB");
    std::vector<std::string> colours;
    for (auto it = last_legend; it != body.end(); ++it)
        if (it->ends_with(" RGB")) colours.push_back(*it);
    const std::string red = " 1.000 0.000 0.000 RGB", blue = " 0.000 0.000 1.000 RGB";
    EXPECT_EQ(colours, (std::vector<std::string>{red, red, blue, red, red}));
    EXPECT_TRUE(renders(p.psfile));
}

// The limits accepted (25 windows, nine variables in one, two steps in one
// year), the label size by pane columns, and the date at the top right.
TEST(Monplot, LimitsAndHead) {
    struct Case {
        const char* what;
        std::function<void(Page&)> change;
        const char* line;  // a line of the page, as a pattern
    };
    const Case cases[] = {
        {"window 25 in five columns", [](Page& p) { p.iwin = {25}; }, "^ 0\\.0154 SSF$"},
        {"nine in a window", [](Page& p) { p.ivar.assign(9, 1), p.iwin.assign(9, 1), p.cumul.assign(9, 0); },
         "^ 0\\.0243 SSF$"},
        {"two steps in one year", [](Page& p) { p.pset.year1 = 1990.0f, p.nstep = 2; }, "^\\(1990\\.\\) "},
        {"date", [](Page& p) { p.idate = 1; },
         "^\\([0-3][0-9]-[A-Z][a-z][a-z]-20[0-9][0-9] [0-2][0-9]:[0-5][0-9]\\) 0\\.012 2 2   0\\.980   0\\.697 W$"},
        {"subtitle", [](Page& p) { p.subttl = "Sub"; }, "^\\(Sub\\) 0\\.012 2 0   0\\.020   0\\.697 W$"},
    };
    for (const Case& c : cases) {
        Page p(scratch_dir());
        c.change(p);
        EXPECT_EQ(p.draw(), "") << c.what;
        const std::vector<std::string> body = p.body();
        const std::regex re(c.line);
        EXPECT_TRUE(std::any_of(body.begin(), body.end(), [&](const std::string& l) { return std::regex_search(l, re); }))
            << c.what;
        EXPECT_TRUE(renders(p.psfile)) << c.what;
    }
}

}  // namespace
}  // namespace morvane::testing
