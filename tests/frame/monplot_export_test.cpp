// MONPLOT through the shared library, as a model program calls it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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
    char psfile[128] = {}, title[128] = {}, subttl[128] = {}, msg[128];
    std::strncpy(psfile, file.c_str(), 127);
    std::strcpy(title, "Export");
    VarDescriptor var{{}, {}, 0, 10, 2};
    field(var.name, "A");
    field(var.description, "Alpha");
    PlotSettings ps{};
    field(ps.xlabfmt, "(f5.0)");
    ps.nxdiv = 3, ps.xlabstep = 1, ps.year0 = 1990, ps.year1 = year1;
    const int32_t nrec = 1, nv = 1, ivar = 1, nblk = 1, iblk = 1, cumul = 0, iwin = 1, idate = 0, igrid = 200,
                  nacc = 1, ivlab = 0, n0 = 1, n1 = 10, iyoff = 0, nstep = 1, nt = 10;
    const float aspect = 1.414f, yref = 1995, zlwid = 0.5f;
    std::array<float, 9> lwid{1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<int32_t, 27> rgb{};
    std::vector<float> time, val;
    for (int i = 0; i < 10; ++i) time.push_back(1990.0f + i), val.push_back(float(i));
    std::array<SeriesSpec, 9> runs{};
    SeriesSpec obs{};
    std::memset(msg, 'z', sizeof msg);
    MONPLOT(psfile, title, &nrec, &nv, &ivar, &nblk, &iblk, &cumul, &iwin, &var, &ps, &aspect, subttl, &idate,
            lwid.data(), rgb.data(), &igrid, &nacc, &ivlab, &yref, &zlwid, &n0, &n1, nullptr, &iyoff, &nstep, &nt,
            time.data(), val.data(), runs.data(), &obs, msg);
    return std::string(msg, sizeof msg);
}

TEST(MonplotExport, MessageVector) {
    const std::string dir = std::filesystem::path(MORVANE_TEST_TMP) / "MonplotExport";
    std::filesystem::create_directories(dir);
    const std::string eps = dir + "/page.eps";
    std::filesystem::remove(eps);

    std::string want = "xMonplot: No positive interval for display!";
    want.resize(127, ' ');
    want.push_back('\0');
    EXPECT_EQ(call(eps, 1990.0f), want);
    EXPECT_FALSE(std::filesystem::exists(eps));

    EXPECT_EQ(call(eps, 1999.0f), std::string(127, ' ') + '\0');
    EXPECT_TRUE(morvane::testing::read_file(eps).ends_with("showpage\n%%EOF\n"));
}

}  // namespace
