// Decimal digits of a rounded magnitude: the exact expansion of a double,
// rounding to a number of digits (ties to even on the exact binary value),
// and the fast exact roundings in integer arithmetic.
#include "util/format/digits.hpp"

#include <array>
#include <charconv>
#include <cstring>

#include "util/format/pow10.hpp"

namespace morvane::fmt::detail {

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


// Fast exact rounding for the common cases: a normal double times a power of
// ten, rounded to an integer (ties to even) with 128-bit integer arithmetic.
// Gives up (false) whenever the operands or the result do not fit; the
// callers then take the std::to_chars path, which gives the same digits.


#if defined(__SIZEOF_INT128__) && !defined(MORVANE_NO_INT128)  // the 32-bit build has no 128-bit integers


// a > 0 rounded to nsig (1..18) significant digits.
bool fast_sig_digits(double a, int nsig, Digits& dg) {
    if (nsig > 18) return false;
    std::uint64_t bits;
    std::memcpy(&bits, &a, 8);
    const int bexp = static_cast<int>((bits >> 52) & 0x7FF);
    if (bexp == 0 || bexp == 0x7FF) return false;
    const int e2 = bexp - 1023;  // a in [2^e2, 2^(e2+1))
    int x = (e2 * 78913) >> 18;  // floor(e2 * log10(2)): the exponent or one less
    if (x >= -307 && x < 307 && a >= kPow10d[x + 1]) ++x;  // nearly always exact now
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

}  // namespace morvane::fmt::detail
