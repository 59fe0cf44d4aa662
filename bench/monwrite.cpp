// MONWRITE (the exported routine) on 20 000 time steps x 98 columns with the
// default format, timed from call to return: the first call of a fresh
// process and a later call. In the same run and the same way: gfortran's
// formatted WRITE of the same table (the peer) and the floor, memcpy of the
// file's bytes into a buffer plus one write. Peak resident memory beside every
// time; the two files compared byte for byte; a summary of the ratios at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fresh_process.hpp"
#include "morvane.h"

extern "C" void ref_monwrite(const char* path, int plen, int nt, int nv, const float* time, const float* val);

namespace {

constexpr int kSteps = 20000;
constexpr int kColumns = 98;

// The caller's arrays: VAL(1:NT, NV) and the variables v1 .. v98.
struct Table {
    std::vector<float> time, val;
    std::vector<VarDescriptor> vars;
    std::vector<std::int32_t> ivar;
    Table() : time(kSteps), val(static_cast<std::size_t>(kSteps) * kColumns), vars(kColumns) {
        for (int j = 0; j < kSteps; ++j) {
            time[static_cast<std::size_t>(j)] = 1900.0f + static_cast<float>(j) / 12.0f;
            for (int i = 0; i < kColumns; ++i)
                val[static_cast<std::size_t>(i) * kSteps + static_cast<std::size_t>(j)] =
                    std::sin(static_cast<float>(j) * 0.37f + static_cast<float>(i)) *
                    std::pow(10.0f, static_cast<float>(i % 11 - 4));
        }
        for (int i = 0; i < kColumns; ++i) {
            std::memset(&vars[static_cast<std::size_t>(i)], ' ', sizeof(VarDescriptor));
            const std::string name = "v" + std::to_string(i + 1);
            std::memcpy(vars[static_cast<std::size_t>(i)].name, name.data(), name.size());
            ivar.push_back(i + 1);
        }
    }
};

std::string dir() {
    static const std::string d = [] {
        const auto p = std::filesystem::temp_directory_path() / "morvane_bench_monwrite";
        std::filesystem::create_directories(p);
        return p.string();
    }();
    return d;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The child: one of the three writers, called twice, its figures on stdout.
int child(const std::string& who, const std::string& path) {
    const Table t;
    bench::Figures f;
    if (who == "MONWRITE") {
        SeriesSpec mon;
        std::memset(&mon, ' ', sizeof mon);
        mon.active = 1;
        mon.opt = 'p';
        std::memcpy(mon.path, path.data(), path.size());
        char title[128] = {};
        const std::int32_t nv = kColumns, n0 = 1, n1 = kSteps, iyb = 0, iye = 9999, nt = kSteps;
        char msg[128];
        f = bench::time_calls([&] {
            MONWRITE(&mon, title, t.vars.data(), &nv, t.ivar.data(), &n0, &n1, &iyb, &iye, &nt, t.time.data(),
                     t.val.data());
        });
        morvane_last_message(msg);
        if (msg[0] != ' ' && msg[0] != '\0') return 1;
    } else if (who == "gfortran") {
        f = bench::time_calls([&] {
            ref_monwrite(path.data(), static_cast<int>(path.size()), kSteps, kColumns, t.time.data(), t.val.data());
        });
    } else {  // the floor: the bytes of MONWRITE's file copied into a buffer and written at once
        const std::string bytes = slurp(dir() + "/MONWRITE.mon");
        std::unique_ptr<char[]> buf;
        bool ok = !bytes.empty();
        f = bench::time_calls([&] {
            if (!buf) buf.reset(new char[bytes.size()]);
            std::memcpy(buf.get(), bytes.data(), bytes.size());
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ok = ok && fd >= 0 && ::write(fd, buf.get(), bytes.size()) == static_cast<ssize_t>(bytes.size());
            ok = ::close(fd) == 0 && ok;
        });
        if (!ok) return 1;
    }
    bench::report(f);
    return 0;
}

void BM_Fresh(benchmark::State& state, const std::string& who, bool warm) {
    bench::fresh_rows(state, who, {who, dir() + "/" + who + ".mon"}, warm);
}

}  // namespace

// The writers in the order they are run: MONWRITE first, as the floor copies its file.
BENCHMARK_CAPTURE(BM_Fresh, MONWRITE_first, std::string("MONWRITE"), false)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Fresh, gfortran_first, std::string("gfortran"), false)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Fresh, floor_first, std::string("floor"), false)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Fresh, MONWRITE_warm, std::string("MONWRITE"), true)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Fresh, gfortran_warm, std::string("gfortran"), true)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Fresh, floor_warm, std::string("floor"), true)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const std::string ours = slurp(dir() + "/MONWRITE.mon"), theirs = slurp(dir() + "/gfortran.mon");
    std::printf("\nMONWRITE %d x %d, medians of the rows above (peak resident memory of the process;"
                " added_MB above: the peak above what the process held before the first call):\n", kSteps, kColumns);
    auto& r = bench::rows();
    for (const char* when : {"first", "warm"}) {
        const bench::Row &m = r[std::string("MONWRITE ") + when], &g = r[std::string("gfortran ") + when],
                         &f = r[std::string("floor ") + when];
        if (m.times.empty() || g.times.empty() || f.times.empty()) continue;
        std::printf("  %-5s MONWRITE %6.1f ms (cpu %5.1f, %5.1f MB) | gfortran %7.1f ms (cpu %6.1f, %5.1f MB): %5.1fx"
                    " (cpu %5.1fx) | floor %6.1f ms (cpu %5.1f, %5.1f MB): MONWRITE %4.2fx (cpu %4.2fx)\n",
                    when, m.time() * 1e3, m.cpu() * 1e3, m.peak(), g.time() * 1e3, g.cpu() * 1e3, g.peak(),
                    g.time() / m.time(), g.cpu() / m.cpu(), f.time() * 1e3, f.cpu() * 1e3, f.peak(),
                    m.time() / f.time(), m.cpu() / f.cpu());
    }
    const bench::Row &first = r["MONWRITE first"], &floor_warm = r["floor warm"];
    if (!first.times.empty() && !floor_warm.times.empty())
        std::printf("  the first call against the floor with its buffer warm (no page of it to fault in): %4.2fx (cpu %4.2fx)\n",
                    first.time() / floor_warm.time(), first.cpu() / floor_warm.cpu());
    std::printf("  files: %zu bytes, %s\n", ours.size(),
                !ours.empty() && ours == theirs ? "MONWRITE's and gfortran's identical" : "MONWRITE's and gfortran's DIFFER");
    std::filesystem::remove_all(dir());
    return !ours.empty() && ours == theirs ? 0 : 1;
}
