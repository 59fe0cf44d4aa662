#include "output/valcrit.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "support/test_support.hpp"

namespace morvane {
namespace {

using morvane::testing::bits;

TEST(ValCrit, EdgeCases) {
    const float big = 999.99994f;  // 1 / 0.001 in 32-bit floats
    ASSERT_EQ(bits(1.0f / 0.001f), bits(big));
    const struct { int ic; float x[7]; float want; } cases[] = {  // x = X2..X8
        {-1, {1, 2, 3, 4, 5, 6, 7}, -999}, {0, {1, 2, 3, 4, 5, 6, 7}, -999}, {7, {1, 2, 3, 4, 5, 6, 7}, -999},
        {1, {0, 0, 0, 0, 3}, big}, {1, {0, 0, 0, 0, 0.0015f}, 0.001f}, {1, {0, 0, 0, 0, -3}, -big},
        {1, {0, 0, 0, 0, -0.0015f}, -0.001f}, {1, {0, 0, 0, 0, 0}, 0.001f}, {1, {2, 4, -3, 0, 3}, big},
        {1, {2, 4, 1, 0, 6}, 0.5f}, {2, {0, 0, 0, 0, 6.5f}, 6.5f}, {3, {0, 0, 0, 0, 0, 0, -8.25f}, -8.25f},
        {4, {0, 0, 0, 1}, 3}, {4, {0, 0, 0, 0.001f}, 6}, {4, {0, 0, 0, 0}, INFINITY}, {5, {0, 0, 0, 0, 0, 7.5f}, 7.5f},
        {6, {1, 3, 2, 8}, 0.5f}, {6, {1, 3, 2, 0}, big}, {6, {-1, -3, -2, 0}, -big}, {8, {4, 0, 0, 0, 6}, 1},
        {8, {0, 1, 1, 0, 6}, big}, {11, {0, 0, 0, 0, 0.1f}, 0.1f}, {11, {5, 5, 5, 0, 0.05f}, 0.05f},
        {11, {0, 0, 0, 0, 0.3f}, big}, {11, {2, 4, 1, 0, 6}, 0.5f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bits(val_crit(c.ic, &c.x[0], &c.x[1], &c.x[2], &c.x[3], &c.x[4], &c.x[5], &c.x[6])), bits(c.want))
            << c.ic << " " << c.x[0] << " " << c.x[4];
    const float neg = -1, x6 = 6;  // only the arguments a criterion needs are read
    EXPECT_TRUE(std::isnan(val_crit(4, nullptr, nullptr, nullptr, &neg, nullptr, nullptr, nullptr)));
    EXPECT_EQ(val_crit(2, nullptr, nullptr, nullptr, nullptr, &x6, nullptr, nullptr), 6.0f);
}

// Every criterion from -1 to 13 on 338 argument sets, bit for bit against the
// definitions compiled by gfortran in REAL arithmetic.
TEST(ValCrit, MatchesFortranOracleBitForBit) {
    const float v[13] = {0.0f, 3.0f, -3.0f, 0.0015f, -0.0015f, 0.1f, 0.25f, 1.0f, 0.001f, 7.7f, -2.5f, 1.0e-4f, 1234.5f};
    std::istringstream in(morvane::testing::run_command(ORACLE_VALCRIT));
    int ic = 0, n = 0, lines = 0;
    std::int64_t want = 0;
    for (; in >> ic >> n >> want; ++lines) {
        const int i2 = n / 26, i6 = (n / 2) % 13, k = n % 2;
        const float x2 = v[i2], x3 = v[(i2 + i6) % 13], x4 = k == 0 ? v[(3 * i2 + i6) % 13] : -((x2 + x3) * 0.5f);
        const float x5 = v[(i2 + 2 * i6 + k) % 13], x6 = v[i6], x7 = v[(5 * i6 + 1) % 13], x8 = v[(i2 + 7) % 13];
        const float got = val_crit(ic, &x2, &x3, &x4, &x5, &x6, &x7, &x8);
        const float expect = std::bit_cast<float>(static_cast<std::uint32_t>(want));
        if (std::isnan(expect)) EXPECT_TRUE(std::isnan(got)) << ic << " case " << n;
        else EXPECT_EQ(bits(got), bits(expect)) << ic << " case " << n;
    }
    EXPECT_EQ(lines, 338 * 15);
}

}  // namespace
}  // namespace morvane
