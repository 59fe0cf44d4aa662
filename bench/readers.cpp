// The readers on large files, timed from call to return as a model program
// sees them. Every sample is a fresh process (this program started again with
// --child) that times its first call, then the same call warm, and reports
// its peak resident memory before and after. Beside each routine, in the same
// run: the peer, gfortran's list-directed READ of the same file(s), and the
// floor, the file's bytes read with read() into a reused buffer. The closing
// table gives the medians and the ratios (on process time, which a shared
// machine disturbs less than wall time). The samples of all cases are taken
// round by round.
//
//   READINP  one monthly series of 200 000 lines (a year and 20 values)
//   VARIN01  the same file
//   PREPOBS  an observation file of 1 000 000 lines, every number of one
//            width (a time in years and two values below 10)
//   PREPOBS_ragged  the same with values below 1000: numbers of varying width
//   MONPLOT  25 windows, 9 comparison runs read back from monitoring files of
//            100 000 lines (and the same page without them)
//   READINP_2GB  a series file of 2 GB: peak memory must stay under 256 MB
//            above the caller's arrays
//
// To profile one case: bench_readers --files DIR, then
// bench_readers --child NAME DIR 0 under the profiler.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "input/varin.hpp"
#include "morvane.h"
#include "util/error.hpp"

extern "C" double gfortran_read_all(const char* path, int plen, int ncol);  // the header line, then year and values
extern "C" double peer_reals(const char* path, int plen, int nskip, int nval);

namespace {

namespace fs = std::filesystem;

constexpr int kSeriesLines = 200000, kSeriesCols = 20, kSteps = 12;
constexpr int kYears = (kSeriesLines + kSteps - 1) / kSteps;  // 1 .. kYears
constexpr std::int32_t kIb = 1, kIe = kYears * kSteps;
constexpr int kObsLines = 1000000;
constexpr int kRuns = 9, kMonVars = 25, kMonLines = 100000;
constexpr double kBigBytes = 2.0 * (1 << 30);

std::string g_dir;  // the files' folder, shared by the parent and its children

std::string at(const char* name) { return g_dir + "/" + name; }
std::string mon_file(int r) { return g_dir + "/run" + std::to_string(r + 1) + ".mon"; }

template <std::size_t N>
void put(char (&dst)[N], const std::string& s) {
    std::memset(dst, ' ', N);
    std::memcpy(dst, s.data(), std::min(N, s.size()));
}

// ------------------------------------------------------------------ files

// `lines` lines of a monthly series, the year then 20 values, written in
// blocks; the values repeat with period `distinct` lines.
void write_series(const std::string& path, long lines, int distinct) {
    std::mt19937 gen(42);
    std::uniform_real_distribution<double> val(0.0, 100.0);
    std::vector<std::string> tails(static_cast<std::size_t>(distinct));
    char buf[32];
    for (std::string& t : tails) {
        for (int c = 0; c < kSeriesCols; ++c) {
            buf[0] = ' ';
            t.append(buf, std::to_chars(buf + 1, buf + sizeof buf, val(gen), std::chars_format::fixed, 3).ptr);
        }
        t += '\n';
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::string text = "!Year";
    for (int c = 1; c <= kSeriesCols; ++c) text += " c" + std::to_string(c);
    text += '\n';
    for (long i = 0; i < lines; ++i) {
        text.append(buf, std::to_chars(buf, buf + sizeof buf, 1 + i / kSteps).ptr);
        text += tails[static_cast<std::size_t>(i % distinct)];
        if (text.size() > (1 << 22)) std::fwrite(text.data(), 1, text.size(), f), text.clear();
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

void write_keyword_file(const std::string& path, const std::string& series) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "! one monthly series from a file\nperiod 1 %d %d\nTempC %s;\\%d\n", kYears, kSteps,
                 series.c_str(), kSeriesCols);
    std::fclose(f);
}

// The current run of the plot: 25 variables over 100 000 points.
struct Run {
    std::vector<float> time = std::vector<float>(kMonLines);
    std::vector<float> val = std::vector<float>(static_cast<std::size_t>(kMonLines) * kMonVars);
    std::vector<VarDescriptor> vars = std::vector<VarDescriptor>(kMonVars);
    std::vector<std::int32_t> ivar, iwin, cumul = std::vector<std::int32_t>(kMonVars, 0);
    explicit Run(int shift) {
        for (int k = 0; k < kMonLines; ++k) time[k] = 1900.0f + static_cast<float>(k) / 500.0f;
        std::uint32_t seed = 12345u + static_cast<std::uint32_t>(shift);
        for (int i = 0; i < kMonVars; ++i) {
            for (int k = 0; k < kMonLines; ++k) {
                seed = seed * 1664525u + 1013904223u;
                const float t = static_cast<float>(k) / 500.0f;
                val[static_cast<std::size_t>(i) * kMonLines + k] =
                    0.3f + 0.002f * t + 0.1f * std::sin(6.2831853f * t + static_cast<float>(i + shift)) +
                    0.01f * (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f);
            }
            put(vars[i].name, "v" + std::to_string(i + 1));
            put(vars[i].description, "variable " + std::to_string(i + 1));
            vars[i].ymin = 0.0f, vars[i].ymax = 1.0f, vars[i].ndiv = 4;
            ivar.push_back(i + 1);
            iwin.push_back(i + 1);
        }
    }
};

void make_files() {
    write_series(at("series.dat"), kSeriesLines, kSeriesLines);
    write_keyword_file(at("site.inp"), at("series.dat"));
    std::FILE* f = std::fopen(at("obs.dat").c_str(), "wb");
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> val(0.0, 10.0);
    std::FILE* g = std::fopen(at("ragged.dat").c_str(), "wb");
    for (int i = 0; i < kObsLines; ++i) {
        const double a = val(gen), b = val(gen);
        std::fprintf(f, "%.4f %.3f %.3f\n", 1900.0 + i / 5000.0, a, b);
        std::fprintf(g, "%.4f %.3f %.3f\n", 1900.0 + i / 5000.0, a * a * a, b * b * b);
    }
    std::fclose(f);
    std::fclose(g);
    for (int r = 0; r < kRuns; ++r) {
        const Run run(r + 1);
        SeriesSpec spec{};
        spec.active = 1;
        put(spec.path, mon_file(r));
        put(spec.fmt, "");
        spec.opt = ' ';
        char title[128];
        put(title, "Run " + std::to_string(r + 1));
        const std::int32_t nv = kMonVars, n0 = 1, n1 = kMonLines, iyb = 1900, iye = 2099, nt = kMonLines;
        MONWRITE(&spec, title, run.vars.data(), &nv, run.ivar.data(), &n0, &n1, &iyb, &iye, &nt, run.time.data(),
                 run.val.data());
    }
}

// ----------------------------------------------------------- the callers

struct SoilArgs {
    std::unique_ptr<KEYLIST> list = std::make_unique<KEYLIST>();
    VarDescriptor vars[1]{};
    char site[128], msg[128];
    std::int32_t iyb = 0, iye = 0, nstep = 0, addso4ss = 0, excmod = 0, rcoomod = 0;
    float thick = 0, bulkdens = 0, cec = 0, eca = 0, emg = 0, ek = 0, bsat = 0, expal = 0, cpool = 0, cnrat = 0;
    float cnmin = 0, cnmax = 0, cnseq = 0, fde = 0, parentca = 0, alox = 0, so4admax = 0, so4half = 0;
    float po4admax = 0, po4half = 0, exph = 0, fni = 0, kexc[36], rcoopars[3], cmin[9], alapars[2];
    std::vector<float> series = std::vector<float>(9 * static_cast<std::size_t>(kIe));
    std::vector<float> ions = std::vector<float>(27 * static_cast<std::size_t>(kIe));
    SeriesSpec mon{}, bal{}, obs[1]{};
    explicit SoilArgs(const std::string& inp) {
        std::memset(list.get(), ' ', sizeof(KEYLIST));
        put(list->name, "KESTO2");
        put(list->file, inp);
        put(vars[0].name, "pH");
    }
    std::string call() {
        static const auto none = [](const char*, std::int32_t) -> std::int32_t { return 0; };
        const std::int32_t nvar = 1, ib = kIb, ie = kIe;
        float* s = series.data();
        const std::size_t n = kIe;
        READINP(&nvar, vars, none, list.get(), &ib, &ie, site, &iyb, &iye, &nstep, &addso4ss, &thick, &bulkdens,
                s, s + n, &cec, &eca, &emg, &ek, &bsat, &excmod, kexc, &expal, s + 2 * n, s + 3 * n, &cpool, &cnrat,
                &cnmin, &cnmax, &cnseq, &fde, &rcoomod, rcoopars, s + 4 * n, s + 5 * n, s + 6 * n, cmin, ions.data(),
                ions.data() + 9 * n, ions.data() + 18 * n, &mon, obs, &parentca, &alox, &so4admax, &so4half,
                &po4admax, &po4half, &exph, alapars, &fni, s + 7 * n, s + 8 * n, &bal, msg);
        std::string m(msg, 127);
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
};

struct PlotArgs {
    Run run{0};
    PlotSettings pset{};
    std::vector<SeriesSpec> runs = std::vector<SeriesSpec>(kRuns), obs = std::vector<SeriesSpec>(kMonVars);
    char psfile[128], title[128], subttl[128], msg[128];
    float lwid[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::int32_t rgb[27];
    explicit PlotArgs(bool with_runs) {
        pset.xlabopt = ' ';
        put(pset.xlabfmt, "(f5.0)");
        pset.nxdiv = 4, pset.xlabstep = 1, pset.year0 = 1900.0f, pset.year1 = 2099.0f;
        for (int r = 0; r < kRuns; ++r) runs[r].active = with_runs, put(runs[r].path, mon_file(r));
        for (SeriesSpec& o : obs) put(o.path, "");
        for (int i = 0; i < 27; ++i) rgb[i] = (i * 37) % 256;
        put(psfile, at("page.eps"));
        put(title, "Nine comparison runs");
        put(subttl, "");
    }
    std::string call() {
        const std::int32_t nrec = kMonVars, nv = kMonVars, nblk = 1, iblk = 1, idate = 0, igrid = 200, nacc = 1;
        const std::int32_t ivlab = 0, n0 = 1, n1 = kMonLines, idum = 0, iyoff = 0, nstep = 1, nt = kMonLines;
        const float aspect = 1.414f, yref = 0.0f, zlwid = -1.0f;
        MONPLOT(psfile, title, &nrec, &nv, run.ivar.data(), &nblk, &iblk, run.cumul.data(), run.iwin.data(),
                run.vars.data(), &pset, &aspect, subttl, &idate, lwid, rgb, &igrid, &nacc, &ivlab, &yref, &zlwid, &n0,
                &n1, &idum, &iyoff, &nstep, &nt, run.time.data(), run.val.data(), runs.data(), obs.data(), msg);
        std::string m(msg, 127);
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
};

double floor_read(const std::vector<std::string>& paths) {
    static std::vector<char> buf(1 << 20);
    double sum = 0;
    for (const std::string& p : paths) {
        const int fd = ::open(p.c_str(), O_RDONLY);
        for (ssize_t got; (got = ::read(fd, buf.data(), buf.size())) > 0;) sum += buf[static_cast<std::size_t>(got - 1)];
        ::close(fd);
    }
    return sum;
}

double peer(const std::string& p, int nskip, int n) { return peer_reals(p.data(), static_cast<int>(p.size()), nskip, n); }

// The call of one case, prepared (not timed) by its setup; "" or a message.
using Call = std::function<std::string()>;

Call setup(const std::string& name) {
    if (name == "READINP" || name == "READINP_2GB") {
        auto a = std::make_shared<SoilArgs>(at(name == "READINP" ? "site.inp" : "big.inp"));
        return [a] { return a->call(); };
    }
    if (name == "VARIN01") {
        auto vec = std::make_shared<std::vector<float>>(kIe);
        const std::string text = at("series.dat") + ";\\20";
        return [vec, text] {
            return morvane::message_of([&] { morvane::varin01(text, kIb, 1, kYears, kSteps, -99.0f, *vec); });
        };
    }
    if (name == "PREPOBS" || name == "PREPOBS_ragged") {
        auto obs = std::make_shared<std::vector<float>>(3 * static_cast<std::size_t>(kObsLines));
        SeriesSpec spec{};
        spec.active = 1, spec.icol1 = 1, spec.icol2 = 2;
        put(spec.path, at(name == "PREPOBS" ? "obs.dat" : "ragged.dat"));
        return [obs, spec] {
            const float xmiss = -999.0f;
            const std::int32_t iyb = 1900, iye = 2100;
            std::int32_t nobs = 0;
            char msg[128];
            PREPOBS(&spec, &xmiss, &iyb, &iye, &nobs, obs->data(), msg);
            return nobs == kObsLines ? std::string() : std::string(msg, 127);
        };
    }
    if (name == "MONPLOT" || name == "MONPLOT_noruns") {
        auto a = std::make_shared<PlotArgs>(name == "MONPLOT");
        return [a] { return a->call(); };
    }
    std::vector<std::string> mons;
    for (int r = 0; r < kRuns; ++r) mons.push_back(mon_file(r));
    if (name == "gfortran_series")
        return [] {
            const std::string p = at("series.dat");
            return gfortran_read_all(p.data(), static_cast<int>(p.size()), kSeriesCols) > 0 ? "" : "?";
        };
    if (name == "gfortran_obs") return [] { return peer(at("obs.dat"), 0, 3) > 0 ? "" : "?"; };
    if (name == "gfortran_ragged") return [] { return peer(at("ragged.dat"), 0, 3) > 0 ? "" : "?"; };
    if (name == "gfortran_mon")
        return [mons] {
            double s = 0;
            for (const std::string& m : mons) s += peer(m, kMonVars + 2, kMonVars + 2);
            return s > 0 ? "" : "?";
        };
    if (name == "floor_series") return [] { return floor_read({at("series.dat")}) != 0 ? "" : "?"; };
    if (name == "floor_obs") return [] { return floor_read({at("obs.dat")}) != 0 ? "" : "?"; };
    if (name == "floor_ragged") return [] { return floor_read({at("ragged.dat")}) != 0 ? "" : "?"; };
    if (name == "floor_mon") return [mons] { return floor_read(mons) != 0 ? "" : "?"; };
    return [] { return std::string("unknown case"); };
}

// ------------------------------------------------------ the child process

long peak_rss_kb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct Times {
    double wall, cpu;
};

template <class F>
Times timed(F&& f) {
    timespec c0, c1;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    const auto w0 = std::chrono::steady_clock::now();
    f();
    const auto w1 = std::chrono::steady_clock::now();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    return {std::chrono::duration<double>(w1 - w0).count(),
            static_cast<double>(c1.tv_sec - c0.tv_sec) + 1e-9 * static_cast<double>(c1.tv_nsec - c0.tv_nsec)};
}

// Prints: first wall, first cpu, warm wall, warm cpu (seconds; the warm ones
// the least of `warm` calls), peak RSS before the first call and after all
// (kB); or "error <message>".
int child(const std::string& name, int warm) {
    const Call call = setup(name);
    const long rss0 = peak_rss_kb();
    std::string msg;
    const Times first = timed([&] { msg = call(); });
    Times best{0, 0};
    for (int i = 0; i < warm && msg.empty(); ++i) {
        const Times t = timed([&] { msg = call(); });
        if (i == 0 || t.cpu < best.cpu) best = t;
    }
    if (!msg.empty()) {
        std::printf("error %s\n", msg.c_str());
        return 1;
    }
    std::printf("%.6f %.6f %.6f %.6f %ld %ld\n", first.wall, first.cpu, best.wall, best.cpu, rss0, peak_rss_kb());
    return 0;
}

// ------------------------------------------------------------ the parent

struct Sample {
    double first_wall, first_cpu, warm_wall, warm_cpu;
    long rss0, rss1;
};
std::map<std::string, std::vector<Sample>> g_samples;

bool run_child(const std::string& name, int warm, Sample& s, std::string& err) {
    const std::string cmd =
        fs::read_symlink("/proc/self/exe").string() + " --child " + name + " " + g_dir + " " + std::to_string(warm);
    std::FILE* p = popen(cmd.c_str(), "r");
    char line[512] = {};
    const bool got = p && std::fgets(line, sizeof line, p) != nullptr;
    if (p) pclose(p);
    if (got && std::sscanf(line, "%lf %lf %lf %lf %ld %ld", &s.first_wall, &s.first_cpu, &s.warm_wall, &s.warm_cpu,
                           &s.rss0, &s.rss1) == 6)
        return true;
    err = got ? line : "the child gave no result";
    return false;
}

void BM_Fresh(benchmark::State& state, const std::string& name, int warm) {
    for (auto _ : state) {
        Sample s{};
        std::string err;
        if (!run_child(name, warm, s, err)) {
            state.SkipWithError(err.c_str());
            return;
        }
        g_samples[name].push_back(s);
        state.SetIterationTime(s.first_wall);
        state.counters["first_cpu_ms"] = 1e3 * s.first_cpu;
        state.counters["warm_cpu_ms"] = 1e3 * s.warm_cpu;
        state.counters["peak_MB"] = static_cast<double>(s.rss1) / 1024.0;
        state.counters["above_MB"] = static_cast<double>(s.rss1 - s.rss0) / 1024.0;
    }
}

// The 2 GB series file: made, read through READINP once, removed.
void BM_Big(benchmark::State& state) {
    const std::string big = at("big.dat");
    write_series(big, static_cast<long>(kBigBytes / 140), 240);
    write_keyword_file(at("big.inp"), big);
    state.counters["file_GB"] = static_cast<double>(fs::file_size(big)) / (1 << 30);
    BM_Fresh(state, "READINP_2GB", 0);
    fs::remove(big);
    const auto& v = g_samples["READINP_2GB"];
    if (!v.empty() && v.back().rss1 - v.back().rss0 > 256 * 1024)
        state.SkipWithError("peak resident memory rose by more than 256 MB");
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

template <class F>
double med(const std::string& name, F field) {
    std::vector<double> v;
    for (const Sample& s : g_samples[name]) v.push_back(field(s));
    return median(v);
}

// The median of a's first calls over b's, taken round by round: the samples
// of one round run one after the other, so a slow spell of a shared machine
// (it comes and goes, slowing every sample it meets by half again) falls on
// both sides of a ratio alike.
double paired(const std::string& a, const std::string& b) {
    const std::vector<Sample>& x = g_samples[a];
    const std::vector<Sample>& y = g_samples[b];
    std::vector<double> r;
    for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i)
        if (y[i].first_cpu > 0) r.push_back(x[i].first_cpu / y[i].first_cpu);
    return median(r);
}

void summary() {
    struct Row { const char* routine; const char* peer; const char* floor; };
    const Row rows[] = {{"READINP", "gfortran_series", "floor_series"},
                        {"VARIN01", "gfortran_series", "floor_series"},
                        {"PREPOBS", "gfortran_obs", "floor_obs"},
                        {"PREPOBS_ragged", "gfortran_ragged", "floor_ragged"},
                        {"MONPLOT", "gfortran_mon", "floor_mon"},
                        {"MONPLOT_noruns", "", ""},
                        {"READINP_2GB", "", ""}};
    std::printf("\nMedians (process time; wall time in brackets); ratios on process time, each the median of the\n"
                "ratios within a round:\n");
    std::printf("%-15s %19s %19s %9s %9s %9s %9s\n", "routine", "first call ms", "warm ms", "peer/1st", "1st/floor",
                "peak MB", "above MB");
    for (const Row& r : rows) {
        if (g_samples[r.routine].empty()) continue;
        const double f = med(r.routine, [](const Sample& s) { return s.first_cpu; });
        const double fw = med(r.routine, [](const Sample& s) { return s.first_wall; });
        const double w = med(r.routine, [](const Sample& s) { return s.warm_cpu; });
        const double ww = med(r.routine, [](const Sample& s) { return s.warm_wall; });
        const double pe = *r.peer ? med(r.peer, [](const Sample& s) { return s.first_cpu; }) : 0.0;
        const double fl = *r.floor ? med(r.floor, [](const Sample& s) { return s.first_cpu; }) : 0.0;
        const double peak = med(r.routine, [](const Sample& s) { return s.rss1 / 1024.0; });
        const double above = med(r.routine, [](const Sample& s) { return (s.rss1 - s.rss0) / 1024.0; });
        char ratios[32] = "        -         -";
        if (pe > 0 && fl > 0 && f > 0)
            std::snprintf(ratios, sizeof ratios, "%9.1f %9.2f", paired(r.peer, r.routine), paired(r.routine, r.floor));
        std::printf("%-15s %9.1f [%7.1f] %9.1f [%7.1f] %s %9.1f %9.1f\n", r.routine, 1e3 * f, 1e3 * fw, 1e3 * w,
                    1e3 * ww, ratios, peak, above);
    }
    for (const char* p : {"gfortran_series", "gfortran_obs", "gfortran_ragged", "gfortran_mon", "floor_series", "floor_obs",
                          "floor_ragged", "floor_mon"})
        if (!g_samples[p].empty())
            std::printf("%-15s %9.1f [%7.1f]   peak %.1f MB\n", p, 1e3 * med(p, [](const Sample& s) { return s.first_cpu; }),
                        1e3 * med(p, [](const Sample& s) { return s.first_wall; }),
                        med(p, [](const Sample& s) { return s.rss1 / 1024.0; }));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--child") {
        g_dir = argv[3];
        return child(argv[2], std::atoi(argv[4]));
    }
    if (argc == 3 && std::string(argv[1]) == "--files") {  // for a profiler: --child NAME DIR 0 after this
        g_dir = argv[2];
        fs::create_directories(g_dir);
        make_files();
        return 0;
    }
    g_dir = (fs::temp_directory_path() / "morvane_bench_readers").string();
    fs::create_directories(g_dir);
    make_files();
    struct Case { const char* name; int samples, warm; };
    const Case cases[] = {{"READINP", 5, 4},         {"VARIN01", 5, 4},      {"gfortran_series", 3, 1},
                          {"floor_series", 5, 4},    {"PREPOBS", 5, 4},      {"gfortran_obs", 3, 1},
                          {"floor_obs", 5, 4},       {"PREPOBS_ragged", 5, 4}, {"gfortran_ragged", 3, 1},
                          {"floor_ragged", 5, 4},    {"MONPLOT", 5, 1},      {"MONPLOT_noruns", 3, 1},
                          {"gfortran_mon", 1, 0},    {"floor_mon", 5, 4}};
    // Round by round, so that the load of a shared machine falls alike on a
    // routine, its peer and its floor.
    for (int round = 0; round < 5; ++round)
        for (const Case& c : cases)
            if (round < c.samples)
                benchmark::RegisterBenchmark((std::string(c.name) + "/round:" + std::to_string(round + 1)).c_str(),
                                             BM_Fresh, std::string(c.name), c.warm)
                    ->Iterations(1)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("READINP_2GB", BM_Big)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    summary();
    fs::remove_all(g_dir);
    benchmark::Shutdown();
    return 0;
}
