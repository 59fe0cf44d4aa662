// MONWRITE on 20 000 time steps x 98 columns with the default format, against
// the Fortran runtime writing the same records in the same run, and against
// memcpy of the same number of bytes (the physical floor).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "output/monwrite.hpp"
#include "util/error.hpp"

extern "C" void ref_monwrite(const char* path, int plen, int nt, int nv, const float* time, const float* val);

namespace {

constexpr int kSteps = 20000;
constexpr int kColumns = 98;

struct Data {
    std::vector<float> time, val;
    std::vector<VarDescriptor> vars;
    std::vector<std::int32_t> ivar;
    std::string dir;
    Data() {
        time.resize(kSteps);
        val.resize(static_cast<std::size_t>(kSteps) * kColumns);
        for (int j = 0; j < kSteps; ++j) {
            time[static_cast<std::size_t>(j)] = 1900.0f + static_cast<float>(j) / 12.0f;
            for (int i = 0; i < kColumns; ++i)
                val[static_cast<std::size_t>(i) * kSteps + static_cast<std::size_t>(j)] =
                    std::sin(static_cast<float>(j) * 0.37f + static_cast<float>(i)) *
                    std::pow(10.0f, static_cast<float>(i % 11 - 4));
        }
        vars.resize(kColumns);
        for (int i = 0; i < kColumns; ++i) {
            std::memset(&vars[static_cast<std::size_t>(i)], ' ', sizeof(VarDescriptor));
            const std::string name = "v" + std::to_string(i + 1);
            std::memcpy(vars[static_cast<std::size_t>(i)].name, name.data(), name.size());
            ivar.push_back(i + 1);
        }
        dir = (std::filesystem::temp_directory_path() / "morvane_bench_monwrite").string();
        std::filesystem::create_directories(dir);
    }
    SeriesSpec spec(const std::string& path) const {
        SeriesSpec s;
        std::memset(&s, ' ', sizeof s);
        s.active = 1;
        std::memcpy(s.path, path.data(), path.size());
        s.opt = 'p';
        return s;
    }
    std::string ours(const std::string& path) const {
        char title[128] = {};
        return morvane::message_of([&] {
            morvane::monwrite(spec(path), title, vars.data(), kColumns, ivar.data(), 1, kSteps, 0, 9999, kSteps,
                              time.data(), val.data());
        });
    }
    void theirs(const std::string& path) const {
        ref_monwrite(path.data(), static_cast<int>(path.size()), kSteps, kColumns, time.data(), val.data());
    }
};

const Data& data() {
    static const Data d;
    return d;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::int64_t file_bytes() {
    static const std::int64_t n = [] {
        const std::string path = data().dir + "/size.mon";
        data().ours(path);
        return static_cast<std::int64_t>(std::filesystem::file_size(path));
    }();
    return n;
}

void BM_Monwrite(benchmark::State& state) {
    const Data& d = data();
    const std::string path = d.dir + "/ours.mon", ref = d.dir + "/ref.mon";
    d.ours(path);
    d.theirs(ref);
    // The head of the two files differs only in the heading's column names.
    const std::string a = slurp(path), b = slurp(ref);
    if (a.substr(a.find('\n')) != b.substr(b.find('\n'))) state.SkipWithError("records differ from the Fortran runtime");
    for (auto _ : state) {
        const std::string msg = d.ours(path);
        if (!msg.empty()) state.SkipWithError(msg.c_str());
    }
    state.SetBytesProcessed(state.iterations() * file_bytes());
}

void BM_FortranRuntime(benchmark::State& state) {
    const Data& d = data();
    const std::string path = d.dir + "/ref.mon";
    for (auto _ : state) d.theirs(path);
    state.SetBytesProcessed(state.iterations() * file_bytes());
}

void BM_MemcpyFloor(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(file_bytes());
    std::vector<char> src(n, 'x'), dst(n);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), n);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n));
}

}  // namespace

BENCHMARK(BM_Monwrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FortranRuntime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyFloor)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
