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
