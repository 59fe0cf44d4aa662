// The morvane command, run in-process: its report on the example site, its
// exit codes, the page it draws, and its exceedances against EXCEED.
#include <gtest/gtest.h>

#include <cstring>
#include <array>
#include <bit>
#include <filesystem>
#include <random>
#include <sstream>

#include "cli.hpp"
#include "morvane.h"
#include "support/test_support.hpp"

namespace {

using morvane::testing::InFolder;
using morvane::testing::read_file;
using morvane::testing::run_command;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;

struct Result {
    int code;
    std::string out, err;
};

Result run(std::vector<std::string> args) {
    args.insert(args.begin(), "morvane");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int code = morvane::cli::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

const std::string kSite = std::string(MORVANE_SOURCE_DIR) + "/examples/site";

// The example site checks clean for every model; KESTO's report is the one
// kept in check_kesto.txt.
TEST(Command, CheckExampleSite) {
    InFolder in(kSite);
    const Result k = run({"check", "kesto.inp", "--water"});
    EXPECT_EQ(k.code, 0) << k.out << k.err;
    EXPECT_EQ(k.out, read_file(std::string(MORVANE_SOURCE_DIR) + "/tests/tools/check_kesto.txt"));
    for (const char* file : {"kesto2.inp", "olu.inp"}) {  // KESTO2 has no lake (READINPW refuses it)
        const Result r = run({"check", file, "--json"});
        EXPECT_EQ(r.code, 0) << r.out << r.err;
        EXPECT_NE(r.out.find("\"warnings\":[],\"messages\":[],\"exit\":0}"), std::string::npos) << r.out;
    }
}

// Each mistake gives its warning and exit 1; a message, a wrong command
// line or a format that cannot take the values exit 2.
TEST(Command, ExitCodes) {
    const std::string dir = scratch_dir();
    write_file(dir + "/typo.inp", "period 2000 2001\nthikc 0.5\nCEC 62,5\n");
    write_file(dir + "/nofile.inp", "period 2000 2001\nSO2_dep nothere.dat;\\1\n");
    write_file(dir + "/obs.inp", "period 2000 2001\npHobs obs.dat;\\1\n");
    write_file(dir + "/obs.dat", "2000,,5\n2001 4.5\n");
    write_file(dir + "/t.csv", "CLmaxS,CLminN,CLmaxN,Ndep,Sdep\n1,2,3,4,x\n");
    InFolder in(dir);
    struct Case { std::vector<std::string> args; int code; std::string text; };
    const Case cases[] = {
        {{"check", "typo.inp"}, 1, "  READINP: CEC 62,5: 2 numbers where 1 is read (a decimal comma?)\n"
                                   "  READINP: unknown keyword thikc; did you mean thick?\n"},
        {{"check", "typo.inp"}, 1, "  thikc            unknown      0.5  (did you mean thick?)\n"},
        {{"check", "nothere.inp", "--model", "OLU"}, 1,
         "  READINP: File  nothere.inp  does not exist: every keyword takes its default\n"},
        {{"check", "nofile.inp"}, 2, "messages\n  xVARIN01: File  nothere.dat  does not exist!\n"},
        {{"check", "obs.inp"}, 2, "  pHobs            obs.dat, column 1: 1 observation\n"},
        {{"check", "obs.inp"}, 2, "  PREPOBS: obs.dat line 1 skipped: an empty item (null value) where a value is needed\n"},
        {{"check", "typo.inp", "--model", "KESTO3"}, 2, "--model: KESTO3 not in {KESTO,KESTO2,OLU}"},
        {{"fmt", "(i6,f8.3)", "2000", "4.6"}, 2, "morvane fmt: Format (i6,f8.3): item 3 is a real"},
        {{"fmt", "(i6,2f8.3)", "2000", "4.6"}, 0, "     02000.000   4.600\n"},
        {{"exceed", "t.csv"}, 1, "morvane exceed: line 2: Sdep \"x\" is not a number\n"},
        {{"exceed", "t.csv"}, 1, "1,2,3,4,x,,,\n"},
        {{"plot", "none.mon"}, 2, "morvane plot: none.mon cannot be read\n"},
        {{"frobnicate"}, 2, "Run with --help for more information."},
        {{}, 2, "A subcommand is required"},
        {{"check", "--help"}, 0, "Usage: morvane check [OPTIONS] file"},
        {{"plot", "--help"}, 0, "Usage: morvane plot [OPTIONS] files..."},
        {{"exceed", "--help"}, 0, "Usage: morvane exceed [OPTIONS] [input]"},
        {{"fmt", "--help"}, 0, "Usage: morvane fmt [OPTIONS] format values..."},
    };
    for (const Case& c : cases) {
        const Result r = run(c.args);
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(c.text), std::string::npos) << r.out << r.err;
    }
}

// A run and an earlier one drawn on one page, with observations: the page
// renders through Ghostscript, and the PNG is there.
TEST(Command, Plot) {
    const std::string dir = scratch_dir();
    std::string now = "!A run\n!pH      : Soil pH\n!BS      : Base saturation\n!count        ,time        ,pH          ,BS\n";
    std::string old = now;
    for (int y = 0; y <= 30; ++y) {
        char line[128];
        std::snprintf(line, sizeof line, "%6d %8.1f %12.4f %12.4f\n", y, 1990.0 + y, 4.5 + 0.01 * y, 0.2 - 0.001 * y);
        now += line;
        std::snprintf(line, sizeof line, "%6d %8.1f %12.4f %12.4f\n", y, 1990.0 + y, 4.5, 0.2 - 0.002 * y);
        old += line;
    }
    write_file(dir + "/run.mon", now);
    write_file(dir + "/old.mon", old);
    write_file(dir + "/obs.inp", "pHobs obs.dat;\\1\nBSobs 2000 0.3 0.01\n");
    write_file(dir + "/obs.dat", "1995 4.7\n2005 4.9\n");
    InFolder in(dir);
    const Result r = run({"plot", "run.mon", "old.mon", "--obs", "obs.inp", "--png", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "{\"eps\":\"run.eps\",\"png\":\"run.png\",\"variables\":[\"pH\",\"BS\"],\"warnings\":[]}\n");
    EXPECT_EQ(run_command("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=nullpage run.eps 2>&1; echo rc=$?"), "rc=0\n");
    EXPECT_EQ(read_file("run.png").substr(1, 3), "PNG");
    // The ranges hold the run, the earlier run and the observations (pH up
    // to 4.9 in obs.dat, BS 0.3 + 0.01 in obs.inp).
    const std::string eps = read_file("run.eps");
    EXPECT_NE(eps.find("(5.0)"), std::string::npos);
    EXPECT_NE(eps.find("(0.35)"), std::string::npos);
}

// The exceedances of a table against EXCEED called on the same rows, bit for
// bit, the critical loads and depositions read back from the CSV.
TEST(Command, ExceedAgainstExport) {
    const std::string dir = scratch_dir();
    std::mt19937 gen(17);
    std::uniform_real_distribution<float> cl(-50.0f, 3000.0f), dep(0.0f, 4000.0f);
    std::string csv = "site,CLmaxS,CLminN,CLmaxN,Ndep,Sdep\n";
    std::vector<std::array<float, 5>> rows = {{1000, 200, 1200, 1300, 50}, {1000, 200, 1200, 800, 800},
                                              {1000, 200, 200, 300, 1500}, {0, 0, 0, 1, 1}};
    for (int k = 0; k < 2000; ++k) rows.push_back({cl(gen), cl(gen), cl(gen), dep(gen), dep(gen)});
    for (std::size_t k = 0; k < rows.size(); ++k) {
        csv += "s" + std::to_string(k);
        for (const float v : rows[k]) {
            char buf[32];
            std::snprintf(buf, sizeof buf, ",%.9g", v);
            csv += buf;
        }
        csv += "\n";
    }
    write_file(dir + "/in.csv", csv);
    const Result r = run({"exceed", dir + "/in.csv", "-o", dir + "/out.csv"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream out(read_file(dir + "/out.csv"));
    std::string line;
    std::getline(out, line);
    EXPECT_EQ(line, "site,CLmaxS,CLminN,CLmaxN,Ndep,Sdep,ExN,ExS,region");
    for (const auto& row : rows) {
        ASSERT_TRUE(std::getline(out, line));
        float a = row[0], b = row[1], c = row[2], n = row[3], s = row[4], exn = 0, exs = 0;
        int32_t region = 0;
        EXCEED(&a, &b, &c, &n, &s, &exn, &exs, &region);
        std::vector<std::string> f;
        for (std::size_t p = 0, e = 0; e != std::string::npos; p = e + 1) f.push_back(line.substr(p, (e = line.find(',', p)) - p));
        ASSERT_EQ(f.size(), 9u);
        EXPECT_EQ(std::bit_cast<std::int32_t>(std::stof(f[6])), std::bit_cast<std::int32_t>(exn)) << line;
        EXPECT_EQ(std::bit_cast<std::int32_t>(std::stof(f[7])), std::bit_cast<std::int32_t>(exs)) << line;
        EXPECT_EQ(std::stoi(f[8]), region) << line;
    }
}

}  // namespace
