#include "chemistry/constants.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "support/test_support.hpp"

namespace morvane {
namespace {

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

TEST(EquilibriumConstants, EdgeCasesAreExact) {
    // 1/298 rounds to the stored constant, so the correction vanishes at 25 C.
    EXPECT_EQ(bits(fkcaco3(25.0f)), bits(141263.5f));
    // The bracket is zero at the 10 C reference temperature.
    for (float lgk : {-8.5f, 0.0f, 3.25f, 9.9f}) EXPECT_EQ(bits(flgkalox(lgk, 10.0f)), bits(lgk)) << lgk;
    // FKCO3 is twice 10^e, rounded once at the end.
    for (float t : {0.0f, 8.0f, 25.0f}) {
        const double tk = static_cast<double>(t + 273.0f);
        const double e = ((double{6.53f} - double{2906.0f} / tk) - double{0.0238f} * tk) + 3.0;
        EXPECT_EQ(bits(fkco3(t)), bits(static_cast<float>(2.0 * std::pow(10.0, e)))) << t;
        EXPECT_NE(bits(fkco3(t)), bits(static_cast<float>(std::pow(10.0, e)))) << t;
    }
}

TEST(EquilibriumConstants, MinusTwoSeventyThreeDividesByZero) {
    EXPECT_TRUE(std::isinf(1.0f / (-273.0f + 273.0f)));
    EXPECT_TRUE(std::isinf(flgkalox(1.0f, -273.0f)));
}

// Every temperature from -10 to 40 C in steps of 0.1, bit for bit against the
// same formulas compiled by gfortran with REAL / DOUBLE PRECISION variables.
TEST(EquilibriumConstants, MatchFortranOracleBitForBit) {
    const std::string out = morvane::testing::run_command(ORACLE_CONSTANTS);
    std::istringstream in(out);
    int i = 0, rows = 0;
    std::int64_t r[5];
    while (in >> i >> r[0] >> r[1] >> r[2] >> r[3] >> r[4]) {
        const float t = static_cast<float>(i) / 10.0f;
        const float lgk = 8.0f + static_cast<float>(i) * 0.01f;
        const float ours[5] = {fkhco3(t), fkco3(t), fkoh(t), fkcaco3(t), flgkalox(lgk, t)};
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(bits(ours[k]), static_cast<std::uint32_t>(r[k])) << "function " << k << " at T=" << t;
        ++rows;
    }
    EXPECT_EQ(rows, 501);
}

}  // namespace
}  // namespace morvane
