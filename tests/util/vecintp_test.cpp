#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "util/numeric.hpp"

namespace morvane {
namespace {

constexpr float M = -99.0f;  // the readers' missing mark

struct Case {
    const char* what;
    std::int32_t n0, nb, ne;
    float xmiss;
    std::vector<float> in;
    int ierr;
    std::vector<float> out;
};

TEST(Vecintp, StatusesAndFilling) {
    const std::vector<Case> cases = {
        {"gaps and ends", 1, 1, 6, M, {M, 1, M, M, 4, M}, 0, {1, 1, 2, 3, 4, 4}},
        {"one valid entry", 1, 1, 4, M, {M, M, 7, M}, 0, {7, 7, 7, 7}},
        {"only the stretch", 1, 2, 4, M, {M, M, 2, M, M}, 0, {M, 2, 2, 2, M}},
        {"lower bound 1990", 1990, 1991, 1994, M, {M, 1, M, M, 4}, 0, {M, 1, 2, 3, 4}},
        {"below the mark is missing", 1, 1, 3, -999, {-1000, -999, -998}, 0, {-998, -998, -998}},
        {"-99 missing, -98.9 valid", 1, 1, 3, M, {-98.9f, -99.0f, 1.1f}, 0, {-98.9f, -48.9f, 1.1f}},
        {"NB = NE valid", 1, 2, 2, M, {M, 5, M}, 0, {M, 5, M}},
        {"NB = NE missing", 1, 2, 2, M, {M, M, 3}, 2, {M, M, 3}},
        {"no valid entry", 1, 1, 3, M, {M, -100, M}, 2, {M, -100, M}},
        {"NE < NB", 1, 3, 2, M, {1, 2, 3}, 2, {1, 2, 3}},
        {"N0 > NB", 2, 1, 3, M, {M, 1, M}, 1, {M, 1, M}},
        {"NE beyond the array", 1, 1, 4, M, {M, 1, M}, 1, {M, 1, M}},
    };
    for (const Case& c : cases) {
        std::vector<float> v = c.in;
        EXPECT_EQ(vecintp(c.n0, c.nb, c.ne, c.xmiss, v), c.ierr) << c.what;
        EXPECT_EQ(v, c.out) << c.what;
    }
}

// The slope is rounded to float once per gap and every value is a float sum of
// float products: 0.1 and 0.7 three steps apart give 0x3e999999, 0x3effffff
// (a double evaluation would give 0x3e99999a, 0x3f000000).
TEST(Vecintp, SinglePrecisionArithmetic) {
    std::vector<float> v = {0.1f, M, M, 0.7f};
    ASSERT_EQ(vecintp(1, 1, 4, M, v), 0);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v[1]), 0x3e999999u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v[2]), 0x3effffffu);

    v = {0.3f, M, M, M, M, M, 9.7f};
    ASSERT_EQ(vecintp(1, 1, 7, M, v), 0);
    const std::uint32_t want[] = {0x3feeeeee, 0x405bbbbb, 0x40a00000, 0x40d22222, 0x41022222};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(std::bit_cast<std::uint32_t>(v[i + 1]), want[i]) << i;
}

TEST(Vecintp, LargestBoundsDoNotOverflow) {
    const std::int32_t top = std::numeric_limits<std::int32_t>::max();
    std::vector<float> v = {1, M, 3};
    EXPECT_EQ(vecintp(top - 2, top - 2, top, M, v), 0);
    EXPECT_EQ(v, (std::vector<float>{1, 2, 3}));
}

}  // namespace
}  // namespace morvane
