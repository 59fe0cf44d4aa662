// The reader's own interface: what a caller sees of an item (the offending
// text, the count of values, the slash); the values themselves are checked
// against the reference runtime in freeform_oracle_test.cpp.
#include "util/freeform.hpp"

#include <gtest/gtest.h>

namespace {

using morvane::ListReader;
using morvane::ReadStatus;

TEST(ListReader, ReportsItemsCountsAndEnds) {
    struct Case {
        const char* text;
        int reads;               // integer reads attempted
        ReadStatus last;         // status of the last one
        const char* bad;         // bad_item() after it
        std::size_t count;       // values delivered
        bool slash;
    };
    const Case cases[] = {
        {"1900 1 2", 3, ReadStatus::ok, "", 3, false},
        {"1900.5 1", 1, ReadStatus::bad, "1900.5", 0, false},
        {"1900 x12 3", 2, ReadStatus::bad, "x12", 1, false},
        {"3*7", 4, ReadStatus::end, "", 3, false},
        {"1,,3", 3, ReadStatus::ok, "", 3, false},  // the null value counts
        {"1 / 3", 2, ReadStatus::end, "", 1, true},
        {"", 1, ReadStatus::end, "", 0, false},
        {"2*1e3", 1, ReadStatus::bad, "1e3", 0, false},
        {"0*4", 1, ReadStatus::bad, "0*4", 0, false},
    };
    for (const Case& c : cases) {
        ListReader r(c.text);
        std::int32_t v = 0;
        ReadStatus s = ReadStatus::ok;
        for (int i = 0; i < c.reads; ++i) s = r.read(v);
        EXPECT_EQ(s, c.last) << c.text;
        EXPECT_EQ(r.bad_item(), c.bad) << c.text;
        EXPECT_EQ(r.count(), c.count) << c.text;
        EXPECT_EQ(r.slash(), c.slash) << c.text;
    }
}

TEST(ListReader, NullValueLeavesTheVariable) {
    ListReader r("5,,");
    float a = -1, b = -1, c = -1;
    EXPECT_EQ(r.read(a), ReadStatus::ok);
    EXPECT_EQ(r.read(b), ReadStatus::ok);
    EXPECT_EQ(r.read(c), ReadStatus::end);
    EXPECT_EQ(a, 5.0f);
    EXPECT_EQ(b, -1.0f);
}

}  // namespace
