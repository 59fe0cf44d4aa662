// The readers of the observation files and of the comparison runs under a
// failing open, read or close: the routine's message, never a crash or a
// partial result.
#include "output/prepobs.hpp"
#include "plot_page.hpp"
#include "support/faults.hpp"

namespace morvane::testing {
namespace {

using fault::Op;

// An observation file of two blocks.
TEST(ReaderFaults, ObservationFile) {
    const std::string dir = scratch_dir();
    std::string text = "! t v\n";
    for (int i = 0; i < 40000; ++i) text += std::to_string(1900 + i / 200) + "." + std::to_string(i % 200) + " 7.5\n";
    write_file(dir + "/obs.dat", text);
    const SeriesSpec spec = series(dir + "/obs.dat");
    const auto call = [&] {
        ObsFile f;
        const std::string msg = message_of([&] { f = prepobs(spec, -999.0f, 1900, 2100); });
        return std::pair(msg, f.points.size());
    };
    const auto bad = std::pair("xFile  " + dir + "/obs.dat  not found", std::size_t{0});
    for (const Op op : {Op::Open, Op::Read, Op::Close}) {
        const auto got = under_faults(op, call);
        EXPECT_EQ(got[0], std::pair(std::string(), std::size_t{40000}));
        EXPECT_EQ(got.size(), op == Op::Read ? 3u : 2u);
        for (std::size_t n = 1; n < got.size(); ++n) EXPECT_EQ(got[n], op == Op::Close ? got[0] : bad) << n;
    }
}

// The page reads an observation file, then two comparison runs, each one
// block; the page itself is written last. A failing observation file is
// reported and the page finished without it; a failing comparison run ends
// the page with its message.
TEST(ReaderFaults, PlotPage) {
    const std::string dir = scratch_dir();
    write_file(dir + "/obs.dat", "1991 2\n1995 7\n");
    const std::string mon = "!count        ,time    ,A\n     0   1990.0       1.0000\n     1   1999.0       9.0000\n";
    write_file(dir + "/one.mon", mon);
    write_file(dir + "/two.mon", mon);
    Page p(dir);
    p.obs = {series(dir + "/obs.dat", true, 'o')};
    p.runs[0] = series(dir + "/one.mon"), p.runs[1] = series(dir + "/two.mon");
    const auto call = [&] { return p.draw(); };
    const std::string obs = "xFile  " + dir + "/obs.dat  not found";
    const std::string run1 = "xplotcomp: Error in comparison plot  1", run2 = "xplotcomp: Error in comparison plot  2";
    const auto reads = under_faults(Op::Read, call);
    EXPECT_EQ(reads, (std::vector<std::string>{"", obs, run1, run2}));
    // Opens and closes: the page's own file gives its own message; those of
    // the files read as their reads do (a close loses nothing).
    const std::string page = "xMonplot: Cannot write file " + p.psfile;
    for (const Op op : {Op::Open, Op::Close}) {
        std::vector<std::string> readers;
        for (const std::string& m : under_faults(op, call))
            if (m != page) readers.push_back(m);
        const std::vector<std::string> want = op == Op::Open ? Lines{"", obs, run1, run2} : Lines(4, "");
        EXPECT_EQ(readers, want);
    }
}

}  // namespace
}  // namespace morvane::testing
