// Powers of ten, the one set of tables of the formatted-output engine and the
// free-form reader.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace morvane {

// 10^0 .. 10^19 as 64-bit integers, and their bit lengths.
inline constexpr std::uint64_t kPow10u[20] = {
    1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL, 10000000ULL, 100000000ULL, 1000000000ULL,
    10000000000ULL, 100000000000ULL, 1000000000000ULL, 10000000000000ULL, 100000000000000ULL,
    1000000000000000ULL, 10000000000000000ULL, 100000000000000000ULL, 1000000000000000000ULL,
    10000000000000000000ULL};
inline constexpr int kPow10Bits[20] = {1, 4, 7, 10, 14, 17, 20, 24, 27, 30, 34, 37, 40, 44, 47, 50, 54, 57, 60, 64};

namespace detail {
constexpr std::array<double, 617> make_pow10d() {
    std::array<double, 617> t{};
    t[308] = 1.0;
    for (std::size_t i = 309; i < 617; ++i) t[i] = t[i - 1] * 10.0;
    for (std::size_t i = 308; i-- > 0;) t[i] = t[i + 1] / 10.0;
    return t;
}
constexpr std::array<float, 39> make_pow10f() {
    std::array<float, 39> t{};
    float v = 1.0f;
    for (std::size_t k = 0; k < t.size(); ++k) {
        t[k] = v;
        if (k + 1 < t.size()) v *= 10.0f;
    }
    return t;
}
inline constexpr std::array<double, 617> kPow10dTable = make_pow10d();
}  // namespace detail

// 10^k as doubles for k = -308 .. 308 (kPow10d[k]), each the double product
// (or quotient) of its neighbour nearer to 10^0 and 10: exact for k = 0 .. 22,
// close but not all exact elsewhere.
inline constexpr const double* kPow10d = detail::kPow10dTable.data() + 308;

// 10^0 .. 10^38 as 32-bit floats, built the same way: exact up to 10^10 (so
// 1e25 and a few others lie a unit in the last place above the nearest float).
inline constexpr std::array<float, 39> kPow10f = detail::make_pow10f();

// 10^k in the kind of the first argument, infinity beyond the kind's range.
inline float pow10_of(float, int k) {
    return k < 39 ? kPow10f[static_cast<std::size_t>(k)] : std::numeric_limits<float>::infinity();
}
inline double pow10_of(double, int k) { return k <= 308 ? kPow10d[k] : std::numeric_limits<double>::infinity(); }

}  // namespace morvane
