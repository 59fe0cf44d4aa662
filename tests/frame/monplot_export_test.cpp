// MONPLOT through the shared library, as a model program calls it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>

#include "morvane.h"
#include "support/test_support.hpp"

namespace {

template <std::size_t N>
void field(char (&dst)[N], const char* text) {
    std::memset(dst, ' ', N);
    std::memcpy(dst, text, std::min(N, std::strlen(text)));
}

// One variable, years 1990..1999; year1 as given. IDUM is passed as a null
// pointer: the routine never reads it.
std::string call(const std::string& file, float year1) {
    char psfile[128] = {}, title[128] = "Export", subttl[128] = {}, msg[128];
    std::strncpy(psfile, file.c_str(), 127);
    VarDescriptor var{{}, {}, 0, 10, 2};
    PlotSettings ps{};
    field(var.name, "A"), field(var.description, "Alpha"), field(ps.xlabfmt, "(f5.0)");
    ps.nxdiv = 3, ps.xlabstep = 1, ps.year0 = 1990, ps.year1 = year1;
    const int32_t one = 1, zero = 0, igrid = 200, n1 = 10;
    const float aspect = 1.414f, yref = 1995, zlwid = 0.5f;
    std::array<float, 9> lwid{1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<int32_t, 27> rgb{};
    std::array<float, 10> time, val;
    for (int i = 0; i < 10; ++i) time[i] = 1990.0f + i, val[i] = float(i);
    std::array<SeriesSpec, 9> runs{};
    SeriesSpec obs{};
    std::memset(msg, 'z', sizeof msg);
    // NREC NV IVAR NBLK IBLK CUMUL IWIN ... IDATE ... IGRID NACC IVLAB YREF ZLWID N0 N1 IDUM IYOFF NSTEP NT
    MONPLOT(psfile, title, &one, &one, &one, &one, &one, &zero, &one, &var, &ps, &aspect, subttl, &zero, lwid.data(),
            rgb.data(), &igrid, &one, &zero, &yref, &zlwid, &one, &n1, nullptr, &zero, &one, &n1, time.data(),
            val.data(), runs.data(), &obs, msg);
    return std::string(msg, sizeof msg);
}

TEST(MonplotExport, MessageVector) {
    const std::string dir = std::string(MORVANE_TEST_TMP) + "/MonplotExport", eps = dir + "/page.eps";
    std::filesystem::create_directories(dir);
    std::filesystem::remove(eps);
    std::string want = "xMonplot: No positive interval for display!";
    want.resize(127, ' ');
    EXPECT_EQ(call(eps, 1990.0f), want + '\0');
    EXPECT_FALSE(std::filesystem::exists(eps));
    EXPECT_EQ(call(eps, 1999.0f), std::string(127, ' ') + '\0');
    EXPECT_TRUE(morvane::testing::read_text(eps).ends_with("showpage\n%%EOF\n"));
}

}  // namespace
