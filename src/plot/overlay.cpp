// Observation overlay. The files are read by the observation preparation
// (comment and blank lines passed over, the time first, then the data
// columns; lines that cannot be read skipped), in the plot's drawn period.
#include "plot/overlay.hpp"

#include <array>
#include <vector>

#include "output/prepobs.hpp"
#include "util/error.hpp"

namespace morvane {

namespace {

void draw_triples(psdev& dev, const PlotWindows& win, int w, const SeriesSpec& r,
                  std::span<const ObsPoint> buf) {
    const float f = r.factor;
    const float sc = win.scale[w - 1];
    const float ybot = win.py[w - 1];
    auto x_of = [&](const ObsPoint& o) { return (o.time - static_cast<float>(win.y0)) * win.xs + win.px[w - 1]; };
    auto y_of = [&](const ObsPoint& o) { return (o.value * f - win.wmin[w - 1]) * sc + ybot; };

    psthick(dev, 1.0f);
    for (const ObsPoint& o : buf) {
        if (!(o.value2 > 0.0f)) continue;
        const float x = x_of(o), y = y_of(o);
        const float half = o.value2 * sc * f;
        psline(dev, x, y - half, x, y + half);
    }
    psthick(dev, 0.0f);

    const char style = r.opt;
    if (style == 'b' || style == 'w') psthick(dev, 0.5f);
    if (style == 'd' || style == 'b') psdash(dev, std::array<int, 4>{4, 2, 4, 2});
    int pen = -1;
    for (const ObsPoint& o : buf) psmark(dev, pen, x_of(o), y_of(o), std::string_view(&style, 1), ybot, 0.006f, 0);
    psreset(dev);
}

}  // namespace

std::string draw_observations(psdev& dev, const PlotWindows& win, const ObsOverlay& obs) {
    std::string msg;
    std::vector<ObsPoint> buf;
    for (std::int32_t s : obs.iblk) {
        for (std::size_t j = 0; j < obs.ivar.size(); ++j) {
            const std::int64_t col = obs.ivar[j] + (static_cast<std::int64_t>(s) - 1) * obs.nrec;
            const SeriesSpec& r = obs.obsspecs[col - 1];
            if ((r.active & 1) == 0) continue;
            const int w = obs.iwin[j];
            if (std::string_view(r.path, 8) == "1obsonly") {
                // The record's own observation: never compared with the period.
                buf.assign(1, {r.cval[0], r.cval[1], r.cval[2]});
            } else {
                ObsFile f;
                if (std::string m = message_of([&] { f = prepobs(r, -999.0f, win.y0 + win.iyoff, win.y1); }); !m.empty()) {
                    msg = std::move(m);  // "xFile  <name>  not found"
                    continue;
                }
                buf = std::move(f.points);
            }
            draw_triples(dev, win, w, r, buf);
        }
    }
    return msg;
}

}  // namespace morvane
