#include "output/monwrite.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "util/format.hpp"

namespace morvane {
namespace {

using morvane::testing::read_file;
using morvane::testing::run_command;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;
using ::testing::StartsWith;

SeriesSpec spec(const std::string& path, const std::string& fmt = "", char opt = ' ') {
    SeriesSpec s;
    std::memset(&s, 0, sizeof s);
    s.active = 1;
    std::memset(s.path, ' ', sizeof s.path);
    std::memcpy(s.path, path.data(), path.size());
    std::memset(s.fmt, ' ', sizeof s.fmt);
    std::memcpy(s.fmt, fmt.data(), std::min(fmt.size(), sizeof s.fmt));
    s.opt = opt;
    return s;
}

VarDescriptor var(const std::string& name, const std::string& desc) {
    VarDescriptor v;
    std::memset(&v, 0, sizeof v);
    std::memset(v.name, ' ', sizeof v.name);
    std::memcpy(v.name, name.data(), name.size());
    std::memset(v.description, ' ', sizeof v.description);
    std::memcpy(v.description, desc.data(), desc.size());
    return v;
}

// A run of NV variables (column i is variable i + 1) and NT time entries;
// VAL(N0:N1, NV) with N0 = 1 and N1 = NT.
struct Table {
    std::vector<VarDescriptor> vars;
    std::vector<std::int32_t> ivar;
    std::vector<float> time, val;
    char title[128] = {};
    std::int32_t nt = 0, iyb = 0, iye = 9999;

    Table(int nv, int nt_) : nt(nt_) {
        for (int i = 0; i < nv; ++i) {
            vars.push_back(var("v" + std::to_string(i + 1), "variable " + std::to_string(i + 1)));
            ivar.push_back(i + 1);
        }
        time.assign(static_cast<std::size_t>(nt), 0.0f);
        val.assign(static_cast<std::size_t>(nt) * static_cast<std::size_t>(nv), 0.0f);
        for (int j = 0; j < nt; ++j) time[static_cast<std::size_t>(j)] = 1900.0f + static_cast<float>(j) / 12.0f;
    }
    float& at(int j, int v) { return val[static_cast<std::size_t>(v) * static_cast<std::size_t>(nt) + static_cast<std::size_t>(j)]; }
    std::string write(const SeriesSpec& mon) {
        return monwrite(mon, title, vars.data(), static_cast<std::int32_t>(ivar.size()), ivar.data(), 1, nt, iyb,
                        iye, nt, time.data(), val.data());
    }
};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The text after the head lines (those starting with "!").
std::string data_part(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == '!') pos = text.find('\n', pos) + 1;
    return text.substr(pos);
}

// The records the Fortran runtime writes for the run's entries in the window.
std::string fortran_lines(const std::string& dir, const std::string& format, Table& run) {
    std::ostringstream in;
    std::vector<int> rows;
    for (int j = 0; j < run.nt; ++j)
        if (static_cast<float>(run.iyb) <= run.time[static_cast<std::size_t>(j)] &&
            run.time[static_cast<std::size_t>(j)] <= static_cast<float>(run.iye))
            rows.push_back(j);
    in << format << "\n" << rows.size() << " " << run.ivar.size() << "\n";
    for (std::size_t k = 0; k < rows.size(); ++k) {
        in << k << " " << std::bit_cast<std::int32_t>(run.time[static_cast<std::size_t>(rows[k])]);
        for (std::size_t i = 0; i < run.ivar.size(); ++i)
            in << " " << std::bit_cast<std::int32_t>(run.at(rows[k], static_cast<int>(i)));
        in << "\n";
    }
    write_file(dir + "/oracle.in", in.str());
    return run_command(std::string(ORACLE_MONLINES) + " < " + dir + "/oracle.in");
}

TEST(Monwrite, DefaultFormatExactBytes) {
    const std::string dir = scratch_dir();
    Table run(2, 5);
    run.vars[0] = var("SO4", "sulphate in soil water");
    run.vars[1] = var("pH\t", std::string("soil\tpH\0x", 9));
    run.time = {1989.5f, 1990.0f, 1990.25f, 1991.0f, 1992.0f};
    const float values[2][5] = {{1, 0.5f, -12.5f, 0.0f, 7}, {2, 123456.0f, -0.001f, 99999.5f, 8}};
    for (int v = 0; v < 2; ++v)
        for (int j = 0; j < 5; ++j) run.at(j, v) = values[v][j];
    run.iyb = 1990;
    run.iye = 1991;
    std::memcpy(run.title, "Site A\trun 1   ", 15);
    ASSERT_EQ(run.write(spec(dir + "/a.mon")), "");
    EXPECT_EQ(read_file(dir + "/a.mon"),
              "!Site A\trun 1\n"
              "!SO4     : sulphate in soil water\n"
              "!pH      : soil pH x\n"
              "!count        ,time    ,SO4         ,pH      \n"
              "     0   1990.0      0.50000      0.12346E+06\n"
              "     1   1990.2      -12.500     -0.10000E-02\n"
              "     2   1991.0       0.0000      0.10000E+06\n");
}

// Values across all magnitudes, signs, zeros and the rounding boundaries at
// powers of ten, 98 columns, against the Fortran runtime's records.
TEST(Monwrite, DefaultFormatMatchesFortran) {
    const std::string dir = scratch_dir();
    const int nv = 98, nt = 600;
    Table run(nv, nt);
    std::vector<float> special = {0.0f, -0.0f, 1.0f, -1.0f, 0.1f, 0.099995f, 0.0999949f, 0.09999951f,
                                  99999.5f, 99998.5f, 99999.49f, 12345.5f, 12344.5f, 9.99995f, 9.99994f,
                                  0.5f, 2.5f, 1e-13f, 1e19f, 1e20f, 3e-14f, std::numeric_limits<float>::max(),
                                  std::numeric_limits<float>::min(), 1e-40f, -1e-45f, 1e38f, 123456.0f,
                                  0.125f, 1.00005f, 1.00015f, 65536.5f, 16777216.0f, 4.0e9f, 1e10f, 1e-10f,
                                  INFINITY, -INFINITY, NAN, 123455.0f, 123465.0f, -1234550.0f, 123445000.0f,
                                  0.00390625f, 1.220703125e-4f};
    // Around the limits between the forms of G13.5, some ulps either side.
    const float r_sc = 1.0f - 0.5f / 100000.0f;
    for (float limit : {static_cast<float>(0.1 * r_sc), 0.1f * r_sc, r_sc, 10.0f * r_sc, 100.0f * r_sc,
                        1000.0f * r_sc, 10000.0f * r_sc, 99999.5f})
        for (int u = -12; u <= 12; ++u) {
            float x = limit;
            for (int i = 0; i < std::abs(u); ++i) x = std::nextafter(x, u < 0 ? 0.0f : INFINITY);
            special.push_back(u % 2 ? -x : x);
        }
    for (int p = -38; p <= 38; ++p) {
        const float x = std::pow(10.0f, static_cast<float>(p));
        special.push_back(x);
        special.push_back(std::nextafter(x, 0.0f));
        special.push_back(-std::nextafter(x, INFINITY));
        special.push_back(x * 0.999995f);
    }
    std::mt19937 gen(12345);
    std::uniform_int_distribution<std::uint32_t> any_bits(0, 0xff7fffffu);
    std::uniform_real_distribution<float> decade(-15.0f, 22.0f);
    std::size_t n = 0;
    for (int j = 0; j < nt; ++j)
        for (int v = 0; v < nv; ++v, ++n) {
            float x;
            if (n < special.size()) x = special[n];
            else if (n % 3 == 0) x = std::bit_cast<float>(any_bits(gen) & 0x7fffffffu) * (n % 2 ? -1.0f : 1.0f);
            else x = std::pow(10.0f, decade(gen)) * (n % 2 ? -1.0f : 1.0f);
            run.at(j, v) = x;
        }
    ASSERT_EQ(run.write(spec(dir + "/a.mon", "", 'p')), "");
    const std::string ours = data_part(read_file(dir + "/a.mon"));
    const std::string theirs = fortran_lines(dir, kMonDefaultFormat, run);
    ASSERT_EQ(split_lines(ours).size(), static_cast<std::size_t>(nt));
    EXPECT_EQ(ours, theirs);
}

TEST(Monwrite, CallerFormatsMatchFortran) {
    const std::string dir = scratch_dir();
    const std::string tail40 = "(i6,f9.2,2(1x,es11.3))          (bad(";
    struct Case {
        std::string fmt;       // the record's fmt field
        std::string oracle;    // the same format as the Fortran program gets it
        int nv;
    } cases[] = {
        {"(i6,f10.3,3(1x,e12.4))", "(i6,f10.3,3(1x,e12.4))", 7},
        {"(i5,' t=',f7.2,' v=',3f9.4)", "(i5,' t=',f7.2,' v=',3f9.4)", 3},
        {"(1x,i4.3,g11.4,(4e11.3))", "(1x,i4.3,g11.4,(4e11.3))", 9},
        {"(i6,f8.1/(5f9.3))", "(i6,f8.1/(5f9.3))", 12},
        {"(I6,99G13.5)", "(I6,99G13.5)", 4},
        {"  (i6, 99g13.5)", "(i6,99g13.5)", 3},
        {"(i8,2x,es12.4e3,4x,10f7.1)", "(i8,2x,es12.4e3,4x,10f7.1)", 10},
        {"(i3,g13.5,2(f6.1,:,'|'))", "(i3,g13.5,2(f6.1,:,'|'))", 5},
        {"(i6,250g13.5)", "(i6,250g13.5)", 120},
        {tail40, "(i6,f9.2,2(1x,es11.3))", 5},
    };
    for (const Case& c : cases) {
        Table run(c.nv, 40);
        for (int j = 0; j < run.nt; ++j)
            for (int v = 0; v < c.nv; ++v)
                run.at(j, v) = std::sin(static_cast<float>(j * 7 + v)) * std::pow(10.0f, static_cast<float>((j + v) % 11 - 5));
        run.iyb = 1901;
        run.iye = 1902;
        ASSERT_EQ(run.write(spec(dir + "/c.mon", c.fmt, 'p')), "") << c.fmt;
        EXPECT_EQ(data_part(read_file(dir + "/c.mon")), fortran_lines(dir, c.oracle, run)) << c.fmt;
    }
}

TEST(Monwrite, WindowAndCounter) {
    const std::string dir = scratch_dir();
    struct Case {
        std::vector<float> time;
        std::int32_t iyb, iye;
        std::string lines;  // the first 19 characters of each data line
    } cases[] = {
        {{1989.99f, 1990.0f, 1990.5f, 1990.0f}, 1990, 1990, "     0   1990.0    |     1   1990.0    |"},
        {{1989.0f, NAN, 1990.999f, 1991.0f, 1991.001f}, 1990, 1991, "     0   1991.0    |     1   1991.0    |"},
        {{1980.0f, 1981.0f}, 1990, 2000, ""},
        {{}, 1990, 2000, ""},
    };
    for (const Case& c : cases) {
        Table run(1, static_cast<int>(c.time.size()));
        run.time = c.time;
        run.iyb = c.iyb;
        run.iye = c.iye;
        ASSERT_EQ(run.write(spec(dir + "/w.mon", "", 'p')), "");
        const std::vector<std::string> lines = split_lines(read_file(dir + "/w.mon"));
        ASSERT_GE(lines.size(), 1u);
        EXPECT_EQ(lines[0], "!count        ,time    ,v1      ");
        std::string got;
        for (std::size_t i = 1; i < lines.size(); ++i) got += lines[i].substr(0, 19) + "|";
        EXPECT_EQ(got, c.lines) << c.iyb << ".." << c.iye;
    }
}

TEST(Monwrite, CounterAboveSixDigits) {
    const std::string dir = scratch_dir();
    Table run(1, 1000002);
    run.iye = 99999;
    ASSERT_EQ(run.write(spec(dir + "/n.mon", "", 'p')), "");
    const std::string text = read_file(dir + "/n.mon");
    const std::size_t line = 6 + 26 + 1, head = 33;
    ASSERT_EQ(text.size(), head + 1000002 * line);
    EXPECT_EQ(text.substr(head + 999999 * line, 6), "999999");
    EXPECT_EQ(text.substr(head + 1000000 * line, 6), "******");
    EXPECT_EQ(text.substr(head + 1000001 * line, 6), "******");
}

TEST(Monwrite, HeadOptionsTitlesAndHeadings) {
    const std::string dir = scratch_dir();
    std::string full(128, 'T');
    full[127] = 'z';
    struct Case {
        std::string what;
        char opt;
        std::string title;  // 128 bytes
        int nv;
        std::vector<std::size_t> head;  // lengths of the head lines
    } cases[] = {
        {"p drops the title and descriptions", 'p', std::string(128, ' '), 2, {19 + 26}},
        {"P keeps them", 'P', std::string("Run\0junk", 8) + std::string(120, ' '), 2, {4, 21, 21, 19 + 26}},
        {"title without a zero byte", ' ', full, 1, {129, 21, 19 + 13}},
        {"title starting with a zero byte", ' ', std::string(1, '\0') + std::string(127, 'x'), 1, {1, 21, 32}},
        {"99 columns, one heading line", 'p', "", 99, {19 + 13 * 99}},
        {"100 columns, two heading lines", 'p', "", 100, {19 + 13 * 99, 19 + 13}},
        {"199 columns, three heading lines", 'p', "", 199, {19 + 13 * 99, 19 + 13 * 99, 19 + 13}},
    };
    for (Case& c : cases) {
        Table run(c.nv, 1);
        c.title.resize(128, ' ');
        std::memcpy(run.title, c.title.data(), 128);
        ASSERT_EQ(run.write(spec(dir + "/h.mon", "(i6,250g13.5)", c.opt)), "") << c.what;
        const std::vector<std::string> lines = split_lines(read_file(dir + "/h.mon"));
        ASSERT_EQ(lines.size(), c.head.size() + 1) << c.what;
        for (std::size_t i = 0; i < c.head.size(); ++i) {
            EXPECT_EQ(lines[i].size(), c.head[i]) << c.what << " line " << i;
            EXPECT_EQ(lines[i][0], '!') << c.what;
        }
        EXPECT_EQ(lines.back().size(), 6u + 13u * static_cast<std::size_t>(c.nv + 1)) << c.what;
        // Each heading line starts again with the counter and time headings.
        std::vector<std::string> starts;
        for (const std::string& l : lines)
            if (l.starts_with("!count")) starts.push_back(l.substr(0, 32));
        const std::vector<std::string> first = {"!count        ,time    ,v1      ", "!count        ,time    ,v100    ",
                                                "!count        ,time    ,v199    "};
        EXPECT_EQ(starts, std::vector<std::string>(first.begin(), first.begin() + (c.nv + 98) / 99)) << c.what;
    }
    // The third case's title line carries all 128 bytes.
    Table run(1, 1);
    std::memcpy(run.title, full.data(), 128);
    ASSERT_EQ(run.write(spec(dir + "/t.mon")), "");
    EXPECT_THAT(read_file(dir + "/t.mon"), StartsWith("!" + full + "\n!v1      : variable 1\n"));
}

TEST(Monwrite, GuardTouchesNothing) {
    const std::string dir = scratch_dir();
    const std::string path = dir + "/g.mon";
    struct Case {
        const char* what;
        std::int32_t active, nv, iyb, iye;
    } cases[] = {
        {"inactive", 0, 1, 1900, 2000},
        {"only the lowest bit counts", 2, 1, 1900, 2000},
        {"no columns", 1, 0, 1900, 2000},
        {"negative columns", 1, -3, 1900, 2000},
        {"IYB after IYE", 1, 1, 2001, 2000},
    };
    for (const Case& c : cases) {
        for (const bool exists : {false, true}) {
            std::filesystem::remove(path);
            if (exists) write_file(path, "old\n");
            Table run(1, 3);
            SeriesSpec mon = spec(path, "(bad");
            mon.active = c.active;
            EXPECT_EQ(monwrite(mon, run.title, run.vars.data(), c.nv, run.ivar.data(), 1, 3, c.iyb, c.iye, 3,
                               run.time.data(), run.val.data()),
                      "")
                << c.what;
            EXPECT_EQ(std::filesystem::exists(path), exists) << c.what;
            if (exists) {
                EXPECT_EQ(read_file(path), "old\n") << c.what;
            }
        }
    }
}

TEST(Monwrite, FailuresLeaveTheOldFile) {
    const std::string dir = scratch_dir();
    const std::string path = dir + "/f.mon";
    struct Case {
        std::string what, path, fmt;
        int nv;
        std::int32_t bad_ivar, n1;
        std::string message;  // exact, or the start when it ends in ": "
    } cases[] = {
        {"unknown descriptor", path, "(i6,99q13.5)", 2, 1, 3, "xMONWRITE: Bad format (i6,99q13.5): "},
        {"unbalanced", path, "(i6,f9.2", 2, 1, 3, "xMONWRITE: Bad format (i6,f9.2: "},
        {"real descriptor for the counter", path, "(f8.2,99g13.5)", 2, 1, 3, "xMONWRITE: Bad format (f8.2,99g13.5): "},
        {"99 columns in the default format", path, "", 99, 1, 3, "xMONWRITE: Bad format (i6,99g13.5): "},
        {"missing folder", dir + "/no/such/x.mon", "", 2, 1, 3, "xMONWRITE: Cannot write file " + dir + "/no/such/x.mon"},
        {"a folder of that name", dir, "", 2, 1, 3, "xMONWRITE: Cannot write file " + dir},
        {"column index 0", path, "", 2, 0, 3, "xMONWRITE: Bad variable index 0"},
        {"entries beyond N1", path, "", 2, 1, 2, "xMONWRITE: Time entry 3 beyond N1"},
    };
    for (const Case& c : cases) {
        write_file(path, "old\n");
        Table run(c.nv, 3);
        run.ivar.back() = c.bad_ivar;
        const std::string msg = monwrite(spec(c.path, c.fmt), run.title, run.vars.data(), c.nv, run.ivar.data(), 1,
                                         c.n1, 1900, 2000, 3, run.time.data(), run.val.data());
        if (c.message.ends_with(": ")) {
            EXPECT_THAT(msg, StartsWith(c.message)) << c.what;
            EXPECT_GT(msg.size(), c.message.size()) << c.what;
        } else {
            EXPECT_EQ(msg, c.message) << c.what;
        }
        EXPECT_EQ(read_file(path), "old\n") << c.what;
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++files;
        EXPECT_EQ(files, 1u) << c.what << ": a temporary file was left";
    }
}

}  // namespace
}  // namespace morvane
