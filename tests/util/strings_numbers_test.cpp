#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "util/strings.hpp"
#include "util/strings_numbers.hpp"

using namespace morvane;

TEST(StringsNumbers, Parsecol) {
    using Col = std::tuple<float, float, std::string, bool, int>;  // factor, offset, cname, isname, icol
    const std::pair<std::string_view, Col> cases[] = {
        {"", {1.0f, 0.0f, "", false, 1}},        {"\\3", {1.0f, 0.0f, "", false, 3}},
        {"Ca", {1.0f, 0.0f, "Ca", true, 0}},     {"2.5*\\4+1.5", {2.5f, 1.5f, "", false, 4}},
        {"x*\\2", {1.0f, 0.0f, "", false, 2}},   {"0.001*SO4+-2", {0.001f, -2.0f, "SO4", true, 0}},
        {"\\abc", {1.0f, 0.0f, "", false, 1}},   {"\\3.5", {1.0f, 0.0f, "", false, 1}},
        {"\\2+", {1.0f, 0.0f, "", false, 2}},    {"Ca+1e-1", {1.0f, 0.1f, "Ca", true, 0}},
        {"2*", {2.0f, 0.0f, "", true, 0}},       {" 1d3*\\7 + .5 ", {1000.0f, 0.5f, "", false, 7}},
    };
    for (const auto& [line, want] : cases) {
        const ColumnSpec s = parsecol(line);
        EXPECT_EQ(Col(s.factor, s.offset, s.cname, s.isname, s.icol), want) << line;
    }
}

TEST(StringsNumbers, I2strN2c) {
    struct Int { int v, w, d; std::string out; };
    for (const Int& c : {Int{7, 3, 3, "007"}, Int{7, 3, 1, "  7"}, Int{1234, 3, 1, "***"}, Int{-7, 3, 2, "-07"},
                         Int{-7, 3, 3, "***"}, Int{0, 3, 0, "   "}, Int{0, 0, 1, ""}, Int{5, 1, 1, "5"},
                         Int{12, 5, 99, "*****"}, Int{-2147483647 - 1, 11, 1, "-2147483648"},
                         Int{-2147483647 - 1, 10, 1, "**********"}})
        EXPECT_EQ(i2str(c.v, c.w, c.d), c.out) << c.v << ' ' << c.w << ' ' << c.d;
    EXPECT_EQ(i2str(7, 3), "  7");

    struct Num { float x; std::string_view fmt; std::string out; };
    const std::string stars(16, '*');
    for (const Num& c : {Num{2.5f, "(i6)", "     3"}, Num{-2.5f, "(i6)", "    -3"}, Num{0.0f, "(garbage", "0"},
                         Num{-0.0f, "(f6.2)", "0"}, Num{1.25f, "(f6.2)      ", "  1.25"}, Num{0.125f, "(f5.2)", " 0.12"},
                         Num{1.5f, "(g12.4)", "   1.500"}, Num{3.5f, "(I6)", stars}, Num{3e9f, "(i12)", stars},
                         Num{1.0f, "(f20.3)", "               1"}, Num{1.0f, "(f6.2", stars}})
        EXPECT_EQ(n_2_c(c.x, c.fmt), fit(c.out, 16)) << c.x << ' ' << c.fmt;
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
    EXPECT_EQ(datetime(1, t) + datetime(0, t) + datetime(-3, t), "04-Dec-2026 17:0504-Dec-2026      04-Dec-2026      ");
    t.tm_mday = 31, t.tm_mon = 0, t.tm_year = 100, t.tm_hour = 0, t.tm_min = 0;
    EXPECT_EQ(datetime(1, t), "31-Jan-2000 00:00");
    // The clock: the result matches the local time read just before or just after.
    auto now = [] {
        const std::time_t s = std::time(nullptr);
        char buf[32];
        std::strftime(buf, sizeof buf, "%d-%b-%Y %H:%M", std::localtime(&s));
        return std::string(buf);
    };
    const std::string before = now(), got = datetime(1), after = now();
    EXPECT_TRUE(got == before || got == after) << got;
}
