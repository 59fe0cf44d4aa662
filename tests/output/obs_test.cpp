#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "input/keylist.hpp"
#include "output/obs.hpp"

namespace morvane {
namespace {

using namespace std::string_literals;

std::string pad(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)) + std::string(n - std::min(n, s.size()), ' '); }

// A list as FIL2LIST leaves it, with DIR C:\in\.
std::unique_ptr<KEYLIST> make_list(const std::vector<std::pair<std::string, std::string>>& entries) {
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), 0, sizeof(KEYLIST));
    list->n = static_cast<std::int32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        set_field(list->key[i], 16, entries[i].first);
        set_field(list->line[i], 256, entries[i].second);
    }
    set_field(list->dir, 256, "C:\\in\\");
    return list;
}

SeriesSpec old_record() {
    SeriesSpec r;
    std::memset(&r, '#', sizeof r);
    set_field(r.path, sizeof r.path, "old");
    r.active = 0, r.opt = 'q', r.icol1 = r.icol2 = 9, r.factor = 5.0f;
    r.cval[0] = 7.0f, r.cval[1] = 8.0f, r.cval[2] = 9.0f;
    return r;
}

TEST(GetObs, ValueForms) {
    struct Case {
        std::string value;
        std::int32_t active;
        std::string path;
        char opt;
        std::int32_t icol1, icol2;
        float factor, cval[3];
    };
    const Case cases[] = {
        {"12.5", -1, "1obsonly", 'x', 1, 2, 1.0f, {12.5f, 8, 0}},
        {"1.5 2 3 4", -1, "1obsonly", 'x', 1, 2, 1.0f, {1.5f, 2, 3}},
        {"-0.25  +3", -1, "1obsonly", 'x', 1, 2, 1.0f, {-0.25f, 3, 0}},
        {"1,2", -1, "C:\\in\\1,2", 'x', 1, 0, 1.0f, {7, 8, 9}},
        {"1e-3", -1, "C:\\in\\1e-3", 'x', 1, 0, 1.0f, {7, 8, 9}},
        {"obs/ca.txt;\\2", -1, "C:\\in\\obs/ca.txt", 'x', 2, 0, 1.0f, {7, 8, 9}},
        {"ca.txt/p;1000*\\3 \\4", -1, "C:\\in\\ca.txt", 'p', 3, 4, 1000.0f, {7, 8, 9}},
        {"ca.txt", -1, "C:\\in\\ca.txt", 'x', 1, 0, 1.0f, {7, 8, 9}},
        {"dir/a", -1, "C:\\in\\dir", 'a', 1, 0, 1.0f, {7, 8, 9}},
        {"'a;b'.txt;\\3", -1, "C:\\in\\'a;b'.txt", 'x', 3, 0, 1.0f, {7, 8, 9}},
        {"\"a;b\".txt/o;\\3", -1, "C:\\in\\\"a;b\".txt", 'o', 3, 0, 1.0f, {7, 8, 9}},
        {"/o;\\2", 0, "old", 'o', 2, 0, 1.0f, {7, 8, 9}},
        {";\\2", 0, "old", 'x', 2, 0, 1.0f, {7, 8, 9}},
        {"ca.txt;Ca \\2", -1, "C:\\in\\ca.txt", 'x', 0, 2, 1.0f, {7, 8, 9}},
        {"..\\o.txt;\\2  \\3 \\4", -1, "..\\o.txt", 'x', 2, 3, 1.0f, {7, 8, 9}},
        {"D:\\o.txt;0.5*\\2+1.5\t2*\\3", -1, "D:\\o.txt", 'x', 2, 3, 0.5f, {7, 8, 9}},
        {"o.txt;x", -1, "C:\\in\\o.txt", 'x', 0, 0, 1.0f, {7, 8, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const auto list = make_list({{"Caobs", c.value}});
        SeriesSpec recs[2] = {old_record(), old_record()};
        int calls = 0;
        getobs([&](std::string_view n) { ++calls; EXPECT_EQ(n, "Ca      "); return 2; }, *list, "Ca      ", recs);
        EXPECT_EQ(calls, 1);
        const SeriesSpec& r = recs[1];
        EXPECT_EQ(r.active, c.active);
        EXPECT_EQ(std::string(r.path, 256), pad(c.path, 256));
        EXPECT_EQ(r.opt, c.opt);
        EXPECT_EQ(r.icol1, c.icol1);
        EXPECT_EQ(r.icol2, c.icol2);
        EXPECT_EQ(r.factor, c.factor);
        EXPECT_EQ(std::vector<float>(r.cval, r.cval + 3), std::vector<float>(c.cval, c.cval + 3));
        EXPECT_EQ(std::string(r.fmt, 64) + std::string(r.reserved2, 32), std::string(96, '#'));  // never touched
        const SeriesSpec old = old_record();
        EXPECT_EQ(std::memcmp(&recs[0], &old, sizeof(SeriesSpec)), 0);
        EXPECT_EQ(list->got[0], 0);
    }
}

TEST(GetObs, KeywordsAndSilentReturns) {
    const auto list = make_list({{"SO4obs", "1"},
                                 {"SO4obs_12", "2"},
                                 {"Blankobs", ""},
                                 {"pHobs", "3"},
                                 {"Badobs", "1.2.3"},
                                 {"Bad2obs", "4 --1"}});
    struct Case {
        std::string name;
        std::optional<std::int32_t> isuf;
        std::int32_t index, calls;  // what the lookup returns, how often it is called
        float cval0;                // 7: record untouched
        std::string error;
    };
    const Case cases[] = {
        {"SO4", 12, 1, 1, 2.0f, ""},
        {"SO4\t\0  "s, {}, 1, 1, 1.0f, ""},
        {"SO4", -1, 1, 0, 7.0f, ""},  // SO4obs_-1 is absent
        {"Blank", {}, 1, 0, 7.0f, ""},
        {"Nope", {}, 1, 0, 7.0f, ""},
        {"pH", {}, 0, 1, 7.0f, ""},
        {"pH", {}, 1, 1, 3.0f, ""},
        {"Bad", {}, 1, 1, 7.0f, "Cannot read the value of Badobs: 1.2.3"},
        {"Bad2", {}, 1, 1, 7.0f, "Cannot read the value of Bad2obs: 4 --1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeriesSpec rec = old_record();
        int calls = 0;
        const ObsIndexFn lookup = [&](std::string_view n) {
            EXPECT_EQ(n, c.name);
            return ++calls, c.index;
        };
        std::string error;
        try {
            getobs(lookup, *list, c.name, &rec, c.isuf);
        } catch (const BadValue& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(rec.cval[0], c.cval0);
        const SeriesSpec old = old_record();
        EXPECT_TRUE(c.cval0 != 7.0f || std::memcmp(&rec, &old, sizeof rec) == 0) << "record changed";
    }
    EXPECT_EQ(obs_keyword("ANC_lake", 2), "ANC_lakeobs_2");
}

// The example site: its keyword file, dictionary and observation files.
TEST(GetObs, ExampleSite) {
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(MORVANE_SOURCE_DIR "/examples/site");  // where its names are resolved
    auto list = std::make_unique<KEYLIST>();
    set_field(list->file, 256, "kesto.inp");
    fil2list(*list);
    int ind = 0;
    EXPECT_TRUE(keyfind(*list, "percol", ind) && !keyfind(*list, "Runoff", ind));
    SeriesSpec recs[3] = {old_record(), old_record(), old_record()};
    const char* names[] = {"pH", "SO4", "BS", "ANC_lake"};
    for (int k = 0; k < 4; ++k) getobs([&](std::string_view) { return k % 3 + 1; }, *list, names[k], recs);
    EXPECT_EQ(std::string(recs[0].path, 256) + recs[0].opt, pad("obs_lake.dat", 256) + "a");
    EXPECT_EQ(std::string(recs[1].path, 256) + recs[1].opt, pad("obs_soil.dat", 256) + "s");
    EXPECT_EQ(recs[1].factor, 0.001f);
    EXPECT_EQ(recs[1].icol1, 3);
    EXPECT_EQ(recs[1].icol2, 4);
    EXPECT_EQ(std::vector<float>(recs[2].cval, recs[2].cval + 3), (std::vector<float>{1988.5f, 0.14f, 0.03f}));
    const ObsFile f = prepobs(recs[0], -999.0f, 1990, 2000);
    std::filesystem::current_path(old);
    EXPECT_EQ(f.msg, "");
    ASSERT_EQ(f.points.size(), 9u);  // 1990.7 .. 1998.7; 1999.7 has no sample
    EXPECT_EQ(f.points[0].time, 1990.7f);
    EXPECT_EQ(f.points[0].value, -11.4f);
    EXPECT_EQ(f.points[0].value2, 6.0f);
}

}  // namespace
}  // namespace morvane
