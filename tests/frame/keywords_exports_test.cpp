#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <cstring>
#include <string>
#include <vector>

#include "morvane.h"
#include "support/test_support.hpp"

extern "C" int morvane_c_keywords_demo(const char* dir, char* report, size_t cap);

namespace {

using morvane::testing::scratch_dir;
using morvane::testing::write_file;
using namespace std::string_literals;

using morvane::testing::pad;

TEST(KeywordExports, ModelProgramInC) {
    const std::string dir = scratch_dir();
    char report[512];
    ASSERT_EQ(morvane_c_keywords_demo(dir.c_str(), report, sizeof report), 0);
    EXPECT_EQ(std::string(report),
              "n=4 key=pHobs  pH: active=-1 opt=o icol=1,2 ends=ph.dat Ca: path=1obsonly  cval=12.5,0.5,0 "
              "nobs=1 first=1990,4.5,0.2 msg=127:    last=xGETOBS: Cannot read the value of Caobs_2: 1.2.3  ");
}

// PREPOBS's triples, message and warnings (read through morvane_warning_count
// and morvane_warning); a null value where a value is needed makes a bad line.
TEST(KeywordExports, PrepObs) {
    const std::string dir = scratch_dir();
    const std::string longline = "1990" + std::string(1100, ' ') + "5\n";
    const std::string fullline = "1992" + std::string(1019, ' ') + "7\n";  // 1024 characters
    struct Case {
        std::optional<std::string> text;  // nullopt: no file
        int icol1, icol2, iyb, iye;
        std::vector<float> want;  // the NOBS triples
        std::string msg;          // "%": the file's path
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"1990 1 2 3\n1991 4 5 6\n", 1, 0, 1900, 2100, {1990, 1, 0, 1991, 4, 0}, "", {}},
        {"1990 1 2\n1991 1 2 3\n", 1, 3, 1900, 2100, {1990, 1, 0, 1991, 1, 3}, "", {}},
        {"!Year a b\n1990 1 2\n", 2, 1, 1900, 2100, {1990, 2, 0}, "", {}},
        {"1990 7 8 9\n", 0, 0, 1900, 2100, {1990, 7, 0}, "", {}},
        {"1990 7 8 9\n", 0, 1, 1900, 2100, {1990, 7, 8}, "", {}},
        {"! only\n!comments\n", 1, 2, 1900, 2100, {}, "", {}},
        {"", 1, 2, 1900, 2100, {}, "", {}},
        {"1989.9 1\n1990 2\n1990.5 3\n1991 4\n", 1, 0, 1990, 1990, {1990, 2, 0}, "",
         {": 3 observations lie outside the years 1990 to 1990 and are left out"}},
        {"1990 -99 5\n1991 -99.5 6\n1992 -99.0 7\n", 1, 2, 1900, 2100, {1991, -99.5f, 6}, "", {}},
        {"1990,\t5, 6\r\n\t \r\n1991 7 8", 1, 2, 1900, 2100, {1990, 5, 6, 1991, 7, 8}, "", {}},
        {"1990 1 2\n1991 x 2\n1992\n ! comment?\n1994 4 5\n", 1, 0, 1900, 2100, {1990, 1, 0, 1994, 4, 0},
         "xPREPOBS: File %: bad data in line     4",  // the last bad line
         {"line 2 skipped: item x is not a number", "line 3 skipped: too few items (1)",
          "line 4 skipped: item ! is not a number"}},
        {"1990 1 x 3\n1991 1 2 3\n", 1, 3, 1900, 2100, {1991, 1, 3}, "xPREPOBS: File %: bad data in line     1",
         {"line 1 skipped: item x is not a number"}},
        {longline + fullline, 1, 0, 1900, 2100, {1992, 7, 0}, "xPREPOBS: File %: bad data in line     1",
         {"line 1 skipped: too few items (1)"}},
        {std::nullopt, 1, 0, 1900, 2100, {}, "xFile  %  not found", {}},
        {"1990 1\n2000,,5\n", 1, 0, 1900, 2100, {1990, 1, 0}, "xPREPOBS: File %: bad data in line     2",
         {"line 2 skipped: an empty item (null value) where a value is needed"}},
        {",1990 5\n", 1, 0, 1900, 2100, {}, "xPREPOBS: File %: bad data in line     1", {"line 1 skipped: an empty item (null value) where a value is needed"}},
        {"1990,,5\n", 2, 0, 1900, 2100, {1990, 5, 0}, "", {}},  // an empty item passed over is no value of the line
        {"1990 / 5\n1991 x\n1992\n", 1, 0, 1900, 2100, {}, "xPREPOBS: File %: bad data in line     3",
         {"line 1 skipped: a / ends it before the value", "line 2 skipped: item x is not a number",
          "line 3 skipped: too few items (1)"}},
        {"1990 nan\n1800 1\n1801 2\n", 1, 0, 1900, 2100, {1990, std::nanf(""), 0}, "",
         {"line 1: a number is not finite (an infinity or NaN, kept as read)",
          ": 2 observations lie outside the years 1900 to 2100 and are left out"}},
    };
    int idx = 0;
    for (const Case& c : cases) {
        const std::string name = "obs" + std::to_string(idx++) + ".dat", path = dir + "/" + name;
        SCOPED_TRACE(name);
        if (c.text) write_file(path, *c.text);
        SeriesSpec spec{};
        std::memset(spec.path, ' ', sizeof spec.path);
        std::memcpy(spec.path, path.data(), path.size());
        spec.icol1 = c.icol1, spec.icol2 = c.icol2;
        const float xmiss = -99.0f;
        std::vector<float> obs(3 * 8, 555.0f), want = obs;
        std::copy(c.want.begin(), c.want.end(), want.begin());
        std::int32_t nobs = -7;
        char msg[128];
        std::memset(msg, '#', sizeof msg);
        PREPOBS(&spec, &xmiss, &c.iyb, &c.iye, &nobs, obs.data(), msg);
        std::string want_msg = c.msg;
        if (const auto p = want_msg.find('%'); p != std::string::npos) want_msg.replace(p, 1, path);
        EXPECT_EQ(std::string(msg, 128), pad(want_msg, 127) + '\0');
        EXPECT_EQ(nobs, c.text ? static_cast<std::int32_t>(c.want.size() / 3) : -7);  // a missing file: untouched
        for (std::size_t k = 0; k < obs.size(); ++k)
            EXPECT_TRUE(obs[k] == want[k] || (std::isnan(obs[k]) && std::isnan(want[k]))) << k;
        std::vector<std::string> got, want_warnings;
        for (int32_t i = 1; i <= morvane_warning_count(); ++i) {
            char w[128];
            morvane_warning(i, w);
            ASSERT_EQ(w[127], '\0');
            got.emplace_back(w);
        }
        for (const std::string& w : c.warnings)
            want_warnings.push_back(pad("PREPOBS: " + name + (w[0] == ':' ? "" : " ") + w, 127));
        EXPECT_EQ(got, want_warnings);
    }

    // Outside 1..count the text is blank; a routine without warnings of its
    // own keeps those of the last input routine; the next one replaces them.
    char w[128];
    for (const int32_t i : {0, -1, morvane_warning_count() + 1}) {
        std::memset(w, '#', sizeof w);
        morvane_warning(i, w);
        EXPECT_EQ(std::string(w, 128), pad("", 127) + '\0');
    }
    const int32_t before = morvane_warning_count();
    float t = 10.0f;
    (void)FKHCO3(&t);
    EXPECT_EQ(morvane_warning_count(), before);
    static KEYLIST list;
    std::memset(&list, ' ', sizeof list);
    const std::string missing = dir + "/missing.inp";
    std::memcpy(list.file, missing.data(), missing.size());
    FIL2LIST(&list);
    ASSERT_EQ(morvane_warning_count(), 1);
    morvane_warning(1, w);
    EXPECT_EQ(std::string(w), pad("FIL2LIST: File  " + missing + "  does not exist: every keyword takes its default", 127));
}

}  // namespace
