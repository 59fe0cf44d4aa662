// Throughput of the formatted-output engine and the free-format reader,
// measured against the reference Fortran runtime doing the same work in the
// same run:
//   write: a table of 20 000 lines of one integer and 99 reals with
//          "(i6,99g13.5)" (one formatted WRITE per line) into a file;
//   read:  a data file of 200 000 lines of a year and 20 reals, loaded and
//          each line read in free format (list-directed READ of the line).
// The Fortran side is a small program compiled with gfortran -O2 when the
// benchmark starts; it times its own loops (processor time, cpu_time), so
// process start and file setup are not counted, and the closing ratios
// compare processor time on both sides, which a busy machine disturbs least. Its output is compared byte for byte (the
// table) and bit for bit (the values read) with ours.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "util/format.hpp"
#include "util/freeform.hpp"
#include "util/textfile.hpp"
#include "util/textreader.hpp"

namespace {

constexpr int kRows = 20000;
constexpr int kCols = 99;
constexpr int kLines = 200000;
constexpr int kValues = 20;

const char* const kFortran = R"(
program bench_ref
  implicit none
  integer, parameter :: nrow = 20000, ncol = 99, nline = 200000, nval = 20
  real, allocatable :: tab(:, :)
  real :: x(nval)
  integer :: i, j, iy, u, v, ios
  real(8) :: t0, t1
  character(len=512) :: line
  character(len=256) :: dir
  call get_command_argument(1, dir)
  allocate (tab(ncol, nrow))
  open (newunit=u, file=trim(dir)//'/table.bin', access='stream', form='unformatted', status='old')
  read (u) tab
  close (u)
  open (newunit=u, file=trim(dir)//'/table_ref.txt', status='replace')
  call cpu_time(t0)
  do i = 1, nrow
    write (u, '(i6,99g13.5)') i, (tab(j, i), j = 1, ncol)
  end do
  call cpu_time(t1)
  close (u)
  print '(a,f12.6)', 'write ', t1 - t0
  open (newunit=u, file=trim(dir)//'/data.txt', status='old')
  open (newunit=v, file=trim(dir)//'/data_ref.bin', access='stream', form='unformatted', status='replace')
  call cpu_time(t0)
  do i = 1, nline
    read (u, '(a)') line
    read (line, *, iostat=ios) iy, x
    write (v) iy, x
  end do
  call cpu_time(t1)
  close (u)
  close (v)
  print '(a,f12.6)', 'read ', t1 - t0
end program bench_ref
)";

struct Setup {
    std::string dir;
    std::vector<float> table;  // column-major: 99 values of row 1, then row 2 ...
    std::string data;          // the data file
    std::string fortran;       // path of the compiled reference program
    bool ok = false;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Setup& setup() {
    static Setup s = [] {
        Setup st;
        st.dir = (std::filesystem::temp_directory_path() / "morvane_bench_format").string();
        std::filesystem::create_directories(st.dir);
        std::mt19937_64 rng(42);
        // Values of a monitoring table: years, concentrations, pools, fluxes.
        st.table.resize(static_cast<std::size_t>(kRows) * kCols);
        for (std::size_t k = 0; k < st.table.size(); ++k) {
            const double m = static_cast<double>(rng() >> 11) / 9007199254740992.0;
            const int e = static_cast<int>(rng() % 12) - 6;
            st.table[k] = static_cast<float>((rng() & 1 ? -m : m) * std::pow(10.0, e));
        }
        std::ofstream(st.dir + "/table.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(st.table.data()), static_cast<std::streamsize>(st.table.size() * sizeof(float)));
        std::string& d = st.data;
        char buf[64];
        for (int i = 0; i < kLines; ++i) {
            d += std::to_string(1800 + i % 300);
            for (int j = 0; j < kValues; ++j) {
                const double m = static_cast<double>(rng() >> 11) / 9007199254740992.0 * std::pow(10.0, static_cast<int>(rng() % 8) - 3);
                std::snprintf(buf, sizeof buf, rng() % 4 ? " %.6g" : ",%.4e", m);
                d += buf;
            }
            d += '\n';
        }
        std::ofstream(st.dir + "/data.txt", std::ios::binary) << d;
        const std::string src = st.dir + "/bench_ref.f90";
        std::ofstream(src) << kFortran;
        st.fortran = st.dir + "/bench_ref";
        const std::string cmd = "gfortran -O2 -o " + st.fortran + " " + src;
        st.ok = std::system(cmd.c_str()) == 0;
        return st;
    }();
    return s;
}

// Our table: the same records with the engine, into the buffer of a text
// writer and out to a file in large blocks, as the monitoring writer does.
void write_table(const morvane::fmt::Format& f) {
    const Setup& s = setup();
    morvane::TextWriter file;
    if (!file.open(s.dir + "/table_ours.txt")) return;
    std::string& out = file.buffer();
    for (int i = 0; i < kRows; ++i) {
        morvane::fmt::RecordWriter w(f, out);
        w.integer(i + 1);
        const float* row = s.table.data() + static_cast<std::size_t>(i) * kCols;
        for (int j = 0; j < kCols; ++j) w.real(row[j]);
        w.finish();
        file.maybe_flush();
    }
    file.commit();
}

// Our reading, as the data-file readers do it: the file loaded by the text
// reader, each line read in free format into the year and 20 reals; the
// values are appended in the layout of the Fortran stream file.
void read_data(std::string& bin) {
    auto file = morvane::TextReader::open(setup().dir + "/data.txt");
    if (!file) return;
    std::string_view line;
    while (file->next(line)) {
        morvane::ListReader r(line);
        std::int32_t year = 0;
        float x[kValues];
        r.read(year);
        for (float& v : x) r.read(v);
        bin.append(reinterpret_cast<const char*>(&year), 4);
        bin.append(reinterpret_cast<const char*>(x), sizeof x);
    }
}

void BM_EngineWriteTable(benchmark::State& state) {
    const auto f = morvane::fmt::Format::parse("(i6,99g13.5)");
    for (auto _ : state) write_table(*f);
    state.SetItemsProcessed(state.iterations() * kRows * (kCols + 1));
}
BENCHMARK(BM_EngineWriteTable)->Unit(benchmark::kMillisecond);

void BM_ListReaderReadData(benchmark::State& state) {
    std::string bin;
    bin.reserve(static_cast<std::size_t>(kLines) * 84);
    for (auto _ : state) {
        bin.clear();
        read_data(bin);
        benchmark::DoNotOptimize(bin.data());
    }
    state.SetItemsProcessed(state.iterations() * kLines * (kValues + 1));
}
BENCHMARK(BM_ListReaderReadData)->Unit(benchmark::kMillisecond);

// The reference program's own timings (seconds) of one run.
bool run_reference(double& write_s, double& read_s) {
    const Setup& s = setup();
    if (!s.ok) return false;
    const std::string cmd = s.fortran + " " + s.dir;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    char line[128];
    write_s = read_s = -1;
    while (std::fgets(line, sizeof line, p)) {
        std::sscanf(line, "write %lf", &write_s);
        std::sscanf(line, "read %lf", &read_s);
    }
    pclose(p);
    return write_s > 0 && read_s > 0;
}

// The reference program's timings (write, read) of three runs, made once
// for both benchmarks and the ratios; empty when the program is unavailable.
const std::vector<std::pair<double, double>>& reference_runs() {
    static const std::vector<std::pair<double, double>> runs = [] {
        std::vector<std::pair<double, double>> v;
        for (int i = 0; i < 3; ++i) {
            double w = 0, r = 0;
            if (!run_reference(w, r)) return std::vector<std::pair<double, double>>{};
            v.emplace_back(w, r);
        }
        return v;
    }();
    return runs;
}

void reference_bench(benchmark::State& state, bool read, std::int64_t items) {
    const auto& runs = reference_runs();
    std::size_t k = 0;
    for (auto _ : state) {
        if (runs.empty()) {
            state.SkipWithError("gfortran reference program unavailable");
            return;
        }
        const auto& run = runs[k++ % runs.size()];
        state.SetIterationTime(read ? run.second : run.first);
    }
    state.SetItemsProcessed(state.iterations() * items);
}

void BM_ReferenceWriteTable(benchmark::State& state) { reference_bench(state, false, std::int64_t{kRows} * (kCols + 1)); }
BENCHMARK(BM_ReferenceWriteTable)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ReferenceReadData(benchmark::State& state) { reference_bench(state, true, std::int64_t{kLines} * (kValues + 1)); }
BENCHMARK(BM_ReferenceReadData)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Best processor time of n runs.
double best_of(int n, auto&& fn) {
    double best = 1e30;
    for (int i = 0; i < n; ++i) {
        const std::clock_t t0 = std::clock();
        fn();
        const std::clock_t t1 = std::clock();
        best = std::min(best, static_cast<double>(t1 - t0) / CLOCKS_PER_SEC);
    }
    return best;
}

// Ratios (best of three runs each) and the identity of the outputs.
void report() {
    const Setup& s = setup();
    double rw = 1e30, rr = 1e30;
    if (reference_runs().empty()) {
        std::printf("reference program unavailable: no ratios\n");
        return;
    }
    for (const auto& [w, r] : reference_runs()) {
        rw = std::min(rw, w);
        rr = std::min(rr, r);
    }
    const auto f = morvane::fmt::Format::parse("(i6,99g13.5)");
    const double ow = best_of(3, [&] { write_table(*f); });
    std::string bin;
    const double orr = best_of(3, [&] {
        bin.clear();
        read_data(bin);
    });
    const bool same_table = slurp(s.dir + "/table_ours.txt") == slurp(s.dir + "/table_ref.txt");
    const bool same_values = bin == slurp(s.dir + "/data_ref.bin");
    std::printf("\nwrite (i6,99g13.5), %d lines: engine %.4f s, reference %.4f s, ratio %.1fx, output %s\n", kRows, ow, rw,
                rw / ow, same_table ? "byte-identical" : "DIFFERENT");
    std::printf("read free format, %d lines of 21 numbers: reader %.4f s, reference %.4f s, ratio %.1fx, values %s\n", kLines,
                orr, rr, rr / orr, same_values ? "bit-identical" : "DIFFERENT");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    setup();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    report();
    return 0;
}
