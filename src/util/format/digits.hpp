// Decimal digits of a rounded magnitude (inside the formatted-output engine).
#pragma once

#include <cstdint>
#include <string>

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
void put_digits(char* p, std::uint64_t q, int n);

// Writes the n lowest digits of q backwards, ending just before c, and drops
// them from q; returns where they begin.
inline char* put_digits_back(char* c, std::uint32_t& q, int n) {
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
// unset) when the operands or the result do not fit the integer arithmetic.
bool scaled_round(double a, int s, std::uint64_t& q);

// |a| rounded to nsig significant digits (nsig >= 1) into dg.buf, which
// must hold nsig + 32 characters.
void sig_digits(double a, int nsig, Digits& dg);

// Exact decimal exponent of a > 0 (floor(log10 a)), without rounding.
int exact_exp10(double a);

}  // namespace morvane::fmt::detail
