// Figures of a routine as a model program sees them: its first call in a fresh
// process (nothing of an earlier call warm: no buffer, no page of the heap) and
// a later call of the same process, each with the peak resident memory of the
// process. The benchmark program runs itself again as a child ("--child" and
// the child's own arguments); the child prints what it measured on one line.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

inline double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Processor time of this process so far (user and system), in seconds: on a
// shared machine it shows what the call cost apart from waiting for a processor.
inline double cpu_now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Peak resident memory of this process so far, in MB.
inline double peak_rss_mb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// What one child measured: the first call and a later call (elapsed and
// processor time), the peak resident memory of the process, and its resident
// memory just before the first call.
struct Figures {
    double first = 0, warm = 0, first_cpu = 0, warm_cpu = 0, peak_mb = 0, before_mb = 0;
};

// In the child: the line the parent reads.
inline void report(const Figures& f) {
    std::printf("%.9f %.9f %.9f %.9f %.3f %.3f\n", f.first, f.warm, f.first_cpu, f.warm_cpu, f.peak_mb, f.before_mb);
    std::fflush(stdout);
}

// Resident memory now, in MB (Linux).
inline double rss_mb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Times call twice in this process: the first call and the second.
template <class F>
Figures time_calls(F&& call) {
    Figures f;
    f.before_mb = rss_mb();
    double c = cpu_now(), t = now();
    call();
    f.first = now() - t;
    f.first_cpu = cpu_now() - c;
    c = cpu_now(), t = now();
    call();
    f.warm = now() - t;
    f.warm_cpu = cpu_now() - c;
    f.peak_mb = peak_rss_mb();
    return f;
}

// Runs this program again with "--child" and args; false when it failed.
inline bool run_child(const std::vector<std::string>& args, Figures& f) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv{const_cast<char*>("child"), const_cast<char*>("--child")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::istringstream in(out);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && (in >> f.first >> f.warm >> f.first_cpu >> f.warm_cpu >> f.peak_mb >> f.before_mb);
}

// The medians of every row, for the summary printed after the run.
struct Row {
    std::vector<double> times, cpus, peaks, added;  // added: peak above the memory before the call
    double time() const { return median(times); }
    double cpu() const { return median(cpus); }
    double peak() const { return median(peaks); }
    double add() const { return median(added); }
    static double median(std::vector<double> v) {
        if (v.empty()) return 0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};
inline std::map<std::string, Row>& rows() {
    static std::map<std::string, Row> r;
    return r;
}

// A benchmark row timed in children: each iteration is a fresh process whose
// first call (warm = false) or second call (warm = true) is the time.
inline void fresh_rows(benchmark::State& state, const std::string& name, const std::vector<std::string>& args, bool warm) {
    Row& row = rows()[name + (warm ? " warm" : " first")];
    for (auto _ : state) {
        Figures f;
        if (!run_child(args, f)) {
            state.SkipWithError("the child failed");
            return;
        }
        const double t = warm ? f.warm : f.first;
        state.SetIterationTime(t);
        row.times.push_back(t);
        row.cpus.push_back(warm ? f.warm_cpu : f.first_cpu);
        row.peaks.push_back(f.peak_mb);
        row.added.push_back(f.peak_mb - f.before_mb);
    }
    state.counters["cpu_ms"] = row.cpu() * 1e3;
    state.counters["peak_MB"] = row.peak();
    state.counters["added_MB"] = row.add();
}

}  // namespace bench
