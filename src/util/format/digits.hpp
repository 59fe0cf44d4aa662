// Decimal digits of a rounded magnitude (inside the formatted-output engine).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "util/format/pow10.hpp"

namespace morvane::fmt::detail {

// Digits of a value rounded to a number of significant digits or decimals.
// The digits are in buf[0..n), without leading zeros except for a zero value;
// exp10 is the decimal exponent of the first digit (value = 0.D1D2.. * 10^(exp10+1)).
struct Digits {
    char* buf;
    int n = 0;
    int exp10 = 0;
    bool zero = true;
};

// Stack buffers of this many characters serve all but very long fields.
inline constexpr int kSmallBuf = 400;

// Exact decimal expansion of a >= 0: all digits and the position of the point
// (digits before it).
void exact_expansion(double a, std::string& digits, int& point);

// Rounds the digit string s (all digits exact) to keep = number of leading
// digits, ties to even. Returns true when the rounding carried into a new
// leading digit (s then starts with '1' and is one digit longer).
bool round_digits(std::string& s, int keep);

// The two-digit texts 00 .. 99.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes q as exactly n digits (zeros in front).
inline void put_digits(char* p, std::uint64_t q, int n) {
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

// Writes the n lowest digits of q backwards, ending just before c, and drops
// them from q; returns where they begin.
[[gnu::always_inline]] inline char* put_digits_back(char* c, std::uint32_t& q, int n) {
    for (; n >= 2; n -= 2, q /= 100) {
        c -= 2;
        c[0] = kDigitPairs[2 * (q % 100)];
        c[1] = kDigitPairs[2 * (q % 100) + 1];
    }
    if (n > 0) {
        *--c = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    return c;
}

// q = a * 10^s rounded to nearest, ties to even; a > 0 finite. False (q
// unset) when the operands or the result do not fit the integer arithmetic
// (always on a build without 128-bit integers). Inline: the F fields of the
// drawing layer round every coordinate through it.
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
inline constexpr std::array<u128, 39> kPow10 = make_pow10();

inline int bit_length(u128 v) {
    const auto hi = static_cast<std::uint64_t>(v >> 64);
    if (hi) return 128 - __builtin_clzll(hi);
    const auto lo = static_cast<std::uint64_t>(v);
    return lo ? 64 - __builtin_clzll(lo) : 0;
}


inline bool scaled_round(double a, int s, std::uint64_t& q) {
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
#else
inline bool scaled_round(double, int, std::uint64_t&) { return false; }
#endif

// |a| rounded to nsig significant digits (nsig >= 1) into dg.buf, which
// must hold nsig + 32 characters.
void sig_digits(double a, int nsig, Digits& dg);

// Exact decimal exponent of a > 0 (floor(log10 a)), without rounding.
int exact_exp10(double a);

}  // namespace morvane::fmt::detail
