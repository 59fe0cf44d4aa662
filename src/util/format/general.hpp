// G editing of REAL items in one pass, inside the formatted-output engine:
// the path of the data lines of monitoring files, inline for the record
// writer and the monitoring-file writer alike.
#pragma once

#include <array>
#include <bit>
#include <cfloat>
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

// The four-digit texts 0000 .. 9999, the first digit in the lowest byte.
constexpr std::array<std::uint32_t, 10000> make_digit_quads() {
    std::array<std::uint32_t, 10000> t{};
    for (std::uint32_t i = 0; i < 10000; ++i)
        t[i] = (std::uint32_t('0' + i / 1000)) | (std::uint32_t('0' + i / 100 % 10) << 8) |
               (std::uint32_t('0' + i / 10 % 10) << 16) | (std::uint32_t('0' + i % 10) << 24);
    return t;
}
inline constexpr std::array<std::uint32_t, 10000> kDigitQuads = make_digit_quads();

// The five digits of q < 10^5 as text, the first in the lowest byte.
[[gnu::always_inline]] inline std::uint64_t five_digits(std::uint32_t q) {
    const std::uint32_t hi = q / 10000;
    return (std::uint64_t{'0'} + hi) | (std::uint64_t{kDigitQuads[q - hi * 10000]} << 8);
}

// The point put into five digits after s of them (s = 0 .. 5): the digits
// kept in place (mask), the point, the digits moved up by one character.
struct PointAt {
    std::uint64_t keep, point;
};
constexpr std::array<PointAt, 6> make_point_at() {
    std::array<PointAt, 6> t{};
    for (int s = 0; s < 6; ++s) t[static_cast<std::size_t>(s)] = {(std::uint64_t{1} << (8 * s)) - 1, std::uint64_t{'.'} << (8 * s)};
    return t;
}
inline constexpr std::array<PointAt, 6> kPointAt = make_point_at();

// The two characters before the F form's six in a G13.5 field: blank or
// sign, blank or the zero of a number below 1; by (s == 0) * 2 + sign.
inline constexpr std::uint16_t kG13Prefix[4] = {0x2020, 0x2D20, 0x3020, 0x302D};

// The exponent parts E-39 .. E+39 of an E field (e = 0) as four characters,
// the first in the lowest byte: kExpText[x + 39].
constexpr std::array<std::uint32_t, 79> make_exp_text() {
    std::array<std::uint32_t, 79> t{};
    for (int x = -39; x <= 39; ++x) {
        const int a = x < 0 ? -x : x;
        t[static_cast<std::size_t>(x + 39)] = std::uint32_t{'E'} | (std::uint32_t(x < 0 ? '-' : '+') << 8) |
                                              (std::uint32_t('0' + a / 10) << 16) | (std::uint32_t('0' + a % 10) << 24);
    }
    return t;
}
inline constexpr std::array<std::uint32_t, 79> kExpText = make_exp_text();

// G13.5 of a REAL item with e = 0 and no plus sign (the default of the data
// lines of monitoring files), written to p[0..13) by three stores: a blank,
// eight characters that end with the number (F form) or hold its sign and
// mantissa (E form), and four that are blanks or the exponent. The choice of
// form and the rounding are those of general_single_fast; false (nothing
// written) for what it leaves to the general path: subnormal and non-finite
// values, the rare F forms whose rounding gives a digit more or fewer than
// the limits chose, and an E-form product too near a tie to decide in double.
// The characters are put together in 64-bit words, first character in the
// lowest byte, and rounded by adding 2^52 (the sum's last bit is the units
// digit, rounded to nearest, ties to even): on a machine where either does not
// hold the general path does the work.
[[gnu::always_inline]] inline bool g13_5_plain(char* p, float v) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    if constexpr (std::endian::native == std::endian::little) {
        constexpr double kRound = 4503599627370496.0;  // 2^52
        constexpr std::uint64_t kRoundBits = 0x4330000000000000ULL;
        const SingleLimits& L = kSingleLimits[5];
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        const std::uint32_t neg = bits >> 31;
        bits &= 0x7FFFFFFFu;
        const float m = std::bit_cast<float>(bits);
        std::uint64_t text;                 // p[1..9)
        std::uint32_t tail = 0x20202020u;  // p[9..13)
        if (m >= L.low && m < 99999.5f) {  // 0.5 < 10^5 - m, exactly so in floats near the limit
            // F form: s digits before the point, 5 - s after it; the product is exact.
            int s = 0;
            for (int t = 0; t < 5; ++t) s += m >= L.lim[static_cast<std::size_t>(t)] ? 1 : 0;
            double y = static_cast<double>(m) * kPow10d[5 - s] + kRound;
            std::uint64_t yb;
            std::memcpy(&yb, &y, 8);
            const auto q = static_cast<std::uint32_t>(yb - kRoundBits);
            if (q >= 100000u || (s > 0 && q < 10000u)) return false;
            const std::uint64_t dg = five_digits(q);
            const PointAt& at = kPointAt[static_cast<std::size_t>(s)];
            const std::uint64_t t = (dg & at.keep) | at.point | ((dg & ~at.keep) << 8);
            text = (t << 16) | kG13Prefix[(s == 0) * 2 + neg];
        } else if (bits - 0x00800000u < 0x7F000000u) {
            // E form: [sign]0.DDDDDE+XX from an estimate in double, the exact
            // rounding left to the general path when it lies near a tie.
            int k = ((static_cast<int>(bits >> 23) - 127) * 78913) >> 18;  // floor(log10 m) or one less
            double y = static_cast<double>(m) * kPow10d[4 - k];
            if (y >= 100000.0) {
                ++k;
                y = static_cast<double>(m) * kPow10d[4 - k];
            }
            double r = y + kRound;
            std::uint64_t rb;
            std::memcpy(&rb, &r, 8);
            auto q = static_cast<std::uint32_t>(rb - kRoundBits);
            r -= kRound;
            if (std::fabs(y - r) > 0.5 - 1e-5) return false;
            if (q >= 100000u) {
                q = 10000u;
                ++k;
            }
            text = (neg ? std::uint64_t{'-'} : std::uint64_t{' '}) | (std::uint64_t{'0'} << 8) |
                   (std::uint64_t{'.'} << 16) | (five_digits(q) << 24);
            tail = kExpText[static_cast<std::size_t>(k + 1 + 39)];
        } else if (bits == 0) {  // zero: 0.0000 and its sign
            text = neg ? 0x303030302E302D20ULL : 0x303030302E302020ULL;
        } else {
            return false;
        }
        p[0] = ' ';
        std::memcpy(p + 1, &text, 8);
        std::memcpy(p + 9, &tail, 4);
        return true;
    }
#endif
    return general_single_fast<13, 5, true>(p, v, 13, 5, 0, false);
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
    if (e == 0 && w == 13 && d == 5 && !plus && g13_5_plain(buf, v)) {
        out.append(buf, 13);
        return true;
    }
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
