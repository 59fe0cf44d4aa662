// MONWRITE and VAL_CRIT through the shared library and the C header alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "morvane.h"
#include "support/test_support.hpp"

namespace {

std::string last_message() {
    char msg[128];
    std::memset(msg, '#', sizeof msg);
    morvane_last_message(msg);
    return std::string(msg, 128);
}

TEST(OutputMonExport, MonwriteAndValCrit) {
    const std::string path = morvane::testing::scratch_dir() + "/run.mon";
    SeriesSpec mon;
    std::memset(&mon, ' ', sizeof mon);
    mon.active = 1;
    std::memcpy(mon.path, path.data(), path.size());
    mon.opt = 'p';
    VarDescriptor vars[2];
    std::memset(vars, ' ', sizeof vars);
    std::memcpy(vars[1].name, "ANC", 3);
    const char title[128] = "t";
    const float time[3] = {1999.0f, 2000.0f, 2001.0f}, val[6] = {9, 9, 9, 1.5f, -2.0f, 1e6f};  // VAL(0:2, 2)
    const int32_t nv = 1, ivar = 2, n0 = 0, n1 = 2, iyb = 2000, iye = 2001, nt = 3, none = 0;
    const std::string blank = std::string(127, ' ') + '\0', good =
        "!count        ,time    ,ANC     \n     0   2000.0      -2.0000    \n     1   2001.0      0.10000E+07\n";

    MONWRITE(&mon, title, vars, &nv, &ivar, &n0, &n1, &iyb, &iye, &nt, time, val);
    EXPECT_EQ(last_message(), blank);
    EXPECT_EQ(morvane::testing::read_text(path), good);
    std::memcpy(mon.fmt, "(i6,2x,@@)", 10);
    MONWRITE(&mon, title, vars, &nv, &ivar, &n0, &n1, &iyb, &iye, &nt, time, val);
    EXPECT_EQ(last_message().substr(0, 33), "xMONWRITE: Bad format (i6,2x,@@):");
    EXPECT_EQ(morvane::testing::read_text(path), good);
    MONWRITE(&mon, title, vars, &none, &ivar, &n0, &n1, &iyb, &iye, &nt, time, val);  // the guard: success
    EXPECT_EQ(last_message(), blank);

    const int32_t one = 1, seven = 7;
    const float zero = 0.0f, three = 3.0f;
    EXPECT_EQ(VAL_CRIT(&one, &zero, &zero, &zero, &zero, &three, &zero, &zero), 999.99994f);
    EXPECT_EQ(VAL_CRIT(&seven, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -999.0f);
}

}  // namespace
