#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "input/varin.hpp"
#include "util/warnings.hpp"
#include "support/test_support.hpp"
#include "util/error.hpp"
#include "util/numeric.hpp"

// Allocations of this test program larger than the thread's cap fail (the
// cap is off unless a test sets it): the bound of the series reader's memory.
namespace {
thread_local std::size_t t_alloc_cap = static_cast<std::size_t>(-1);
void* allocate(std::size_t n) noexcept { return n > t_alloc_cap ? nullptr : std::malloc(n == 0 ? 1 : n); }
void* allocate_or_throw(std::size_t n) {
    if (void* p = allocate(n)) return p;
    throw std::bad_alloc();
}
}  // namespace
void* operator new(std::size_t n) { return allocate_or_throw(n); }
void* operator new[](std::size_t n) { return allocate_or_throw(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace morvane {
namespace {

using testing::open_fd_count;
using testing::scratch_dir;
using testing::write_file;

constexpr float U = 7777.0f;  // an entry VARIN01 must not touch

// VARIN01's message: "" or the text of its Error.
std::string varin(std::string_view text, std::int32_t n0, std::int32_t iyrb, std::int32_t iyre, std::int32_t ns,
                  float rmiss, std::span<float> vec) {
    return message_of([&] { varin01(text, n0, iyrb, iyre, ns, rmiss, vec); });
}

using testing::InFolder;

// n data lines "year v" with v = v0, v0 + dv, ...
std::string lines(int year, int n, int v0, int dv) {
    std::string s;
    for (int k = 0; k < n; ++k) s += std::to_string(year) + " " + std::to_string(v0 + k * dv) + "\n";
    return s;
}

const std::pair<std::string, std::string> kFiles[] = {
    {"two.dat", "! two years\n!Year A\n1990 10.0\n2010 30.0\n"},
    {"cols.dat", "!Year Ca Mg K\n2000 1 2 3\n2001 4 5 6\n2002,7,8,9"},
    {"crlf.dat", "!Year\tCa,Mg\r\n2000 1 2\r\n\r\n2001 4 5\r\n"},
    {"noheader.dat", "Year Ca Mg\n2000 1 2\n2001 3 4\n"},
    {"miss.dat", "!Y v\n2000 1.0\n2001 -99\n2002 -98.9\n2003 -99.0\n2004 5\n"},
    {"allmiss.dat", "!Y v w\n2000 -99 1\n\n2001 -100 2\n"},
    {"comments.dat", "!a\n!b\n"},
    {"empty.dat", ""},
    {"blanks.dat", "\n  \n\t\n"},
    {"1.5E-3", "1990 2.5\n"},
    {"badyear.dat", "!Y v\n2000 1\n2000.5 2\n"},
    {"short.dat", "!Y a b\n\n2000 1 2\n2001 1\n"},
    {"word.dat", "!Y a b\n2000 1 x\n"},
    {"skipword.dat", "!Y a b\n2000 1e x 3\n"},
    {"forms.dat", "!Y a b c\n2000 2*1.5 3\n2001,,4,5\n2002 1d0;2 3 / x\n2003 -.5e1 +7. 3\n"},
    {"after.dat", "2002 1d0;2 3 / x\n2003 -.5e1 +7. 3\n"},
    {"nulls.dat", "!Y a b\n2000 1,,\n"},
    {"slash.dat", "!Y a b\n2000 1 / 3\n"},
    {"nullyear.dat", ",1990 1\n"},
    {"bigyear.dat", "1990 1\n2147483648 2\n"},
    {"later.dat", "!Y a\n2000 1\n! a note\n2001 3\n"},
    {"monthly.dat", "!Year v\n" + lines(2000, 12, 1, 1) + lines(2002, 12, 13, 1)},
    {"badgroup.dat", "!Year v\n" + lines(1999, 12, 1, 0) + lines(2000, 11, 1, 0) + lines(2001, 1, 1, 0)},
    {"gapstep.dat", "!Year v\n" + lines(2000, 2, 1, 1) + "2000 -99\n" + lines(2000, 9, 4, 1)},
};

TEST(Varin01, ValuesFilesAndMessages) {
    const std::string dir = scratch_dir();
    for (const auto& [name, text] : kFiles) write_file(dir + "/" + name, text);
    const InFolder here(dir);
    // VEC(N0 .. IYRE with NS steps, and one more) is filled with U; want: its leading entries, the rest stays U.
    struct Case { const char* what; std::string text; int n0, iyrb, iyre, ns; std::string msg; std::vector<float> want; };
    const Case cases[] = {
        {"constant", " 0.5 ", 1999, 2000, 2002, 1, "", {U, 0.5f, 0.5f, 0.5f}},
        {"constant, tab, steps", "\t-2.", 2000, 2000, 2000, 3, "", {-2, -2, -2}},
        {"marker", " = ", 1999, 2000, 2002, 1, "", {U, -999999.0f}},
        {"marker with a column", "=;\\3", 2000, 2000, 2001, 2, "", {-999999.0f}},
        {"blank value", "   ", 2000, 2000, 2001, 1, "xVARIN01: No value given!", {}},
        {"bad constant", " 1.2.3", 2000, 2000, 2001, 1, "xVARIN01: Bad value  1.2.3  !", {}},
        {"iyrb < n0", "0.5", 2001, 2000, 2001, 1, "xVARINO1: iyrb < n0!", {}},
        {"exponent form is a file name", "1.5E-3", 2000, 2000, 2001, 1, "", {2.5f, 2.5f}},
        {"no such file", "2.5E-3", 2000, 2000, 2001, 1, "xVARIN01: File  2.5E-3  does not exist!", {}},
        {"missing file", "none.dat ;\\2", 2000, 2000, 2001, 1, "xVARIN01: File  none.dat  does not exist!", {}},
        {"between 1990 and 2010", "two.dat", 2000, 2000, 2005, 1, "", {20, 21, 22, 23, 24, 25}},
        {"before 1990", "two.dat;\\1", 1980, 1980, 1985, 1, "", {10, 10, 10, 10, 10, 10}},
        {"-99 missing, -98.9 valid", "miss.dat", 2000, 2000, 2004, 1, "", {1.0f, -48.95f, -98.9f, -46.95f, 5.0f}},
        {"blank column spec", "cols.dat;  ", 2000, 2000, 2002, 1, "", {1, 4, 7}},
        {"\\3 alone", "cols.dat;\\3", 2000, 2000, 2002, 1, "", {3, 6, 9}},
        {"2*\\3+-1", "cols.dat;2*\\3+-1", 2000, 2000, 2002, 1, "", {5, 11, 17}},
        // F * V and then + A, each rounded to float (in double the first is -7.45e-9)
        {"float scaling", "cols.dat;0.1*\\3+-0.3", 2000, 2000, 2002, 1, "", {0.0f, 0.30000001192092896f, 0.6000000238418579f}},
        {"name Mg", "cols.dat;Mg", 2000, 2000, 2002, 1, "", {2, 5, 8}},
        {"name not found", "cols.dat;Na", 2000, 2000, 2001, 1, "xVARIN01: Column with name  Na  not found in  cols.dat", {}},
        {"name of the year column", "cols.dat;!Year", 2000, 2000, 2001, 1, "", {1, 4}},
        {"CRLF, tab and comma header", "crlf.dat;Mg", 2000, 2000, 2001, 1, "", {2, 5}},
        {"header without comment mark", "noheader.dat;Mg", 2000, 2000, 2001, 1, "", {2, 4}},
        {"comment between data", "later.dat", 2000, 2000, 2001, 1, "", {1, 3}},
        {"only comments", "comments.dat", 2000, 2000, 2001, 1, "xVARIN01: File  comments.dat  holds no data!", {}},
        {"empty file", "empty.dat", 2000, 2000, 2001, 1, "xVARIN01: File  empty.dat  holds no data!", {}},
        {"only blank lines", "blanks.dat;\\2", 2000, 2000, 2001, 1, "xVARIN01: File blanks.dat: No data in column   2", {}},
        {"no valid value", "allmiss.dat", 2000, 2000, 2001, 1, "xVARIN01: File allmiss.dat: No data in column   1", {}},
        {"non-integer year", "badyear.dat", 2000, 2000, 2001, 1, "xVARIN01: File badyear.dat: Bad data in line     3", {}},
        {"too few numbers", "short.dat;\\2", 2000, 2000, 2001, 1, "xVARIN01: File short.dat: Bad data in line     4", {}},
        {"not a number", "word.dat;\\2", 2000, 2000, 2001, 1, "xVARIN01: File word.dat: Bad data in line     2", {}},
        {"repeat, null, d exponent, semicolon", "forms.dat;\\2", 2000, 2000, 2003, 1, "", {1.5f, 4, 2, 7}},
        {"null before the column", "forms.dat;\\3", 2001, 2001, 2001, 1, "", {5}},
        {"a slash after the column", "after.dat", 2002, 2002, 2003, 1, "", {1, -5}},
        {"null value", "nulls.dat;\\2", 2000, 2000, 2000, 1, "xVARIN01: File nulls.dat: Bad data in line     2", {}},
        {"slash before the column", "slash.dat;\\2", 2000, 2000, 2000, 1, "xVARIN01: File slash.dat: Bad data in line     2", {}},
        {"null year", "nullyear.dat", 1990, 1990, 1990, 1, "xVARIN01: File nullyear.dat: Bad data in line     1", {}},
        {"year beyond 32 bits", "bigyear.dat", 1990, 1990, 1990, 1, "xVARIN01: File bigyear.dat: Bad data in line     2", {}},
        {"a passed-over item that is not a number", "skipword.dat;\\3", 2000, 2000, 2000, 1, "xVARIN01: File skipword.dat: Bad data in line     2", {}},
        {"items after the column are not read", "word.dat;\\1", 2000, 2000, 2000, 1, "", {1}},
        {"monthly", "monthly.dat", 2001, 2001, 2001, 12, "", {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {"wrong group", "badgroup.dat", 2000, 2000, 2000, 12, "xVARIN01: File badgroup.dat: Wrong number of data in year 2000 (?)", {}},
        {"a step without data", "gapstep.dat", 2000, 2000, 2000, 12, "xVARIN01: Error in vecintp!", {1, 2}},
    };
    for (const Case& c : cases) {
        std::vector<float> vec(static_cast<std::size_t>((c.iyre - c.n0 + 1) * c.ns + 1), U), want = vec;
        std::copy(c.want.begin(), c.want.end(), want.begin());
        EXPECT_EQ(varin(c.text, c.n0, c.iyrb, c.iyre, c.ns, -99.0f, vec), c.msg) << c.what;
        EXPECT_EQ(vec, want) << c.what;
    }
}

// Numbers of many forms read from a data file, value for value against the
// reference runtime's list-directed READ of the same file (oracle_varin).
TEST(Varin01, ReadsNumbersAsTheReferenceRuntime) {
    const std::string file = scratch_dir() + "/numbers.dat";
    const char* forms[] = {"0.1", "123.456789012", "1e-40", "3.4028235e38", "-.5", "5.", "1E5", "7", "+3.25",
                           "9.999999e-1", "1.00000005", "16777217", "2.5e+3", "-98.9", "1d0", "2*0.3", "1.5D-2"};
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> any(-98.0, 1000.0);
    std::string text;
    const int years = 400;
    char buf[40];
    for (int y = 0; y < years; ++y) {
        text += std::to_string(1000 + y);
        for (int c = 0; c < 5; ++c) {  // a listed form (a comma as separator now and then) or a random %.3g..%.9g
            const unsigned pick = gen() % 24;
            std::snprintf(buf, sizeof buf, " %.*g", static_cast<int>(pick - 14), pick < 17 ? 0.0 : any(gen));
            text += pick < 17 ? ((c == 2 && y % 3 == 0) ? "," : " ") + std::string(forms[pick]) : std::string(buf);
        }
        text += y % 2 ? "\n" : "\r\n";
    }
    write_file(file, text);
    for (int c = 1; c <= 5; ++c) {
        std::istringstream oracle(testing::run_command(std::string(ORACLE_VARIN) + " " + file + " " + std::to_string(c)));
        std::vector<float> vec(years, U);
        ASSERT_EQ(varin(file + ";\\" + std::to_string(c), 1000, 1000, 1000 + years - 1, 1, -99.0f, vec), "");
        int lines = 0;
        for (std::int64_t year, bits; oracle >> year >> bits; ++lines)
            EXPECT_EQ(std::bit_cast<std::uint32_t>(vec[static_cast<std::size_t>(year - 1000)]),
                      static_cast<std::uint32_t>(bits)) << c << " " << year;
        EXPECT_EQ(lines, years) << c;
    }
}

// The warnings of a file's coverage of the run: the steps that take its first
// or last value, and the first gap of more than one step without a line (a
// gap marked missing by -99 is the file's own word and is not told).
TEST(Varin01, CoverageWarnings) {
    const InFolder here(scratch_dir());
    struct Row {
        const char* text;  // the file's data lines
        std::int32_t ns;
        std::vector<std::string> want;
    };
    const Row rows[] = {
        {"1990 1\n1991 2\n1992 3\n1993 4\n", 1, {}},
        {"1991 1\n1993 3\n", 1,
         {"V: f.dat has data from 1991 to 1993: the 1 step before 1991 take its first value"}},
        {"1980 1\n1991 2\n", 1, {"V: f.dat has data from 1980 to 1991: the 2 steps after 1991 take its last value"}},
        {"2001 1\n", 1,
         {"V: f.dat has data from 2001 to 2001: the 4 steps before 2001 take its first value"}},
        {"1990 1\n1993 4\n", 1, {"V: f.dat has no line for 1991 to 1992 (2 steps), filled by interpolation"}},
        {"1990 1\n1991 -99\n1992 -99\n1993 4\n", 1, {}},
        {"1990 1\n1990 2\n1992 1\n1992 2\n1993 1\n1993 2\n", 2,
         {"V: f.dat has no line for 1991/1 to 1991/2 (2 steps), filled by interpolation"}},
        {"1985 1\n1991 1\n1993 2\n", 1, {}},  // one step between lines: no gap to tell
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        write_file("f.dat", std::string("!Year v\n") + r.text);
        std::vector<float> vec(8, U);
        WarningScope scope("V");
        ASSERT_EQ(varin("f.dat", 1990, 1990, 1993, r.ns, -99.0f, vec), "");
        EXPECT_EQ(scope.texts(), r.want);
    }
    // Two gaps: the first is told, the others counted; the column is named.
    write_file("g.dat", "!Year a b\n1990 1 1\n1993 1 1\n1994 1 1\n1997 1 1\n");
    std::vector<float> vec(8, U);
    WarningScope scope("V");
    ASSERT_EQ(varin("g.dat;b", 1990, 1990, 1997, 1, -99.0f, vec), "");
    EXPECT_EQ(scope.texts(), std::vector<std::string>{
        "V: g.dat;b has no line for 1991 to 1992 (2 steps), filled by interpolation (and 1 more such gaps)"});
}

TEST(Varin01, ArgumentsOfThisLibrary) {
    std::vector<float> vec(3, U);
    EXPECT_EQ(varin("1", 2000, 2000, 2000, 0, -99.0f, vec), "xVARIN01: ns < 1!");
    EXPECT_EQ(varin("1", 2000, 2000, 2003, 1, -99.0f, vec), "xVARIN01: Series array too short for the run!");
    EXPECT_EQ(varin("=", 2000, 2003, 2002, 1, -99.0f, vec), "xVARIN01: Series array too short for the run!");
    EXPECT_EQ(vec, std::vector<float>(3, U));
    EXPECT_EQ(varin(std::string(200, 'a'), 2000, 2000, 2000, 1, -99.0f, vec).size(), 127u);  // a message is cut
}

TEST(Varin01, LeavesNoFileOpen) {
    const std::string dir = scratch_dir();
    write_file(dir + "/good.dat", "!Year a b\n2000 1 2\n2002 3 4\n");
    write_file(dir + "/bad.dat", "!Year a b\n2000 1 2\n2001 x 4\n");
    const std::string texts[] = {dir + "/good.dat;b", dir + "/bad.dat;\\1", dir + "/good.dat;c",
                                 dir + "/none.dat", dir + "/bad.dat;\\2"};
    const int before = open_fd_count();
    std::vector<float> vec(4);
    int failed = 0;
    for (int i = 0; i < 2000; ++i) failed += !varin(texts[i % 5], 2000, 2000, 2003, 1, -99.0f, vec).empty();
    EXPECT_EQ(std::pair(failed, open_fd_count()), std::pair(1600, before));
}


// The whole-table method of the gap filling, as the reference: every valid
// value into D(1..NS, YB..YE) (the last of a year winning), each row filled
// by vecintp, the run's years stored. Files of random years (unsorted,
// repeated, some far from the run), missing markers, groups of NS lines, a
// factor and an offset that may make valid values missing, and a marker for
// which the empty cells are valid, against VARIN01.
TEST(Varin01, AsTheWholeTableOfTheGapFilling) {
    const InFolder here(scratch_dir());
    std::mt19937 gen(11);
    const auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
    int failures = 0;
    for (int t = 0; t < 3000; ++t) {
        const int ns = 1 + pick(3), iyrb = 2000, iyre = iyrb + pick(12) - 2;
        const float factors[] = {1.0f, 1.0f, 2.0f, -1.0f, 0.5f}, offsets[] = {0.0f, 0.0f, 10.0f, -30.0f};
        const float factor = factors[pick(5)], offset = offsets[pick(4)], rmiss = pick(5) == 0 ? 5.0f : -99.0f;
        // (year, value) of each line, in file order.
        std::vector<std::pair<int, float>> lines;
        const int groups = pick(40);
        const bool wall = pick(6) == 0;  // many years before the run that scale to missing, one far valid year
        if (wall) {
            lines.push_back({iyrb - 1000 - pick(20000), 7.0f});
            for (int y = iyrb - 300; y < iyrb; ++y) lines.push_back({y, 150.0f});
        }
        for (int g = 0; g < groups; ++g) {
            const int r = pick(10);
            const int year = r < 6 ? iyrb - 15 + pick(40) : r < 9 ? iyrb - 200 + pick(400) : iyrb + pick(40001) - 20000;
            for (int k = 0; k < ns; ++k) {
                const float v = pick(8) == 0 ? -99.0f : static_cast<float>(pick(600) - 150) / 2.0f;
                lines.push_back({pick(300) == 0 ? year + 1 : year, v});
            }
        }
        if (wall) std::rotate(lines.begin(), lines.begin() + 301, lines.end());  // the wall after the groups
        // A new file each time: rewriting one would wait for the disk.
        const std::string file = std::to_string(t);
        std::string text = "!Year v\n";
        for (const auto& [y, v] : lines) text += std::to_string(y) + " " + std::to_string(v) + "\n";
        write_file(file, text);

        // The reference.
        const std::size_t steps = static_cast<std::size_t>(std::max(iyre - iyrb + 1, 1) * ns);
        std::vector<float> want(steps, U), got(steps, U);
        std::string want_msg;
        [&] {
            if (lines.empty()) return void(want_msg = "xVARIN01: File  " + file + "  holds no data!");
            int n = 0, y1 = 0, yb = iyrb, ye = iyre;
            bool any = false;
            for (const auto& [y, v] : lines) {
                if (ns > 1 && ++n == 1) y1 = y;
                if (ns > 1 && n == ns) {
                    if (y != y1) {
                        const std::string i5 = std::to_string(y1);
                        return void(want_msg = "xVARIN01: File " + file + ": Wrong number of data in year" +
                                               (i5.size() > 5 ? "*****" : std::string(5 - i5.size(), ' ') + i5) + " (?)");
                    }
                    n = 0;
                }
                if (v > rmiss) any = true, yb = std::min(yb, y), ye = std::max(ye, y);
            }
            if (!any) return void(want_msg = "xVARIN01: File " + file + ": No data in column   1");
            const std::size_t ny = static_cast<std::size_t>(ye - yb + 1);
            std::vector<float> table(ny * static_cast<std::size_t>(ns), rmiss + rmiss);
            n = 0;
            for (const auto& [y, v] : lines) {
                const int k = ns > 1 ? (n++ % ns) : 0;
                if (!(v > rmiss)) continue;
                float w = v;
                if (factor != 1.0f) w = factor * w;
                if (offset != 0.0f) w = w + offset;
                table[static_cast<std::size_t>(k) * ny + static_cast<std::size_t>(y - yb)] = w;
            }
            for (int k = 0; k < ns; ++k) {
                const std::span<float> row(table.data() + static_cast<std::size_t>(k) * ny, ny);
                if (vecintp(yb, yb, ye, rmiss, row) != 0) return void(want_msg = "xVARIN01: Error in vecintp!");
                for (int y = iyrb; y <= iyre; ++y)
                    want[static_cast<std::size_t>((y - iyrb) * ns + k)] = row[static_cast<std::size_t>(y - yb)];
            }
        }();
        char spec[64];
        std::snprintf(spec, sizeof spec, ";%g*\\1+%g", factor, offset);
        const std::string msg = varin(file + spec, iyrb, iyrb, iyre, ns, rmiss, got);
        const bool same = msg == want_msg && std::memcmp(got.data(), want.data(), steps * sizeof(float)) == 0;
        failures += !same;
        if (!same && failures < 5) ADD_FAILURE() << t << ": " << msg << " | " << want_msg << "\n" << text;
    }
    EXPECT_EQ(failures, 0);
}

// A year typed with too many digits: the work stays bounded by the run (no
// allocation near the span of the years), and the far year still counts.
TEST(Varin01, FarYearsCostNothing) {
    const std::string file = scratch_dir() + "/far.dat";
    write_file(file, "!Year v\n1900 1\n2000000000 2\n");
    std::vector<float> yearly(11, U), monthly(11 * 12, U);
    t_alloc_cap = 1 << 20;
    const std::string msg = varin(file, 1990, 1990, 2000, 1, -99.0f, yearly);
    // Monthly: the two lines are the first two steps of a year; the third has none.
    const std::string msg12 = varin(file, 1990, 1990, 2000, 12, -99.0f, monthly);
    t_alloc_cap = static_cast<std::size_t>(-1);
    EXPECT_EQ(std::pair(msg, msg12), std::pair(std::string(), std::string("xVARIN01: Error in vecintp!")));
    // On the line between the two values.
    const float s = 1.0f / static_cast<float>(2000000000 - 1900);
    for (int y = 1990; y <= 2000; ++y) {
        const std::size_t i = static_cast<std::size_t>(y - 1990);
        EXPECT_EQ(yearly[i], 1.0f + s * static_cast<float>(y - 1900)) << y;
        EXPECT_EQ(std::tuple(monthly[12 * i], monthly[12 * i + 1], monthly[12 * i + 2]), std::tuple(1.0f, 2.0f, U));
    }
}

}  // namespace
}  // namespace morvane
