// Polyline thinning: the library's DOUPEU against the in-place procedure it
// replaces and, when its headers are present, a generic Douglas-Peucker
// (boost.geometry's simplify), on curves already scaled to page units and
// thinned at the plot driver's tolerance of 0.0005.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "../tests/plot/doupeu_reference.hpp"
#include "plot/thinning.hpp"

#if __has_include(<boost/geometry.hpp>)
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#define MORVANE_BENCH_BOOST 1
#endif

namespace {

constexpr float kTol = 0.0005f;

struct Curve {
    std::vector<float> x, y;
};

// A pane of 0.9 x 0.5 page units (white noise: a strip 0.5 high).
Curve make_curve(int kind, std::int64_t n) {
    Curve c;
    c.x.resize(static_cast<std::size_t>(n));
    c.y.resize(static_cast<std::size_t>(n));
    std::mt19937 rng(7);
    std::normal_distribution<double> step(0.0, 1.0);
    std::vector<double> v(static_cast<std::size_t>(n));
    double s = 0.0;
    for (std::int64_t k = 0; k < n; ++k) {
        const double t = static_cast<double>(k) / static_cast<double>(n);
        if (kind == 0) {
            s += step(rng);  // random walk with noise of about four tolerances
            v[k] = s + 40.0 * step(rng);
        } else if (kind == 2) {
            v[k] = step(rng);  // white noise: nearly every point is kept
        } else {
            v[k] = std::sin(6.0 * 3.14159265 * t) + 0.3 * std::sin(40.0 * 3.14159265 * t) + t;  // smooth
        }
    }
    double lo = v[0], hi = v[0];
    for (double a : v) lo = a < lo ? a : lo, hi = a > hi ? a : hi;
    for (std::int64_t k = 0; k < n; ++k) {
        // White noise goes along a long strip, 0.001 apart, so that nearly
        // every point is kept.
        c.x[k] = kind == 2 ? static_cast<float>(0.001 * static_cast<double>(k))
                           : static_cast<float>(0.9 * static_cast<double>(k) / static_cast<double>(n));
        c.y[k] = static_cast<float>(0.5 * (v[k] - lo) / (hi - lo));
    }
    return c;
}

const Curve& curve(int kind, std::int64_t n) {
    static Curve cache[3][2];
    static std::int64_t sizes[3][2] = {};
    const int slot = n >= 1000000 ? 1 : 0;
    if (sizes[kind][slot] != n) {
        cache[kind][slot] = make_curve(kind, n);
        sizes[kind][slot] = n;
    }
    return cache[kind][slot];
}

void BM_doupeu(benchmark::State& state) {
    const Curve& c = curve(static_cast<int>(state.range(0)), state.range(1));
    const auto n = static_cast<std::int32_t>(c.x.size());
    std::vector<std::int32_t> intp(c.x.size());
    std::int32_t kept = 0;
    for (auto _ : state) {
        kept = morvane::doupeu(1, 1, n, c.x, c.y, kTol, intp);
        benchmark::DoNotOptimize(intp.data());
    }
    state.counters["kept"] = kept;
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_reference(benchmark::State& state) {
    const Curve& c = curve(static_cast<int>(state.range(0)), state.range(1));
    const auto n = static_cast<std::int32_t>(c.x.size());
    std::size_t kept = 0;
    for (auto _ : state) {
        const auto r = morvane::reference::doupeu(1, 1, n, c.x.data(), c.y.data(), kTol);
        kept = r.size();
        benchmark::DoNotOptimize(r.data());
    }
    state.counters["kept"] = static_cast<double>(kept);
    state.SetItemsProcessed(state.iterations() * n);
}

#ifdef MORVANE_BENCH_BOOST
void BM_boost_simplify(benchmark::State& state) {
    namespace bg = boost::geometry;
    using Point = bg::model::d2::point_xy<float>;
    const Curve& c = curve(static_cast<int>(state.range(0)), state.range(1));
    bg::model::linestring<Point> line, out;
    for (std::size_t k = 0; k < c.x.size(); ++k) line.emplace_back(c.x[k], c.y[k]);
    for (auto _ : state) {
        out.clear();
        bg::simplify(line, out, kTol);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["kept"] = static_cast<double>(out.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(c.x.size()));
}
#endif

// kind 0: noisy random walk, kind 1: smooth series, kind 2: white noise.
void sizes(benchmark::internal::Benchmark* b) {
    for (int kind : {0, 1})
        for (std::int64_t n : {100000, 1000000}) b->Args({kind, n});
    b->Args({2, 100000});
    b->ArgNames({"kind", "n"})->Unit(benchmark::kMillisecond);
}

// The in-place procedure is quadratic in the kept points: the noisy walk of a
// million points would take minutes.
void reference_sizes(benchmark::internal::Benchmark* b) {
    b->Args({0, 100000})->Args({1, 100000})->Args({1, 1000000})->Args({2, 100000});
    b->ArgNames({"kind", "n"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_doupeu)->Apply(sizes);
BENCHMARK(BM_reference)->Apply(reference_sizes);
#ifdef MORVANE_BENCH_BOOST
BENCHMARK(BM_boost_simplify)->Apply(sizes);
#endif

}  // namespace

BENCHMARK_MAIN();
