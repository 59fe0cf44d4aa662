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

// Only the arguments a criterion needs are read: the others may be null.
TEST(ValCrit, ReadsOnlyTheArgumentsItNeeds) {
    const float neg = -1, x6 = 6;
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
