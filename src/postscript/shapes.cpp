// Markers, shapes and arrows.
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "postscript/emit.hpp"
#include "postscript/postscript.hpp"

namespace morvane {
namespace {

constexpr float kHalfPi = 1.5707964f;  // single-precision constants
constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr int kStrokeEvery = 1000;  // a line's path is stroked every this many points

void code(psdev& dev, const char* const (&codes)[3], int ifill) {
    std::string& b = dev.buffer();
    b += ' ';
    b += codes[ps::fill_index(ifill)];
    ps::end_line(dev);
}

}  // namespace

void pscircle(psdev& dev, float x, float y, float r, int ifill) {
    static constexpr const char* kCodes[3] = {"CS", "CF", "CC"};
    std::string& b = dev.buffer();
    ps::point(b, dev, x, y);
    ps::f(b, r, 8, 4);
    code(dev, kCodes, ifill);
}

void psrect(psdev& dev, float x, float y, float w, float h, int ifill) {
    static constexpr const char* kCodes[3] = {"RS", "RF", "RR"};
    std::string& b = dev.buffer();
    ps::f(b, h * dev.sy, 8, 4);
    ps::f(b, w * dev.sx, 8, 4);
    ps::point(b, dev, x, y);
    code(dev, kCodes, ifill);
}

void pstri(psdev& dev, std::span<const float, 3> xs, std::span<const float, 3> ys, int ifill) {
    static constexpr const char* kCodes[3] = {"TS", "TF", "TT"};
    for (int k = 0; k < 3; ++k) ps::point(dev.buffer(), dev, xs[k], ys[k]);
    code(dev, kCodes, ifill);
}

void psquad(psdev& dev, std::span<const float, 4> xs, std::span<const float, 4> ys, int ifill) {
    static constexpr const char* kCodes[3] = {"QS", "QF", "QQ"};
    for (int k = 0; k < 4; ++k) ps::point(dev.buffer(), dev, xs[k], ys[k]);
    code(dev, kCodes, ifill);
}

void psplus(psdev& dev, float x, float y, float hx, float hy) {
    const float xp = ps::map_x(dev, x);
    const float yp = ps::map_y(dev, y);
    std::string& b = dev.buffer();
    ps::f(b, xp - hx, 8, 4);
    ps::f(b, yp, 8, 4);
    b += " M";
    ps::f(b, 2.0f * hx, 8, 4);
    b += " 0 RL";
    ps::f(b, xp, 8, 4);
    ps::f(b, yp - hy, 8, 4);
    b += " M 0 ";
    ps::f(b, 2.0f * hy, 8, 4);
    b += " RL S";
    ps::end_line(dev);
}

void pscross(psdev& dev, float x, float y, float r) {
    // The corners in double precision around the mapped centre.
    const double d = static_cast<double>(r) / static_cast<double>(1.4142135f);
    const double xp = ps::map_x(dev, x);
    const double yp = ps::map_y(dev, y);
    std::string& b = dev.buffer();
    ps::f(b, xp - d, 8, 4);
    ps::f(b, yp - d, 8, 4);
    b += " M";
    ps::f(b, xp + d, 8, 4);
    ps::f(b, yp + d, 8, 4);
    b += " L";
    ps::f(b, xp + d, 8, 4);
    ps::f(b, yp - d, 8, 4);
    b += " M";
    ps::f(b, xp - d, 8, 4);
    ps::f(b, yp + d, 8, 4);
    b += " L S";
    ps::end_line(dev);
}

void psngon(psdev& dev, int n, float x, float y, float r, int ifill) {
    if (n < 2) return;  // no polygon below two corners
    const double a0 = -static_cast<double>(kHalfPi) - static_cast<double>(kPi) / n;
    const double step = static_cast<double>(kTwoPi) / n;
    std::array<float, 64> small_x{}, small_y{};
    std::vector<float> big_x, big_y;
    float* cx = small_x.data();
    float* cy = small_y.data();
    if (n > 64) {
        big_x.resize(n);
        big_y.resize(n);
        cx = big_x.data();
        cy = big_y.data();
    }
    for (int k = 1; k <= n; ++k) {
        const double a = a0 + step * k;
        cx[k - 1] = static_cast<float>(std::cos(a)) * r + x;
        cy[k - 1] = static_cast<float>(std::sin(a)) * r + y;
    }
    const std::span<const float> px(cx, n), py(cy, n);
    pspoly(dev, px, py, ifill < 2 ? 1 : ifill);
    if (ifill > 2) {
        ps::line(dev, "GS 0 SG");
        pspoly(dev, px, py, 1);
        ps::line(dev, "GR");
    }
}

void psarrow(psdev& dev, float x1, float y1, float x2, float y2, float headlength, float headhalfwidth,
             float shafthalfwidth, int ifill) {
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float phi = kHalfPi - std::atan2(dx, dy);
    const float c = std::cos(phi);
    const float s = std::sin(phi);
    const double len = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
    // The distance from the tail to the head's base, kept as a 32-bit real
    // like the corners built from it.
    const float q = static_cast<float>(len - headlength);
    psmove(dev, x2, y2);
    psdraw(dev, x1 + c * q - s * headhalfwidth, y1 + s * q + c * headhalfwidth);
    psdraw(dev, x1 + c * q - s * shafthalfwidth, y1 + s * q + c * shafthalfwidth);
    psdraw(dev, x1 - s * shafthalfwidth, y1 + c * shafthalfwidth);
    psdraw(dev, x1 + s * shafthalfwidth, y1 - c * shafthalfwidth);
    psdraw(dev, x1 + c * q + s * shafthalfwidth, y1 + s * q - c * shafthalfwidth);
    psdraw(dev, x1 + c * q + s * headhalfwidth, y1 + s * q - c * headhalfwidth);
    ps::line(dev, ifill > 0 ? "CP F" : "CP S");
}

void psmark(psdev& dev, int& ipen, float x, float y, std::string_view style, float y2, float size, int ifill) {
    const char c = style.empty() ? ' ' : style[0];
    switch (c) {
        case 's': case 'w': case 'd': case 'b': case 'f':
            if (ipen != 0) dev.npoint = 0;
            ++dev.npoint;
            pspen(dev, ipen, x, y);
            // The long path is stroked and the next point starts a new one
            // with a moveto; the segment joining the two is not drawn.
            if (dev.npoint % kStrokeEvery == 0) {
                psstroke(dev);
                ipen = 1;
            }
            return;
        case '3': case '4': case '5': case '6': case '7': case '8': case '9':
            psngon(dev, c - '0', x, y, size, ifill);
            return;
        case 'o':
            pscircle(dev, x, y, size, ifill);
            return;
        case 'c':
            psplus(dev, x, y, size, size);
            return;
        case 'x':
            pscross(dev, x, y, size);
            return;
        case 'n': {
            const float h = size * 1.7320508f * 0.5f;
            const float xs[3] = {x - h, x, x + h};
            const float ys[3] = {y + size / 2.0f, y - size, y + size / 2.0f};
            pstri(dev, xs, ys, ifill);
            return;
        }
        case 'q':
            psrect(dev, x - size, y - size, 2.0f * size, 2.0f * size, ifill);
            return;
        case 'v': {
            const float xs[4] = {x - size, x, x + size, x};
            const float ys[4] = {y, y - size, y, y + size};
            psquad(dev, xs, ys, ifill);
            return;
        }
        case 'l':
            psline(dev, x, y, x, y2);
            return;
        case 't': {
            const float h = size * 1.7320508f * 0.5f;
            const float xs[3] = {x - h, x, x + h};
            const float ys[3] = {y - size / 2.0f, y + size, y - size / 2.0f};
            pstri(dev, xs, ys, ifill);
            return;
        }
        default:
            return;
    }
}

}  // namespace morvane
