// Curves of a plot page: the current run's series from the caller's arrays and
// the series of earlier runs read back from their monitoring files. Both map
// (time, value) to page units of their window, optionally sum the values over
// groups of steps, thin the polyline and show a curve that lies wholly above
// or below its window as an arrow at the window's edge.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "morvane.h"
#include "postscript/postscript.hpp"

namespace morvane {

inline constexpr int kMaxWindows = 25;
inline constexpr int kMaxPerWindow = 9;
inline constexpr float kThinTol = 0.0005f;

// The page's window table and time scale (windows are numbered from 1; the
// arrays are indexed w - 1). py is the page height of a pane's lower edge.
struct PlotWindows {
    std::array<std::int32_t, kMaxWindows> wcount{};
    std::array<float, kMaxWindows> wmin{};
    std::array<float, kMaxWindows> wmax{};
    std::array<std::int32_t, kMaxWindows> wdiv{};
    std::array<float, kMaxWindows> scale{};
    std::array<float, kMaxWindows> px{};
    std::array<float, kMaxWindows> py{};
    float pw = 0.0f, ph = 0.0f;  // pane width and height
    float xs = 0.0f;             // page units per year
    std::int32_t y0 = 0, y1 = 0, iyoff = 0;

    // Whether a time lies in the drawn period Y0 + IYOFF .. Y1 (bounds included).
    bool in_period(float t) const {
        return static_cast<float>(y0 + iyoff) <= t && t <= static_cast<float>(y1);
    }
    float map_x(float t, int w) const { return (t - static_cast<float>(y0)) * xs + px[w - 1]; }
    float map_y(float a, int w) const { return (a - wmin[w - 1]) * scale[w - 1] + py[w - 1]; }
};

// The plotted value of a series: with cumul the running sum of the values
// since the last multiple of nacc used points, else the value itself.
class Accumulator {
public:
    Accumulator(std::int32_t nacc, bool cumul) : nacc_(nacc), cumul_(cumul) {}
    float add(float v) {
        if (used_ % nacc_ == 0) acc_ = 0.0f;
        ++used_;
        acc_ = cumul_ ? acc_ + v : v;
        return acc_;
    }
    float last() const { return acc_; }

private:
    std::int32_t nacc_;
    bool cumul_;
    std::int32_t used_ = 0;
    float acc_ = 0.0f;
};

// A curve in page units; thin() keeps the points that matter at tolerance 0.0005.
struct CurvePoints {
    std::vector<float> x, y;
    std::vector<std::int32_t> keep;  // scratch of the thinning
    void clear() { x.clear(); y.clear(); }
    void thin();
};

enum class CurveShape { polyline, up_arrow, down_arrow };

// How a thinned curve is shown: an up arrow when no point is left or every
// point lies above ytop, a down arrow when every point lies below ybot.
CurveShape curve_shape(std::span<const float> y, float ybot, float ytop);

// An arrow at a window's edge: its x, length, head length and half-widths.
struct ArrowGeometry {
    float x, length, head, headhalf, shafthalf;
};
ArrowGeometry current_arrow(const PlotWindows& win, int w, std::int32_t n);  // curve counter n
ArrowGeometry comparison_arrow(const PlotWindows& win, int w);
// Draws the outlined arrow, its head at the upper or the lower edge of window w.
void draw_arrow(psdev& dev, const PlotWindows& win, int w, const ArrowGeometry& a, bool up);

// The value label of a current-run curve: the value under "(g12.4)" in 16
// characters, behind "ib:" (the block number in 2 characters) when nblk > 1.
std::string value_label(float value, std::int32_t nblk, std::int32_t iblk);

// Dash patterns of the comparison runs 1 to 9.
inline constexpr std::array<std::array<int, 4>, 9> kDashTab = {{
    {4, 2, 4, 2}, {3, 1, 3, 1}, {4, 1, 1, 1}, {6, 3, 6, 3}, {1, 1, 1, 1},
    {5, 1, 2, 1}, {2, 1, 1, 1}, {6, 1, 1, 1}, {0, 0, 0, 0},
}};

// One comparison run: the plotted variables by name and window.
struct ComparisonRun {
    std::string_view path;                  // monitoring file
    std::span<const std::string> names;     // the plotted variables' names (8 characters)
    std::span<const std::int32_t> iwin;     // their windows
    std::span<const std::int32_t> cumul;    // logicals
    std::int32_t nacc = 1;
    float lwid = 0.0f;
    std::array<int, 4> dash{};
};

// Draws the run's curves (dashed, black) from its monitoring file, found by
// the names of the file's heading line; a variable not in the heading is left
// out. 0 on success; 1 when the file is missing or unreadable, or holds no
// line after its comment lines.
int plotcomp(psdev& dev, const PlotWindows& win, const ComparisonRun& run);

// The current run, as the driver passes it.
struct CurrentRun {
    std::int32_t nrec = 0;
    std::span<const std::int32_t> ivar, iblk, cumul, iwin;
    std::int32_t nacc = 1, ivlab = -2;
    std::span<const float> lwid;    // 9 widths
    std::span<const std::int32_t> rgb;  // 3 x 9 levels
    std::int32_t n0 = 1, n1 = 0;
    std::span<const float> time;    // NT times
    const float* val = nullptr;     // VAL(N0:N1, *)
};

// Draws the curves of all blocks and variables with their value labels.
void draw_current_run(psdev& dev, const PlotWindows& win, const CurrentRun& run);

}  // namespace morvane
