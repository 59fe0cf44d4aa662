// MONPLOT on a full page: 25 windows x 9 variables, 100 000 time points each
// (200 years of 500 steps), plus 9 comparison runs read back from a monitoring
// file of 25 variables and 100 000 lines; against gnuplot drawing the same 225
// curves from a binary file of the same values into EPS, in the same run.
// Reported: time and the size of the written file.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "morvane.h"
#include "output/monwrite.hpp"
#include "plot/monplot.hpp"
#include "util/error.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int kWindows = 25;
constexpr int kPerWindow = 9;
constexpr int kVars = kWindows * kPerWindow;
constexpr int kYears = 200;
constexpr int kStep = 500;
constexpr int kPoints = kYears * kStep;

template <std::size_t N>
void field(char (&dst)[N], const std::string& s) {
    std::memset(dst, ' ', N);
    std::memcpy(dst, s.data(), std::min(N, s.size()));
}

struct Data {
    std::string dir;
    std::vector<VarDescriptor> vars;
    std::vector<std::int32_t> ivar, iwin, cumul, iblk{1};
    PlotSettings pset{};
    std::vector<float> time, val;
    std::vector<float> lwid = std::vector<float>(9, 1.0f);
    std::vector<std::int32_t> rgb;
    std::vector<SeriesSpec> runs = std::vector<SeriesSpec>(9), obs;
    std::string mon, gnuplot_data, gnuplot_script;

    Data() {
        dir = (fs::temp_directory_path() / "morvane_bench_monplot").string();
        fs::create_directories(dir);
        time.resize(kPoints);
        for (int k = 0; k < kPoints; ++k) time[k] = 1900.0f + static_cast<float>(k) / kStep;
        // A trend, a seasonal cycle and a little deterministic noise per variable.
        val.resize(static_cast<std::size_t>(kPoints) * kVars);
        std::uint32_t seed = 12345;
        for (int i = 0; i < kVars; ++i) {
            const float amp = 0.1f + 0.02f * static_cast<float>(i % kPerWindow);
            for (int k = 0; k < kPoints; ++k) {
                seed = seed * 1664525u + 1013904223u;
                const float noise = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
                const float t = static_cast<float>(k) / kStep;
                val[static_cast<std::size_t>(i) * kPoints + k] =
                    0.3f + 0.4f * t / kYears + amp * std::sin(6.2831853f * t + static_cast<float>(i)) +
                    0.01f * noise;
            }
        }
        for (int i = 0; i < kVars; ++i) {
            VarDescriptor v;
            field(v.name, "v" + std::to_string(i + 1));
            field(v.description, "variable " + std::to_string(i + 1));
            v.ymin = 0.0f;
            v.ymax = 1.0f;
            v.ndiv = 4;
            vars.push_back(v);
            ivar.push_back(i + 1);
            iwin.push_back(i / kPerWindow + 1);
            cumul.push_back(0);
        }
        for (int c = 0; c < 9; ++c)
            for (int k = 0; k < 3; ++k) rgb.push_back((c * 37 + k * 91) % 256);
        pset.xlabopt = ' ';
        field(pset.xlabfmt, "(f5.0)");
        pset.nxdiv = 4;
        pset.xlabstep = 1;
        pset.year0 = 1900.0f;
        pset.year1 = 2099.0f;
        SeriesSpec off{};
        obs.assign(kVars, off);

        // The comparison run: the first variable of every window (a heading
        // line holds the names of at most 37 columns).
        mon = dir + "/earlier.mon";
        std::vector<std::int32_t> first;
        for (int w = 0; w < kWindows; ++w) first.push_back(w * kPerWindow + 1);
        SeriesSpec spec{};
        spec.active = 1;
        field(spec.path, mon);
        field(spec.fmt, "");
        spec.opt = ' ';
        char title[128] = "Earlier run";
        const std::string m = morvane::message_of([&] {
            morvane::monwrite(spec, title, vars.data(), kWindows, first.data(), 1, kPoints, 1900, 2099, kPoints,
                              time.data(), val.data());
        });
        if (!m.empty()) std::fprintf(stderr, "%s\n", m.c_str());
        for (SeriesSpec& r : runs) r = spec;

        // gnuplot's input: one record of 226 floats (time and the values) per point.
        gnuplot_data = dir + "/values.bin";
        std::vector<float> rec(kVars + 1);
        std::ofstream bin(gnuplot_data, std::ios::binary);
        for (int k = 0; k < kPoints; ++k) {
            rec[0] = time[k];
            for (int i = 0; i < kVars; ++i) rec[i + 1] = val[static_cast<std::size_t>(i) * kPoints + k];
            bin.write(reinterpret_cast<const char*>(rec.data()), static_cast<std::streamsize>(rec.size() * 4));
        }
        bin.close();
        gnuplot_script = dir + "/page.gp";
        std::ofstream gp(gnuplot_script);
        gp << "set terminal postscript eps color size 7.6in,5.4in\nset output '" << dir << "/gnuplot.eps'\n"
           << "set multiplot layout 5,5\nunset key\nset yrange [0:1]\nset xrange [1900:2099]\n";
        for (int w = 0; w < kWindows; ++w) {
            gp << "plot for [j=" << (w * kPerWindow + 2) << ":" << (w * kPerWindow + kPerWindow + 1) << "] '"
               << gnuplot_data << "' binary format='%" << (kVars + 1) << "float' using 1:j with lines\n";
        }
        gp << "unset multiplot\n";
    }

    morvane::MonplotArgs args(const std::string& eps, int nruns) const {
        morvane::MonplotArgs a;
        a.psfile = eps;
        a.title = "Benchmark page";
        a.nrec = kVars;
        a.nv = kVars;
        a.ivar = ivar;
        a.iblk = iblk;
        a.cumul = cumul;
        a.iwin = iwin;
        a.vars = vars;
        a.pset = &pset;
        a.aspect = 1.414f;
        a.lwid = lwid;
        a.rgb = rgb;
        a.igrid = 200;
        a.nacc = 1;
        a.ivlab = 0;
        a.n0 = 1;
        a.n1 = kPoints;
        a.time = time;
        a.val = val.data();
        a.runs = std::span<const SeriesSpec>(runs.data(), 9);
        if (nruns == 0) a.runs = {};
        a.obsspecs = obs.data();
        return a;
    }
};

const Data& data() {
    static const Data d;
    return d;
}

void BM_Monplot(benchmark::State& state) {
    const Data& d = data();
    const std::string eps = d.dir + "/monplot.eps";
    const int nruns = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::string msg = morvane::message_of([&] { return morvane::monplot(d.args(eps, nruns)); });
        if (!msg.empty()) state.SkipWithError(msg.c_str());
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(eps));
}
BENCHMARK(BM_Monplot)->Arg(9)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_Gnuplot(benchmark::State& state) {
    const Data& d = data();
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) {
        state.SkipWithError("gnuplot is not installed (Debian package gnuplot-nox)");
        return;
    }
    const std::string cmd = "gnuplot " + d.gnuplot_script;
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("gnuplot failed");
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(d.dir + "/gnuplot.eps"));
}
BENCHMARK(BM_Gnuplot)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
