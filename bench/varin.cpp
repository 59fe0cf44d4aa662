// VARIN01 on a data file of 200 000 lines (NS = 12, a year and 20 columns),
// beside gfortran's list-directed READ of the same file in the same run. The
// closing line gives the ratio of the two throughputs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "input/varin.hpp"
#include "util/error.hpp"

extern "C" double gfortran_read_all(const char* path, int plen, int ncol);

namespace {

constexpr int kLines = 200000;
constexpr int kCols = 20;
constexpr int kSteps = 12;
constexpr int kFirstYear = 1;
constexpr int kLastYear = kFirstYear + (kLines + kSteps - 1) / kSteps - 1;

const std::string& data_file() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "morvane_bench_varin.dat").string();
        std::mt19937 gen(42);
        std::uniform_real_distribution<double> val(0.0, 100.0);
        std::string text = "!Year";
        for (int c = 1; c <= kCols; ++c) text += " c" + std::to_string(c);
        text += '\n';
        char buf[32];
        for (int i = 0; i < kLines; ++i) {
            text += std::to_string(kFirstYear + i / kSteps);
            for (int c = 0; c < kCols; ++c) {
                std::snprintf(buf, sizeof buf, " %.3f", val(gen));
                text += buf;
            }
            text += '\n';
        }
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_Varin01(benchmark::State& state) {
    const std::string text = data_file() + ";\\20";
    std::vector<float> vec(static_cast<std::size_t>(kLastYear - kFirstYear + 1) * kSteps);
    for (auto _ : state) {
        const std::string msg =
            morvane::message_of([&] { morvane::varin01(text, kFirstYear, kFirstYear, kLastYear, kSteps, -99.0f, vec); });
        if (!msg.empty()) state.SkipWithError(msg.c_str());
        benchmark::DoNotOptimize(vec.data());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_Varin01)->Unit(benchmark::kMillisecond);

void BM_GfortranListRead(benchmark::State& state) {
    const std::string& path = data_file();
    for (auto _ : state) {
        benchmark::DoNotOptimize(gfortran_read_all(path.data(), static_cast<int>(path.size()), kCols));
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_GfortranListRead)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps the time per iteration of each benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) {
                real[r.benchmark_name()] = r.GetAdjustedRealTime();
                cpu[r.benchmark_name()] = r.GetAdjustedCPUTime();
            }
    }
    std::map<std::string, double> real, cpu;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Both times: on a shared machine the process time is the steadier one.
    for (const auto* times : {&reporter.real, &reporter.cpu}) {
        const auto v = times->find("BM_Varin01");
        const auto g = times->find("BM_GfortranListRead");
        if (v != times->end() && g != times->end() && v->second > 0)
            std::printf("VARIN01 throughput / gfortran list-directed READ (%s time): %.1f\n",
                        times == &reporter.real ? "real" : "CPU", g->second / v->second);
    }
    std::filesystem::remove(data_file());
    benchmark::Shutdown();
    return 0;
}
