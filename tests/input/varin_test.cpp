#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "input/varin.hpp"
#include "support/test_support.hpp"

namespace morvane {
namespace {

using testing::open_fd_count;
using testing::scratch_dir;
using testing::write_file;

constexpr float U = 7777.0f;  // an entry VARIN01 must not touch

// Runs a test in its scratch folder, so that file names (and messages) are short.
class InFolder {
public:
    explicit InFolder(const std::string& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

// Data files of the tests.
const std::vector<std::pair<std::string, std::string>> kFiles = {
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
    {"forms.dat", "!Y a b c\n2000 2*1.5 3\n2001,,4,5\n2002 1d0;2 3 / x\n2003 -.5e1 +7. 3\n"},
    {"after.dat", "2002 1d0;2 3 / x\n2003 -.5e1 +7. 3\n"},
    {"nulls.dat", "!Y a b\n2000 1,,\n"},
    {"slash.dat", "!Y a b\n2000 1 / 3\n"},
    {"nullyear.dat", ",1990 1\n"},
    {"later.dat", "!Y a\n2000 1\n! a note\n2001 3\n"},
    {"monthly.dat",
     "!Year v\n"
     "2000 1\n2000 2\n2000 3\n2000 4\n2000 5\n2000 6\n2000 7\n2000 8\n2000 9\n2000 10\n2000 11\n2000 12\n"
     "2002 13\n2002 14\n2002 15\n2002 16\n2002 17\n2002 18\n2002 19\n2002 20\n2002 21\n2002 22\n2002 23\n2002 24\n"},
    {"badgroup.dat",
     "!Year v\n"
     "1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n1999 1\n"
     "2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2000 1\n2001 1\n"},
    {"gapstep.dat",
     "!Year v\n"
     "2000 1\n2000 2\n2000 -99\n2000 4\n2000 5\n2000 6\n2000 7\n2000 8\n2000 9\n2000 10\n2000 11\n2000 12\n"},
};

struct Case {
    const char* what;
    std::string text;  // the series value
    int n0, iyrb, iyre, ns;
    std::string msg;  // the message
    std::vector<float> want;  // the whole series VEC(N0..), filled with U before the call
};

TEST(Varin01, ValuesFilesAndMessages) {
    const std::string dir = scratch_dir();
    for (const auto& [name, text] : kFiles) write_file(dir + "/" + name, text);
    const InFolder here(dir);

    const std::vector<Case> cases = {
        // constants and the marker
        {"constant", " 0.5 ", 1999, 2000, 2002, 1, "", {U, 0.5f, 0.5f, 0.5f, U}},
        {"constant, tab, steps", "\t-2.", 2000, 2000, 2000, 3, "", {-2, -2, -2, U}},
        {"marker", " = ", 1999, 2000, 2002, 1, "", {U, -999999.0f, U, U, U}},
        {"marker with a column", "=;\\3", 2000, 2000, 2001, 2, "", {-999999.0f, U, U, U, U}},
        {"blank value", "   ", 2000, 2000, 2001, 1, "xVARIN01: No value given!", {U, U, U}},
        {"bad constant", " 1.2.3", 2000, 2000, 2001, 1, "xVARIN01: Bad value  1.2.3  !", {U, U, U}},
        {"iyrb < n0", "0.5", 2001, 2000, 2001, 1, "xVARINO1: iyrb < n0!", {U, U, U}},
        // file part: 1.5E-3 is a file name
        {"exponent form is a file name", "1.5E-3", 2000, 2000, 2001, 1, "", {2.5f, 2.5f, U}},
        {"no such file", "2.5E-3", 2000, 2000, 2001, 1, "xVARIN01: File  2.5E-3  does not exist!", {U, U, U}},
        {"missing file", "none.dat ;\\2", 2000, 2000, 2001, 1,
         "xVARIN01: File  none.dat  does not exist!", {U, U, U}},
        // interpolation and holding the ends
        {"between 1990 and 2010", "two.dat", 2000, 2000, 2005, 1, "", {20, 21, 22, 23, 24, 25, U}},
        {"before 1990", "two.dat;\\1", 1980, 1980, 1985, 1, "", {10, 10, 10, 10, 10, 10, U}},
        {"-99 missing, -98.9 valid", "miss.dat", 2000, 2000, 2004, 1, "",
         {1.0f, -48.95f, -98.9f, -46.95f, 5.0f, U}},
        // columns, factor and offset
        {"blank column spec", "cols.dat;  ", 2000, 2000, 2002, 1, "", {1, 4, 7, U}},
        {"\\3 alone", "cols.dat;\\3", 2000, 2000, 2002, 1, "", {3, 6, 9, U}},
        {"2*\\3+-1", "cols.dat;2*\\3+-1", 2000, 2000, 2002, 1, "", {5, 11, 17, U}},
        // F * V and then + A, each rounded to float (in double the first is -7.45e-9)
        {"float scaling", "cols.dat;0.1*\\3+-0.3", 2000, 2000, 2002, 1, "",
         {0.0f, 0.30000001192092896f, 0.6000000238418579f, U}},
        {"name Mg", "cols.dat;Mg", 2000, 2000, 2002, 1, "", {2, 5, 8, U}},
        {"name not found", "cols.dat;Na", 2000, 2000, 2001, 1,
         "xVARIN01: Column with name  Na  not found in  cols.dat", {U, U, U}},
        {"name of the year column", "cols.dat;!Year", 2000, 2000, 2001, 1, "", {1, 4, U}},
        {"CRLF, tab and comma header", "crlf.dat;Mg", 2000, 2000, 2001, 1, "", {2, 5, U}},
        {"header without comment mark", "noheader.dat;Mg", 2000, 2000, 2001, 1, "", {2, 4, U}},
        {"comment between data", "later.dat", 2000, 2000, 2001, 1, "", {1, 3, U}},
        // the failures of the data file
        {"only comments", "comments.dat", 2000, 2000, 2001, 1,
         "xVARIN01: File  comments.dat  holds no data!", {U, U, U}},
        {"empty file", "empty.dat", 2000, 2000, 2001, 1, "xVARIN01: File  empty.dat  holds no data!",
         {U, U, U}},
        {"only blank lines", "blanks.dat;\\2", 2000, 2000, 2001, 1,
         "xVARIN01: File blanks.dat: No data in column   2", {U, U, U}},
        {"no valid value", "allmiss.dat", 2000, 2000, 2001, 1,
         "xVARIN01: File allmiss.dat: No data in column   1", {U, U, U}},
        {"non-integer year", "badyear.dat", 2000, 2000, 2001, 1,
         "xVARIN01: File badyear.dat: Bad data in line     3", {U, U, U}},
        {"too few numbers", "short.dat;\\2", 2000, 2000, 2001, 1,
         "xVARIN01: File short.dat: Bad data in line     4", {U, U, U}},
        {"not a number", "word.dat;\\2", 2000, 2000, 2001, 1,
         "xVARIN01: File word.dat: Bad data in line     2", {U, U, U}},
        {"repeat, null, d exponent, semicolon", "forms.dat;\\2", 2000, 2000, 2003, 1, "", {1.5f, 4, 2, 7, U}},
        {"null before the column", "forms.dat;\\3", 2001, 2001, 2001, 1, "", {5, U}},
        {"a slash after the column", "after.dat", 2002, 2002, 2003, 1, "", {1, -5, U}},
        {"null value", "nulls.dat;\\2", 2000, 2000, 2000, 1, "xVARIN01: File nulls.dat: Bad data in line     2",
         {U, U}},
        {"slash before the column", "slash.dat;\\2", 2000, 2000, 2000, 1,
         "xVARIN01: File slash.dat: Bad data in line     2", {U, U}},
        {"null year", "nullyear.dat", 1990, 1990, 1990, 1, "xVARIN01: File nullyear.dat: Bad data in line     1",
         {U, U}},
        {"items after the column are not read", "word.dat;\\1", 2000, 2000, 2000, 1, "", {1, U}},
        // twelve steps per year
        {"monthly", "monthly.dat", 2001, 2001, 2001, 12, "",
         {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, U}},
        {"wrong group", "badgroup.dat", 2000, 2000, 2000, 12,
         "xVARIN01: File badgroup.dat: Wrong number of data in year 2000 (?)",
         {U, U, U, U, U, U, U, U, U, U, U, U, U}},
        {"a step without data", "gapstep.dat", 2000, 2000, 2000, 12, "xVARIN01: Error in vecintp!",
         {1, 2, U, U, U, U, U, U, U, U, U, U, U}},
    };
    for (const Case& c : cases) {
        std::vector<float> vec(c.want.size(), U);
        EXPECT_EQ(varin01(c.text, c.n0, c.iyrb, c.iyre, c.ns, -99.0f, vec), c.msg) << c.what;
        EXPECT_EQ(vec, c.want) << c.what;
    }
}

// Numbers of many forms read from a data file, value for value against the
// reference runtime's list-directed READ of the same file (oracle_varin).
TEST(Varin01, ReadsNumbersAsTheReferenceRuntime) {
    const std::string dir = scratch_dir();
    const std::string file = dir + "/numbers.dat";
    const char* forms[] = {"0.1", "123.456789012", "1e-40", "3.4028235e38", "-.5", "5.", "1E5", "7", "+3.25",
                           "9.999999e-1", "1.00000005", "16777217", "2.5e+3", "-98.9", "1d0", "2*0.3", "1.5D-2"};
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> any(-98.0, 1000.0);
    std::string text;
    const int years = 400;
    char buf[40];
    for (int y = 0; y < years; ++y) {
        text += std::to_string(1000 + y);
        for (int c = 0; c < 5; ++c) {
            const unsigned pick = gen() % 24;
            if (pick < 17) {
                text += (c == 2 && y % 3 == 0) ? "," : " ";
                text += forms[pick];
            } else {
                std::snprintf(buf, sizeof buf, " %.*g", static_cast<int>(pick - 14), any(gen));
                text += buf;
            }
        }
        text += y % 2 ? "\n" : "\r\n";
    }
    write_file(file, text);
    for (int c = 1; c <= 5; ++c) {
        std::istringstream oracle(testing::run_command(std::string(ORACLE_VARIN) + " " + file + " " + std::to_string(c)));
        std::vector<float> vec(years, U);
        ASSERT_EQ(varin01(file + ";\\" + std::to_string(c), 1000, 1000, 1000 + years - 1, 1, -99.0f, vec), "");
        int lines = 0;
        for (std::int64_t year, bits; oracle >> year >> bits; ++lines)
            EXPECT_EQ(std::bit_cast<std::uint32_t>(vec[static_cast<std::size_t>(year - 1000)]),
                      static_cast<std::uint32_t>(bits))
                << "column " << c << " year " << year;
        EXPECT_EQ(lines, years) << c;
    }
}

TEST(Varin01, ArgumentsOfThisLibrary) {
    std::vector<float> vec(3, U);
    EXPECT_EQ(varin01("1", 2000, 2000, 2000, 0, -99.0f, vec), "xVARIN01: ns < 1!");
    EXPECT_EQ(varin01("1", 2000, 2000, 2003, 1, -99.0f, vec), "xVARIN01: Series array too short for the run!");
    EXPECT_EQ(varin01("=", 2000, 2003, 2002, 1, -99.0f, vec), "xVARIN01: Series array too short for the run!");
    EXPECT_EQ(vec, std::vector<float>(3, U));
    // A message never exceeds 127 characters.
    EXPECT_EQ(varin01(std::string(200, 'a'), 2000, 2000, 2000, 1, -99.0f, vec).size(), 127u);
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
    for (int i = 0; i < 2000; ++i) failed += !varin01(texts[i % 5], 2000, 2000, 2003, 1, -99.0f, vec).empty();
    EXPECT_EQ(failed, 1600);
    EXPECT_EQ(open_fd_count(), before);
}

}  // namespace
}  // namespace morvane
