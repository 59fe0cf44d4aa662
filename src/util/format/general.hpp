// G editing of REAL items in one pass, inside the formatted-output engine:
// the path of the data lines of monitoring files, inline for the record
// writer and the monitoring-file writer alike.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "util/format/digits.hpp"
#include "util/format/fields.hpp"
#include "util/format/pow10.hpp"

namespace morvane::fmt::detail {

// The limits of general_form for a REAL item and d = 1..9, tabulated: the
// lower limit, 10^d, and the limits 10^s * r of s + 1 digits before the point.
struct SingleLimits {
    float low = 0, exp_d = 0;
    std::array<float, 9> lim{};
};
constexpr std::array<SingleLimits, 10> make_single_limits() {
    std::array<SingleLimits, 10> t{};
    for (std::size_t d = 1; d < t.size(); ++d) {
        const float r = 1.0f - 0.5f / kPow10f[d];
        t[d].low = static_cast<float>(0.1 * static_cast<double>(r));
        t[d].exp_d = kPow10f[d];
        for (std::size_t s = 0; s < d; ++s) t[d].lim[s] = kPow10f[s] * r;
    }
    return t;
}
inline constexpr std::array<SingleLimits, 10> kSingleLimits = make_single_limits();

// G editing of a normal REAL item in one pass: no scale factor, d <= 9,
// w <= 64 (the fields of monitoring files), written to p[0..w). The F form
// rounds |v| * 10^dec, which is exact in double (24 + 21 bits). The E form
// estimates |v| * 10^(d-1-k) in double (the tabulated powers of ten are within
// 5e-16 of the exact ones, so the estimate, below 10^9, is within 1e-6 of the
// exact product) and rounds it; only when that lies within 1e-5 of a tie does
// the exact integer rounding decide. Returns false when the general path must
// do the work.
// W and D, when not 0, fix w and d at compile time (G13.5, the default of
// monitoring files, is worth its own instance); Plain fixes e = 0 and no plus
// sign, as the data lines of monitoring files have them.
template <int W = 0, int D = 0, bool Plain = false>
bool general_single_fast(char* p, float v, int w_, int d_, int e_, bool plus_) {
    const int w = W ? W : w_, d = D ? D : d_;
    const int e = Plain ? 0 : e_;
    const bool plus = Plain ? false : plus_;
    if (d < 1 || d > 9 || w > 64) return false;
    const float m = std::fabs(v);
    if (!(m >= std::numeric_limits<float>::min() && m <= std::numeric_limits<float>::max())) return false;
    const SingleLimits& L = kSingleLimits[static_cast<std::size_t>(d)];
    const char sign = std::signbit(v) ? '-' : (plus ? '+' : '\0');
    const int sl = sign ? 1 : 0;
    std::memset(p, ' ', static_cast<std::size_t>(w));
    if (m >= L.low && 0.5f < L.exp_d - m) {
        int s = 0;  // a fixed count of comparisons, no early exit: fewer mispredictions
        for (int t = 0; t < d; ++t) s += m >= L.lim[static_cast<std::size_t>(t)] ? 1 : 0;
        const int dec = d - s;
        const double y = static_cast<double>(m) * kPow10d[dec];
        auto q = static_cast<std::uint64_t>(y);
        const double frac = y - static_cast<double>(q);
        if (frac > 0.5 || (frac == 0.5 && (q & 1))) ++q;
        int ni = s;  // digits before the point: s, or one fewer or more after rounding
        if (ni > 0 && q < kPow10u[dec + ni - 1])
            --ni;
        else if (q >= kPow10u[dec + ni])
            ++ni;
        const int wf = w - (e > 0 ? e + 2 : 4);  // the F form, then blanks
        const int need = sl + ni + 1 + dec;
        const bool zero = ni == 0 && need + 1 <= wf;
        if (wf <= 0 || need > wf) {
            std::memset(p, '*', static_cast<std::size_t>(w));
            return true;
        }
        char* c = p + wf;
        auto q32 = static_cast<std::uint32_t>(q);  // q <= 10^9
        c = put_digits_back(c, q32, dec);
        *--c = '.';
        c = put_digits_back(c, q32, ni);
        if (zero) *--c = '0';
        if (sign) c[-1] = sign;
        return true;
    }
    // E form: [sign][0].D1..Dd and the exponent.
    std::uint32_t bits;
    std::memcpy(&bits, &m, 4);
    int k = ((static_cast<int>(bits >> 23) - 127) * 78913) >> 18;  // floor(log10 m) or one less
    double y = static_cast<double>(m) * kPow10d[d - 1 - k];
    if (y >= static_cast<double>(kPow10u[d])) {
        ++k;
        y = static_cast<double>(m) * kPow10d[d - 1 - k];
    }
    auto q = static_cast<std::uint64_t>(y);
    const double frac = y - static_cast<double>(q);
    if (std::fabs(frac - 0.5) < 1e-5) {
        if (!scaled_round(static_cast<double>(m), d - 1 - k, q)) return false;
    } else if (frac > 0.5) {
        ++q;
    }
    if (q >= kPow10u[d]) {  // rounded up to the next power of ten
        q /= 10;
        ++k;
    }
    const int x = k + 1;
    char et[24];
    const int ne = e == 0 ? 4 : exponent_text(et, x, e, 'E');  // |x| <= 39 for a REAL
    const int need = sl + 1 + d + ne;
    if (ne < 0 || need > w) {
        std::memset(p, '*', static_cast<std::size_t>(w));
        return true;
    }
    char* c = p + w - ne;
    if (e == 0) {
        const int ax = x < 0 ? -x : x;
        c[0] = 'E';
        c[1] = x < 0 ? '-' : '+';
        c[2] = static_cast<char>('0' + ax / 10);
        c[3] = static_cast<char>('0' + ax % 10);
    } else {
        std::memcpy(c, et, static_cast<std::size_t>(ne));
    }
    auto q32 = static_cast<std::uint32_t>(q);  // q < 10^9
    c = put_digits_back(c, q32, d);
    *--c = '.';
    if (need + 1 <= w) *--c = '0';
    if (sign) c[-1] = sign;
    return true;
}

// The data lines' instance (Iw,nGw.d): e = 0, no plus sign, kept out of line
// so that the loop over a record's items stays small.
template <int W = 0, int D = 0>
[[gnu::noinline]] bool general_single_plain(char* p, float v, int w, int d) {
    return general_single_fast<W, D, true>(p, v, w, d, 0, false);
}

// The one-pass G editing of a REAL item appended to out; false when it
// cannot be used (out is then unchanged).
inline bool general_single_quick(std::string& out, float v, int w, int d, int e, bool plus) {
    char buf[64];
    if (w < 1) return false;
    if (e == 0 && w == 13 && d == 5) {
        if (!general_single_fast<13, 5>(buf, v, w, d, e, plus)) return false;
        out.append(buf, 13);
        return true;
    }
    if (w > 64 || !general_single_fast(buf, v, w, d, e, plus)) return false;
    out.append(buf, static_cast<std::size_t>(w));
    return true;
}

// G editing of a REAL or DOUBLE PRECISION item (Gw.d[Ee], kP, SP; G0 and
// G0.d as the reference runtime writes them). False, writing nothing, when
// the E form is needed and the scale factor is out of range for it.
bool general_field(std::string& out, float v, const FieldSpec& spec);
bool general_field(std::string& out, double v, const FieldSpec& spec);

}  // namespace morvane::fmt::detail
