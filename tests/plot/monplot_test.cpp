#include "plot/monplot.hpp"

#include <gtest/gtest.h>

#include "plot_page.hpp"

namespace morvane::testing {
namespace {

TEST(Monplot, Smoke) {
    Page p(scratch_dir());
    p.ivlab = 0;
    p.igrid = 200;
    p.zlwid = 0.5f;
    p.yref = 1995.0f;
    EXPECT_EQ(p.draw(), "");
    for (auto& l : p.body()) std::printf("%s\n", l.c_str());
    EXPECT_TRUE(renders(p.psfile));
}

}  // namespace
}  // namespace morvane::testing
