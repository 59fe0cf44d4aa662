// The formatted-output engine: single fields and whole formats.
//
// Digits come from std::to_chars with an explicit precision, which rounds to
// nearest on the exact binary value with ties to even; that is how the
// reference runtime rounds. Rare cases (a scale factor that rounds left of the
// units digit, very long fields) go through the exact decimal expansion of the
// double and are rounded by hand with the same rule.
#include "util/format.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace morvane::fmt {

namespace {

// ---------------------------------------------------------------------------
// Decimal digits of a rounded magnitude.

// Digits of a value rounded to a number of significant digits or decimals.
// The digits are in buf[0..n), without leading zeros except for a zero value;
// exp10 is the decimal exponent of the first digit (value = 0.D1D2.. * 10^(exp10+1)).
struct Digits {
    char* buf;
    int n = 0;
    int exp10 = 0;
    bool zero = true;
};

constexpr int kSmallBuf = 400;

// Exact decimal expansion of a >= 0: all digits and the position of the point
// (digits before it). Every double has at most 309 integral and 1074
// fractional digits, so the expansion is never rounded.
void exact_expansion(double a, std::string& digits, int& point) {
    digits.assign(1500, '\0');
    auto r = std::to_chars(digits.data(), digits.data() + digits.size(), a, std::chars_format::fixed, 1100);
    digits.resize(static_cast<std::size_t>(r.ptr - digits.data()));
    const auto dot = digits.find('.');
    point = static_cast<int>(dot);
    digits.erase(dot, 1);
}

// Rounds the digit string s (all digits exact) to keep = number of leading
// digits, ties to even. Returns true when the rounding carried into a new
// leading digit (s then starts with '1' and is one digit longer).
bool round_digits(std::string& s, int keep) {
    if (keep < 0) {
        s.clear();
        return false;
    }
    if (keep >= static_cast<int>(s.size())) {
        s.append(static_cast<std::size_t>(keep) - s.size(), '0');
        return false;
    }
    bool up = false;
    const char first = s[static_cast<std::size_t>(keep)];
    if (first > '5') {
        up = true;
    } else if (first == '5') {
        bool rest = false;
        for (std::size_t i = static_cast<std::size_t>(keep) + 1; i < s.size(); ++i)
            if (s[i] != '0') {
                rest = true;
                break;
            }
        up = rest || (keep > 0 && ((s[static_cast<std::size_t>(keep) - 1] - '0') & 1));
    }
    s.resize(static_cast<std::size_t>(keep));
    if (!up) return false;
    int i = keep - 1;
    while (i >= 0 && s[static_cast<std::size_t>(i)] == '9') s[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
        ++s[static_cast<std::size_t>(i)];
        return false;
    }
    s.insert(s.begin(), '1');
    return true;
}

// |v| rounded to nsig significant digits (nsig >= 1). buf must hold nsig + 32.
void sig_digits(double a, int nsig, Digits& dg) {
    if (a == 0.0) {
        dg.zero = true;
        dg.n = nsig;
        std::memset(dg.buf, '0', static_cast<std::size_t>(nsig));
        dg.exp10 = 0;
        return;
    }
    dg.zero = false;
    char tmp[kSmallBuf];
    if (nsig + 10 <= kSmallBuf) {
        auto r = std::to_chars(tmp, tmp + kSmallBuf, a, std::chars_format::scientific, nsig - 1);
        // d[.ddd]e±xx
        const char* p = tmp;
        int n = 0;
        dg.buf[n++] = *p++;
        if (*p == '.') {
            ++p;
            while (*p != 'e') dg.buf[n++] = *p++;
        }
        ++p;  // 'e'
        int ex = 0;
        std::from_chars(*p == '+' ? p + 1 : p, r.ptr, ex);
        dg.n = n;
        dg.exp10 = ex;
        return;
    }
    std::string s;
    int point = 0;
    exact_expansion(a, s, point);
    const auto lead = s.find_first_not_of('0');
    s.erase(0, lead);
    point -= static_cast<int>(lead);
    if (round_digits(s, nsig)) {
        ++point;
        s.pop_back();
    }
    std::memcpy(dg.buf, s.data(), static_cast<std::size_t>(nsig));
    dg.n = nsig;
    dg.exp10 = point - 1;
}

// Exact decimal exponent of a > 0 (floor(log10 a)), without rounding.
int exact_exp10(double a) {
    char tmp[800];
    auto r = std::to_chars(tmp, tmp + sizeof tmp, a, std::chars_format::scientific, 770);
    const char* e = static_cast<const char*>(std::memchr(tmp, 'e', static_cast<std::size_t>(r.ptr - tmp)));
    int ex = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, r.ptr, ex);
    return ex;
}

// ---------------------------------------------------------------------------
// Field output helpers.

void stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

void right(std::string& out, int w, const char* s, int n) {
    out.append(static_cast<std::size_t>(w - n), ' ');
    out.append(s, static_cast<std::size_t>(n));
}

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
    if (neg) {
        if (w == 0) w = 9;
        if (w >= 9)
            right(out, w, "-Infinity", 9);
        else if (w >= 4)
            right(out, w, "-Inf", 4);
        else
            stars(out, w);
    } else if (plus) {
        if (w == 0) w = 9;
        if (w >= 9)
            right(out, w, "+Infinity", 9);
        else if (w >= 4)
            right(out, w, "+Inf", 4);
        else if (w == 3)
            right(out, w, "Inf", 3);
        else
            stars(out, w);
    } else {
        if (w == 0) w = 8;
        if (w >= 8)
            right(out, w, "Infinity", 8);
        else if (w >= 3)
            right(out, w, "Inf", 3);
        else
            stars(out, w);
    }
}

char sign_char(bool neg, bool plus) { return neg ? '-' : (plus ? '+' : '\0'); }

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
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(w));
    char* p = out.data() + at;
    std::memset(p, ' ', static_cast<std::size_t>(w - len));
    p += w - len;
    if (sign) *p++ = sign;
    if (zero_digit) *p++ = '0';
    std::memcpy(p, ip, static_cast<std::size_t>(ni));
    p += ni;
    *p++ = '.';
    std::memcpy(p, fp, static_cast<std::size_t>(d));
    return true;
}

// Exponent part of an E-type field: letter, sign and digits into p; returns
// its length, or -1 when the exponent does not fit.
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
    if (nd > e) return -1;
    p[k++] = letter;
    p[k++] = ex < 0 ? '-' : '+';
    for (int i = e; i > nd; --i) p[k++] = '0';
    for (int i = nd - 1; i >= 0; --i) p[k++] = dig[i];
    return k;
}

enum class ExpForm { E, D, ES, EN };

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
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(w));
    char* p = out.data() + at;
    std::memset(p, ' ', static_cast<std::size_t>(w - len));
    p += w - len;
    if (sign) *p++ = sign;
    if (zero_digit) *p++ = '0';
    std::memcpy(p, ip, static_cast<std::size_t>(ni));
    p += ni;
    *p++ = '.';
    std::memcpy(p, fp, static_cast<std::size_t>(nf));
    p += nf;
    std::memcpy(p, et, static_cast<std::size_t>(ne));
}

void fixed_field(std::string& out, double v, int w, int d, int scale, bool plus) {
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return;
    }
    const double a = std::fabs(v);
    const int pos = d + scale;  // decimals of |v| kept before shifting by the scale
    char small[kSmallBuf];
    std::string big;
    const char* digs;  // the rounded value |v| * 10^pos as an integer, no point
    int nd;
    if (pos >= 0 && pos + 330 < kSmallBuf) {
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
bool exp_field(std::string& out, double v, int w, int d, int e, int scale, bool plus, ExpForm form) {
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return true;
    }
    int nsig;
    int before;  // digits before the point
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
        const int x = a == 0.0 ? 0 : exact_exp10(a);
        before = ((x % 3) + 3) % 3 + 1;
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
        // A rounding carry may have moved the value to the next power of ten;
        // the digits are then 1000.. and the exponent stays a multiple of 3.
        shown_exp = dg.exp10 - (before - 1);
        const int r = ((shown_exp % 3) + 3) % 3;
        if (r != 0) {
            // carried: 999.96 -> 1000.0 with before = 3: shift to 1.000 E+3
            shown_exp += 3 - r;
            before = before - (3 - r);
            if (before < 1) before += 3;
        }
    }
    const char sign = sign_char(std::signbit(v), plus);
    char et[16];
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

bool general_field(std::string& out, double v, int w, int d, int e, int scale, bool plus) {
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return true;
    }
    const int n = e > 0 ? e + 2 : 4;  // blanks that follow an F-form field
    // With no significant digits to choose by, the exponent form is used
    // (which needs a positive scale factor).
    if (d == 0) return exp_field(out, v, w, d, e, scale, plus, ExpForm::E);
    const double a = std::fabs(v);
    const char sign = sign_char(std::signbit(v), plus);
    if (a == 0.0) {
        const int dd = d > 0 ? d - 1 : 0;
        char zeros[kSmallBuf];
        std::string zbig;
        char* z = zeros;
        if (dd > kSmallBuf) {
            zbig.assign(static_cast<std::size_t>(dd), '0');
            z = zbig.data();
        } else {
            std::memset(z, '0', static_cast<std::size_t>(dd));
        }
        if (w - n > 0 && lay_fixed(out, w - n, sign, z, 0, z, dd))
            out.append(static_cast<std::size_t>(n), ' ');
        else
            stars(out, w);
        return true;
    }
    char dbuf[kSmallBuf + 40];
    std::string dbig;
    Digits dg;
    dg.buf = dbuf;
    if (d + 40 > kSmallBuf) {
        dbig.assign(static_cast<std::size_t>(d) + 40, '0');
        dg.buf = dbig.data();
    }
    sig_digits(a, d, dg);
    const int big_n = dg.exp10 + 1;  // value = 0.D1.. * 10^big_n after rounding
    if (big_n < 0 || big_n > d) return exp_field(out, v, w, d, e, scale, plus, ExpForm::E);
    if (w - n > 0 && lay_fixed(out, w - n, sign, dg.buf, big_n, dg.buf + big_n, d - big_n))
        out.append(static_cast<std::size_t>(n), ' ');
    else
        stars(out, w);
    return true;
}

void int_field(std::string& out, std::int64_t v, int w, int m, bool plus) {
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
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(w));
    char* p = out.data() + at;
    std::memset(p, ' ', static_cast<std::size_t>(w - len));
    p += w - len;
    if (sign) *p++ = sign;
    for (int i = digits; i > nd; --i) *p++ = '0';
    for (int i = nd - 1; i >= 0; --i) *p++ = dig[i];
}

}  // namespace

// ---------------------------------------------------------------------------
// Public single fields (sign mode S: no plus sign).

void put_int(std::string& out, std::int64_t v, int w, int m) { int_field(out, v, w, m, false); }

void put_fixed(std::string& out, double v, int w, int d, int scale) { fixed_field(out, v, w, d, scale, false); }

void put_exp(std::string& out, double v, int w, int d, int e, int scale) {
    // A scale factor out of range for the digits: the field is all asterisks.
    if (!exp_field(out, v, w, d, e, scale, false, ExpForm::E)) stars(out, w);
}

void put_general(std::string& out, double v, int w, int d, int e, int scale) {
    if (!general_field(out, v, w, d, e, scale, false)) stars(out, w);
}

}  // namespace morvane::fmt
