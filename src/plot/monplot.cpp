// The plot driver: checks, layout, page head, window frames and labels, then
// observations, comparison runs and the current run, in that drawing order.
#include "plot/monplot.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/curves.hpp"
#include "plot/overlay.hpp"
#include "plot/panes.hpp"
#include "postscript/postscript.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/numeric.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"

namespace morvane {
namespace {

constexpr std::string_view kPrefix = "xMonplot: ";
// Divisions of an axis: beyond this the lines and labels of a pane lie closer
// than the page can show, and the work of drawing them has no bound.
constexpr std::int32_t kMaxDivisions = 1000;

// Whether a year rounds to a 32-bit integer (NaN does not).
bool integer_year(float v) { return v >= -2147483648.0f && v < 2147483648.0f; }

// The checks made before any file is touched; "" when the page can be drawn.
// The limits of the page come first, in the order the page needs them, then
// the arguments that could not be drawn soundly.
std::string check(const MonplotArgs& a, std::int32_t y0, std::int32_t y1) {
    const PlotSettings& ps = *a.pset;
    // The span fits 64 bits; its product with NSTEP may not, and is compared in
    // double, which is exact wherever the comparison with 2 could go either way.
    const std::int64_t span = static_cast<std::int64_t>(y1) - a.iyoff - y0 + 1;
    if (static_cast<double>(span) * a.nstep < 2.0) return std::string(kPrefix) + "No positive interval for display!";
    const std::int32_t nw = *std::max_element(a.iwin.begin(), a.iwin.end());
    if (nw > kMaxWindows)
        return std::string(kPrefix) + "Not more than" + i2str(kMaxWindows, 3) + " display windows!";
    if (*std::min_element(a.iwin.begin(), a.iwin.end()) < 1)
        return std::string(kPrefix) + "Window numbers start at 1!";
    std::array<std::int32_t, kMaxWindows> count{};
    for (std::int32_t w : a.iwin)
        if (++count[w - 1] > kMaxPerWindow)
            return std::string(kPrefix) + "Not more than" + i2str(kMaxPerWindow, 3) + " variables/window!";
    for (std::size_t i = 0; i < a.ivar.size(); ++i)
        if (a.ivar[i] < 1 || a.ivar[i] > a.nrec)
            return std::string(kPrefix) + "IVAR(" + i2str(static_cast<int>(i) + 1, 3) + ") not in 1..NREC!";
    for (std::size_t s = 0; s < a.iblk.size(); ++s)
        if (a.iblk[s] < 1) return std::string(kPrefix) + "IBLK(" + i2str(static_cast<int>(s) + 1, 3) + ") below 1!";
    if (ps.nxdiv < 1) return std::string(kPrefix) + "nxdiv below 1!";
    if (ps.xlabstep < 1) return std::string(kPrefix) + "xlabstep below 1!";
    if (a.nacc < 1) return std::string(kPrefix) + "NACC below 1!";
    if (!(a.aspect > 0.0f) || !std::isfinite(a.aspect)) return std::string(kPrefix) + "ASPECT must be positive!";
    if (static_cast<std::int64_t>(a.time.size()) > static_cast<std::int64_t>(a.n1) - a.n0 + 1)
        return std::string(kPrefix) + "NT exceeds N1 - N0 + 1!";
    // Settings that pass the interval check only by a negative span, put the
    // first drawn year below the integers, or ask for unbounded work.
    if (a.nstep < 1) return std::string(kPrefix) + "NSTEP below 1!";
    if (static_cast<std::int64_t>(y0) + a.iyoff < INT32_MIN) return std::string(kPrefix) + "IYOFF out of range!";
    if (ps.nxdiv > kMaxDivisions) return std::string(kPrefix) + "nxdiv above" + i2str(kMaxDivisions, 5) + "!";
    if (ps.xlab0 < 0) return std::string(kPrefix) + "xlab0 below 0!";
    return {};
}

}  // namespace

std::string monplot(const MonplotArgs& a) {
    // Step 2: nothing to draw.
    if (a.nv < 0) throw Error(std::string(kPrefix) + "NV below 0!");
    if (a.nv == 0 || is_blank(a.psfile)) return {};
    const PlotSettings& ps = *a.pset;
    if (!integer_year(ps.year0) || !integer_year(ps.year1)) throw Error(std::string(kPrefix) + "year0 or year1 out of range!");
    const std::int32_t y0 = nint(ps.year0);
    const std::int32_t y1 = nint(ps.year1);
    if (std::string m = check(a, y0, y1); !m.empty()) throw Error(m);

    // Window ranges; the names and legend texts in plotted-variable order.
    PlotWindows win;
    win.y0 = y0;
    win.y1 = y1;
    win.iyoff = a.iyoff;
    win.wmin.fill(1.0e30f);
    win.wmax.fill(-1.0e30f);
    win.wdiv.fill(1);
    const auto nv = static_cast<std::size_t>(a.nv);
    std::vector<std::string> names(nv), legends(nv);
    for (std::size_t i = 0; i < nv; ++i) {
        const VarDescriptor& v = a.vars[a.ivar[i] - 1];
        const int w = a.iwin[i] - 1;
        names[i] = tidy_field(v.name);
        legends[i] = tidy_field(v.description);
        ++win.wcount[w];
        win.wmin[w] = std::min(win.wmin[w], v.ymin);
        win.wmax[w] = std::max(win.wmax[w], v.ymax);
        win.wdiv[w] = std::max(win.wdiv[w], v.ndiv);
    }
    const std::int32_t nw = *std::max_element(a.iwin.begin(), a.iwin.end());
    for (int w = 0; w < nw; ++w) {
        if (win.wmax[w] == win.wmin[w])
            throw Error(std::string(kPrefix) + "Window" + i2str(w + 1, 3) + " has ymin = ymax!");
        if (win.wdiv[w] > kMaxDivisions)
            throw Error(std::string(kPrefix) + "Window" + i2str(w + 1, 3) + " has more than" + i2str(kMaxDivisions, 5) +
                        " divisions!");
    }

    // Layout: pane corners measured from the top, turned into page heights
    // of the panes' lower edges.
    const float h = 1.0f / a.aspect;
    const PanePage page{1.0f, h, 0.06f, 0.03f, 0.07f, 0.03f, 1.618f, 0.3f, 0.18f};
    PaneGrid grid;
    choose_panes(1, nw, page, grid);
    std::vector<float> px(static_cast<std::size_t>(nw)), py(static_cast<std::size_t>(nw));
    pane_positions(nw, page, grid, px, py);
    const float pw = grid.pw, ph = grid.ph;
    const std::int32_t nc = grid.nc;
    win.pw = pw;
    win.ph = ph;
    for (int w = 0; w < nw; ++w) {
        win.px[w] = px[w];
        win.py[w] = h - py[w];
        win.scale[w] = ph / (win.wmax[w] - win.wmin[w]);
    }
    const float size = 0.017f * std::min(1.0f, std::sqrt(2.0f / static_cast<float>(nc)));

    psdev dev;
    dev.file = fit(a.psfile, 128);
    if (!psopen_n(dev, "by Monplot", 0.0f, 0.0f, 1.0f, h, 1.0f))
        throw Error(std::string(kPrefix) + "Cannot write file " + std::string(trim_right(a.psfile)));
    psfont(dev, 20);

    // Page head.
    const float yhead = h - 0.01f;
    pstext(dev, 4, 0.0f, 0.5f, yhead, 0.0f, 0.024f, a.title);
    pstext(dev, 1, 0.0f, 0.02f, yhead, 0.0f, 0.012f, a.subttl);
    if (a.idate == 1) pstext(dev, 7, 0.0f, 1.0f - 0.02f, yhead, 0.0f, 0.012f, datetime(1));

    // Steps on the axis and label products in 64 bits: years span up to 2^32.
    win.xs = pw / static_cast<float>((static_cast<std::int64_t>(y1) - y0 + 1) * a.nstep);
    const float hy = 0.5f * static_cast<float>(a.nstep) * win.xs;

    // Panes: grid, reference year, zero line, frame, labels and legend.
    const std::string xlabfmt = field_text(ps.xlabfmt);
    std::size_t next_legend = 0;
    for (int w = 1; w <= nw; ++w) {
        const float x = win.px[w - 1], y = win.py[w - 1];
        const float wmin = win.wmin[w - 1], wmax = win.wmax[w - 1];
        const std::int32_t wdiv = win.wdiv[w - 1];
        if (a.igrid < 255) {
            psgray(dev, a.igrid);
            psthick(dev, 0.0f);
            for (std::int32_t j = 1; j <= ps.nxdiv - 1; ++j) {
                const float xj = x + static_cast<float>(j) * pw / static_cast<float>(ps.nxdiv);
                psline(dev, xj, y, xj, y + ph);
            }
            for (std::int32_t j = 1; j <= wdiv - 1; ++j) {
                const float yj = y + static_cast<float>(j) * ph / static_cast<float>(wdiv);
                psline(dev, x, yj, x + pw, yj);
            }
        }
        psthick(dev, 1.0f);
        if (static_cast<float>(y0) <= a.yref && a.yref <= static_cast<float>(y1)) {
            pscolor(dev, std::array<int, 3>{0, 200, 0});
            const float xr = x + (a.yref - static_cast<float>(y0)) * win.xs;
            psline(dev, xr, y, xr, y + ph);
        }
        psblack(dev);
        if (a.zlwid >= 0.0f && wmin * wmax < 0.0f) {
            psthick(dev, a.zlwid);
            const float yz = y - wmin * win.scale[w - 1];
            psline(dev, x, yz, x + pw, yz);
        }
        psthick(dev, 0.5f);
        psrect(dev, x, y, pw, ph, 0);
        psthick(dev, 0.0f);

        std::int32_t j0 = 0;
        if (w > nw - nc && ps.xlabopt != 'n') {
            const std::int64_t nlab =
                (static_cast<std::int64_t>(ps.nxdiv) - ps.xlab0 + ps.xlabstep) / ps.xlabstep;
            for (std::int64_t i = 0; i < nlab; ++i) {
                const std::int64_t v = ps.xlab0 + i * ps.xlabstep;
                const float year = static_cast<float>(y0) +
                                   static_cast<float>((static_cast<std::int64_t>(y1) - y0) * v) /
                                       static_cast<float>(ps.nxdiv);
                const float xl = x + hy + static_cast<float>(v) * pw / static_cast<float>(ps.nxdiv);
                pstext(dev, 4, 0.0f, xl, y - 0.003f, 0.0f, size, n_2_c(year, xlabfmt));
            }
            if (wdiv > 1 && ps.xlab0 == 0) j0 = 1;
        }

        const std::string yfmt = getfmt(wmin, wmax, wdiv);
        for (std::int32_t j = j0; j <= wdiv; ++j) {
            const float value = wmin + (wmax - wmin) * static_cast<float>(j) / static_cast<float>(wdiv);
            const float yl = y + ph * static_cast<float>(j) / static_cast<float>(wdiv);
            pstext(dev, 8, 0.0f, x - 0.003f, yl, 0.0f, size, n_2_c(value, yfmt));
        }

        // Legends take their texts in list order, one running counter over all windows.
        const std::int32_t wc = win.wcount[w - 1];
        for (std::int32_t j = 1; j <= wc; ++j) {
            pscolor(dev, std::span<const int, 3>(a.rgb.subspan(3 * static_cast<std::size_t>(j - 1), 3)));
            const float xl = x + pw * static_cast<float>(j - 1) / static_cast<float>(wc);
            pstext(dev, -3, 0.0f, xl, y + ph + 0.003f, 0.0f, size, legends[next_legend++]);
        }
        psblack(dev);
    }

    std::string msg = draw_observations(dev, win, {a.nrec, a.ivar, a.iblk, a.iwin, a.obsspecs});

    for (std::size_t i = 0; i < a.runs.size() && i < kDashTab.size(); ++i) {
        const SeriesSpec& r = a.runs[i];
        if ((r.active & 1) == 0) break;
        const std::string path = field_text(r.path);
        const ComparisonRun run{path, names, a.iwin, a.cumul, a.nacc, a.lwid[i] * 1.6f, kDashTab[i]};
        if (plotcomp(dev, win, run) != 0) {
            // The page stays unfinished; what was drawn is kept.
            dev.keep_unfinished();
            throw Error(std::string("xplotcomp: Error in comparison plot") + i2str(static_cast<int>(i) + 1, 3));
        }
    }

    draw_current_run(dev, win,
                     {a.nrec, a.ivar, a.iblk, a.cumul, a.iwin, a.nacc, a.ivlab, a.lwid, a.rgb, a.n0, a.n1, a.time,
                      a.val});
    if (!psclose(dev, "none"))
        throw Error(std::string(kPrefix) + "Cannot write file " + std::string(trim_right(a.psfile)));
    return msg;
}

}  // namespace morvane
