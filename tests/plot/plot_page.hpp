// A small controlled plot page for the driver's tests: variables, settings
// and series that a test changes before it draws.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "morvane.h"
#include "plot/monplot.hpp"
#include "support/test_support.hpp"

namespace morvane::testing {

inline void put_field(char* dst, std::size_t n, const std::string& s) {
    std::memset(dst, ' ', n);
    std::memcpy(dst, s.data(), std::min(n, s.size()));
}

inline VarDescriptor var(const std::string& name, const std::string& desc, float ymin, float ymax, int ndiv) {
    VarDescriptor v{};
    put_field(v.name, sizeof v.name, name);
    put_field(v.description, sizeof v.description, desc);
    v.ymin = ymin;
    v.ymax = ymax;
    v.ndiv = ndiv;
    return v;
}

inline SeriesSpec series(const std::string& path, bool active = true) {
    SeriesSpec s{};
    s.active = active ? 1 : 0;
    put_field(s.path, sizeof s.path, path);
    put_field(s.fmt, sizeof s.fmt, "");
    s.opt = 'x';
    s.icol1 = 1;
    s.icol2 = 0;
    s.factor = 1.0f;
    return s;
}

// One window of one variable, years 1990..1999, one step a year, values i.
struct Page {
    std::string psfile;
    std::vector<VarDescriptor> vars{var("A", "Alpha", 0.0f, 10.0f, 2)};
    std::vector<std::int32_t> ivar{1}, iblk{1}, cumul{0}, iwin{1};
    PlotSettings pset{};
    float aspect = 1.414f;
    std::array<float, 9> lwid{1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<std::int32_t, 27> rgb{255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 0, 0, 255, 0, 255,
                                     0, 255, 255, 128, 128, 128, 255, 128, 0, 100, 50, 0};
    std::int32_t igrid = 255, nacc = 1, ivlab = -2, idate = 0;
    float yref = 0.0f, zlwid = -1.0f;
    std::int32_t n0 = 1, n1 = 10, iyoff = 0, nstep = 1;
    std::vector<float> time, val;
    std::array<SeriesSpec, 9> runs{};
    mutable std::vector<SeriesSpec> obs;  // grown to NREC x the largest block, inactive
    std::string title = "T", subttl = "";

    explicit Page(const std::string& dir) : psfile(dir + "/page.eps") {
        pset.xlabopt = ' ';
        put_field(pset.xlabfmt, sizeof pset.xlabfmt, "(f5.0)");
        pset.nxdiv = 2;
        pset.xlabstep = 1;
        pset.xlab0 = 0;
        pset.year0 = 1990.0f;
        pset.year1 = 1999.0f;
        for (int i = 0; i < 10; ++i) {
            time.push_back(1990.0f + static_cast<float>(i));
            val.push_back(static_cast<float>(i));
        }
        obs.assign(1, series("", false));
    }

    MonplotArgs args() const {
        MonplotArgs a;
        a.psfile = psfile;
        a.title = title;
        a.subttl = subttl;
        a.nrec = static_cast<std::int32_t>(vars.size());
        a.nv = static_cast<std::int32_t>(ivar.size());
        a.ivar = ivar;
        a.iblk = iblk;
        a.cumul = cumul;
        a.iwin = iwin;
        a.vars = vars;
        a.pset = &pset;
        a.aspect = aspect;
        a.idate = idate;
        a.lwid = lwid;
        a.rgb = rgb;
        a.igrid = igrid;
        a.nacc = nacc;
        a.ivlab = ivlab;
        a.yref = yref;
        a.zlwid = zlwid;
        a.n0 = n0;
        a.n1 = n1;
        a.iyoff = iyoff;
        a.nstep = nstep;
        a.time = time;
        a.val = val.data();
        a.runs = runs;
        const std::int32_t blocks = iblk.empty() ? 1 : *std::max_element(iblk.begin(), iblk.end());
        obs.resize(std::max<std::size_t>(obs.size(), vars.size() * static_cast<std::size_t>(std::max(blocks, 1))),
                   series("", false));
        a.obsspecs = obs.data();
        return a;
    }

    std::string draw() const { return monplot(args()); }

    // The page's lines after the prolog ("%%EndProlog" and the two set-up lines).
    std::vector<std::string> body() const {
        std::vector<std::string> lines;
        std::istringstream in(read_file(psfile));
        std::string l;
        bool on = false;
        int skip = 0;
        while (std::getline(in, l)) {
            if (on && skip-- <= 0) lines.push_back(l);
            if (l == "%%EndProlog") on = true, skip = 2;
        }
        return lines;
    }
};

// Renders an EPS file with Ghostscript; true when it rendered without error.
inline bool renders(const std::string& eps) {
    const std::string png = eps + ".png";
    const std::string out = run_command("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r60 -sDEVICE=png16m -sOutputFile=" +
                                        png + " " + eps + " 2>&1; echo rc=$?");
    return out == "rc=0\n" && std::filesystem::exists(png);
}

}  // namespace morvane::testing
