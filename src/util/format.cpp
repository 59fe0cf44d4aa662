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
#include <limits>
#include <type_traits>
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


// ---------------------------------------------------------------------------
// Fast exact rounding for the common cases: a normal double times a power of
// ten, rounded to an integer (ties to even) with 128-bit integer arithmetic.
// Gives up (false) whenever the operands or the result do not fit; the
// callers then take the std::to_chars path, which gives the same digits.

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes q as exactly n digits (zeros in front).
void put_digits(char* p, std::uint64_t q, int n) {
    int i = n;
    if (q < (1ULL << 32)) {  // 32-bit divisions are cheaper
        auto q32 = static_cast<std::uint32_t>(q);
        while (i >= 2) {
            const std::uint32_t r = q32 % 100;
            q32 /= 100;
            i -= 2;
            std::memcpy(p + i, kDigitPairs + 2 * r, 2);
        }
        if (i == 1) p[0] = static_cast<char>('0' + q32 % 10);
        return;
    }
    while (i >= 2) {
        const auto r = static_cast<std::size_t>(q % 100);
        q /= 100;
        i -= 2;
        std::memcpy(p + i, kDigitPairs + 2 * r, 2);
    }
    if (i == 1) p[0] = static_cast<char>('0' + q % 10);
}

constexpr std::uint64_t kPow10u[20] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL, 10000000ULL,
                                        100000000ULL, 1000000000ULL, 10000000000ULL, 100000000000ULL,
                                        1000000000000ULL, 10000000000000ULL, 100000000000000ULL,
                                        1000000000000000ULL, 10000000000000000ULL, 100000000000000000ULL,
                                        1000000000000000000ULL, 10000000000000000000ULL};

// Bit lengths of 10^0 .. 10^19.
constexpr int kPow10Bits[20] = {1, 4, 7, 10, 14, 17, 20, 24, 27, 30, 34, 37, 40, 44, 47, 50, 54, 57, 60, 64};

// Powers of ten 1e-308 .. 1e308 as doubles, close but not all exact: they
// only sharpen the first guess of the exponent, which is then checked exactly.
constexpr std::array<double, 617> make_pow10d() {
    std::array<double, 617> t{};
    t[308] = 1.0;
    for (int i = 309; i < 617; ++i) t[static_cast<std::size_t>(i)] = t[static_cast<std::size_t>(i - 1)] * 10.0;
    for (int i = 307; i >= 0; --i) t[static_cast<std::size_t>(i)] = t[static_cast<std::size_t>(i + 1)] / 10.0;
    return t;
}
constexpr std::array<double, 617> kPow10dTable = make_pow10d();
constexpr const double* kPow10d = kPow10dTable.data();

#if defined(__SIZEOF_INT128__) && !defined(MORVANE_NO_INT128)  // the 32-bit build has no 128-bit integers
__extension__ typedef unsigned __int128 u128;

constexpr std::array<u128, 39> make_pow10() {
    std::array<u128, 39> t{};
    u128 v = 1;
    for (auto& x : t) {
        x = v;
        v *= 10;
    }
    return t;
}
constexpr std::array<u128, 39> kPow10 = make_pow10();

int bit_length(u128 v) {
    const auto hi = static_cast<std::uint64_t>(v >> 64);
    if (hi) return 128 - __builtin_clzll(hi);
    const auto lo = static_cast<std::uint64_t>(v);
    return lo ? 64 - __builtin_clzll(lo) : 0;
}


// q = a * 10^s rounded to nearest, ties to even; a > 0 finite.
bool scaled_round(double a, int s, std::uint64_t& q) {
    std::uint64_t bits;
    std::memcpy(&bits, &a, 8);
    const int bexp = static_cast<int>((bits >> 52) & 0x7FF);
    if (bexp == 0 || bexp == 0x7FF) return false;  // subnormal, infinite
    std::uint64_t m = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
    int e = bexp - 1075;
    // 64-bit path: most values written have few significant bits (REAL
    // items widened to double have at most 24) and moderate exponents.
    {
        const int tz = __builtin_ctzll(m);
        const std::uint64_t m64 = m >> tz;
        const int e64 = e + tz;
        const int mbits = 64 - __builtin_clzll(m64);
        if (s >= 0 && s <= 19 && e64 < 0 && e64 > -64 && mbits + kPow10Bits[s] <= 64) {
            const std::uint64_t n = m64 * kPow10u[s];
            const int sh = -e64;
            std::uint64_t q64 = n >> sh;
            const std::uint64_t rem = n & ((1ULL << sh) - 1);
            const std::uint64_t half = 1ULL << (sh - 1);
            if (rem > half || (rem == half && (q64 & 1))) ++q64;
            q = q64;
            return true;
        }
        if (s < 0 && s >= -19 && e64 >= 0 && mbits + e64 <= 63) {
            const std::uint64_t n = m64 << e64;
            const std::uint64_t dv = kPow10u[-s];
            std::uint64_t q64 = n / dv;
            const std::uint64_t rem2 = (n % dv) * 2;  // n < 2^63: no overflow
            if (rem2 > dv || (rem2 == dv && (q64 & 1))) ++q64;
            q = q64;
            return true;
        }
    }
    u128 qq;
    if (s >= 0) {
        if (s > 22) {  // m * 10^s must stay below 2^127
            const int tz = __builtin_ctzll(m);
            m >>= tz;
            e += tz;
            if (s > 38 || 64 - __builtin_clzll(m) + bit_length(kPow10[static_cast<std::size_t>(s)]) > 127) return false;
        }
        const u128 n = static_cast<u128>(m) * kPow10[static_cast<std::size_t>(s)];
        if (e >= 0) {
            if (bit_length(n) + e > 64) return false;
            qq = n << e;
        } else {
            const int sh = -e;
            if (sh > 126) return false;
            qq = n >> sh;
            const u128 rem = n & ((static_cast<u128>(1) << sh) - 1);
            const u128 half = static_cast<u128>(1) << (sh - 1);
            qq += static_cast<unsigned>(rem > half) | (static_cast<unsigned>(rem == half) & static_cast<unsigned>(qq & 1));
        }
    } else {
        const int t = -s;
        if (t > 38) return false;
        const u128 d = kPow10[static_cast<std::size_t>(t)];
        u128 n = m, den = d;
        if (e >= 0) {
            if (64 - __builtin_clzll(m) + e > 127) return false;
            n <<= e;
        } else {
            if (bit_length(d) - e > 126) return false;
            den <<= -e;
        }
        qq = n / den;
        const u128 rem2 = (n % den) * 2;
        if (rem2 > den || (rem2 == den && (qq & 1))) ++qq;
    }
    if (qq >> 64) return false;
    q = static_cast<std::uint64_t>(qq);
    return true;
}


// a > 0 rounded to nsig (1..18) significant digits.
bool fast_sig_digits(double a, int nsig, Digits& dg) {
    if (nsig > 18) return false;
    std::uint64_t bits;
    std::memcpy(&bits, &a, 8);
    const int bexp = static_cast<int>((bits >> 52) & 0x7FF);
    if (bexp == 0 || bexp == 0x7FF) return false;
    const int e2 = bexp - 1023;  // a in [2^e2, 2^(e2+1))
    int x = (e2 * 78913) >> 18;  // floor(e2 * log10(2)): the exponent or one less
    if (x >= -307 && x < 307 && a >= kPow10d[x + 1 + 308]) ++x;  // nearly always exact now
    for (int iter = 0; iter < 3; ++iter) {
        std::uint64_t q;
        if (!scaled_round(a, nsig - 1 - x, q)) return false;
        if (q < kPow10u[nsig - 1]) {
            --x;
            continue;
        }
        if (q > kPow10u[nsig]) {
            ++x;
            continue;
        }
        if (q == kPow10u[nsig]) {  // rounded up to the next power of ten
            q /= 10;
            ++x;
        } else if (q == kPow10u[nsig - 1]) {
            // x may be one too high (the table's power of ten lies at or just
            // below a), the rounding having carried only at the coarser scale:
            // 1e24 to 17 digits is 0.99999999999999998E+24.
            std::uint64_t q2;
            if (!scaled_round(a, nsig - x, q2)) return false;
            if (q2 < kPow10u[nsig]) {
                q = q2;
                --x;
            }
        }
        put_digits(dg.buf, q, nsig);
        dg.n = nsig;
        dg.exp10 = x;
        dg.zero = false;
        return true;
    }
    return false;
}
#else
bool scaled_round(double, int, std::uint64_t&) { return false; }
bool fast_sig_digits(double, int, Digits&) { return false; }
#endif

// |v| rounded to nsig significant digits (nsig >= 1). buf must hold nsig + 32.
void sig_digits(double a, int nsig, Digits& dg) {
    if (a == 0.0) {
        dg.zero = true;
        dg.n = nsig;
        std::memset(dg.buf, '0', static_cast<std::size_t>(nsig));
        dg.exp10 = 0;
        return;
    }
    if (fast_sig_digits(a, nsig, dg)) return;
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

char sign_char(bool neg, bool plus) { return neg ? '-' : (plus ? '+' : '\0'); }

// Appends a field of w characters whose number takes len of them, right-
// justified: blanks, [sign][0]int.frac; returns where the rest of the number
// (an exponent) goes.
char* lay_mantissa(std::string& out, int w, int len, char sign, bool zero_digit, const char* ip, int ni,
                   const char* fp, int nf) {
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
    // Fixed-size copies may run past the text; the buffers have room.
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

void fixed_field(std::string& out, double v, int w, int d, int scale, bool plus) {
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
bool exp_field(std::string& out, double v, int w, int d, int e, int scale, bool plus, ExpForm form) {
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

// Powers of ten as 32-bit floats, each the float product of the one before
// and 10 (so 1e25 and a few others lie a unit in the last place above the
// nearest float); from 10^39 on, infinity. The doubles of kPow10d from 10^0
// up are built the same way.
constexpr std::array<float, 39> make_pow10f() {
    std::array<float, 39> t{};
    float v = 1.0f;
    for (std::size_t k = 0; k < t.size(); ++k) {
        t[k] = v;
        if (k + 1 < t.size()) v *= 10.0f;
    }
    return t;
}
constexpr std::array<float, 39> kPow10f = make_pow10f();

float pow10_of(float, int k) {
    return k < 39 ? kPow10f[static_cast<std::size_t>(k)] : std::numeric_limits<float>::infinity();
}
double pow10_of(double, int k) { return k <= 308 ? kPow10d[k + 308] : std::numeric_limits<double>::infinity(); }

// The form that G editing (d >= 1) gives the magnitude m > 0: the number s of
// digits before the point of the F form (d - s decimals), or -1 for the E
// form. The reference runtime chooses by limits computed in the item's own
// kind: r = 1 - 0.5 / 10^d, the lower limit 0.1 * r (the product taken in
// double), the limits 10^(s-1) * r between the F forms, and the E form when
// 0.5 >= 10^d - m. So a value a few units in the last place below a limit may
// take the F form of the next range: the REAL 0.99999499 under G13.5 prints
// as '   1.0000    ', the DOUBLE PRECISION 0.999995 too.
template <class T>
int general_form(T m, int d) {
    const T exp_d = pow10_of(m, d);
    const T r = T(1) - T(0.5) / exp_d;
    const auto low = static_cast<T>(0.1 * static_cast<double>(r));
    if (m < low || T(0.5) >= exp_d - m) return -1;
    int s = 0;
    while (s < d && m >= pow10_of(m, s) * r) ++s;
    return s;
}

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
constexpr std::array<SingleLimits, 10> kSingleLimits = make_single_limits();

// G editing of a normal REAL item in one pass: no scale factor, d <= 9,
// w <= 64 (the fields of monitoring files), written to p[0..w). The F form
// rounds |v| * 10^dec, which is exact in double (24 + 21 bits). The E form
// estimates |v| * 10^(d-1-k) in double (the tabulated powers of ten are within
// 5e-16 of the exact ones, so the estimate, below 10^9, is within 1e-6 of the
// exact product) and rounds it; only when that lies within 1e-5 of a tie does
// the exact integer rounding decide. Returns false when the general path must
// do the work.
// W and D, when not 0, fix w and d at compile time (G13.5, the default of
// monitoring files, is worth its own instance).
template <int W = 0, int D = 0>
bool general_single_fast(char* p, float v, int w_, int d_, int e, bool plus) {
    const int w = W ? W : w_, d = D ? D : d_;
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
        const double y = static_cast<double>(m) * kPow10d[dec + 308];
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
        for (int i = 0; i < dec; ++i, q32 /= 10) *--c = static_cast<char>('0' + q32 % 10);
        *--c = '.';
        for (int i = 0; i < ni; ++i, q32 /= 10) *--c = static_cast<char>('0' + q32 % 10);
        if (zero) *--c = '0';
        if (sign) c[-1] = sign;
        return true;
    }
    // E form: [sign][0].D1..Dd and the exponent.
    std::uint32_t bits;
    std::memcpy(&bits, &m, 4);
    int k = ((static_cast<int>(bits >> 23) - 127) * 78913) >> 18;  // floor(log10 m) or one less
    double y = static_cast<double>(m) * kPow10d[d - 1 - k + 308];
    if (y >= static_cast<double>(kPow10u[d])) {
        ++k;
        y = static_cast<double>(m) * kPow10d[d - 1 - k + 308];
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
    for (int i = 0; i < d; ++i, q32 /= 10) *--c = static_cast<char>('0' + q32 % 10);
    *--c = '.';
    if (need + 1 <= w) *--c = '0';
    if (sign) c[-1] = sign;
    return true;
}

// The one-pass G editing of a REAL item appended to out; false when it
// cannot be used (out is then unchanged).
inline bool general_single_quick(std::string& out, float v, int w, int d, int e, bool plus) {
    char buf[64];
    if (e == 0 && w == 13 && d == 5) {
        if (!general_single_fast<13, 5>(buf, v, w, d, e, plus)) return false;
        out.append(buf, 13);
        return true;
    }
    if (w > 64 || !general_single_fast(buf, v, w, d, e, plus)) return false;
    out.append(buf, static_cast<std::size_t>(w));
    return true;
}

// G editing of a REAL (T = float) or DOUBLE PRECISION item.
template <class T>
bool general_field(std::string& out, T v, int w, int d, int e, int scale, bool plus) {
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return true;
    }
    if constexpr (std::is_same_v<T, float>) {
        if (scale == 0 && general_single_quick(out, v, w, d, e, plus)) return true;
    }
    const int n = e > 0 ? e + 2 : 4;  // blanks that follow an F-form field
    // With no significant digits to choose by, the exponent form is used
    // (which needs a positive scale factor).
    if (d == 0) return exp_field(out, v, w, d, e, scale, plus, ExpForm::E);
    const T a = std::fabs(v);
    if (a == T(0)) {
        const char sign = sign_char(std::signbit(v), plus);
        const int dd = d - 1;
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
    const int s = general_form(a, d);
    if (s < 0) return exp_field(out, v, w, d, e, scale, plus, ExpForm::E);
    // F form in w - n characters (the scale factor has no effect), n blanks.
    if (w - n <= 0) {
        stars(out, w);
        return true;
    }
    const std::size_t at = out.size();
    if (!fixed_fast(out, v, w - n, d - s, plus)) fixed_field(out, v, w - n, d - s, 0, plus);
    if (out[at] == '*') {
        out.resize(at);
        stars(out, w);
    } else {
        out.append(static_cast<std::size_t>(n), ' ');
    }
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

void put_int_general_record(std::string& out, std::int32_t k, int wi, std::span<const float> x, int w, int d) {
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(wi) + x.size() * static_cast<std::size_t>(w) + 1);
    char* p = out.data() + at;
    // The counter as by Iw (no sign for k >= 0; asterisks when too wide).
    std::string field;
    int_field(field, k, wi, -1, false);
    std::memcpy(p, field.data(), static_cast<std::size_t>(wi));
    p += wi;
    const bool g13_5 = w == 13 && d == 5;
    for (const float v : x) {
        if (!(g13_5 ? general_single_fast<13, 5>(p, v, w, d, 0, false) : general_single_fast(p, v, w, d, 0, false))) {
            field.clear();
            general_field(field, v, w, d, 0, 0, false);
            std::memcpy(p, field.data(), static_cast<std::size_t>(w));
        }
        p += w;
    }
    *p = '\n';
}

void put_general(std::string& out, float v, int w, int d, int e, int scale) {
    if (scale == 0 && general_single_quick(out, v, w, d, e, false)) return;
    if (!general_field(out, v, w, d, e, scale, false)) stars(out, w);
}


// ---------------------------------------------------------------------------
// Parsed formats.

enum class Op : std::uint8_t {
    // data descriptors
    I, F, E, ES, EN, D, G, A, L,
    // everything else
    X, T, TL, TR, Slash, Colon, Lit, Scale, SignS, SignSP, Blank, Open, Close, End
};

inline bool is_data(Op op) { return op <= Op::L; }

struct Node {
    Op op;
    std::int32_t rep = 1;  // repeat count (data, Open, Slash)
    std::int32_t w = 0;    // width; X/T/TL/TR count; Scale factor; Lit length; -1: A without width
    std::int32_t d = -1;   // decimals; minimum digits of I (-1: none)
    std::int32_t e = 0;    // exponent digits (0: none)
    std::int32_t ref = 0;  // Lit: offset in the pool; Open/Close: index of the partner
    std::int32_t src = 0;  // descriptor text in the format, for messages
    std::int32_t srclen = 0;
};

class Program {
public:
    std::vector<Node> nodes;  // ends with End
    std::string pool;         // literal texts
    std::string text;         // the format as given
    int revert = 0;           // where reversion resumes
    bool revert_has_data = false;
};

namespace {

class Parser {
public:
    Parser(std::string_view text, Program& p) : s_(text), p_(p) {}

    bool run(std::string& err) {
        skip();
        if (i_ >= s_.size() || s_[i_] != '(') return fail(err, "it must begin with '('");
        ++i_;
        std::vector<int> opens;
        int last_top_open = -1;
        for (;;) {
            skip();
            if (i_ >= s_.size()) return fail(err, "missing ')'");
            const std::size_t start = i_;
            char c = up(s_[i_]);
            // Commas separate items; a missing comma between two items is
            // accepted, as the reference runtime does.
            if (c == ',') {
                if (p_.nodes.empty() || p_.nodes.back().op == Op::Open || comma_)
                    return fail(err, "empty item before ','");
                ++i_;
                comma_ = true;
                continue;
            }
            comma_ = false;
            if (c == ')') {
                if (sep_seen_after_item()) return fail(err, "empty item before ')'");
                ++i_;
                if (opens.empty()) {
                    skip();
                    if (i_ < s_.size()) return fail(err, "text after the closing ')'");
                    break;
                }
                const int o = opens.back();
                opens.pop_back();
                Node n{Op::Close};
                n.ref = o;
                p_.nodes[static_cast<std::size_t>(o)].ref = static_cast<int>(p_.nodes.size());
                if (opens.empty()) last_top_open = o;
                p_.nodes.push_back(n);
                continue;
            }
            // Optional count: repeat, X count, P factor (signed), H length.
            bool has_count = false, negative = false, sign = false;
            long count = 0;
            if (c == '+' || c == '-') {
                sign = true;
                negative = c == '-';
                ++i_;
                skip();
                if (i_ >= s_.size() || !isdig(s_[i_])) return fail(err, "a sign must be followed by a scale factor such as -1P");
            }
            if (i_ < s_.size() && isdig(s_[i_])) {
                if (!number(count, err)) return false;
                has_count = true;
                skip();
                if (i_ >= s_.size()) return fail(err, "missing ')'");
                c = up(s_[i_]);
            }
            if (sign && c != 'P')
                return fail(err, "a signed number must be a scale factor (kP)");
            Node n{Op::End};
            n.src = static_cast<int>(start);
            if (c == 'P') {
                if (!has_count) return fail(err, "P needs a scale factor before it, as in 1P");
                ++i_;
                n.op = Op::Scale;
                n.w = static_cast<int>(negative ? -count : count);
                finish_node(n, start);  // kP may be followed directly by a descriptor
                continue;
            }
            if (c == 'H') {
                if (!has_count || count == 0) return fail(err, "H needs a positive character count before it");
                ++i_;
                if (i_ + static_cast<std::size_t>(count) > s_.size()) return fail(err, "the Hollerith text runs past the end");
                n.op = Op::Lit;
                n.ref = static_cast<int>(p_.pool.size());
                n.w = static_cast<int>(count);
                p_.pool.append(s_.substr(i_, static_cast<std::size_t>(count)));
                i_ += static_cast<std::size_t>(count);
                finish_node(n, start);
                continue;
            }
            if (c == '\'' || c == '"') {
                if (has_count) return fail(err, "a repeat count cannot precede a quoted text");
                if (!literal(n, err)) return false;
                finish_node(n, start);
                continue;
            }
            if (c == '/' || c == ':') {
                ++i_;
                n.op = c == '/' ? Op::Slash : Op::Colon;
                if (has_count && (c == ':' || count == 0)) return fail(err, c == ':' ? "a count cannot precede ':'" : "a repeat count must be positive");
                n.rep = has_count ? static_cast<int>(count) : 1;
                finish_node(n, start);
                continue;
            }
            if (c == '(') {
                if (has_count && count == 0) return fail(err, "a repeat count must be positive");
                ++i_;
                n.op = Op::Open;
                n.rep = has_count ? static_cast<int>(count) : 1;
                finish_node(n, start);
                opens.push_back(static_cast<int>(p_.nodes.size()) - 1);
                continue;
            }
            if (c == 'X') {
                ++i_;
                n.op = Op::X;
                if (has_count && count == 0) return fail(err, "X needs a positive count");
                n.w = has_count ? static_cast<int>(count) : 1;
                finish_node(n, start);
                continue;
            }
            if (!descriptor(n, c, has_count, count, err)) return false;
            finish_node(n, start);
        }
        if (!opens.empty()) return fail(err, "missing ')'");
        Node end{Op::End};
        end.src = static_cast<int>(s_.size());
        p_.nodes.push_back(end);
        p_.revert = last_top_open < 0 ? 0 : last_top_open;
        for (std::size_t k = static_cast<std::size_t>(p_.revert); k < p_.nodes.size(); ++k)
            if (is_data(p_.nodes[k].op)) p_.revert_has_data = true;
        return true;
    }

private:
    std::string_view s_;
    Program& p_;
    std::size_t i_ = 0;
    bool comma_ = false;

    static char up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
    static bool isdig(char c) { return c >= '0' && c <= '9'; }
    void skip() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    }
    // True when the last thing before the current ')' was a comma (an empty item).
    bool sep_seen_after_item() const {
        std::size_t k = i_;
        while (k > 0) {
            --k;
            if (s_[k] == ' ' || s_[k] == '\t') continue;
            return s_[k] == ',';
        }
        return false;
    }
    bool fail(std::string& err, std::string_view why) {
        err = "Format ";
        err += s_;
        err += ": ";
        err += why;
        err += " (at character ";
        err += std::to_string(std::min(i_, s_.size()) + 1);
        err += ")";
        return false;
    }
    void finish_node(Node& n, std::size_t start) {
        n.src = static_cast<int>(start);
        n.srclen = static_cast<int>(i_ - start);
        p_.nodes.push_back(n);
    }
    // Digits with embedded blanks ignored.
    bool number(long& v, std::string& err) {
        v = 0;
        bool any = false;
        for (;;) {
            skip();
            if (i_ >= s_.size() || !isdig(s_[i_])) break;
            v = v * 10 + (s_[i_] - '0');
            if (v > 999999) return fail(err, "number too large");
            ++i_;
            any = true;
        }
        if (!any) return fail(err, "a number is missing");
        return true;
    }
    bool peek_digit() {
        skip();
        return i_ < s_.size() && isdig(s_[i_]);
    }
    bool peek(char c) {
        skip();
        return i_ < s_.size() && up(s_[i_]) == c;
    }
    // Takes the letter c when it comes next.
    bool accept(char c) {
        if (!peek(c)) return false;
        ++i_;
        return true;
    }
    bool literal(Node& n, std::string& err) {
        const char q = s_[i_++];
        n.op = Op::Lit;
        n.ref = static_cast<int>(p_.pool.size());
        for (;;) {
            if (i_ >= s_.size()) return fail(err, "unterminated quoted text");
            if (s_[i_] == q) {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == q) {
                    p_.pool += q;
                    i_ += 2;
                    continue;
                }
                ++i_;
                break;
            }
            p_.pool += s_[i_++];
        }
        n.w = static_cast<int>(p_.pool.size()) - n.ref;
        return true;
    }
    bool descriptor(Node& n, char c, bool has_count, long count, std::string& err) {
        const std::size_t at = i_;
        ++i_;
        auto no_count = [&](const char* what) {
            if (has_count) {
                i_ = at;
                std::string m = "a count cannot precede ";
                m += what;
                return fail(err, m);
            }
            return true;
        };
        if (has_count && count == 0) {
            i_ = at;
            return fail(err, "a repeat count must be positive");
        }
        n.rep = has_count ? static_cast<int>(count) : 1;
        long w = 0, d = 0, e = 0;
        switch (c) {
        case 'I':
            n.op = Op::I;
            if (!number(w, err)) return false;
            n.w = static_cast<int>(w);
            if (accept('.')) {
                if (!number(d, err)) return false;
                n.d = static_cast<int>(d);
                if (w > 0 && d > w) return fail(err, "the minimum digits of I exceed its width");
            }
            return true;
        case 'F':
        case 'D':
        case 'E':
        case 'G':
            if (c == 'E' && accept('N')) {
                n.op = Op::EN;
            } else if (c == 'E' && accept('S')) {
                n.op = Op::ES;
            } else {
                n.op = c == 'F' ? Op::F : c == 'D' ? Op::D : c == 'E' ? Op::E : Op::G;
            }
            if (!number(w, err)) return false;
            if (w == 0 && n.op != Op::F) return fail(err, "this descriptor needs a positive width");
            if (!accept('.')) return fail(err, "a '.' and the number of decimals are missing");
            if (!number(d, err)) return false;
            n.w = static_cast<int>(w);
            n.d = static_cast<int>(d);
            if (n.op != Op::F && n.op != Op::D && peek('E')) {
                const std::size_t back = i_;
                ++i_;
                if (peek_digit()) {
                    if (!number(e, err)) return false;
                    if (e == 0) return fail(err, "the exponent needs at least one digit");
                    if (e > 15) return fail(err, "at most 15 exponent digits");
                    n.e = static_cast<int>(e);
                } else {
                    i_ = back;  // an E descriptor follows without a comma
                }
            }
            return true;
        case 'A':
            n.op = Op::A;
            n.w = -1;
            if (peek_digit()) {
                if (!number(w, err)) return false;
                if (w == 0) return fail(err, "A needs a positive width");
                n.w = static_cast<int>(w);
            }
            return true;
        case 'L':
            n.op = Op::L;
            if (!number(w, err)) return false;
            if (w == 0) return fail(err, "L needs a positive width");
            n.w = static_cast<int>(w);
            return true;
        case 'T':
            if (!no_count("T")) return false;
            n.op = accept('L') ? Op::TL : accept('R') ? Op::TR : Op::T;
            if (!number(w, err)) return false;
            if (w == 0) return fail(err, "a tab needs a positive position or count");
            n.w = static_cast<int>(w);
            n.rep = 1;
            return true;
        case 'S':
            if (!no_count("S, SP or SS")) return false;
            n.op = accept('P') ? Op::SignSP : Op::SignS;
            if (n.op == Op::SignS) accept('S');
            n.rep = 1;
            return true;
        case 'B':
            if (!no_count("BN or BZ")) return false;
            if (accept('N') || accept('Z')) {
                n.op = Op::Blank;
                n.rep = 1;
                return true;
            }
            i_ = at;
            return fail(err, "binary editing (B) is not supported");
        default:
            i_ = at;
            if (c == ')' || c == '(') return fail(err, "unexpected parenthesis");
            return fail(err, std::string("unknown descriptor '") + s_[at] + "'");
        }
    }
};

}  // namespace

std::optional<Format> Format::parse(std::string_view text, std::string* error) {
    auto prog = std::make_unique<Program>();
    prog->text.assign(text);
    std::string err;
    Parser parser(prog->text, *prog);
    if (!parser.run(err)) {
        if (error) *error = err;
        return std::nullopt;
    }
    Format f;
    f.program_ = std::move(prog);
    return f;
}

Format::Format(const Format& o) : program_(o.program_ ? std::make_unique<Program>(*o.program_) : nullptr) {}
Format& Format::operator=(const Format& o) {
    if (this != &o) program_ = o.program_ ? std::make_unique<Program>(*o.program_) : nullptr;
    return *this;
}
Format::Format(Format&&) noexcept = default;
Format& Format::operator=(Format&&) noexcept = default;
Format::~Format() = default;

// ---------------------------------------------------------------------------
// Writing records.

namespace {

std::string descriptor_text(const Program& p, const Node& n) {
    return p.text.substr(static_cast<std::size_t>(n.src), static_cast<std::size_t>(n.srclen));
}

}  // namespace

struct RecordWriter::State {
    const Program* p;
    std::string* out;
    std::string* error;
    std::size_t start;       // size of out when the record began (restored on error)
    std::size_t line_start;  // where the current line begins in out
    std::size_t pos = 0;     // current column of the line
    int pc = 0;
    int rep_left = 0;  // remaining repeats of the data node at pc
    int scale = 0;
    bool plus = false;
    int items = 0;
    bool finished = false;
    struct Level {
        int open;
        int left;
    };
    std::vector<Level> stack;
    std::string scratch;

    // Blanks up to the current column; true when the column is at the end of
    // the line, so that a field may be appended in place.
    bool at_end() {
        const std::size_t len = out->size() - line_start;
        if (pos > len) out->append(pos - len, ' ');
        return pos >= len;
    }
    // Places text at the current column (overwriting when tabbed back).
    void place(const char* s, std::size_t n) {
        if (at_end()) {
            out->append(s, n);
        } else {
            const std::size_t at = line_start + pos;
            const std::size_t over = std::min(n, out->size() - at);
            std::memcpy(out->data() + at, s, over);
            out->append(s + over, n - over);
        }
        pos += n;
    }
    void end_line() {
        out->push_back('\n');
        line_start = out->size();
        pos = 0;
    }
    void fail(std::string msg) {
        *error = std::move(msg);
        out->resize(start);
        finished = true;
    }

    // Runs the format up to the next data descriptor and returns it. With no
    // item to write (have_item false) it stops at a data descriptor, a ':' or
    // the end and returns nullptr. nullptr with the error set on failure.
    const Node* advance(bool have_item) {
        const std::vector<Node>& nodes = p->nodes;
        for (;;) {
            const Node& n = nodes[static_cast<std::size_t>(pc)];
            switch (n.op) {
            case Op::I:
            case Op::F:
            case Op::E:
            case Op::ES:
            case Op::EN:
            case Op::D:
            case Op::G:
            case Op::A:
            case Op::L:
                if (!have_item) return nullptr;
                if (rep_left == 0) rep_left = n.rep;
                if (--rep_left == 0) ++pc;
                return &n;
            case Op::Lit:
                place(p->pool.data() + n.ref, static_cast<std::size_t>(n.w));
                ++pc;
                break;
            case Op::X:
            case Op::TR:
                pos += static_cast<std::size_t>(n.w);
                ++pc;
                break;
            case Op::T:
                pos = static_cast<std::size_t>(n.w - 1);
                ++pc;
                break;
            case Op::TL:
                // Tabbing left stops at the start of the line. Positions follow
                // the standard's rules throughout; the reference runtime strays
                // from them only when T or TL comes right after another position
                // change (X, TR, T, TL) with nothing written between.
                pos = pos > static_cast<std::size_t>(n.w) ? pos - static_cast<std::size_t>(n.w) : 0;
                ++pc;
                break;
            case Op::Slash:
                for (int k = 0; k < n.rep; ++k) end_line();
                ++pc;
                break;
            case Op::Colon:
                if (!have_item) return nullptr;
                ++pc;
                break;
            case Op::Scale:
                scale = n.w;
                ++pc;
                break;
            case Op::SignS:
                plus = false;
                ++pc;
                break;
            case Op::SignSP:
                plus = true;
                ++pc;
                break;
            case Op::Blank: ++pc; break;
            case Op::Open:
                stack.push_back({pc, n.rep});
                ++pc;
                break;
            case Op::Close:
                if (--stack.back().left > 0) {
                    pc = stack.back().open + 1;
                } else {
                    stack.pop_back();
                    ++pc;
                }
                break;
            case Op::End:
                if (!have_item) return nullptr;
                if (!p->revert_has_data) {
                    fail("Format " + p->text + ": no data descriptor for item " + std::to_string(items + 1));
                    return nullptr;
                }
                // Reversion: a new line, then the last top-level group.
                end_line();
                pc = p->revert;
                break;
            }
        }
    }

    // The data descriptor of the next item, or nullptr after an error.
    const Node* next_item() {
        if (finished) return nullptr;
        if (rep_left > 0) {  // the next repeat of the descriptor just used
            const Node* n = &p->nodes[static_cast<std::size_t>(pc)];
            if (--rep_left == 0) ++pc;
            ++items;
            return n;
        }
        const Node* n = advance(true);
        ++items;
        return n;
    }

    void mismatch(const Node& n, const char* what) {
        fail("Format " + p->text + ": item " + std::to_string(items) + " is " + what +
             ", which does not fit the descriptor " + descriptor_text(*p, n));
    }

    // Where a field goes: appended to the line in place, or through the
    // scratch buffer when the column lies inside text already written.
    template <class Fn>
    bool field(Fn&& put) {
        if (at_end()) {
            const std::size_t before = out->size();
            const bool ok = put(*out);
            pos += out->size() - before;
            return ok;
        }
        scratch.clear();
        const bool ok = put(scratch);
        place(scratch.data(), scratch.size());
        return ok;
    }

    // single: the item is a REAL; G then chooses its form by the limits of
    // that kind, every other descriptor writes the value widened to double.
    void real(double v, const float* single = nullptr) {
        const Node* n = next_item();
        if (!n) return;
        bool ok = true;
        switch (n->op) {
        case Op::F: field([&](std::string& o) { fixed_field(o, v, n->w, n->d, scale, plus); return true; }); return;
        case Op::E: ok = field([&](std::string& o) { return exp_field(o, v, n->w, n->d, n->e, scale, plus, ExpForm::E); }); break;
        case Op::D: ok = field([&](std::string& o) { return exp_field(o, v, n->w, n->d, n->e, scale, plus, ExpForm::D); }); break;
        case Op::ES: field([&](std::string& o) { return exp_field(o, v, n->w, n->d, n->e, 0, plus, ExpForm::ES); }); return;
        case Op::EN: field([&](std::string& o) { return exp_field(o, v, n->w, n->d, n->e, 0, plus, ExpForm::EN); }); return;
        case Op::G:
            // The common case first: a REAL appended at the end of the line.
            if (single && scale == 0 && at_end() && general_single_quick(*out, *single, n->w, n->d, n->e, plus)) {
                pos += static_cast<std::size_t>(n->w);
                return;
            }
            ok = field([&](std::string& o) {
                return single ? general_field(o, *single, n->w, n->d, n->e, scale, plus)
                              : general_field(o, v, n->w, n->d, n->e, scale, plus);
            });
            break;
        default: mismatch(*n, "a real"); return;
        }
        if (!ok)
            fail("Format " + p->text + ": scale factor " + std::to_string(scale) + "P is out of range for " +
                 descriptor_text(*p, *n) + " (item " + std::to_string(items) + ")");
    }
};

RecordWriter::RecordWriter(const Format& format, std::string& out) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.p = &format.program();
    s.out = &out;
    s.error = &error_;
    s.start = out.size();
    s.line_start = out.size();
}

RecordWriter::~RecordWriter() = default;

void RecordWriter::integer(std::int32_t v) {
    State& s = *state_;
    const Node* n = s.next_item();
    if (!n) return;
    if (n->op != Op::I && n->op != Op::G) return s.mismatch(*n, "an integer");
    // Under G an integer is written as by Iw.
    const int m = n->op == Op::I ? n->d : -1;
    s.field([&](std::string& o) {
        int_field(o, v, n->w, m, s.plus);
        return true;
    });
}

void RecordWriter::real(float v) {
    const double x = v;
    state_->real(x, &v);
}

void RecordWriter::real(double v) { state_->real(v); }

void RecordWriter::text(std::string_view v) {
    State& s = *state_;
    const Node* n = s.next_item();
    if (!n) return;
    if (n->op != Op::A && n->op != Op::G) return s.mismatch(*n, "a text");
    // Aw: a longer text is cut to its first w characters, a shorter one is
    // right-justified; A alone writes the whole text.
    if (n->w < 0 || static_cast<std::size_t>(n->w) == v.size()) {
        s.place(v.data(), v.size());
    } else if (static_cast<std::size_t>(n->w) < v.size()) {
        s.place(v.data(), static_cast<std::size_t>(n->w));
    } else {
        const std::size_t pad = static_cast<std::size_t>(n->w) - v.size();
        s.scratch.assign(pad, ' ');
        s.scratch.append(v);
        s.place(s.scratch.data(), s.scratch.size());
    }
}

void RecordWriter::logical(bool v) {
    State& s = *state_;
    const Node* n = s.next_item();
    if (!n) return;
    if (n->op != Op::L && n->op != Op::G) return s.mismatch(*n, "a logical");
    s.scratch.assign(static_cast<std::size_t>(n->w - 1), ' ');
    s.scratch.push_back(v ? 'T' : 'F');
    s.place(s.scratch.data(), s.scratch.size());
}

bool RecordWriter::finish() {
    State& s = *state_;
    if (s.finished) return error_.empty();
    s.advance(false);
    if (!error_.empty()) return false;
    s.end_line();
    s.finished = true;
    return true;
}

}  // namespace morvane::fmt
