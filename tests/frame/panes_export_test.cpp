// GETPANES through the shared library: exactly N (or NR x NC) panes written.
#include <gtest/gtest.h>

#include <vector>

#include "morvane.h"

TEST(PanesExport, WritesExactlyTheirPanes) {
    const struct { int32_t mode, n, nc, nr; float pw, ph; int32_t want_nc, want_nr, written; } cases[] = {
        {1, 5, 0, 0, 0, 0, 2, 3, 5}, {1, 0, 3, 2, 0.1f, 0.05f, 3, 2, 6}, {2, -1, 2, 2, 0, 0, 2, 2, 4},
        {1, 0, 0, 3, 0.1f, 0.05f, 0, 3, 0},
    };
    const float w = 1, h = 1.0f / 1.414f, mx0 = 0.06f, mx1 = 0.03f, my0 = 0.07f, my1 = 0.03f, ratio = 1.618f, gx = 0.3f,
                gy = 0.18f;
    for (const auto& c : cases) {
        std::vector<float> x(8, -1), y(8, -1);
        int32_t nc = c.nc, nr = c.nr;
        float pw = c.pw, ph = c.ph;
        GETPANES(&c.mode, &c.n, &w, &h, &mx0, &mx1, &my0, &my1, &ratio, &gx, &gy, &nc, &nr, x.data(), y.data(), &pw, &ph);
        EXPECT_EQ(nc * 10 + nr, c.want_nc * 10 + c.want_nr) << c.n;
        EXPECT_TRUE(c.mode != 1 || c.n >= 1 || (pw == c.pw && ph == c.ph)) << c.n;
        for (int k = 0; k < 8; ++k) EXPECT_EQ(x[k] != -1 && y[k] != -1, k < c.written) << c.n << " " << k;
    }
}
