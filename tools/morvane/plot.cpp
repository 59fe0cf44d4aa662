// morvane plot: the quick look at a run, a monitoring file drawn by the plot
// driver with windows, ranges and divisions chosen from the data.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "cli.hpp"
#include "input/getobs.hpp"
#include "input/keylist.hpp"
#include "output/prepobs.hpp"
#include "plot/monplot.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/textreader.hpp"

extern char** environ;

namespace morvane::cli {
namespace {

constexpr int kWindows = 25;
constexpr int kRuns = 9;

// A monitoring file read back: its title, the variables of its heading with
// their descriptions, and the data lines' times and values.
struct MonRun {
    std::string title;
    std::vector<std::string> names;
    std::map<std::string, std::string> descriptions;
    std::vector<float> time;
    std::vector<std::vector<float>> values;  // per variable, per time
};

std::optional<MonRun> read_mon(const std::string& path, std::string& why) {
    std::optional<TextReader> rd = TextReader::open(path);
    if (!rd) {
        why = path + " cannot be read";
        return std::nullopt;
    }
    MonRun run;
    bool first = true;
    std::string_view line;
    while (rd->next(line)) {
        if (!line.empty() && line.front() == '!') {
            const std::string_view body = line.substr(1);
            if (body.starts_with("count")) {  // a heading line: count, time, names
                const std::vector<std::string> items = splitat(body, ',', 200);
                for (std::size_t i = 2; i < items.size(); ++i)
                    if (!is_blank(items[i])) run.names.emplace_back(trimmed(items[i]));
            } else if (const std::size_t colon = body.find(':'); !first && colon != std::string_view::npos) {
                run.descriptions[std::string(trimmed(body.substr(0, colon)))] = std::string(trimmed(body.substr(colon + 1)));
            } else if (first) {
                run.title = std::string(trim_right(body));
            }
            first = false;
            continue;
        }
        if (is_blank(line)) continue;
        if (run.values.empty()) run.values.resize(run.names.size());
        ListReader r(line);
        float count = 0.0f, t = 0.0f;
        if (r.read(count) != ReadStatus::ok || r.read(t) != ReadStatus::ok) {
            why = path + " line " + std::to_string(rd->line_number()) + " is no data line";
            return std::nullopt;
        }
        run.time.push_back(t);
        for (auto& v : run.values) {
            float x = std::nanf("");
            if (r.read(x) != ReadStatus::ok) x = std::nanf("");
            v.push_back(x);
        }
    }
    if (run.names.empty() || run.time.empty()) {
        why = path + " holds no monitoring data";
        return std::nullopt;
    }
    return run;
}

// A display range with round divisions: steps 1, 2, 2.5 or 5 times a power
// of ten, at most 6 of them, the range holding every value.
struct Range {
    float lo, hi;
    int ndiv;
};
Range nice_range(const std::vector<float>& v) {
    double lo = INFINITY, hi = -INFINITY;
    for (const float x : v)
        if (std::isfinite(x)) lo = std::min<double>(lo, x), hi = std::max<double>(hi, x);
    if (!(lo <= hi)) lo = 0.0, hi = 1.0;
    if (lo == hi) {
        const double d = lo == 0.0 ? 1.0 : std::fabs(lo) * 0.1;
        lo -= d, hi += d;
    }
    const double p = std::pow(10.0, std::floor(std::log10((hi - lo) / 6.0)));
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0, 20.0}) {
        const double step = m * p;
        const double a = std::floor(lo / step) * step, b = std::ceil(hi / step) * step;
        const int n = static_cast<int>(std::lround((b - a) / step));
        if (n <= 6) return {static_cast<float>(a), static_cast<float>(b), std::max(n, 1)};
    }
    return {static_cast<float>(lo), static_cast<float>(hi), 1};
}

// The x axis: whole years from a multiple of a round step, at most 10
// divisions, of which every so many are labelled: at most 6 labels when the
// page has one or two windows (a column), else 3.
void x_axis(const std::vector<float>& time, std::size_t windows, PlotSettings& pset) {
    const auto [mn, mx] = std::minmax_element(time.begin(), time.end());
    const double tmin = *mn, tmax = *mx;
    std::int64_t y0 = 0, y1 = 0, step = 1;
    for (std::int64_t s = 1;; s *= 10) {
        for (const std::int64_t m : {1, 2, 5}) {
            step = s * m;
            y0 = static_cast<std::int64_t>(std::floor(tmin / static_cast<double>(step))) * step;
            y1 = static_cast<std::int64_t>(std::ceil(tmax / static_cast<double>(step))) * step;
            if (y1 == y0) y1 = y0 + step;
            if ((y1 - y0) / step <= 10) goto found;
        }
    }
found:
    pset.nxdiv = static_cast<std::int32_t>((y1 - y0) / step);
    const std::int32_t labels = windows <= 2 ? 6 : 3;
    pset.xlabstep = std::max<std::int32_t>(1, (pset.nxdiv + labels - 1) / labels);
    pset.xlab0 = 0;
    pset.xlabopt = ' ';
    set_field(pset.xlabfmt, (y0 >= 0 && y1 <= 9999) ? "(i4)" : "(i6)");
    pset.year0 = static_cast<float>(y0);
    pset.year1 = static_cast<float>(y1);
}

// Steps a year of the time points: about (points - 1) per year spanned.
std::int32_t steps_a_year(const std::vector<float>& time) {
    const auto [mn, mx] = std::minmax_element(time.begin(), time.end());
    if (time.size() < 2 || *mx <= *mn) return 1;
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround((time.size() - 1) / (*mx - *mn))));
}

// Runs gs to render the page; false when it cannot be run or fails.
bool render_png(const std::string& eps, const std::string& png) {
    const std::string out = "-sOutputFile=" + png;
    const char* argv[] = {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dEPSCrop", "-r110", "-sDEVICE=png16m",
                          out.c_str(), eps.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "gs", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr std::array<std::int32_t, 27> kColours = {200, 30,  30,  30,  90,  200, 20, 140, 40,
                                                   150, 60,  170, 230, 130, 0,   0,  150, 160,
                                                   120, 80,  40,  90,  90,  90,  200, 0, 120};

}  // namespace

int plot(const PlotOptions& o, std::ostream& out, std::ostream& err) {
    if (o.files.size() > 1 + kRuns) {
        err << "morvane plot: at most " << kRuns << " comparison runs\n";
        return kErrors;
    }
    std::string why;
    const std::optional<MonRun> run = read_mon(o.files[0], why);
    if (!run) {
        err << "morvane plot: " << why << "\n";
        return kErrors;
    }
    std::vector<std::string> warnings;

    // The variables to draw, one window each.
    std::vector<std::int32_t> ivar;
    for (const std::string& name : o.vars) {
        const auto it = std::find(run->names.begin(), run->names.end(), name);
        if (it == run->names.end()) {
            err << "morvane plot: " << o.files[0] << " has no variable " << name << "\n";
            return kErrors;
        }
        ivar.push_back(static_cast<std::int32_t>(it - run->names.begin()) + 1);
    }
    if (o.vars.empty())
        for (std::size_t i = 0; i < run->names.size() && i < kWindows; ++i) ivar.push_back(static_cast<std::int32_t>(i) + 1);
    if (o.vars.empty() && run->names.size() > kWindows)
        warnings.push_back("only the first " + std::to_string(kWindows) + " of " + std::to_string(run->names.size()) +
                           " variables are drawn: choose with --vars");
    if (ivar.size() > kWindows) {
        err << "morvane plot: at most " << kWindows << " variables, one window each\n";
        return kErrors;
    }

    // The comparison runs' values widen the ranges of the variables they share.
    std::vector<std::vector<float>> extent = run->values;
    for (std::size_t k = 1; k < o.files.size(); ++k) {
        const std::optional<MonRun> other = read_mon(o.files[k], why);
        if (!other) {
            err << "morvane plot: " << why << "\n";
            return kErrors;
        }
        for (std::size_t i = 0; i < run->names.size(); ++i) {
            const auto it = std::find(other->names.begin(), other->names.end(), run->names[i]);
            if (it == other->names.end()) continue;
            const auto& v = other->values[static_cast<std::size_t>(it - other->names.begin())];
            extent[i].insert(extent[i].end(), v.begin(), v.end());
        }
    }

    const std::size_t nrec = run->names.size(), nt = run->time.size();
    std::vector<VarDescriptor> vars(nrec);
    std::vector<SeriesSpec> runs(kRuns), obs(nrec);
    for (auto* set : {&runs, &obs})
        for (SeriesSpec& s : *set) std::memset(&s, 0, sizeof s), set_field(s.path, "");
    for (std::size_t i = 0; i < nrec; ++i) std::memset(&vars[i], ' ', sizeof vars[i]), set_field(vars[i].name, run->names[i]);
    if (!o.obs.empty()) {
        auto list = std::make_unique<KEYLIST>();
        std::memset(list.get(), ' ', sizeof(KEYLIST));
        set_field(list->file, o.obs);
        fil2list(*list);
        if (list->n < 0) {
            err << "morvane plot: " << o.obs << " does not exist\n";
            return kErrors;
        }
        for (std::size_t i = 0; i < nrec; ++i) {
            const std::string msg = message_of([&] {
                getobs([&](std::string_view) { return static_cast<std::int32_t>(i) + 1; }, *list,
                       std::string_view(vars[i].name, sizeof vars[i].name), obs.data());
            });
            if (!msg.empty()) warnings.push_back("xGETOBS: " + msg);
        }
    }



    std::vector<float> val(nrec * nt);
    for (std::size_t i = 0; i < nrec; ++i) {
        VarDescriptor& v = vars[i];
        const auto d = run->descriptions.find(run->names[i]);
        set_field(v.description, d != run->descriptions.end() && !d->second.empty() ? d->second : run->names[i]);
        // The observations shown widen the range too.
        const SeriesSpec& ob = obs[i];
        if ((ob.active & 1) && field_text(ob.path) == "1obsonly") {
            extent[i].insert(extent[i].end(), {ob.cval[1] - ob.cval[2], ob.cval[1] + ob.cval[2]});
        } else if (ob.active & 1) {
            const auto [mn, mx] = std::minmax_element(run->time.begin(), run->time.end());
            try {
                for (const ObsPoint& p : prepobs(ob, -999.0f, static_cast<std::int32_t>(std::floor(*mn)),
                                                 static_cast<std::int32_t>(std::ceil(*mx))).points)
                    extent[i].push_back(p.value * ob.factor);
            } catch (const Error&) {
                // a missing file: the plot driver says so
            }
        }
        const Range r = nice_range(extent[i]);
        v.ymin = r.lo, v.ymax = r.hi, v.ndiv = r.ndiv;
        std::copy(run->values[i].begin(), run->values[i].end(), val.begin() + static_cast<std::ptrdiff_t>(i * nt));
    }

    PlotSettings pset;
    std::memset(&pset, ' ', sizeof pset);
    x_axis(run->time, ivar.size(), pset);

    // The comparison runs.
    for (std::size_t k = 1; k < o.files.size(); ++k) {
        runs[k - 1].active = -1;
        set_field(runs[k - 1].path, o.files[k]);
    }
    const std::string eps =
        o.output.empty() ? std::filesystem::path(o.files[0]).replace_extension(".eps").string() : o.output;
    const std::size_t others = o.files.size() - 1;
    const std::string subtitle =
        others == 0 ? "" : "Dashed: " + std::to_string(others) + (others == 1 ? " earlier run" : " earlier runs");

    const std::vector<std::int32_t> iblk{1}, cumul(ivar.size(), 0);
    std::vector<std::int32_t> iwin(ivar.size());
    for (std::size_t j = 0; j < iwin.size(); ++j) iwin[j] = static_cast<std::int32_t>(j) + 1;
    const std::array<float, 9> lwid{1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f};
    MonplotArgs a;
    a.psfile = fit(eps, 128);
    a.title = fit(o.title.empty() ? run->title : o.title, 128);
    a.subttl = fit(subtitle, 128);
    a.nrec = static_cast<std::int32_t>(nrec);
    a.nv = static_cast<std::int32_t>(ivar.size());
    a.ivar = ivar, a.iblk = iblk, a.cumul = cumul, a.iwin = iwin, a.vars = vars, a.pset = &pset;
    a.lwid = lwid, a.rgb = kColours;
    a.igrid = 225, a.nacc = 1, a.ivlab = -1, a.yref = -1.0e9f, a.zlwid = 0.5f;
    a.n0 = 1, a.n1 = static_cast<std::int32_t>(nt);
    a.nstep = steps_a_year(run->time);
    a.time = run->time, a.val = val.data(), a.runs = runs, a.obsspecs = obs.data();
    if (eps.size() > 127) {
        err << "morvane plot: the page's name is longer than 127 characters\n";
        return kErrors;
    }
    std::string msg;
    try {
        msg = monplot(a);
    } catch (const Error& e) {
        err << "morvane plot: " << e.what() << "\n";
        return kErrors;
    }
    if (!msg.empty()) warnings.push_back(msg);

    std::string png;
    if (o.png) {
        png = std::filesystem::path(eps).replace_extension(".png").string();
        if (!render_png(eps, png)) {
            err << "morvane plot: Ghostscript (gs) could not render " << eps << "\n";
            return kErrors;
        }
    }
    if (o.json) {
        std::vector<std::string> names, ws;
        for (const std::int32_t i : ivar) names.push_back(json_string(run->names[static_cast<std::size_t>(i - 1)]));
        for (const std::string& w : warnings) ws.push_back(json_string(w));
        out << json_object({{"eps", json_string(eps)}, {"png", png.empty() ? "null" : json_string(png)},
                            {"variables", json_array(names)}, {"warnings", json_array(ws)}})
            << "\n";
    } else {
        out << "page: " << eps << " (" << ivar.size() << (ivar.size() == 1 ? " window" : " windows") << ", years "
            << pset.year0 << " to " << pset.year1 << ")\n";
        if (!png.empty()) out << "picture: " << png << "\n";
        for (const std::string& w : warnings) out << "warning: " << w << "\n";
    }
    return warnings.empty() ? kFine : kWarnings;
}

}  // namespace morvane::cli
