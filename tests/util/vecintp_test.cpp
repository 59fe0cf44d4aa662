#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "util/numeric.hpp"

namespace morvane {
namespace {

constexpr float M = -99.0f;  // the readers' missing mark
constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();

// Float sums of float products, the slope rounded once per gap: 0.1 and 0.7 three steps apart give
// 0x3e999999 and 0x3effffff (in double 0x3e99999a and 0x3f000000).
TEST(Vecintp, StatusesAndFilling) {
    using V = std::vector<float>;
    struct Case { const char* what; std::int32_t n0, nb, ne; float xmiss; V in; int ierr; V out; };
    const Case cases[] = {
        {"gaps and ends", 1, 1, 6, M, {M, 1, M, M, 4, M}, 0, {1, 1, 2, 3, 4, 4}},
        {"one valid entry", 1, 1, 4, M, {M, M, 7, M}, 0, {7, 7, 7, 7}},
        {"only the stretch", 1, 2, 4, M, {M, M, 2, M, M}, 0, {M, 2, 2, 2, M}},
        {"lower bound 1990", 1990, 1991, 1994, M, {M, 1, M, M, 4}, 0, {M, 1, 2, 3, 4}},
        {"below the mark is missing", 1, 1, 3, -999, {-1000, -999, -998}, 0, {-998, -998, -998}},
        {"-99 missing, -98.9 valid", 1, 1, 3, M, {-98.9f, -99.0f, 1.1f}, 0, {-98.9f, -48.9f, 1.1f}},
        {"float slope", 1, 1, 4, M, {0.1f, M, M, 0.7f}, 0, {0.1f, 0x1.333332p-2f, 0x1.fffffep-2f, 0.7f}},
        {"float slope, 5 steps", 1, 1, 7, M, {0.3f, M, M, M, M, M, 9.7f}, 0,
         {0.3f, 0x1.dddddcp+0f, 0x1.b77776p+1f, 5.0f, 0x1.a44444p+2f, 0x1.044444p+3f, 9.7f}},
        {"largest bounds", kTop - 2, kTop - 2, kTop, M, {1, M, 3}, 0, {1, 2, 3}},
        {"NB = NE valid", 1, 2, 2, M, {M, 5, M}, 0, {M, 5, M}},
        {"NB = NE missing", 1, 2, 2, M, {M, M, 3}, 2, {M, M, 3}},
        {"no valid entry", 1, 1, 3, M, {M, -100, M}, 2, {M, -100, M}},
        {"NE < NB", 1, 3, 2, M, {1, 2, 3}, 2, {1, 2, 3}},
        {"N0 > NB", 2, 1, 3, M, {M, 1, M}, 1, {M, 1, M}},
        {"NE beyond the array", 1, 1, 4, M, {M, 1, M}, 1, {M, 1, M}},
    };
    for (const Case& c : cases) {
        std::vector<float> v = c.in;
        const int ierr = vecintp(c.n0, c.nb, c.ne, c.xmiss, v);
        EXPECT_EQ(std::pair(ierr, v), std::pair(c.ierr, c.out)) << c.what;
    }
}

}  // namespace
}  // namespace morvane
