// Single fields; every expected text was written by the reference Fortran
// runtime with the same descriptor.
#include "util/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace morvane::fmt;

struct Case {
    char kind;  // I, F, E, G
    double v;
    int w, d, e, scale;
    const char* want;
};

TEST(FormatFields, MatchReferenceRuntime) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        // Fixed point: ties to even on the exact binary value, leading zero
        // only when there is room, negative zero and values rounding to zero.
        {'F', 0.125, 5, 2, 0, 0, " 0.12"},
        {'F', 2.5, 4, 0, 0, 0, "  2."},
        {'F', 3.5, 4, 0, 0, 0, "  4."},
        {'F', -0.0, 8, 3, 0, 0, "  -0.000"},
        {'F', -0.0001, 8, 3, 0, 0, "  -0.000"},
        {'F', 0.502, 5, 3, 0, 0, "0.502"},
        {'F', -0.502, 5, 3, 0, 0, "-.502"},
        {'F', 0.5, 0, 2, 0, 0, ".50"},
        {'F', -0.5, 0, 2, 0, 0, "-.50"},
        {'F', 0.4, 0, 0, 0, 0, "0."},
        {'F', 0.4, 1, 0, 0, 0, "*"},
        {'F', -0.4, 2, 0, 0, 0, "**"},
        {'F', 12345.678, 8, 3, 0, 0, "********"},
        {'F', 1e22, 30, 2, 0, 0, "    10000000000000000000000.00"},
        {'F', 9999.4, 12, 4, 0, -1, "    999.9400"},
        {'F', 96.0, 12, 1, 0, -3, "         0.1"},
        {'F', 1.5, 10, 2, 0, 2, "    150.00"},
        {'F', inf, 10, 3, 0, 0, "  Infinity"},
        {'F', -inf, 8, 3, 0, 0, "    -Inf"},
        {'F', -inf, 3, 3, 0, 0, "***"},
        {'F', nan, 2, 3, 0, 0, "**"},
        // Exponent form: scale factors, wide exponents, dropped leading zero.
        {'E', 0.0, 12, 5, 0, 0, " 0.00000E+00"},
        {'E', -0.001, 12, 5, 0, 0, "-0.10000E-02"},
        {'E', -0.001, 11, 5, 0, 0, "-.10000E-02"},
        {'E', 1e100, 12, 3, 0, 0, "   0.100+101"},
        {'E', 1e-300, 12, 3, 0, 0, "   0.100-299"},
        {'E', 1e-300, 12, 3, 1, 0, "************"},
        {'E', 1e-300, 12, 3, 4, 0, " 0.100E-0299"},
        {'E', 1.0, 24, 3, 15, 0, "  0.100E+000000000000001"},
        {'E', 9999.4, 12, 4, 0, -1, "  0.0100E+06"},
        {'E', 9999.4, 12, 4, 0, 5, "  99994.E-01"},
        {'E', 9999.4, 12, 4, 0, 6, "************"},  // scale out of range
        // General editing: F or E form by limits in the item's kind (R: a REAL).
        {'G', 0.999995, 13, 5, 0, 0, "   1.0000    "},
        {'R', 0.99999499320983886719, 13, 5, 0, 0, "   1.0000    "},  // 0x3F7FFFAC
        {'R', 0.99999475479125976562, 13, 5, 0, 0, "  0.99999    "},  // 0x3F7FFFA8
        {'R', 99999997952.0, 20, 12, 0, 0, "    99999997952.    "},     // the limit 1e11 as a float
        {'G', 0.0, 13, 5, 0, 0, "   0.0000    "},
        {'G', -0.0, 13, 5, 0, 0, "  -0.0000    "},
        {'G', 0.0, 13, 5, 3, 0, "  0.0000     "},
        {'G', 1990.0, 13, 5, 0, 0, "   1990.0    "},
        {'G', -12.5, 13, 5, 0, 0, "  -12.500    "},
        {'G', 123456.0, 13, 5, 0, 0, "  0.12346E+06"},
        {'G', -0.001, 13, 5, 0, 0, " -0.10000E-02"},
        {'G', 99999.5, 13, 5, 0, 0, "  0.10000E+06"},
        {'G', 99999.4, 13, 5, 0, 0, "   99999.    "},
        {'G', 0.099996, 12, 4, 0, 0, "  0.1000    "},
        {'G', 0.0999949, 12, 4, 0, 0, "  0.9999E-01"},
        {'G', 1234567.0, 13, 5, 0, 2, "  12.3457E+05"},
        {'G', 86.90625, 6, 6, 4, 0, "******"},  // no room for the F form
        {'G', 200.0, 8, 0, 4, 1, "2.E+0002"},
        {'G', inf, 13, 5, 0, 0, "     Infinity"},
        {'G', 524288.0, 30, 3, 15, 0, "        0.524E+000000000000006"},
        // Integers.
        {'I', 1234567, 6, -1, 0, 0, "******"},
        {'I', -5, 0, -1, 0, 0, "-5"},
        {'I', -5, 5, 3, 0, 0, " -005"},
        {'I', 7, 0, 3, 0, 0, "007"},
        {'I', 0, 3, 0, 0, 0, "   "},
        {'I', -100000, 6, -1, 0, 0, "******"},
    };
    for (const Case& c : cases) {
        std::string out = "<";
        switch (c.kind) {
        case 'I': put_int(out, static_cast<std::int64_t>(c.v), c.w, c.d); break;
        case 'F': put_fixed(out, c.v, c.w, c.d, c.scale); break;
        case 'E': put_exp(out, c.v, c.w, c.d, c.e, c.scale); break;
        case 'R': put_general(out, static_cast<float>(c.v), c.w, c.d, c.e, c.scale); break;
        default: put_general(out, c.v, c.w, c.d, c.e, c.scale); break;
        }
        EXPECT_EQ(out, std::string("<") + c.want)
            << c.kind << c.w << "." << c.d << " e=" << c.e << " " << c.scale << "P of " << c.v;
    }
}

TEST(FormatFields, FloatOverloadWidensExactly) {
    std::string out;
    put_fixed(out, 0.1f, 12, 9);  // 0.100000001490116...
    EXPECT_EQ(out, " 0.100000001");
}

}  // namespace
