// Paths, line styles and colours.
#include <cstddef>
#include <span>

#include "postscript/emit.hpp"
#include "postscript/postscript.hpp"

namespace morvane {
namespace {
constexpr double kLevel = 1.0 / 255.0;  // colour level 0..255 to 0..1
}  // namespace

void psmove(psdev& dev, float x, float y) {
    ps::point(dev.buffer(), dev, x, y);
    ps::line(dev, " M");
}

void psdraw(psdev& dev, float x, float y) {
    ps::point(dev.buffer(), dev, x, y);
    ps::line(dev, " L");
}

void pspen(psdev& dev, int& ipen, float x, float y) {
    if (ipen != 0) {
        psmove(dev, x, y);
        ipen = 0;
    } else {
        psdraw(dev, x, y);
    }
}

void psline(psdev& dev, float x1, float y1, float x2, float y2) {
    std::string& b = dev.buffer();
    ps::point(b, dev, x1, y1);
    b += " M";
    ps::point(b, dev, x2, y2);
    ps::line(dev, " L S");
}

void pspoly(psdev& dev, std::span<const float> x, std::span<const float> y, int mode) {
    const std::size_t m = x.size() < y.size() ? x.size() : y.size();
    if (m < 2) return;
    // The first line holds 1 to 4 points, every further line exactly 4.
    std::size_t r = m % 4;
    if (r == 0) r = 4;
    std::string& b = dev.buffer();
    ps::point(b, dev, x[0], y[0]);
    b += " M";
    for (std::size_t k = 1; k < r; ++k) {
        ps::point(b, dev, x[k], y[k]);
        b += " L";
    }
    b += '\n';
    for (std::size_t k = r; k < m; k += 4) {
        for (std::size_t j = k; j < k + 4; ++j) {
            ps::point(b, dev, x[j], y[j]);
            b += " L";
        }
        b += '\n';
        dev.writer().maybe_flush();
    }
    if (mode == 0)
        b += "S\n";
    else if (mode == 1)
        b += "CP S\n";
    else if (mode > 1)
        b += "CP F\n";
    dev.writer().maybe_flush();
}

void psstroke(psdev& dev) { ps::line(dev, "S"); }

void psreset(psdev& dev) { ps::line(dev, "S 0.12 Th [] 0 setdash 0 SG"); }

void psthick(psdev& dev, float t) {
    const double width = t <= 0.24f ? 0.24 : static_cast<double>(t);
    ps::f(dev.buffer(), width, 8, 5);
    ps::line(dev, " Th");
}

void psdash(psdev& dev, std::span<const int, 4> d) {
    if (d[0] == 0) {
        psnodash(dev);
        return;
    }
    std::string& b = dev.buffer();
    for (int k = 0; k < 4; ++k) {
        b += "dA ";
        b += static_cast<char>('0' + k);
        ps::i(b, d[k], 3);
        b += k < 3 ? " Da " : " Da";
    }
    ps::line(dev, " dA 0 setdash");
}

void psnodash(psdev& dev) { ps::line(dev, "[] 0 setdash"); }

void psgray(psdev& dev, int g) {
    if (g <= 0) {
        ps::line(dev, "0 SG");
    } else if (g >= 255) {
        ps::line(dev, "1 SG");
    } else {
        ps::f(dev.buffer(), g * kLevel, 5, 3);
        ps::line(dev, " SG");
    }
}

void pscolor(psdev& dev, std::span<const int, 3> rgb) {
    if (rgb[1] == rgb[0] && rgb[2] == rgb[0]) {
        psgray(dev, rgb[0]);
        return;
    }
    std::string& b = dev.buffer();
    for (int c : rgb) ps::f(b, c * kLevel, 6, 3);
    ps::line(dev, " RGB");
}

void psblack(psdev& dev) { ps::line(dev, "0 SG"); }

}  // namespace morvane
