// Eight decimal digits at a time in a 64-bit word (the first digit in the
// lowest byte, as a little-endian load of the text puts it): which bytes
// are digits, and the value of the leading ones by three multiplications.
#pragma once

#include <bit>
#include <cstdint>

namespace morvane {

// Whether the words hold the text's bytes in its order (else the readers
// take their byte loops).
inline constexpr bool kSwar = std::endian::native == std::endian::little;

// The low k bytes of a word (k = 0 .. 8).
inline constexpr std::uint64_t kLowBytes[9] = {0,
                                               0xFFULL,
                                               0xFFFFULL,
                                               0xFFFFFFULL,
                                               0xFFFFFFFFULL,
                                               0xFFFFFFFFFFULL,
                                               0xFFFFFFFFFFFFULL,
                                               0xFFFFFFFFFFFFFFULL,
                                               ~0ULL};

// Number of leading bytes of x that are '0'..'9' (0..8). The test yields a
// nonzero high nibble bit in every byte that is not a digit; a carry out of
// a non-digit byte only reaches the bytes after it.
[[gnu::always_inline]] inline std::uint64_t non_digits(std::uint64_t x) {
    return ((x & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL) |
           (((x + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL);
}
[[gnu::always_inline]] inline int leading_digits(std::uint64_t x) {
    const std::uint64_t bad = non_digits(x);
    return bad ? std::countr_zero(bad) >> 3 : 8;
}

// The value of the k (1..8) digits in the low bytes of x (the first digit
// in the lowest byte); the bytes above them are ignored.
[[gnu::always_inline]] inline std::uint64_t digits_value(std::uint64_t x, int k) {
    // The digits moved to the top, zeros (digit 0) before them.
    std::uint64_t d = (x & 0x0F0F0F0F0F0F0F0FULL) << (8 * (8 - k));
    d = d * 10 + (d >> 8);
    return (((d & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
            (((d >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
           32;
}

}  // namespace morvane
