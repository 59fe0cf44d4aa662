// Every export called from eight threads at once, each thread on its own copy
// of the example site: each thread's results, byte for byte, must be those of
// the same work done alone. Run under ThreadSanitizer by the tsan preset.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <barrier>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "morvane.h"
#include "support/test_support.hpp"

namespace {

namespace fs = std::filesystem;
using morvane::testing::read_file;
using morvane::testing::write_file;

constexpr int kThreads = 8;
constexpr int32_t kIb = 1850, kIe = 1850 + 251 * 12 - 1;
constexpr std::size_t kSteps = kIe - kIb + 1;
const char* const kNames[] = {"pH", "BS", "pH_lake", "ANC_lake", "SO4"};
const char* const kModels[] = {"KESTO", "KESTO2", "OLU"};

void put(char* field, std::size_t width, const std::string& text) {
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

int32_t MORVANE_CALL lookup(const char* name, int32_t len) {
    std::string n(name, static_cast<std::size_t>(len));
    n.erase(n.find_last_not_of(' ') + 1);
    for (int i = 0; i < 5; ++i)
        if (n == kNames[i]) return i + 1;
    return 0;
}

thread_local std::string t_stopped;
void MORVANE_CALL note_stop(const char* text) { t_stopped = text; }

// The results of one thread: raw bytes of every output, texts and files.
struct Digest {
    std::string bytes;
    template <class T>
    void add(const T* p, std::size_t n = 1) {
        bytes.append(reinterpret_cast<const char*>(p), n * sizeof(T));
    }
    void add(const std::string& s) { bytes += s + '\n'; }
};

// Thread k's work on its copy ./t<k> (the model by k, inputs of the pure
// functions shifted by k, so that results taken from another thread differ).
std::string work(int k) {
    Digest d;
    const std::string dir = "./t" + std::to_string(k) + "/";
    const float fk = static_cast<float>(k);
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), ' ', sizeof(KEYLIST));
    const std::string model = kModels[k % 3];
    put(list->name, 16, model);
    std::string lower = model;
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    put(list->file, 256, dir + lower + ".inp");

    // READINP, READINPW.
    std::vector<VarDescriptor> vars(5);
    for (int i = 0; i < 5; ++i) {
        std::memset(&vars[i], ' ', sizeof(VarDescriptor));
        put(vars[i].name, 8, kNames[i]), put(vars[i].description, 64, std::string("Variable ") + kNames[i]);
        vars[i].ymin = i == 0 ? 4.0f : 0.0f, vars[i].ymax = i == 0 ? 6.0f : 150.0f, vars[i].ndiv = 3 + i % 2;
    }
    char site[128], msg[128];
    int32_t iyb = 0, iye = 0, nstep = 0, ints[3] = {};
    float s[22] = {}, kexc[36] = {}, rcoopars[3] = {}, cmin[9] = {}, alapars[2] = {};
    std::vector<float> series(10 * kSteps), ions(3 * 9 * kSteps);
    auto ser = [&](int i) { return series.data() + i * kSteps; };
    auto ion = [&](int i) { return ions.data() + i * 9 * kSteps; };
    SeriesSpec mon{}, bal{};
    std::vector<SeriesSpec> obs(5);
    for (SeriesSpec* r : {&mon, &bal, &obs[0], &obs[1], &obs[2], &obs[3], &obs[4]}) put(r->path, 256, "");
    const int32_t nvar = 5, ib = kIb, ie = kIe;
    READINP(&nvar, vars.data(), lookup, list.get(), &ib, &ie, site, &iyb, &iye, &nstep, &ints[0], &s[0], &s[1], ser(0),
            ser(1), &s[2], &s[3], &s[4], &s[5], &s[6], &ints[1], kexc, &s[7], ser(2), ser(3), &s[8], &s[9], &s[10],
            &s[11], &s[12], &s[13], &ints[2], rcoopars, ser(4), ser(5), ser(6), cmin, ion(0), ion(1), ion(2), &mon,
            obs.data(), &s[14], &s[15], &s[16], &s[17], &s[18], &s[19], &s[20], alapars, &s[21], ser(7), ser(8), &bal,
            msg);
    d.add(msg, 128), d.add(site, 128), d.add(&iyb), d.add(&iye), d.add(&nstep), d.add(ints, 3), d.add(s, 22);
    d.add(kexc, 36), d.add(rcoopars, 3), d.add(cmin, 9), d.add(alapars, 2), d.add(series.data(), series.size());
    d.add(ions.data(), ions.size()), d.add(&mon), d.add(&bal), d.add(obs.data(), obs.size());
    float w[6] = {}, retention[9] = {}, orgparw[3] = {}, alaparw[2] = {};
    int32_t orgmodw = 0;
    READINPW(list.get(), &ib, &ie, &iyb, &iye, &nstep, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], retention, &orgmodw,
             orgparw, ser(9), alaparw, msg);
    d.add(msg, 128), d.add(w, 6), d.add(retention, 9), d.add(&orgmodw), d.add(orgparw, 3), d.add(alaparw, 2);
    d.add(list.get());

    // FIL2LIST, GETOBS, PREPOBS.
    FIL2LIST(list.get());
    morvane_last_message(msg);
    d.add(msg, 128), d.add(list.get());
    std::vector<SeriesSpec> found(5);
    for (int i = 0; i < 5; ++i) {
        char name[8];
        put(name, 8, kNames[i]);
        GETOBS(lookup, list.get(), name, 8, found.data(), nullptr);
        morvane_last_message(msg);
        d.add(msg, 128);
    }
    d.add(found.data(), found.size());
    for (const SeriesSpec& r : found) {
        if ((r.active & 1) == 0) continue;
        std::vector<float> triples(3 * 100);
        int32_t nobs = -1;
        const float xmiss = -99.0f;
        PREPOBS(&r, &xmiss, &iyb, &iye, &nobs, triples.data(), msg);
        d.add(msg, 128), d.add(&nobs), d.add(triples.data(), triples.size());
    }

    // MONWRITE: ions 1..5 of the deposition, one column per variable, then read back.
    const int32_t nt = (iye - iyb + 1) * nstep, n0 = 1, n1 = nt, ivar[5] = {1, 2, 3, 4, 5};
    std::vector<float> time(static_cast<std::size_t>(nt)), val(5 * time.size());
    for (int32_t t = 0; t < nt; ++t) {
        time[t] = static_cast<float>(iyb) + static_cast<float>(t) / static_cast<float>(nstep);
        for (int v = 0; v < 5; ++v) val[v * time.size() + t] = ion(2)[(iyb - kIb + t) * 9 + v] + fk;
    }
    put(mon.path, 256, dir + "run.mon"), put(mon.fmt, 64, k % 2 ? "" : "(i5,f9.3,5f10.4)");
    mon.active = 1;
    char title[128] = {};
    std::snprintf(title, sizeof title, "Thread %d, %s", k, model.c_str());
    MONWRITE(&mon, title, vars.data(), &nvar, ivar, &n0, &n1, &iyb, &iye, &nt, time.data(), val.data());
    morvane_last_message(msg);
    d.add(msg, 128), d.add(read_file(dir + "run.mon"));

    // MONPLOT: the same series in two windows, the file just written as a
    // comparison run, the observations READINP found; the page read back
    // without its creation date.
    PlotSettings ps;
    std::memset(&ps, 0, sizeof ps);
    ps.xlabopt = ' ', put(ps.xlabfmt, 8, "(i4)");
    ps.nxdiv = 10, ps.xlabstep = 2, ps.year0 = static_cast<float>(iyb), ps.year1 = static_cast<float>(iye);
    std::vector<SeriesSpec> runs(9);
    for (SeriesSpec& r : runs) put(r.path, 256, "");
    runs[0] = mon;
    const int32_t iwin[5] = {1, 1, 2, 2, 1}, cumul[5] = {}, one = 1, zero = 0, igrid = 200, ivlab = -1;
    const float aspect = 1.414f, yref = 2000.0f + fk, zlwid = 0.5f, lwid[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    int32_t rgb[27];
    for (int i = 0; i < 27; ++i) rgb[i] = (i * 40 + k) % 256;
    char psfile[128] = {}, subttl[128] = "concurrency";
    std::snprintf(psfile, sizeof psfile, "%spage.eps", dir.c_str());
    MONPLOT(psfile, title, &nvar, &nvar, ivar, &one, &one, cumul, iwin, vars.data(), &ps, &aspect, subttl, &zero, lwid,
            rgb, &igrid, &one, &ivlab, &yref, &zlwid, &n0, &n1, nullptr, &zero, &one, &nt, time.data(), val.data(),
            runs.data(), obs.data(), msg);
    d.add(msg, 128), d.add(std::regex_replace(read_file(dir + "page.eps"), std::regex("%%CreationDate:[^\n]*"), ""));

    // The pure functions, the pane layout and the extensions.
    const float t = 5.0f + fk, lgk = 8.0f + fk / 10;
    const float k1[5] = {FKHCO3(&t), FKCO3(&t), FKOH(&t), FKCACO3(&t), FLGKALOX(&lgk, &t)};
    d.add(k1, 5);
    for (int32_t icrit = 0; icrit <= 11; ++icrit) {
        const float x[7] = {1 + fk, 2, 3, 0.5f, 4 + fk, 5, 6};
        const float v = VAL_CRIT(&icrit, &x[0], &x[1], &x[2], &x[3], &x[4], &x[5], &x[6]);
        d.add(&v);
    }
    const int32_t iref = 1 + k % 2, mode = 1, npanes = 3 + k;
    const float dep[9] = {10, 4, 8, 9, 4, 2.5f, 18 + fk, 21, 0.05f};
    float ss[9], panes[2 * 12 + 2] = {};
    SEASALTS(&iref, dep, ss);
    d.add(ss, 9);
    float par[32] = {}, org[4] = {}, alorg[3] = {}, alchg = 0;
    par[18] = 50 + fk, par[19] = static_cast<float>(k % 4), par[20] = 3.5f, par[21] = 5, par[22] = 6, par[30] = 2,
    par[31] = 3;
    const float h = 0.01f, al = 0.02f;
    ORGALL(&h, &al, par, org, alorg, &alchg);
    d.add(org, 4), d.add(alorg, 3), d.add(&alchg);
    const float pw0 = 1, ph0 = 1 / aspect, mx0 = 0.06f, mx1 = 0.03f, my0 = 0.07f, my1 = 0.03f, ratio = 1.618f,
                gx = 0.3f, gy = 0.18f;
    int32_t nc = 0, nr = 0;
    GETPANES(&mode, &npanes, &pw0, &ph0, &mx0, &mx1, &my0, &my1, &ratio, &gx, &gy, &nc, &nr, panes, panes + 12,
             panes + 24, panes + 25);
    d.add(&nc), d.add(&nr), d.add(panes, 26);
    const float cl[5] = {1000 + fk, 200, 1200, 300, 1500};
    float ex[2];
    int32_t region = 0;
    EXCEED(&cl[0], &cl[1], &cl[2], &cl[3], &cl[4], &ex[0], &ex[1], &region);
    d.add(ex, 2), d.add(&region);
    const float xa[2] = {0, 10}, ya[2] = {10, 0}, xb[2] = {0, 10}, yb[2] = {5 + fk / 4, 5}, ys[2] = {10, 8};
    float xo[8] = {}, yo[8] = {};
    int32_t two = 2, nout = 0;
    MINPOLY(&two, xa, ya, &two, xb, yb, &nout, xo, yo);
    d.add(&nout), d.add(xo, 4), d.add(yo, 4);
    const float shift = 1 + fk / 8, impossible = 4;
    SHFTPOLY(&two, xa, ya, &shift, &nout, xo, yo);
    d.add(&nout), d.add(xo, 3), d.add(yo, 3);
    morvane_set_stop_handler(note_stop);  // the same handler from every thread
    SHFTPOLY(&two, xa, ys, &impossible, &nout, xo, yo);
    d.add(t_stopped), d.add(&nout), d.add(std::string(morvane_version()));
    return d.bytes;
}

// Copies the example site to ./t<k>, its keyword files naming their files in
// the copy ("./t<k>/name": a name that begins with "." is used as it stands).
void copy_site(int k) {
    const std::string dir = "t" + std::to_string(k);
    fs::remove_all(dir);
    fs::copy(std::string(MORVANE_SOURCE_DIR) + "/examples/site", dir);
    const std::regex name(R"(([ \t])([A-Za-z0-9_]+\.(dat|mon|bal|txt))\b)");
    for (const char* inp : {"kesto.inp", "kesto2.inp", "olu.inp"})
        write_file(dir + "/" + inp, std::regex_replace(read_file(dir + "/" + inp), name, "$1./" + dir + "/$2"));
}

class Concurrency : public ::testing::Test {  // in a folder of its own: the copies are named relative to it
protected:
    void SetUp() override {
        const fs::path root = fs::path(MORVANE_TEST_TMP) / "Concurrency";
        fs::create_directories(root);
        fs::current_path(root);
    }
    void TearDown() override {
        morvane_set_stop_handler(nullptr);
        fs::current_path(saved_);
    }
    fs::path saved_ = fs::current_path();
};

TEST_F(Concurrency, EightThreadsAsOne) {
    std::array<std::string, kThreads> alone, together;
    for (int k = 0; k < kThreads; ++k) copy_site(k), alone[k] = work(k);
    std::barrier start(kThreads);
    std::vector<std::thread> threads;
    for (int k = 0; k < kThreads; ++k)
        threads.emplace_back([&, k] { start.arrive_and_wait(), together[k] = work(k); });
    for (std::thread& t : threads) t.join();
    for (int k = 0; k < kThreads; ++k) {
        const auto diff = std::mismatch(together[k].begin(), together[k].end(), alone[k].begin(), alone[k].end());
        EXPECT_TRUE(together[k] == alone[k]) << "thread " << k << ": first difference at byte "
                                             << diff.first - together[k].begin() << " of " << alone[k].size();
        // The work succeeded: READINP read the site, the page was finished.
        EXPECT_EQ(alone[k].substr(0, 127), std::string(127, ' ')) << "thread " << k;
        EXPECT_NE(alone[k].find("showpage\n%%EOF\n"), std::string::npos) << "thread " << k;
    }
}

}  // namespace
