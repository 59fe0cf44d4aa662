#include <gtest/gtest.h>

#include <ctime>

#include "util/strings.hpp"

using namespace morvane;

TEST(StringsNumbers, Parsecol) {
    struct Case { std::string_view line; float factor, offset; std::string cname; bool isname; int icol; };
    const Case cases[] = {
        {"", 1.0f, 0.0f, "", false, 1},          {"\\3", 1.0f, 0.0f, "", false, 3},
        {"2.5*\\4+1.5", 2.5f, 1.5f, "", false, 4}, {"Ca", 1.0f, 0.0f, "Ca", true, 0},
        {"0.001*SO4+-2", 0.001f, -2.0f, "SO4", true, 0}, {"x*\\2", 1.0f, 0.0f, "", false, 2},
        {"\\abc", 1.0f, 0.0f, "", false, 1},     {"\\3.5", 1.0f, 0.0f, "", false, 1},
        {"\\2+", 1.0f, 0.0f, "", false, 2},      {"Ca+1e-1", 1.0f, 0.1f, "Ca", true, 0},
        {"2*", 2.0f, 0.0f, "", true, 0},         {" 1d3*\\7 + .5 ", 1000.0f, 0.5f, "", false, 7},
    };
    for (const Case& c : cases) {
        const ColumnSpec s = parsecol(c.line);
        EXPECT_EQ(s.factor, c.factor) << c.line;
        EXPECT_EQ(s.offset, c.offset) << c.line;
        EXPECT_EQ(s.cname, c.cname) << c.line;
        EXPECT_EQ(s.isname, c.isname) << c.line;
        EXPECT_EQ(s.icol, c.icol) << c.line;
    }
}

TEST(StringsNumbers, I2str) {
    struct Case { int v, w, d; std::string out; };
    for (const Case& c : {Case{7, 3, 3, "007"}, Case{7, 3, 1, "  7"}, Case{1234, 3, 1, "***"}, Case{-7, 3, 2, "-07"},
                          Case{-7, 3, 3, "***"}, Case{0, 3, 0, "   "}, Case{0, 0, 1, ""}, Case{5, 1, 1, "5"},
                          Case{12, 5, 99, "*****"}, Case{-2147483647 - 1, 11, 1, "-2147483648"},
                          Case{-2147483647 - 1, 10, 1, "**********"}})
        EXPECT_EQ(i2str(c.v, c.w, c.d), c.out) << c.v << ' ' << c.w << ' ' << c.d;
    EXPECT_EQ(i2str(7, 3), "  7");
}

TEST(StringsNumbers, Getfmt) {
    // Float arithmetic decides the digit count: in double, (0, 100, 7) would give "(g12.4)".
    struct Case { float ymin, ymax; int ndiv; std::string out; };
    for (const Case& c : {Case{0, 100, 5, "(i8)   "}, Case{0, 1, 4, "(f 5.2)"}, Case{-1000, 1000, 8, "(i8)   "},
                          Case{0.5f, 10.5f, 4, "(f 4.1)"}, Case{0, 1, 3, "(g12.4)"}, Case{0, 2000, 3, "(f10.5)"},
                          Case{0, 1e-3f, 4, "(f 8.5)"}, Case{0, 1e7f, 3, "(f10.1)"}, Case{0.1f, 0.7f, 3, "(f 4.1)"},
                          Case{0, 100, 7, "(f10.6)"}, Case{0, 1, 0, "(g12.4)"}})
        EXPECT_EQ(getfmt(c.ymin, c.ymax, c.ndiv), c.out) << c.ymin << ' ' << c.ymax << ' ' << c.ndiv;
}

TEST(StringsNumbers, Datetime) {
    std::tm t{};
    t.tm_mday = 4, t.tm_mon = 11, t.tm_year = 126, t.tm_hour = 17, t.tm_min = 5;
    EXPECT_EQ(datetime(1, t), "04-Dec-2026 17:05");
    EXPECT_EQ(datetime(0, t), "04-Dec-2026      ");
    EXPECT_EQ(datetime(-3, t), "04-Dec-2026      ");
    t.tm_mday = 31, t.tm_mon = 0, t.tm_year = 100, t.tm_hour = 0, t.tm_min = 0;
    EXPECT_EQ(datetime(1, t), "31-Jan-2000 00:00");
    // The clock: the result matches the local time read just before or just after.
    auto now = [] {
        const std::time_t s = std::time(nullptr);
        std::tm l{};
        localtime_r(&s, &l);
        char buf[32];
        std::strftime(buf, sizeof buf, "%d-%b-%Y %H:%M", &l);
        return std::string(buf);
    };
    const std::string before = now(), got = datetime(1), after = now();
    EXPECT_TRUE(got == before || got == after) << got;
}
