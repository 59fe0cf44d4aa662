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

}  // namespace morvane::fmt::detail
