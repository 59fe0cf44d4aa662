// READINP on the bundled example site (KESTO2: monthly series, 251 years),
// per call: with every series file in the operating system's cache, and with
// the files dropped from the cache before each call (posix_fadvise), which
// is what a model run sees the first time it reads its inputs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "input/keylist.hpp"
#include "input/model_input.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/warnings.hpp"

namespace {

using namespace morvane;

constexpr std::int32_t kIb = 1850, kIe = 1850 + 251 * 12 - 1;
constexpr std::size_t kSteps = kIe - kIb + 1;

struct Storage {
    std::unique_ptr<KEYLIST> list = std::make_unique<KEYLIST>();
    std::optional<std::string> site;
    std::int32_t iyb, iye, nstep, addso4ss, excmod, rcoomod;
    float thick, bulkdens, cec, eca, emg, ek, bsat, expal, cpool, cnrat, cnmin, cnmax, cnseq, fde;
    float parentca, alox, so4admax, so4half, po4admax, po4half, exph, fni;
    float kexc[36], rcoopars[3], cmin[9], alapars[2];
    std::vector<float> s = std::vector<float>(10 * kSteps), m = std::vector<float>(27 * kSteps);
    SeriesSpec mon{}, bal{};
    std::vector<SeriesSpec> obs = std::vector<SeriesSpec>(1);

    SoilInput args() {
        std::memset(list.get(), ' ', sizeof(KEYLIST));
        set_field(list->name, 16, "KESTO2");
        set_field(list->file, 256, "kesto2.inp");
        set_field(mon.path, 256, "");
        SoilInput in;
        in.obsind = [](std::string_view) { return 0; };
        in.list = list.get();
        in.ib = kIb, in.ie = kIe, in.site = &site;
        in.iyb = &iyb, in.iye = &iye, in.nstep = &nstep, in.addso4ss = &addso4ss, in.excmod = &excmod;
        in.rcoomod = &rcoomod, in.thick = &thick, in.bulkdens = &bulkdens, in.cec = &cec;
        in.eca_0 = &eca, in.emg_0 = &emg, in.ek_0 = &ek, in.bsat_0 = &bsat, in.expal = &expal;
        in.cpool_0 = &cpool, in.cnrat_0 = &cnrat, in.cnratmin = &cnmin, in.cnratmax = &cnmax;
        in.cnratseq = &cnseq, in.f_de = &fde, in.parentca = &parentca, in.alox_0 = &alox;
        in.so4admax = &so4admax, in.so4half = &so4half, in.po4admax = &po4admax, in.po4half = &po4half;
        in.exph = &exph, in.f_ni = &fni, in.kexc = kexc, in.rcoopars = rcoopars, in.cmin = cmin;
        in.alapars = alapars;
        float* p = s.data();
        for (float** f : {&in.theta, &in.pco2fac, &in.lgkalox, &in.nim_acc, &in.crcoo, &in.tempc, &in.percol,
                          &in.al_we, &in.n_fix}) {
            *f = p;
            p += kSteps;
        }
        in.weathering = m.data(), in.uptake = m.data() + 9 * kSteps, in.deposition = m.data() + 18 * kSteps;
        in.mon = &mon, in.bal = &bal, in.obs = obs.data();
        return in;
    }
};

void drop_from_cache() {
    for (const auto& e : std::filesystem::directory_iterator(".")) {
        const int fd = ::open(e.path().c_str(), O_RDONLY);
        if (fd < 0) continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void run(benchmark::State& state, bool cold, bool warnings = false) {
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(std::string(MORVANE_SOURCE_DIR) + "/examples/site");
    Storage st;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            drop_from_cache();
            state.ResumeTiming();
        }
        // The export opens a collector of warnings on every call.
        std::optional<WarningScope> scope;
        if (warnings) scope.emplace("READINP");
        const std::string msg = message_of([&] { return readinp(st.args()); });
        if (!msg.empty()) state.SkipWithError(msg.c_str());
        if (warnings && !scope->texts().empty()) state.SkipWithError(scope->texts()[0].c_str());
        benchmark::DoNotOptimize(st.m.data());
    }
    std::filesystem::current_path(saved);
}

void BM_ReadInpCached(benchmark::State& state) { run(state, false); }
void BM_ReadInpUncached(benchmark::State& state) { run(state, true); }
void BM_ReadInpCachedWarnings(benchmark::State& state) { run(state, false, true); }

BENCHMARK(BM_ReadInpCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadInpUncached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadInpCachedWarnings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
