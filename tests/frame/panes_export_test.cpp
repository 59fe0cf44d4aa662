// GETPANES through the shared library, as a model program calls it.
#include <gtest/gtest.h>

#include <vector>

#include "morvane.h"

namespace {

TEST(PanesExport, WritesExactlyTheirPanes) {
    struct Case {
        int32_t mode, n, nc, nr;
        float pw, ph;
        int32_t want_nc, want_nr, written;
    };
    const Case cases[] = {
        {1, 5, 0, 0, 0, 0, 2, 3, 5},    // chosen grid: N positions
        {1, 0, 3, 2, 0.1f, 0.05f, 3, 2, 6},  // caller's grid: NR x NC positions
        {2, -1, 2, 2, 0, 0, 2, 2, 4},
        {1, 0, 0, 3, 0.1f, 0.05f, 0, 3, 0},  // no column: nothing
    };
    const float w = 1, h = 1.0f / 1.414f, mx0 = 0.06f, mx1 = 0.03f, my0 = 0.07f, my1 = 0.03f;
    const float ratio = 1.618f, gx = 0.3f, gy = 0.18f;
    for (const Case& c : cases) {
        std::vector<float> x(8, -1.0f), y(8, -1.0f);
        int32_t nc = c.nc, nr = c.nr;
        float pw = c.pw, ph = c.ph;
        GETPANES(&c.mode, &c.n, &w, &h, &mx0, &mx1, &my0, &my1, &ratio, &gx, &gy, &nc, &nr,
                 x.data(), y.data(), &pw, &ph);
        EXPECT_EQ(nc, c.want_nc) << c.n;
        EXPECT_EQ(nr, c.want_nr) << c.n;
        if (c.mode == 1 && c.n < 1) {
            EXPECT_EQ(pw, c.pw);
            EXPECT_EQ(ph, c.ph);
        }
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(x[k] != -1.0f, k < c.written) << "n " << c.n << " pane " << k + 1;
            EXPECT_EQ(y[k] != -1.0f, k < c.written) << "n " << c.n << " pane " << k + 1;
        }
    }
}

}  // namespace
