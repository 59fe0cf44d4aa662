#include "output/valcrit.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "support/test_support.hpp"

namespace morvane {
namespace {

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

float crit(int ic, float x2, float x3, float x4, float x5, float x6, float x7 = 0, float x8 = 0) {
    return val_crit(ic, &x2, &x3, &x4, &x5, &x6, &x7, &x8);
}

TEST(ValCrit, EdgeCases) {
    const float inv_eps = 999.99994f;  // 1 / 0.001 in 32-bit floats
    ASSERT_EQ(bits(1.0f / 0.001f), bits(inv_eps));
    struct Case {
        const char* what;
        int ic;
        float x2, x3, x4, x5, x6, x7, x8;
        float want;
    } cases[] = {
        {"undefined 0", 0, 1, 2, 3, 4, 5, 6, 7, -999},
        {"undefined 7", 7, 1, 2, 3, 4, 5, 6, 7, -999},
        {"undefined 9", 9, 1, 2, 3, 4, 5, 6, 7, -999},
        {"undefined 10", 10, 1, 2, 3, 4, 5, 6, 7, -999},
        {"undefined 12", 12, 1, 2, 3, 4, 5, 6, 7, -999},
        {"undefined -1", -1, 1, 2, 3, 4, 5, 6, 7, -999},
        {"1: zero S, 1/eps", 1, 0, 0, 0, 0, 3, 0, 0, inv_eps},
        {"1: zero S, small numerator gives eps", 1, 0, 0, 0, 0, 0.0015f, 0, 0, 0.001f},
        {"1: zero S, negative", 1, 0, 0, 0, 0, -3, 0, 0, -inv_eps},
        {"1: zero S, small negative", 1, 0, 0, 0, 0, -0.0015f, 0, 0, -0.001f},
        {"1: zero S, zero numerator", 1, 0, 0, 0, 0, 0, 0, 0, 0.001f},
        {"1: S cancels to zero", 1, 2, 4, -3, 0, 3, 0, 0, inv_eps},
        {"1: ratio", 1, 2, 4, 1, 0, 6, 0, 0, 0.5f},
        {"2", 2, 0, 0, 0, 0, 6.5f, 0, 0, 6.5f},
        {"3", 3, 0, 0, 0, 0, 0, 0, -8.25f, -8.25f},
        {"4 at 1", 4, 0, 0, 0, 1, 0, 0, 0, 3},
        {"4 at 0.001", 4, 0, 0, 0, 0.001f, 0, 0, 0, 6},
        {"4 at 0", 4, 0, 0, 0, 0, 0, 0, 0, INFINITY},
        {"5", 5, 0, 0, 0, 0, 0, 7.5f, 0, 7.5f},
        {"6: ratio", 6, 1, 3, 2, 8, 0, 0, 0, 0.5f},
        {"6: zero denominator", 6, 1, 3, 2, 0, 0, 0, 0, inv_eps},
        {"6: zero denominator, negative S", 6, -1, -3, -2, 0, 0, 0, 0, -inv_eps},
        {"8", 8, 4, 0, 0, 0, 6, 0, 0, 1},
        {"8: zero X2", 8, 0, 1, 1, 0, 6, 0, 0, inv_eps},
        {"11 at 0.1 returns X6", 11, 0, 0, 0, 0, 0.1f, 0, 0, 0.1f},
        {"11 below 0.1 returns X6", 11, 5, 5, 5, 0, 0.05f, 0, 0, 0.05f},
        {"11 above 0.1 is criterion 1", 11, 0, 0, 0, 0, 0.3f, 0, 0, inv_eps},
        {"11 above 0.1, ratio", 11, 2, 4, 1, 0, 6, 0, 0, 0.5f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bits(crit(c.ic, c.x2, c.x3, c.x4, c.x5, c.x6, c.x7, c.x8)), bits(c.want)) << c.what;
    EXPECT_TRUE(std::isnan(crit(4, 0, 0, 0, -1, 0)));
}

TEST(ValCrit, ReadsOnlyTheNamedArguments) {
    const float x6 = 6, x8 = 8, x7 = 7, x5 = 0.01f;
    EXPECT_EQ(val_crit(2, nullptr, nullptr, nullptr, nullptr, &x6, nullptr, nullptr), 6.0f);
    EXPECT_EQ(val_crit(3, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &x8), 8.0f);
    EXPECT_EQ(val_crit(4, nullptr, nullptr, nullptr, &x5, nullptr, nullptr, nullptr), 5.0f);
    EXPECT_EQ(val_crit(5, nullptr, nullptr, nullptr, nullptr, nullptr, &x7, nullptr), 7.0f);
    EXPECT_EQ(val_crit(9, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -999.0f);
    const float small = 0.1f;
    EXPECT_EQ(val_crit(11, nullptr, nullptr, nullptr, nullptr, &small, nullptr, nullptr), 0.1f);
}

// Every criterion from -1 to 13 on 338 argument sets, bit for bit against the
// definitions compiled by gfortran in REAL arithmetic.
TEST(ValCrit, MatchesFortranOracleBitForBit) {
    const float v[13] = {0.0f, 3.0f, -3.0f, 0.0015f, -0.0015f, 0.1f, 0.25f, 1.0f, 0.001f, 7.7f, -2.5f, 1.0e-4f, 1234.5f};
    std::istringstream in(morvane::testing::run_command(ORACLE_VALCRIT));
    int ic = 0, ncase = 0, lines = 0;
    std::int64_t want = 0;
    while (in >> ic >> ncase >> want) {
        const int i2 = ncase / 26, i6 = (ncase / 2) % 13, k = ncase % 2;
        float x[9];
        x[2] = v[i2];
        x[3] = v[(i2 + i6) % 13];
        x[4] = k == 0 ? v[(3 * i2 + i6) % 13] : -((x[2] + x[3]) * 0.5f);
        x[5] = v[(i2 + 2 * i6 + k) % 13];
        x[6] = v[i6];
        x[7] = v[(5 * i6 + 1) % 13];
        x[8] = v[(i2 + 7) % 13];
        const float got = val_crit(ic, &x[2], &x[3], &x[4], &x[5], &x[6], &x[7], &x[8]);
        const float expect = std::bit_cast<float>(static_cast<std::uint32_t>(want));
        if (std::isnan(expect))
            EXPECT_TRUE(std::isnan(got)) << "criterion " << ic << " case " << ncase;
        else
            EXPECT_EQ(bits(got), bits(expect)) << "criterion " << ic << " case " << ncase;
        ++lines;
    }
    EXPECT_EQ(lines, 338 * 15);
}

}  // namespace
}  // namespace morvane
