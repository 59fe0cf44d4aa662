// Helpers of the drawing layer: fixed-width number fields appended to the
// device's buffer, and the mapping from user to page units.
#pragma once

#include <string>
#include <string_view>

#include "postscript/postscript.hpp"
#include "util/format.hpp"

namespace morvane::ps {

inline float map_x(const psdev& d, float x) { return d.ox + d.sx * x; }
inline float map_y(const psdev& d, float y) { return d.oy + d.sy * y; }

// Fixed-point field Fw.d of a 32-bit real or a double.
inline void f(std::string& b, float v, int w, int d) { fmt::put_fixed(b, v, w, d); }
inline void f(std::string& b, double v, int w, int d) { fmt::put_fixed(b, v, w, d); }
inline void i(std::string& b, long long v, int w) { fmt::put_int(b, v, w); }

// A mapped point as 2f8.4.
inline void point(std::string& b, const psdev& d, float x, float y) {
    fmt::put_fixed(b, map_x(d, x), 8, 4);
    fmt::put_fixed(b, map_y(d, y), 8, 4);
}

// Appends one line and lets the writer flush a full buffer.
inline void line(psdev& d, std::string_view text) {
    std::string& b = d.buffer();
    b.append(text);
    b.push_back('\n');
    d.writer().maybe_flush();
}

// Ends the line built in the buffer.
inline void end_line(psdev& d) {
    d.buffer().push_back('\n');
    d.writer().maybe_flush();
}

// Fill-code suffix of the closed shapes: 0 and below outline, 1 fill, 2 and above both.
inline int fill_index(int ifill) { return ifill <= 0 ? 0 : (ifill >= 2 ? 2 : 1); }

}  // namespace morvane::ps
