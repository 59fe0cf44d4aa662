// The main job: a small model program that runs the Lake Harjulampi example
// site through the library exactly as a model program does, using only the
// public C header.
//
//   harjulampi [SITE_DIR [MODEL]]     (defaults: examples/site KESTO)
//
// It reads the keyword file with READINP and READINPW, computes an
// illustrative run (deposition, sea-salt sulphate, weathering and uptake, the
// exceedance of a critical-load function per year, a one-box base-saturation
// budget and the soil and lake chemistry that follows from it), writes the
// monitoring file with MONWRITE, reads the observation records with GETOBS,
// compares the simulated soil pH with the observations (PREPOBS, VAL_CRIT),
// and draws the page with MONPLOT, with the observations and a comparison run
// in which the deposition stays at its 1980 level. It may be started in any
// directory: the keyword file names its data files relative to itself, and the
// files are written beside it. The page is rendered to PNG when Ghostscript is
// installed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "morvane.h"

namespace {

// Variables of the run: name, description, display range and divisions, window.
struct VarDef {
    const char* name;
    const char* description;
    float ymin, ymax;
    int ndiv;
    int window;
};

constexpr VarDef kVars[] = {
    // Windows with several variables carry short legends (they share the
    // width of the pane); the units are in the single-variable legends.
    {"SO4dep", "S dep.", 0.0f, 150.0f, 3, 1},
    {"Ndep", "N dep.", 0.0f, 150.0f, 3, 1},
    {"BCdep", "BC dep.", 0.0f, 150.0f, 3, 1},
    {"BCwe", "BC weath.", 0.0f, 40.0f, 4, 2},
    {"BCupt", "BC uptake", 0.0f, 40.0f, 4, 2},
    {"ExS", "Ex(S)", -20.0f, 100.0f, 4, 3},
    {"ExN", "Ex(N)", -20.0f, 100.0f, 4, 3},
    {"pH", "Soil solution pH, 40 cm", 4.0f, 5.5f, 3, 4},
    {"BS", "Base saturation, -", 0.0f, 0.4f, 4, 5},
    {"pH_lake", "Lake pH", 4.5f, 7.0f, 5, 6},
    {"ANC_lake", "Lake ANC, ueq/L", -60.0f, 60.0f, 4, 7},
};
constexpr int kNVar = static_cast<int>(sizeof kVars / sizeof kVars[0]);

void set_field(char* field, std::size_t width, const std::string& text) {
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

std::string trimmed(const char* field, std::size_t width) {
    std::string s(field, strnlen(field, width));
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// The caller's lookup of observation records: one record per variable.
int32_t MORVANE_CALL obs_index(const char* name, int32_t len) {
    const std::string n = trimmed(name, static_cast<std::size_t>(len));
    for (int i = 0; i < kNVar; ++i)
        if (n == kVars[i].name) return i + 1;
    return 0;
}

std::string message(const char msg[128]) { return trimmed(msg, 127); }

// All inputs that READINP returns.
struct Inputs {
    int32_t iyb = 0, iye = 0, nstep = 1, addso4ss = 0, excmod = 0, rcoomod = 0;
    float thick = 0.5f, bulkdens = 1200.0f, cec = 50.0f, eca = 0, emg = 0, ek = 0, bsat = 0;
    float expal = 0, cpool = 0, cnrat = 0, cnmin = 0, cnmax = 0, cnseq = 0, fde = 0;
    float parentca = 0, alox = 0, so4admax = 0, so4half = 0, po4admax = 0, po4half = 0;
    float exph = 0, fni = 0;
    std::array<float, 36> kexc{};
    std::array<float, 3> rcoopars{};
    std::array<float, 9> cmin{};
    std::array<float, 2> alapars{};
    std::vector<float> theta, pco2, lgkalox, nimacc, crcoo, tempc, percol, alwe, nfix;
    std::vector<float> weathering, uptake, deposition;  // 9 x (IB:IE)
    char site[128] = {};
    SeriesSpec mon{}, bal{};
    std::vector<SeriesSpec> obs;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string site_dir = argc > 1 ? argv[1] : "examples/site";
    const std::string model = argc > 2 ? argv[2] : "KESTO";
    std::string lower = model;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    // Variable descriptors.
    std::vector<VarDescriptor> vars(kNVar);
    for (int i = 0; i < kNVar; ++i) {
        set_field(vars[i].name, 8, kVars[i].name);
        set_field(vars[i].description, 64, kVars[i].description);
        vars[i].ymin = kVars[i].ymin;
        vars[i].ymax = kVars[i].ymax;
        vars[i].ndiv = kVars[i].ndiv;
    }

    // Time steps the caller admits: 1850 .. 1850 + 251 * 12 - 1 covers the
    // monthly variant as well.
    const int32_t ib = 1850, ie = 1850 + 251 * 12 - 1;
    const std::size_t nsteps = static_cast<std::size_t>(ie - ib + 1);
    Inputs in;
    for (auto* v : {&in.theta, &in.pco2, &in.lgkalox, &in.nimacc, &in.crcoo, &in.tempc, &in.percol,
                    &in.alwe, &in.nfix})
        v->assign(nsteps, 0.0f);
    for (auto* v : {&in.weathering, &in.uptake, &in.deposition}) v->assign(9 * nsteps, 0.0f);
    in.obs.assign(kNVar, SeriesSpec{});
    for (auto& o : in.obs) {
        set_field(o.path, 256, "");
        set_field(o.fmt, 64, "");
        o.factor = 1.0f;
    }
    set_field(in.mon.path, 256, "");
    set_field(in.mon.fmt, 64, "");
    set_field(in.bal.path, 256, "");

    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), ' ', sizeof(KEYLIST));
    set_field(list->name, 16, model);
    // The keyword file in the site folder; the library completes the names it
    // holds with that folder (either separator ends it).
    const bool ends_dir = !site_dir.empty() && (site_dir.back() == '/' || site_dir.back() == '\\');
    set_field(list->file, 256, site_dir + (ends_dir ? "" : "/") + lower + ".inp");

    const int32_t nvar = kNVar;
    char msg[128];
    READINP(&nvar, vars.data(), obs_index, list.get(), &ib, &ie, in.site, &in.iyb, &in.iye, &in.nstep,
            &in.addso4ss, &in.thick, &in.bulkdens, in.theta.data(), in.pco2.data(), &in.cec, &in.eca,
            &in.emg, &in.ek, &in.bsat, &in.excmod, in.kexc.data(), &in.expal, in.lgkalox.data(),
            in.nimacc.data(), &in.cpool, &in.cnrat, &in.cnmin, &in.cnmax, &in.cnseq, &in.fde,
            &in.rcoomod, in.rcoopars.data(), in.crcoo.data(), in.tempc.data(), in.percol.data(),
            in.cmin.data(), in.weathering.data(), in.uptake.data(), in.deposition.data(), &in.mon,
            in.obs.data(), &in.parentca, &in.alox, &in.so4admax, &in.so4half, &in.po4admax,
            &in.po4half, &in.exph, in.alapars.data(), &in.fni, in.alwe.data(), in.nfix.data(), &in.bal,
            msg);
    if (!message(msg).empty()) {
        std::fprintf(stderr, "%s\n", message(msg).c_str());
        if (list->n < 0) return 1;
    }
    std::printf("morvane %s: %s\n", morvane_version(), message(in.site).c_str());
    std::printf("model %s, period %d-%d, %d step(s) per year, %d keywords\n", model.c_str(), in.iyb,
                in.iye, in.nstep, list->n);

    // Surface water: the companion runs with OLU and KESTO.
    float area_c = 0, area_l = 0, depth_l = 0, pco2w = 0, expalw = 0, lgkaloxw = 0;
    std::array<float, 9> retention{};
    int32_t orgmodw = -1;
    std::array<float, 3> orgparw{};
    std::array<float, 2> alaparw{};
    std::vector<float> mdocw(nsteps, 0.0f);
    if (model.rfind("KESTO2", 0) != 0) {
        READINPW(list.get(), &ib, &ie, &in.iyb, &in.iye, &in.nstep, &area_c, &area_l, &depth_l, &pco2w,
                 &expalw, &lgkaloxw, retention.data(), &orgmodw, orgparw.data(), mdocw.data(),
                 alaparw.data(), msg);
        if (!message(msg).empty()) std::fprintf(stderr, "%s\n", message(msg).c_str());
        std::printf("catchment %.2f km2, lake %.2f km2, depth %.1f m\n", area_c, area_l, depth_l);
    }

    // Observation records of the lake variables, read once more with GETOBS
    // (the soil reader has already filled them: the result is the same).
    for (const char* name : {"pH_lake", "ANC_lake"}) {
        char n8[8];
        set_field(n8, 8, name);
        GETOBS(obs_index, list.get(), n8, 8, in.obs.data(), nullptr);
    }

    // ---- an illustrative run, yearly ----
    const int nyears = in.iye - in.iyb + 1;
    const int nt = nyears;
    std::vector<float> time(static_cast<std::size_t>(nt));
    // VAL(N0:N1, NVAR) with N0 = 1, N1 = nt.
    auto run = [&](bool frozen) {
        std::vector<float> val(static_cast<std::size_t>(nt) * kNVar, 0.0f);
        auto at = [&](int step, int var) -> float& {
            return val[static_cast<std::size_t>(var) * static_cast<std::size_t>(nt) + static_cast<std::size_t>(step)];
        };
        const float pool = in.cec * in.bulkdens * in.thick;  // exchangeable pool, meq/m2
        float bs = in.eca + in.emg + std::max(in.ek, 0.0f);
        if (bs <= 0.0f) bs = in.bsat > 0.0f ? in.bsat : 0.25f;
        for (int y = 0; y < nyears; ++y) {
            const int year = in.iyb + y;
            time[static_cast<std::size_t>(y)] = static_cast<float>(year);
            // Yearly totals over the steps of the year (monthly models sum twelve steps).
            std::array<float, 9> dep{}, we{}, up{};
            const int src_year = frozen && year > 1980 ? 1980 : year;
            for (int k = 0; k < in.nstep; ++k) {
                const std::size_t t = static_cast<std::size_t>((in.iyb - ib) + (year - in.iyb) * in.nstep + k);
                const std::size_t ts = static_cast<std::size_t>((in.iyb - ib) + (src_year - in.iyb) * in.nstep + k);
                for (int i = 0; i < 9; ++i) {
                    dep[static_cast<std::size_t>(i)] += in.deposition[ts * 9 + static_cast<std::size_t>(i)];
                    we[static_cast<std::size_t>(i)] += in.weathering[t * 9 + static_cast<std::size_t>(i)] / static_cast<float>(in.nstep);
                    up[static_cast<std::size_t>(i)] += in.uptake[t * 9 + static_cast<std::size_t>(i)] / static_cast<float>(in.nstep);
                }
            }
            // Sea-salt sulphate from chloride, removed from the sulphate deposition.
            std::array<float, 9> ss{};
            const int32_t iref = 1;
            SEASALTS(&iref, dep.data(), ss.data());
            const float so4 = dep[0] - ss[0];
            const float ndep = dep[1] + dep[2];
            const float bcdep = dep[3] + dep[4] + dep[5];
            const float bcwe = we[3] + we[4] + we[5];
            const float bcupt = up[3] + up[4] + up[5];
            // Critical loads of acidity: an acceptable ANC leaching of -10 meq/m2/yr.
            const float clmaxs = bcdep + bcwe - bcupt + 10.0f;
            const float clminn = 14.0f + up[1];
            const float clmaxn = clminn + clmaxs / (1.0f - in.fde);
            float exn = 0, exs = 0;
            int32_t region = 0;
            EXCEED(&clmaxs, &clminn, &clmaxn, &ndep, &so4, &exn, &exs, &region);
            // Base saturation: a one-box budget of the exchangeable base cations.
            const float nleach = std::max(0.0f, ndep - clminn) * (1.0f - in.fde);
            const float anc = bcdep + bcwe - bcupt - so4 - nleach;  // meq/m2/yr
            bs = std::clamp(bs + 0.35f * anc * bs / pool, 0.02f, 0.95f);
            const float ph = 4.05f + 2.6f * bs + 0.004f * anc;
            const float perc = std::max(in.percol[static_cast<std::size_t>(in.iyb - ib + y * in.nstep)], 0.05f);
            const float anc_lake = 35.0f + 0.12f * anc / perc;
            const float ph_lake = std::clamp(5.6f + 0.018f * anc_lake, 4.5f, 7.0f);
            const float row[kNVar] = {so4, ndep, bcdep, bcwe, bcupt, region == 0 ? 0.0f : exs,
                                      region == 0 ? 0.0f : exn, ph, bs, ph_lake, anc_lake};
            for (int v = 0; v < kNVar; ++v) at(y, v) = row[v];
        }
        return val;
    };
    const std::vector<float> val = run(false);
    const std::vector<float> val_frozen = run(true);

    // ---- monitoring files ----
    std::vector<int32_t> ivar(kNVar);
    for (int i = 0; i < kNVar; ++i) ivar[static_cast<std::size_t>(i)] = i + 1;
    char title[128];
    std::snprintf(title, sizeof title, "Lake Harjulampi, %s", model.c_str());
    const int32_t nv = kNVar, n0 = 1, n1 = nt, ntt = nt;
    SeriesSpec frozen_mon = in.mon;
    const std::string mon_path = trimmed(in.mon.path, 256);
    const std::string frozen_path = mon_path.substr(0, mon_path.size() - 4) + "_dep1980.mon";
    set_field(frozen_mon.path, 256, frozen_path);
    frozen_mon.active = 1;
    MONWRITE(&frozen_mon, title, vars.data(), &nv, ivar.data(), &n0, &n1, &in.iyb, &in.iye, &ntt,
             time.data(), val_frozen.data());
    MONWRITE(&in.mon, title, vars.data(), &nv, ivar.data(), &n0, &n1, &in.iyb, &in.iye, &ntt, time.data(),
             val.data());
    morvane_last_message(msg);
    if (!message(msg).empty()) std::fprintf(stderr, "%s\n", message(msg).c_str());
    std::printf("monitoring files: %s, %s\n", mon_path.c_str(), frozen_path.c_str());

    // ---- validation: simulated soil pH against the observations ----
    {
        const SeriesSpec& o = in.obs[7];  // pH
        std::vector<float> obs(3 * 400);
        int32_t nobs = 0;
        const float xmiss = -99.0f;
        PREPOBS(&o, &xmiss, &in.iyb, &in.iye, &nobs, obs.data(), msg);
        if (!message(msg).empty()) std::fprintf(stderr, "%s\n", message(msg).c_str());
        double sum2 = 0.0;
        for (int k = 0; k < nobs; ++k) {
            const int y = static_cast<int>(obs[static_cast<std::size_t>(3 * k)]) - in.iyb;
            const float sim = val[static_cast<std::size_t>(7 * nt + std::clamp(y, 0, nt - 1))];
            const float d = sim - obs[static_cast<std::size_t>(3 * k + 1)];
            sum2 += static_cast<double>(d) * d;
        }
        const int32_t icrit = 4;  // pH of a hydrogen-ion concentration (eq/m3)
        const float h = std::pow(10.0f, 3.0f - val[static_cast<std::size_t>(7 * nt + (2000 - in.iyb))]);
        const float zero = 0.0f;
        const float ph2000 = VAL_CRIT(&icrit, &zero, &zero, &zero, &h, &zero, &zero, &zero);
        std::printf("soil pH: %d observations, RMSE %.3f; pH in 2000 %.2f\n", nobs,
                    nobs > 0 ? std::sqrt(sum2 / nobs) : 0.0, ph2000);
    }

    // ---- the page ----
    PlotSettings pset;
    std::memset(&pset, ' ', sizeof pset);
    pset.xlabopt = ' ';
    set_field(pset.xlabfmt, 8, "(i4)");
    pset.nxdiv = 10;
    pset.xlabstep = 2;
    pset.xlab0 = 0;
    pset.year0 = static_cast<float>(in.iyb);
    pset.year1 = static_cast<float>(in.iye);
    std::vector<int32_t> iwin(kNVar), cumul(kNVar, 0);
    for (int i = 0; i < kNVar; ++i) iwin[static_cast<std::size_t>(i)] = kVars[i].window;
    const int32_t nblk = 1, iblk = 1, idate = 0, igrid = 225, nacc = 1, ivlab = -1, idum = 0, iyoff = 0,
                  nstep1 = 1;
    const float aspect = 1.414f, yref = 2020.0f, zlwid = 0.5f;
    const float lwid[9] = {1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f};
    const int32_t rgb[27] = {200, 30, 30, 30, 90, 200, 20, 140, 40, 150, 60, 170, 230, 130, 0,
                             0, 150, 160, 120, 80, 40, 90, 90, 90, 200, 0, 120};
    std::vector<SeriesSpec> runs(9);
    for (auto& r : runs) {
        std::memset(&r, 0, sizeof r);
        set_field(r.path, 256, "");
    }
    runs[0] = frozen_mon;
    char psfile[128], subttl[128];
    const std::string dir = trimmed(list->dir, 256);  // the keyword file's folder: the page goes there too
    const std::string eps = dir + "harjulampi_" + lower + ".eps";
    if (eps.size() >= sizeof psfile) {  // MONPLOT takes the page's name in 128 bytes
        std::fprintf(stderr, "harjulampi: the page's name %s is longer than 127 bytes\n", eps.c_str());
        return 1;
    }
    std::snprintf(psfile, sizeof psfile, "%s", eps.c_str());
    std::snprintf(subttl, sizeof subttl, "Dashed: deposition kept at 1980");
    MONPLOT(psfile, title, &nv, &nv, ivar.data(), &nblk, &iblk, cumul.data(), iwin.data(), vars.data(), &pset,
            &aspect, subttl, &idate, lwid, rgb, &igrid, &nacc, &ivlab, &yref, &zlwid, &n0, &n1, &idum, &iyoff,
            &nstep1, &ntt, time.data(), val.data(), runs.data(), in.obs.data(), msg);
    if (!message(msg).empty()) std::fprintf(stderr, "%s\n", message(msg).c_str());
    std::printf("page: %s\n", eps.c_str());

    // On Windows, Ghostscript's console program is gswin64c, tried as it is.
    // The shell of POSIX systems takes the paths quoted, with '/' for any
    // backslash (the library takes either separator, the shell does not).
    const std::string png = dir + "harjulampi_" + lower + ".png";
#ifdef _WIN32
    const std::string args = " -sOutputFile=\"" + png + "\" \"" + eps + "\" >nul 2>&1";
    if (std::system(("gswin64c -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r110 -sDEVICE=png16m" + args).c_str()) == 0)
        std::printf("picture: %s\n", png.c_str());
#else
    const auto quoted = [](std::string s) {
        std::replace(s.begin(), s.end(), '\\', '/');
        return "'" + s + "'";
    };
    const std::string args = " -sOutputFile=" + quoted(png) + " " + quoted(eps);
    if (std::system("command -v gs >/dev/null 2>&1") == 0 &&
        std::system(("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r110 -sDEVICE=png16m" + args).c_str()) == 0)
        std::printf("picture: %s\n", png.c_str());
#endif
    return 0;
}
