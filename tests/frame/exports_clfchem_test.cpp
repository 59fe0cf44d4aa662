// The sea-salt, organic-acid and critical-load exports as a model program
// calls them: every argument by reference.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morvane.h"

namespace {

std::string g_stopped;
void MORVANE_CALL note_stop(const char* text) { g_stopped = text; }

TEST(ClfChemExports, ArgumentsByReference) {
    const int32_t iref = 2;
    const float dep[8] = {0, 0, 0, 0, 0, 0, 0.45916f, 0};
    float ss[9];
    SEASALTS(&iref, dep, ss);
    EXPECT_EQ(ss[7], 0.53545f);

    // Model 0 writes org(0) and org(1) only.
    float par[32] = {}, org[3] = {-5, -5, -5}, alorg[3] = {1, 1, 1}, alchg = 1;
    par[18] = 50;
    const float h = 2, al = 1;
    ORGALL(&h, &al, par, org, alorg, &alchg);
    EXPECT_EQ(std::vector<float>(org, org + 3), std::vector<float>({50000.0f / 1002, 50000.0f / 1002, -5}));
    EXPECT_EQ(std::vector<float>({alorg[0], alorg[1], alorg[2], alchg}), std::vector<float>(4, 0.0f));

    const float a = 1000, b = 200, c = 1200, n = 300, s = 1500;
    float exn = 0, exs = 0;
    int32_t region = 9;
    EXCEED(&a, &b, &c, &n, &s, &exn, &exs, &region);
    EXPECT_EQ(std::vector<float>({static_cast<float>(region), exn, exs}), std::vector<float>({3, 100, 500}));

    const float xa[2] = {0, 10}, ya[2] = {10, 0}, xb[2] = {0, 10}, yb[2] = {5, 5};
    float xo[8], yo[8];
    int32_t na = 2, nb = 2, nout = -9;
    MINPOLY(&na, xa, ya, &nb, xb, yb, &nout, xo, yo);
    EXPECT_EQ(std::vector<float>({static_cast<float>(nout), xo[1], yo[1]}), std::vector<float>({3, 5, 5}));
    na = -1;
    MINPOLY(&na, xa, ya, &nb, xb, yb, &nout, xo, yo);
    EXPECT_EQ(nout, 0);

    // The impossible shift with a handler that returns gives nout = 0, as does a negative count.
    const float ys[2] = {10, 8}, d = 4;
    for (int32_t np : {2, -2}) {
        nout = -9;
        morvane_set_stop_handler(np > 0 ? note_stop : nullptr);  // a negative count must not stop
        SHFTPOLY(&np, xa, ys, &d, &nout, xo, yo);
        morvane_set_stop_handler(nullptr);
        EXPECT_EQ(nout, 0) << np;
    }
    EXPECT_EQ(g_stopped, "SHFTPOLY: Impossible!");
}

}  // namespace
