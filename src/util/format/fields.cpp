// The fields of the engine: I, F, E, ES, EN and D editing, and what they
// share (the padding, the special values, the layout of a mantissa).
//
// Digits come from exact integer rounding or std::to_chars with an explicit
// precision, both rounding to nearest on the exact binary value with ties to
// even, as the reference runtime does; rare cases (a scale factor that rounds
// left of the units digit, very long fields) go through the exact decimal
// expansion of the double and are rounded by hand with the same rule.
#include "util/format/fields.hpp"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

#include "util/format/digits.hpp"
#include "util/format/pow10.hpp"

namespace morvane::fmt::detail {

void stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

char* pad_field(std::string& out, int w, int len) {
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(w));
    char* p = out.data() + at;
    std::memset(p, ' ', static_cast<std::size_t>(w - len));
    return p + (w - len);
}

namespace {

void right(std::string& out, int w, const char* s, int n) { std::memcpy(pad_field(out, w, n), s, static_cast<std::size_t>(n)); }

}  // namespace

// Infinity and NaN under F, E, ES, EN, D and G.
void put_special(std::string& out, double v, int w, bool plus) {
    if (std::isnan(v)) {
        if (w == 0) w = 3;
        if (w < 3)
            stars(out, w);
        else
            right(out, w, "NaN", 3);
        return;
    }
    const bool neg = std::signbit(v);
    if (w == 0) w = neg || plus ? 4 : 3;  // F0.d: the short forms
    if (neg) {
        if (w >= 9)
            right(out, w, "-Infinity", 9);
        else if (w >= 4)
            right(out, w, "-Inf", 4);
        else
            stars(out, w);
    } else if (plus) {
        if (w >= 9)
            right(out, w, "+Infinity", 9);
        else if (w >= 4)
            right(out, w, "+Inf", 4);
        else if (w == 3)
            right(out, w, "Inf", 3);
        else
            stars(out, w);
    } else {
        if (w >= 8)
            right(out, w, "Infinity", 8);
        else if (w >= 3)
            right(out, w, "Inf", 3);
        else
            stars(out, w);
    }
}

// Appends a field of w characters whose number takes len of them, right-
// justified: blanks, [sign][0]int.frac; returns where the rest of the number
// (an exponent) goes.
char* lay_mantissa(std::string& out, int w, int len, char sign, bool zero_digit, const char* ip, int ni,
                   const char* fp, int nf) {
    char* p = pad_field(out, w, len);
    if (sign) *p++ = sign;
    if (zero_digit) *p++ = '0';
    std::memcpy(p, ip, static_cast<std::size_t>(ni));
    p += ni;
    *p++ = '.';
    std::memcpy(p, fp, static_cast<std::size_t>(nf));
    return p + nf;
}

// Lays out a fixed-point field from its integral digits ip[0..ni) (no leading
// zeros; ni = 0 when the integral part is zero) and fraction digits fp[0..d).
// Returns false, writing nothing, when the field is too narrow.
bool lay_fixed(std::string& out, int w, char sign, const char* ip, int ni, const char* fp, int d) {
    const int s = sign ? 1 : 0;
    const int need = s + ni + 1 + d;  // without an optional leading zero
    bool zero_digit = false;
    if (ni == 0) {
        // The zero before the point: always when the field has room for it
        // (F0.d never adds it), and always needed when there are no decimals.
        if (d == 0) {
            zero_digit = true;
        } else if (w > 0 && need + 1 <= w) {
            zero_digit = true;
        }
    }
    const int len = need + (zero_digit ? 1 : 0);
    if (w == 0) w = len;
    if (len > w) return false;
    lay_mantissa(out, w, len, sign, zero_digit, ip, ni, fp, d);
    return true;
}

int exponent_text(char* p, int ex, int e, char letter) {
    const int a = ex < 0 ? -ex : ex;
    char dig[12];
    int nd = 0;
    for (int t = a; t > 0 || nd == 0; t /= 10) dig[nd++] = static_cast<char>('0' + t % 10);
    int k = 0;
    if (e == 0) {
        if (a <= 99) {
            p[k++] = letter;
            p[k++] = ex < 0 ? '-' : '+';
            p[k++] = static_cast<char>('0' + a / 10);
            p[k++] = static_cast<char>('0' + a % 10);
        } else if (a <= 999) {
            p[k++] = ex < 0 ? '-' : '+';
            p[k++] = dig[2];
            p[k++] = dig[1];
            p[k++] = dig[0];
        } else {
            return -1;
        }
        return k;
    }
    if (e < 0) e = nd;  // as few digits as needed
    if (nd > e) return -1;
    p[k++] = letter;
    p[k++] = ex < 0 ? '-' : '+';
    for (int i = e; i > nd; --i) p[k++] = '0';
    for (int i = nd - 1; i >= 0; --i) p[k++] = dig[i];
    return k;
}

// Assembles an exponent field: mantissa [sign][0].frac or [sign]int.frac and
// exponent text; the leading zero of a "0." mantissa is dropped when the
// field has no room for it.
void lay_exp(std::string& out, int w, char sign, const char* ip, int ni, const char* fp, int nf,
             const char* et, int ne) {
    const int s = sign ? 1 : 0;
    const int need = s + ni + 1 + nf + ne;
    const bool zero_digit = ni == 0 && need + 1 <= w;
    const int len = need + (zero_digit ? 1 : 0);
    if (len > w) {
        stars(out, w);
        return;
    }
    char* p = lay_mantissa(out, w, len, sign, zero_digit, ip, ni, fp, nf);
    std::memcpy(p, et, static_cast<std::size_t>(ne));
}

// The common case of F editing in one pass: no scale factor, 1 <= w <= 64,
// d <= 17 and an exact rounding in integer arithmetic. Writes the field and
// returns true, or returns false having written nothing.
bool fixed_fast(std::string& out, double v, int w, int d, bool plus) {
    if (w < 1 || w > 64 || d > 17) return false;
    const double a = std::fabs(v);
    std::uint64_t q = 0;
    if (a != 0.0 && !scaled_round(a, d, q)) return false;
    int nd = 0;  // digits of q (none for zero)
    while (nd < 20 && q >= kPow10u[nd]) ++nd;
    const int total = nd > d ? nd : d;
    const int ni = total - d;  // digits before the point
    char dig[64];
    put_digits(dig, q, total);
    const char sign = std::signbit(v) ? '-' : (plus ? '+' : '\0');
    const int need = (sign ? 1 : 0) + ni + 1 + d;
    const bool zero = ni == 0 && (d == 0 || need + 1 <= w);
    const int len = need + (zero ? 1 : 0);
    if (len > w) {
        out.append(static_cast<std::size_t>(w), '*');
        return true;
    }
    // Laid out here, not by lay_mantissa: fixed-size copies, which may run
    // past the text into buffers that have room, are the speed of this path.
    char buf[128];
    std::memset(buf, ' ', 64);
    char* p = buf + (w - len);
    if (sign) *p++ = sign;
    if (zero) *p++ = '0';
    std::memcpy(p, dig, 24);
    std::memcpy(p + ni + 1, dig + ni, 24);
    p[ni] = '.';
    out.append(buf, static_cast<std::size_t>(w));
    return true;
}

bool fixed_single_fast(std::string& out, float v, int w, int d, bool plus) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    // |v| * 10^d is exact in double for d <= 12 (24 bits and at most 28 of
    // 5^d) and rounded to an integer, ties to even, by adding 2^52.
    constexpr double kRound = 4503599627370496.0;  // 2^52
    constexpr std::uint64_t kRoundBits = 0x4330000000000000ULL;
    if (w < 1 || w > 32 || d < 0 || d > 12) return false;
    const double a = std::fabs(static_cast<double>(v));
    const double y = a * kPow10d[d];
    if (!(y < 1e15)) return false;  // large, infinite or NaN: the general path
    const double r = y + kRound;
    std::uint64_t q;
    std::memcpy(&q, &r, 8);
    q -= kRoundBits;
    // Laid out backwards from the end of a blank buffer: d decimals, the
    // point, the integral digits (none for zero), the zero and the sign.
    char buf[64];
    std::memset(buf, ' ', 64);
    char* c = buf + 64;
    auto q32 = static_cast<std::uint32_t>(q);
    if (q >= (std::uint64_t{1} << 32)) {
        for (int i = 0; i < d; ++i, q /= 10) *--c = static_cast<char>('0' + q % 10);
        *--c = '.';
        for (; q >= (std::uint64_t{1} << 32); q /= 10) *--c = static_cast<char>('0' + q % 10);
        q32 = static_cast<std::uint32_t>(q);
    } else {
        for (int i = 0; i < d; ++i, q32 /= 10) *--c = static_cast<char>('0' + q32 % 10);
        *--c = '.';
    }
    const bool none = q32 == 0;  // no integral digits
    for (; q32 != 0; q32 /= 10) *--c = static_cast<char>('0' + q32 % 10);
    const char sign = std::signbit(v) ? '-' : (plus ? '+' : '\0');
    const int need = static_cast<int>(buf + 64 - c) + (sign ? 1 : 0);
    if (none && (d == 0 || need + 1 <= w)) *--c = '0';
    if (sign) *--c = sign;
    if (buf + 64 - c > w) {
        stars(out, w);
        return true;
    }
    out.append(buf + 64 - w, static_cast<std::size_t>(w));
    return true;
#else
    (void)out, (void)v, (void)w, (void)d, (void)plus;
    return false;
#endif
}

void fixed_field(std::string& out, double v, const FieldSpec& spec) {
    auto [w, d, e, scale, plus] = spec;
    (void)e;
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return;
    }
    if (scale == 0 && fixed_fast(out, v, w, d, plus)) return;
    const double a = std::fabs(v);
    const int pos = d + scale;  // decimals of |v| kept before shifting by the scale
    char small[kSmallBuf];
    std::string big;
    const char* digs;  // the rounded value |v| * 10^pos as an integer, no point
    int nd;
    std::uint64_t q = 0;
    if (pos >= 0 && pos <= 38 && (a == 0.0 || scaled_round(a, pos, q))) {
        nd = 1;  // q < 2^64 has at most 20 digits
        while (nd < 20 && q >= kPow10u[nd]) ++nd;
        put_digits(small, q, nd);
        digs = small;
    } else if (pos >= 0 && pos + 330 < kSmallBuf) {
        auto r = std::to_chars(small, small + kSmallBuf, a, std::chars_format::fixed, pos);
        // Remove the point in place: shift the fraction left by one.
        char* dot = static_cast<char*>(std::memchr(small, '.', static_cast<std::size_t>(r.ptr - small)));
        nd = static_cast<int>(r.ptr - small);
        if (dot) {
            std::memmove(dot, dot + 1, static_cast<std::size_t>(r.ptr - dot - 1));
            --nd;
        }
        digs = small;
    } else {
        int point = 0;
        exact_expansion(a, big, point);
        round_digits(big, point + pos);  // a carry just makes the string longer
        if (big.empty()) big = "0";
        digs = big.data();
        nd = static_cast<int>(big.size());
    }
    // Strip leading zeros.
    int lead = 0;
    while (lead < nd && digs[lead] == '0') ++lead;
    digs += lead;
    nd -= lead;
    const bool neg = std::signbit(v);  // negative values rounding to zero keep their sign
    const char sign = sign_char(neg, plus);
    // digs[0..nd) is the value * 10^d as an integer: the last d digits are the fraction.
    if (nd > d) {
        if (!lay_fixed(out, w, sign, digs, nd - d, digs + (nd - d), d)) stars(out, w);
        return;
    }
    char frac[kSmallBuf];
    std::string fbig;
    char* f = frac;
    if (d > kSmallBuf) {
        fbig.assign(static_cast<std::size_t>(d), '0');
        f = fbig.data();
    }
    std::memset(f, '0', static_cast<std::size_t>(d - nd));
    std::memcpy(f + (d - nd), digs, static_cast<std::size_t>(nd));
    if (!lay_fixed(out, w, sign, digs, 0, f, d)) stars(out, w);
}

// E, D, ES and EN editing. Returns false when the scale factor is out of range
// for E/D (the field is then left unwritten).
bool exp_field(std::string& out, double v, const FieldSpec& spec, ExpForm form) {
    auto [w, d, e, scale, plus] = spec;
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return true;
    }
    int nsig;
    int before;  // digits before the point
    int x0 = 0;  // EN: decimal exponent of the unrounded value
    const double a = std::fabs(v);
    if (form == ExpForm::E || form == ExpForm::D) {
        if (scale <= -d || scale > d + 1) return false;
        nsig = scale > 0 ? d + 1 : d + scale;
        before = scale > 0 ? scale : 0;
    } else if (form == ExpForm::ES) {
        nsig = d + 1;
        before = 1;
    } else {
        // Engineering: 1 to 3 digits before the point, chosen by the exponent
        // of the unrounded value.
        x0 = a == 0.0 ? 0 : exact_exp10(a);
        before = ((x0 % 3) + 3) % 3 + 1;
        nsig = d + before;
    }
    char dbuf[kSmallBuf + 40];
    std::string dbig;
    Digits dg;
    dg.buf = dbuf;
    if (nsig + 40 > kSmallBuf) {
        dbig.assign(static_cast<std::size_t>(nsig) + 40, '0');
        dg.buf = dbig.data();
    }
    sig_digits(a, nsig, dg);
    int shown_exp;
    if (dg.zero) {
        shown_exp = 0;
    } else if (form == ExpForm::E || form == ExpForm::D) {
        shown_exp = dg.exp10 + 1 - scale;
    } else if (form == ExpForm::ES) {
        shown_exp = dg.exp10;
    } else {
        // Engineering: the exponent is fixed by the unrounded value; a rounding
        // carry (999.96 -> 1000.0) just adds a digit before the point.
        shown_exp = x0 - (before - 1);
        if (dg.exp10 > x0) {
            dg.buf[dg.n++] = '0';
            if (++before == 4) {  // 999.5 -> 1.E+03, not 1000.E+00
                before = 1;
                shown_exp += 3;
            }
        }
    }
    const char sign = sign_char(std::signbit(v), plus);
    char et[24];
    const int ne = exponent_text(et, shown_exp, e, form == ExpForm::D ? 'D' : 'E');
    if (ne < 0) {
        stars(out, w);
        return true;
    }
    char mant[kSmallBuf + 40];
    std::string mbig;
    char* m = mant;
    const int total = before + d;
    if (total + 8 > kSmallBuf) {
        mbig.assign(static_cast<std::size_t>(total) + 8, '0');
        m = mbig.data();
    }
    if (before == 0) {
        // 0.000ddd: -scale zeros, then the significant digits.
        const int z = -scale;
        std::memset(m, '0', static_cast<std::size_t>(z));
        std::memcpy(m + z, dg.buf, static_cast<std::size_t>(dg.n));
        lay_exp(out, w, sign, m, 0, m, d, et, ne);
    } else {
        const int nf = form == ExpForm::EN ? d : dg.n - before;
        lay_exp(out, w, sign, dg.buf, before, dg.buf + before, nf, et, ne);
    }
    return true;
}

void int_field(std::string& out, std::int64_t v, const FieldSpec& spec) {
    auto [w, m, e, scale, plus] = spec;
    (void)e, (void)scale;
    char dig[24];
    int nd = 0;
    std::uint64_t a = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    if (!(a == 0 && m == 0))
        for (; a > 0 || nd == 0; a /= 10) dig[nd++] = static_cast<char>('0' + a % 10);
    if (nd == 0) {
        // Iw.0 of zero: an all-blank field.
        out.append(static_cast<std::size_t>(w == 0 ? 1 : w), ' ');
        return;
    }
    const int digits = std::max(nd, m);
    const char sign = sign_char(v < 0, plus);
    const int len = digits + (sign ? 1 : 0);
    if (w == 0) w = len;
    if (len > w) {
        stars(out, w);
        return;
    }
    char* p = pad_field(out, w, len);
    if (sign) *p++ = sign;
    for (int i = digits; i > nd; --i) *p++ = '0';
    for (int i = nd - 1; i >= 0; --i) *p++ = dig[i];
}

}  // namespace morvane::fmt::detail

namespace morvane::fmt {

// Public single fields (sign mode S: no plus sign).

void put_int(std::string& out, std::int64_t v, int w, int m) { detail::int_field(out, v, {w, m, 0, 0, false}); }

void put_fixed(std::string& out, double v, int w, int d, int scale) { detail::fixed_field(out, v, {w, d, 0, scale, false}); }

void put_fixed(std::string& out, float v, int w, int d) {
    if (!detail::fixed_single_fast(out, v, w, d, false)) detail::fixed_field(out, static_cast<double>(v), {w, d, 0, 0, false});
}

void put_exp(std::string& out, double v, int w, int d, int e, int scale) {
    // A scale factor out of range for the digits: the field is all asterisks.
    if (!detail::exp_field(out, v, {w, d, e, scale, false}, detail::ExpForm::E)) detail::stars(out, w);
}

}  // namespace morvane::fmt
