// A polyline of 1 000 000 points through pspoly, against writing the same
// bytes with one fwrite: bytes per second of each.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "postscript/postscript.hpp"

namespace {

constexpr int kPoints = 1000000;

struct Line {
    std::vector<float> x, y;
    Line() : x(kPoints), y(kPoints) {
        for (int k = 0; k < kPoints; ++k) {
            x[k] = static_cast<float>(k) / kPoints;
            y[k] = 0.5f + 0.4f * std::sin(static_cast<float>(k) * 0.001f);
        }
    }
};

std::string bench_path(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// The whole page: open, one polyline, close.
void draw(const Line& line, const std::string& path) {
    morvane::psdev dev;
    dev.file = path;
    morvane::psopen_n(dev, "bench", 0, 0, 1, 1, 1);
    morvane::pspoly(dev, line.x, line.y, 0);
    morvane::psclose(dev, "none");
}

void BM_pspoly(benchmark::State& state) {
    const Line line;
    const std::string path = bench_path("morvane_bench_pspoly.eps");
    for (auto _ : state) draw(line, path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_pspoly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_fwrite_same_bytes(benchmark::State& state) {
    const Line line;
    const std::string path = bench_path("morvane_bench_fwrite.eps");
    draw(line, path);
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        bytes.resize(std::filesystem::file_size(path));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
    }
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_fwrite_same_bytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
