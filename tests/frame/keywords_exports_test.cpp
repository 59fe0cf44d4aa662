#include <gtest/gtest.h>

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

std::string pad(std::string_view s, std::size_t n) {
    std::string out(s.substr(0, std::min(s.size(), n)));
    out.resize(n, ' ');
    return out;
}

TEST(KeywordExports, ModelProgramInC) {
    const std::string dir = scratch_dir();
    char report[512];
    ASSERT_EQ(morvane_c_keywords_demo(dir.c_str(), report, sizeof report), 0);
    EXPECT_EQ(std::string(report),
              "n=3 key=pHobs  got=0 pH: active=-1 opt=o icol=1,2 ends=ph.dat Ca: path=1obsonly  cval=12.5,0.5,0 "
              "nobs=1 first=1990,4.5,0.2 msg=127:   ");
}

TEST(KeywordExports, PrepObs) {
    const std::string dir = scratch_dir();
    const std::string longline = "1990" + std::string(1100, ' ') + "5\n";
    const std::string fullline = "1992" + std::string(1019, ' ') + "7\n";  // 1024 characters
    struct Triple {
        float t, v1, v2;
    };
    struct Case {
        std::string text;  // "" with missing: no file
        bool missing;
        int icol1, icol2;
        float xmiss;
        int iyb, iye;
        std::vector<Triple> want;
        std::string msg;  // "%" stands for the file's path
    };
    const Case cases[] = {
        {"1990 1 2 3\n1991 4 5 6\n", false, 1, 0, -99.0f, 1900, 2100, {{1990, 1, 0}, {1991, 4, 0}}, ""},
        {"1990 1 2\n1991 1 2 3\n", false, 1, 3, -99.0f, 1900, 2100, {{1990, 1, 0}, {1991, 1, 3}}, ""},
        {"!Year a b\n1990 1 2\n", false, 2, 1, -99.0f, 1900, 2100, {{1990, 2, 0}}, ""},
        {"1990 7 8 9\n", false, 0, 0, -99.0f, 1900, 2100, {{1990, 7, 0}}, ""},
        {"1990 7 8 9\n", false, 0, 1, -99.0f, 1900, 2100, {{1990, 7, 8}}, ""},
        {"! only\n!comments\n", false, 1, 2, -99.0f, 1900, 2100, {}, ""},
        {"", false, 1, 2, -99.0f, 1900, 2100, {}, ""},
        {"1989.9 1\n1990 2\n1990.5 3\n1991 4\n", false, 1, 0, -99.0f, 1990, 1990, {{1990, 2, 0}}, ""},
        {"1990 -99 5\n1991 -99.5 6\n1992 -99.0 7\n", false, 1, 2, -99.0f, 1900, 2100, {{1991, -99.5f, 6}}, ""},
        {"1990,\t5, 6\r\n\t \r\n1991 7 8", false, 1, 2, -99.0f, 1900, 2100, {{1990, 5, 6}, {1991, 7, 8}}, ""},
        {"1990 1 2\n1991 x 2\n1992\n ! comment?\n1994 4 5\n", false, 1, 0, -99.0f, 1900, 2100,
         {{1990, 1, 0}, {1994, 4, 0}}, "xPREPOBS: File %: bad data in line     4"},
        {"1990 1 x 3\n1991 1 2 3\n", false, 1, 3, -99.0f, 1900, 2100, {{1991, 1, 3}},
         "xPREPOBS: File %: bad data in line     1"},
        {longline + fullline, false, 1, 0, -99.0f, 1900, 2100, {{1992, 7, 0}},
         "xPREPOBS: File %: bad data in line     1"},
        {"", true, 1, 0, -99.0f, 1900, 2100, {}, "xFile  %  not found"},
    };
    int idx = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(idx);
        const std::string path = dir + "/obs" + std::to_string(idx++) + ".dat";
        if (!c.missing) write_file(path, c.text);
        SeriesSpec spec;
        std::memset(&spec, 0, sizeof spec);
        std::memset(spec.path, ' ', sizeof spec.path);
        std::memcpy(spec.path, path.data(), path.size());
        spec.icol1 = c.icol1;
        spec.icol2 = c.icol2;
        std::vector<float> obs(3 * 8, 555.0f);
        std::int32_t nobs = -7;
        char msg[128];
        std::memset(msg, '#', sizeof msg);
        PREPOBS(&spec, &c.xmiss, &c.iyb, &c.iye, &nobs, obs.data(), msg);

        std::string want_msg = c.msg;
        if (const auto p = want_msg.find('%'); p != std::string::npos) want_msg.replace(p, 1, path);
        EXPECT_EQ(std::string(msg, 127), pad(want_msg, 127));
        EXPECT_EQ(msg[127], '\0');
        if (c.missing) {
            EXPECT_EQ(nobs, -7);
            EXPECT_EQ(obs, std::vector<float>(3 * 8, 555.0f));
            continue;
        }
        ASSERT_EQ(nobs, static_cast<std::int32_t>(c.want.size()));
        for (std::size_t k = 0; k < c.want.size(); ++k) {
            EXPECT_EQ(obs[3 * k], c.want[k].t);
            EXPECT_EQ(obs[3 * k + 1], c.want[k].v1);
            EXPECT_EQ(obs[3 * k + 2], c.want[k].v2);
        }
        EXPECT_EQ(obs[3 * c.want.size()], 555.0f);
    }
}

TEST(KeywordExports, GetObsReportsABadNumber) {
    const std::string dir = scratch_dir();
    const std::string file = dir + "/m.inp";
    write_file(file, "Caobs 1.2.3\npHobs 5\n");
    std::vector<char> buf(sizeof(KEYLIST), ' ');
    auto* list = reinterpret_cast<KEYLIST*>(buf.data());
    std::memcpy(list->file, file.data(), file.size());
    FIL2LIST(list);
    ASSERT_EQ(list->n, 2);

    SeriesSpec spec;
    std::memset(&spec, 0, sizeof spec);
    const morvane_obsind_fn one = [](const char*, int32_t) -> int32_t { return 1; };
    char last[128];
    GETOBS(one, list, "Ca", 2, &spec, nullptr);
    morvane_last_message(last);
    EXPECT_EQ(std::string(last, 127), pad("xGETOBS: Cannot read the value of Caobs: 1.2.3", 127));
    EXPECT_EQ(spec.active, 0);
    const int32_t isuf = 1;
    GETOBS(one, list, "pH", 2, &spec, &isuf);  // pHobs_1: absent
    morvane_last_message(last);
    EXPECT_EQ(std::string(last, 127), std::string(127, ' '));
    EXPECT_EQ(spec.active, 0);
    GETOBS(one, list, "pH", 2, &spec, nullptr);
    EXPECT_EQ(spec.active, -1);
    EXPECT_EQ(spec.cval[0], 5.0f);
}

}  // namespace
