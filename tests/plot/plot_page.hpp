// A small controlled plot page for the driver's tests: one window of one
// variable A (0..10, 2 divisions), years 1990..1999, value i at step i.
#pragma once

#include <algorithm>
#include <array>
#include <vector>

#include "morvane.h"
#include "plot/monplot.hpp"
#include "support/test_support.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"

namespace morvane::testing {

using Lines = std::vector<std::string>;

inline VarDescriptor var(std::string_view name, std::string_view desc, float ymin, float ymax, int ndiv) {
    VarDescriptor v{{}, {}, ymin, ymax, ndiv};
    set_field(v.name, name), set_field(v.description, desc);
    return v;
}

inline SeriesSpec series(const std::string& path, bool active = true, char opt = 'x') {
    SeriesSpec s{};
    s.active = active, s.opt = opt, s.icol1 = 1, s.factor = 1.0f;
    set_field(s.path, path);
    return s;
}

struct Page {
    std::string psfile;
    std::vector<VarDescriptor> vars{var("A", "Alpha", 0.0f, 10.0f, 2)};
    std::vector<std::int32_t> ivar{1}, iblk{1}, cumul{0}, iwin{1};
    PlotSettings pset{};
    std::array<float, 9> lwid{1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<std::int32_t, 27> rgb{255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 0, 0, 255, 0, 255,
                                     0, 255, 255, 128, 128, 128, 255, 128, 0, 100, 50, 0};
    MonplotArgs a;  // the scalars; the rest is filled by args()
    std::vector<float> time, val;
    std::array<SeriesSpec, 9> runs{};
    mutable std::vector<SeriesSpec> obs;  // grown to NREC x the largest block, inactive

    explicit Page(const std::string& dir) : psfile(dir + "/page.eps") {
        pset.xlabopt = ' ', pset.nxdiv = 2, pset.xlabstep = 1, pset.year0 = 1990.0f, pset.year1 = 1999.0f;
        set_field(pset.xlabfmt, "(f5.0)");
        for (int i = 0; i < 10; ++i) time.push_back(1990.0f + static_cast<float>(i)), val.push_back(float(i));
        a.title = "T", a.zlwid = -1.0f, a.n1 = 10;
    }
    void set_vars(std::vector<VarDescriptor> v, std::vector<std::int32_t> windows) {
        vars = std::move(v), iwin = std::move(windows), ivar.clear();
        for (std::size_t i = 0; i < iwin.size(); ++i) ivar.push_back(static_cast<std::int32_t>(i % vars.size()) + 1);
        cumul.assign(iwin.size(), 0);
    }
    MonplotArgs args() const {
        MonplotArgs r = a;
        r.psfile = psfile, r.nrec = static_cast<std::int32_t>(vars.size());
        r.nv = static_cast<std::int32_t>(ivar.size());
        r.ivar = ivar, r.iblk = iblk, r.cumul = cumul, r.iwin = iwin, r.vars = vars, r.pset = &pset;
        r.lwid = lwid, r.rgb = rgb, r.time = time, r.val = val.data(), r.runs = runs;
        const std::int32_t blocks = iblk.empty() ? 1 : *std::max_element(iblk.begin(), iblk.end());
        obs.resize(std::max<std::size_t>(obs.size(), vars.size() * std::max(blocks, 1)), series("", false));
        r.obsspecs = obs.data();
        return r;
    }
    std::string draw() const { return message_of([&] { return monplot(args()); }); }

    // The page's lines after the prolog and its two set-up lines.
    Lines body() const {
        const std::string text = read_text(psfile);
        std::istringstream in(text.substr(std::min(text.size(), text.find("%%EndProlog\n"))));
        Lines lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return {lines.begin() + std::min<long>(3, static_cast<long>(lines.size())), lines.end()};
    }
    // The first n lines (all when fewer) after the first one equal to `from` (none when absent).
    Lines after(const std::string& from, std::size_t n = SIZE_MAX) const {
        Lines b = body();
        auto it = std::find(b.begin(), b.end(), from);
        it = it == b.end() ? it : it + 1;
        return {it, it + static_cast<long>(std::min<std::size_t>(n, b.end() - it))};
    }
};

// Variables A and B (0..10, one division) in window 1, value 5 throughout.
inline Page two_vars(const std::string& dir) {
    Page p(dir);
    p.set_vars({var("A", "Alpha", 0, 10, 1), var("B", "Beta", 0, 10, 1)}, {1, 1});
    p.val.assign(20, 5.0f);
    return p;
}

// The lines that end with tail, in order.
inline Lines ending(const Lines& lines, std::string_view tail) {
    Lines out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out), [&](auto& l) { return l.ends_with(tail); });
    return out;
}

}  // namespace morvane::testing
