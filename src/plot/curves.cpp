// Curves of the current run and of comparison runs.
#include "plot/curves.hpp"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "plot/thinning.hpp"
#include "util/freeform.hpp"
#include "util/ospath.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textreader.hpp"

namespace morvane {

void CurvePoints::thin() {
    const auto m = static_cast<std::int32_t>(x.size());
    keep.resize(std::max<std::size_t>(x.size(), 1));
    const std::int32_t n = doupeu(1, 1, m, x, y, kThinTol, keep);
    // The kept indices increase and are never below their slot: compact in place.
    for (std::int32_t i = 0; i < n; ++i) {
        x[i] = x[keep[i] - 1];
        y[i] = y[keep[i] - 1];
    }
    x.resize(n);
    y.resize(n);
}

CurveShape curve_shape(std::span<const float> y, float ybot, float ytop) {
    if (y.empty() || std::all_of(y.begin(), y.end(), [&](float v) { return v > ytop; }))
        return CurveShape::up_arrow;
    if (std::all_of(y.begin(), y.end(), [&](float v) { return v < ybot; })) return CurveShape::down_arrow;
    return CurveShape::polyline;
}

ArrowGeometry current_arrow(const PlotWindows& win, int w, std::int32_t n) {
    const float x = win.px[w - 1] + static_cast<float>(n) * win.pw / static_cast<float>(win.wcount[w - 1] + 1);
    return {x, 0.3f * win.ph, 0.07f * win.ph, 0.03f * win.pw, 0.01f * win.pw};
}

ArrowGeometry comparison_arrow(const PlotWindows& win, int w) {
    return {win.px[w - 1] + 0.5f * win.pw, 0.2f * win.ph, 0.05f * win.ph, 0.01f * win.pw, 0.0f};
}

void draw_arrow(psdev& dev, const PlotWindows& win, int w, const ArrowGeometry& a, bool up) {
    const float ybot = win.py[w - 1];
    const float ytop = ybot + win.ph;
    if (up)
        psarrow(dev, a.x, ytop - a.length, a.x, ytop, a.head, a.headhalf, a.shafthalf, 0);
    else
        psarrow(dev, a.x, ybot + a.length, a.x, ybot, a.head, a.headhalf, a.shafthalf, 0);
}

std::string value_label(float value, std::int32_t nblk, std::int32_t iblk) {
    std::string field = n_2_c(value, "(g12.4)");
    if (nblk <= 1) return field;
    std::string text = i2str(iblk, 2) + ":" + field;
    if (text.size() > 64) text.resize(64);
    return text;
}

namespace {

// The names of a heading line: the line cut to 512 characters, split at
// blanks, tabs, commas and zero bytes into names of 8 characters.
std::vector<std::string> heading_names(std::string_view heading) {
    const std::string h = fit(heading, 512);
    static constexpr char kDelims[] = {' ', ',', '\t', '\0'};
    return splititems(h, nitems(h), 8, ' ', std::string_view(kDelims, sizeof kDelims));
}

}  // namespace

int plotcomp(psdev& dev, const PlotWindows& win, const ComparisonRun& run) {
    std::optional<TextReader> rd = TextReader::open(std::string(run.path));
    if (!rd) return 1;

    // The heading is the last of the leading comment lines (the first line
    // when there is none); a file with nothing after them has no data.
    std::string_view line;
    std::string heading;  // a copy: the reader's view of it ends with the next line
    bool comments = false, data = false;
    while (rd->next(line)) {
        if (!line.empty() && line.front() == '!') {
            heading.assign(line.substr(0, 512));
            comments = true;
        } else {
            data = true;
            break;
        }
    }
    if (!data) return 1;
    if (!comments) heading.assign(line.substr(0, 512));
    const std::size_t first_length = line.size() + 1;
    rd->back();

    // Item number (1-based) of each plotted variable's value in a data line:
    // the counter and the time come first; 0 for a name not in the heading.
    const std::vector<std::string> names = heading_names(heading);
    const std::size_t nv = run.names.size();
    std::vector<int> item(nv, 0);
    int max_item = 2;
    for (std::size_t k = 0; k < nv; ++k) {
        int p = 0;
        if (cvecfind(std::span<const std::string>(names), run.names[k], p)) {
            item[k] = std::max(p, 3);
            max_item = std::max(max_item, item[k]);
        }
    }

    // One pass over the data lines serves every variable. A line that cannot
    // be read up to a variable's value is passed over for that variable.
    std::vector<CurvePoints> curves(nv);
    // Room for a point of every data line, guessed from the file's size and
    // the first data line's length (at most 4M points a curve), so that the
    // curves of a long run do not grow by copying.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(os_path(run.path), ec);
    const std::size_t room = ec ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size / first_length + 1, 1u << 22));
    for (std::size_t k = 0; k < nv; ++k)
        if (item[k] != 0) curves[k].x.reserve(room), curves[k].y.reserve(room);
    std::vector<Accumulator> accs;
    accs.reserve(nv);
    for (std::size_t k = 0; k < nv; ++k) accs.emplace_back(run.nacc, (run.cumul[k] & 1) != 0);
    std::vector<float> items(static_cast<std::size_t>(max_item));
    while (rd->next(line)) {
        ListReader r(line);
        std::fill(items.begin(), items.end(), 0.0f);  // a null item reads as 0
        std::size_t done = 0;
        r.read(std::span<float>(items), done);
        const int n = static_cast<int>(done);
        if (n < 2) continue;
        const float t = items[1];
        if (!win.in_period(t)) continue;
        for (std::size_t k = 0; k < nv; ++k) {
            if (item[k] == 0 || n < item[k]) continue;
            const int w = run.iwin[k];
            const float a = accs[k].add(items[item[k] - 1]);
            curves[k].x.push_back(win.map_x(t, w));
            curves[k].y.push_back(win.map_y(a, w));
        }
    }
    if (rd->failed()) return 1;  // nothing of this run is drawn

    for (std::size_t k = 0; k < nv; ++k) {
        if (item[k] == 0) continue;
        const int w = run.iwin[k];
        CurvePoints& c = curves[k];
        c.thin();
        const CurveShape shape = curve_shape(c.y, win.py[w - 1], win.py[w - 1] + win.ph);
        if (shape == CurveShape::polyline) {
            psdash(dev, run.dash);
            psthick(dev, run.lwid);
            pspoly(dev, c.x, c.y, 0);
        } else {
            psnodash(dev);
            psthick(dev, 0.0f);
            draw_arrow(dev, win, w, comparison_arrow(win, w), shape == CurveShape::up_arrow);
        }
        c = CurvePoints{};  // release as we go
    }
    psreset(dev);
    return 0;
}

void draw_current_run(psdev& dev, const PlotWindows& win, const CurrentRun& run) {
    std::array<std::int32_t, kMaxWindows> counter{};
    const std::int64_t ld = static_cast<std::int64_t>(run.n1) - run.n0 + 1;
    const std::size_t nblk = run.iblk.size();
    CurvePoints c;
    for (std::size_t s = 0; s < nblk; ++s) {
        for (std::size_t j = 0; j < run.ivar.size(); ++j) {
            const int w = run.iwin[j];
            const std::int64_t col = run.ivar[j] + (static_cast<std::int64_t>(run.iblk[s]) - 1) * run.nrec;
            const float* v = run.val + (col - 1) * ld;
            const std::int32_t n = ++counter[w - 1];

            Accumulator acc(run.nacc, (run.cumul[j] & 1) != 0);
            float sum = 0.0f;
            std::int32_t m = 0;
            c.clear();
            for (std::size_t k = 0; k < run.time.size(); ++k) {
                const float t = run.time[k];
                if (!win.in_period(t)) continue;
                const float a = acc.add(v[k]);
                sum += v[k];
                ++m;
                c.x.push_back(win.map_x(t, w));
                c.y.push_back(win.map_y(a, w));
            }
            c.thin();

            const std::int32_t ci = (n - 1) % 9 + 1;
            pscolor(dev, std::span<const int, 3>(run.rgb.subspan(3 * (ci - 1), 3)));
            const CurveShape shape = curve_shape(c.y, win.py[w - 1], win.py[w - 1] + win.ph);
            if (shape == CurveShape::polyline) {
                psthick(dev, run.lwid[ci - 1]);
                pspoly(dev, c.x, c.y, 0);
            } else {
                psthick(dev, 0.0f);
                draw_arrow(dev, win, w, current_arrow(win, w, n), shape == CurveShape::up_arrow);
            }

            if (run.ivlab < -1) continue;
            // With no used point the mean is 0/0, written as the format writes a NaN.
            const float value = run.ivlab == -1  ? acc.last()
                                : run.ivlab == 0 ? sum / static_cast<float>(m)
                                                 : sum / static_cast<float>(run.ivlab);
            const float lx = win.px[w - 1] + win.pw - 0.003f;
            const float ly = win.py[w - 1] + win.ph - 0.003f - static_cast<float>(n - 1) * 1.2f * 0.012f;
            pstext(dev, -7, 0.0f, lx, ly, 0.0f, 0.012f,
                   value_label(value, static_cast<std::int32_t>(nblk), run.iblk[s]));
        }
    }
}

}  // namespace morvane
