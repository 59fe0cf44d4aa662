// Observation overlay. The files are read here with the rules of the
// observation preparation (comment and blank lines passed over, the time
// first, then the data columns), in the plot's drawn period.
#include "plot/overlay.hpp"

#include <algorithm>
#include <optional>

#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/textfile.hpp"

namespace morvane {

bool read_obs_line(std::string_view line, std::int32_t icol1, std::int32_t icol2, ObsTriple& out) {
    line = line.substr(0, 1024);  // lines are read as 1024 characters
    if (!line.empty() && line.front() == '!') return false;
    if (is_blank(line)) return false;
    const bool with_error = nitems(line) >= static_cast<std::int64_t>(icol2) + 1 && icol2 > icol1;
    ListReader r(line);
    float skip = 0.0f;
    auto skip_n = [&](std::int64_t n) {
        for (std::int64_t i = 0; i < n; ++i)
            if (r.read(skip) != ReadStatus::ok) return false;
        return true;
    };
    ObsTriple o;
    if (r.read(o.t) != ReadStatus::ok || !skip_n(static_cast<std::int64_t>(icol1) - 1) ||
        r.read(o.v) != ReadStatus::ok)
        return false;
    if (with_error && (!skip_n(static_cast<std::int64_t>(icol2) - icol1 - 1) || r.read(o.e) != ReadStatus::ok))
        return false;
    out = o;
    return true;
}

void read_obs_lines(TextReader& rd, std::int32_t icol1, std::int32_t icol2, const PlotWindows& win,
                    std::vector<ObsTriple>& buf) {
    std::string_view line;
    while (rd.next(line)) {
        ObsTriple o;
        if (!read_obs_line(line, icol1, icol2, o)) continue;  // unreadable lines are skipped too
        if (o.v == -999.0f || !win.in_period(o.t)) continue;
        buf.push_back(o);
    }
}

namespace {

void draw_triples(psdev& dev, const PlotWindows& win, int w, const SeriesSpec& r,
                  std::span<const ObsTriple> buf) {
    const float f = r.factor;
    const float sc = win.scale[w - 1];
    const float ybot = win.py[w - 1];
    auto x_of = [&](const ObsTriple& o) { return (o.t - static_cast<float>(win.y0)) * win.xs + win.px[w - 1]; };
    auto y_of = [&](const ObsTriple& o) { return (o.v * f - win.wmin[w - 1]) * sc + ybot; };

    psthick(dev, 1.0f);
    for (const ObsTriple& o : buf) {
        if (!(o.e > 0.0f)) continue;
        const float x = x_of(o), y = y_of(o);
        const float half = o.e * sc * f;
        psline(dev, x, y - half, x, y + half);
    }
    psthick(dev, 0.0f);

    const char style = r.opt;
    if (style == 'b' || style == 'w') psthick(dev, 0.5f);
    if (style == 'd' || style == 'b') psdash(dev, std::array<int, 4>{4, 2, 4, 2});
    int pen = -1;
    for (const ObsTriple& o : buf) psmark(dev, pen, x_of(o), y_of(o), std::string_view(&style, 1), ybot, 0.006f, 0);
    psreset(dev);
}

}  // namespace

std::string draw_observations(psdev& dev, const PlotWindows& win, const ObsOverlay& obs) {
    std::string msg;
    std::vector<ObsTriple> buf;
    for (std::int32_t s : obs.iblk) {
        for (std::size_t j = 0; j < obs.ivar.size(); ++j) {
            const std::int64_t col = obs.ivar[j] + (static_cast<std::int64_t>(s) - 1) * obs.nrec;
            const SeriesSpec& r = obs.obsspecs[col - 1];
            if ((r.active & 1) == 0) continue;
            const int w = obs.iwin[j];
            buf.clear();
            const std::string_view path(r.path, sizeof r.path);
            if (path.substr(0, 8) == "1obsonly") {
                // The record's own observation: never compared with the period.
                buf.push_back({r.cval[0], r.cval[1], r.cval[2]});
            } else {
                const std::string name(trim_right(tidy(byte2str(r.path, sizeof r.path))));
                std::optional<TextReader> rd = file_exists(name) ? TextReader::open(name) : std::nullopt;
                if (!rd) {
                    msg = message_text("xFile  " + name + "  not found");
                    continue;
                }
                read_obs_lines(*rd, r.icol1, r.icol2, win, buf);
            }
            draw_triples(dev, win, w, r, buf);
        }
    }
    return msg;
}

}  // namespace morvane
