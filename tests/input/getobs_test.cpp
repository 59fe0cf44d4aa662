#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "input/getobs.hpp"
#include "input/keylist.hpp"
#include "util/fields.hpp"

namespace morvane {
namespace {

using namespace std::string_literals;

// A list as FIL2LIST leaves it, with DIR C:\in\.
std::unique_ptr<KEYLIST> make_list(const std::vector<std::pair<std::string, std::string>>& entries) {
    auto list = std::make_unique<KEYLIST>();  // zeroed
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

// A record on one line: path (blank padding cut)|active|opt|icol1,icol2|factor|cval (floats exact).
std::string rec(const SeriesSpec& s) {
    std::string path(s.path, 256);
    path.erase(path.find_last_not_of(' ') + 1);
    std::string out = path + "|" + std::to_string(s.active) + "|" + s.opt + "|" + std::to_string(s.icol1) + "," +
                      std::to_string(s.icol2);
    const float f[] = {s.factor, s.cval[0], s.cval[1], s.cval[2]};
    for (int i = 0; i < 4; ++i) {
        char buf[32];
        out.append(i < 2 ? "|" : ",").append(buf, std::to_chars(buf, buf + sizeof buf, f[i]).ptr);
    }
    return out;
}

TEST(GetObs, ValueForms) {
    const std::pair<std::string, std::string> cases[] = {  // the value of Caobs, the record written
        {"12.5", "1obsonly|-1|x|1,2|1|12.5,8,0"},
        {"1.5 2 3 4", "1obsonly|-1|x|1,2|1|1.5,2,3"},
        {"-0.25  +3", "1obsonly|-1|x|1,2|1|-0.25,3,0"},
        {"1,2", "C:\\in\\1,2|-1|x|1,0|1|7,8,9"},
        {"1e-3", "C:\\in\\1e-3|-1|x|1,0|1|7,8,9"},
        {"obs/ca.txt;\\2", "C:\\in\\obs/ca.txt|-1|x|2,0|1|7,8,9"},
        {"ca.txt/p;1000*\\3 \\4", "C:\\in\\ca.txt|-1|p|3,4|1000|7,8,9"},
        {"ca.txt", "C:\\in\\ca.txt|-1|x|1,0|1|7,8,9"},
        {"dir/a", "C:\\in\\dir|-1|a|1,0|1|7,8,9"},
        {"'a;b'.txt;\\3", "C:\\in\\'a;b'.txt|-1|x|3,0|1|7,8,9"},
        {"\"a;b\".txt/o;\\3", "C:\\in\\\"a;b\".txt|-1|o|3,0|1|7,8,9"},
        {"/o;\\2", "old|0|o|2,0|1|7,8,9"},
        {";\\2", "old|0|x|2,0|1|7,8,9"},
        {"ca.txt;Ca \\2", "C:\\in\\ca.txt|-1|x|0,2|1|7,8,9"},
        {"..\\o.txt;\\2  \\3 \\4", "..\\o.txt|-1|x|2,3|1|7,8,9"},
        {"D:\\o.txt;0.5*\\2+1.5\t2*\\3", "D:\\o.txt|-1|x|2,3|0.5|7,8,9"},
        {"o.txt;x", "C:\\in\\o.txt|-1|x|0,0|1|7,8,9"},
    };
    const SeriesSpec old = old_record();
    for (const auto& [value, want] : cases) {
        SCOPED_TRACE(value);
        const auto list = make_list({{"Caobs", value}});
        SeriesSpec recs[2] = {old_record(), old_record()};
        int calls = 0;
        getobs([&](std::string_view n) { ++calls; EXPECT_EQ(n, "Ca      "); return 2; }, *list, "Ca      ", recs);
        EXPECT_EQ(rec(recs[1]), want);
        EXPECT_EQ(std::string(recs[1].fmt, 64) + std::string(recs[1].reserved2, 32), std::string(96, '#'));  // untouched
        EXPECT_TRUE(calls == 1 && std::memcmp(&recs[0], &old, sizeof old) == 0 && list->got[0] == 0);
    }
}

TEST(GetObs, KeywordsAndSilentReturns) {
    const auto list = make_list({{"SO4obs", "1"}, {"SO4obs_12", "2"}, {"Blankobs", ""}, {"pHobs", "3"},
                                 {"Badobs", "1.2.3"}, {"Bad2obs", "4 --1"}});
    // index: what the lookup returns; calls: how often it is called; cval0 7: the record untouched
    struct Case { std::string name; std::optional<std::int32_t> isuf; std::int32_t index, calls; float cval0; std::string error; };
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
    const SeriesSpec old = old_record();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeriesSpec rec = old_record();
        int calls = 0;
        std::string error;
        try {
            getobs([&](std::string_view n) { EXPECT_EQ(n, c.name); return ++calls, c.index; }, *list, c.name, &rec, c.isuf);
        } catch (const BadValue& e) {
            error = e.what();
        }
        EXPECT_EQ(std::tuple(error, calls, rec.cval[0]), std::tuple(c.error, c.calls, c.cval0));
        EXPECT_TRUE(c.cval0 != 7.0f || std::memcmp(&rec, &old, sizeof rec) == 0) << "record changed";
    }
    EXPECT_EQ(obs_keyword("ANC_lake", 2), "ANC_lakeobs_2");
}

}  // namespace
}  // namespace morvane
