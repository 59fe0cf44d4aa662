#include "output/monwrite.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <sstream>

#include "support/targets.hpp"
#include "support/test_support.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"

namespace morvane {
namespace {

using morvane::testing::read_file;
using morvane::testing::read_text;
using morvane::testing::scratch_dir;

SeriesSpec spec(const std::string& path, const std::string& fmt = "", char opt = ' ') {
    SeriesSpec s;
    std::memset(&s, ' ', sizeof s);
    set_field(s.path, sizeof s.path, path), set_field(s.fmt, sizeof s.fmt, fmt);
    s.active = 1, s.opt = opt;
    return s;
}

// NV variables named v1.. (column i is variable i + 1), NT monthly steps from 1900; VAL(1:NT, NV).
struct Table {
    std::vector<VarDescriptor> vars;
    std::vector<std::int32_t> ivar;
    std::vector<float> time, val;
    char title[128] = {};
    int nt, iyb = 0, iye = 9999;
    Table(int nv, int nt_) : vars(static_cast<std::size_t>(nv)), nt(nt_) {
        for (int i = 0; i < nv; ++i) {
            std::memset(&vars[i], ' ', sizeof(VarDescriptor));
            set_field(vars[i].name, 8, "v" + std::to_string(i + 1));
            set_field(vars[i].description, sizeof vars[i].description, "variable " + std::to_string(i + 1));
            ivar.push_back(i + 1);
        }
        for (int j = 0; j < nt; ++j) time.push_back(1900.0f + static_cast<float>(j) / 12.0f);
        val.assign(time.size() * vars.size(), 0.0f);
    }
    float& at(int j, int v) { return val[static_cast<std::size_t>(v * nt + j)]; }
    std::string write(const SeriesSpec& mon, std::optional<int> nv = {}, std::optional<int> n1 = {}) {
        return message_of([&] {
            monwrite(mon, title, vars.data(), nv.value_or(static_cast<int>(ivar.size())), ivar.data(), 1,
                     n1.value_or(nt), iyb, iye, nt, time.data(), val.data());
        });
    }
};

// The text after the head lines.
std::string data_part(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == '!') pos = text.find('\n', pos) + 1;
    return text.substr(pos);
}

// The same records written by the Fortran runtime (all entries in the window).
std::string fortran_lines(const std::string& format, Table& t) {
    std::ostringstream in;
    in << format << "\n" << t.nt << " " << t.ivar.size() << "\n";
    for (int j = 0; j < t.nt; ++j) {
        in << j << " " << std::bit_cast<std::int32_t>(t.time[static_cast<std::size_t>(j)]);
        for (std::size_t i = 0; i < t.ivar.size(); ++i) in << " " << std::bit_cast<std::int32_t>(t.at(j, static_cast<int>(i)));
        in << "\n";
    }
    return morvane::testing::run_oracle(ORACLE_MONLINES, in.str());
}

TEST(Monwrite, ExactBytesOfHeadAndRecords) {
    const std::string dir = scratch_dir();
    Table t(2, 5);
    std::memcpy(t.vars[0].name, "SO4     sulphate in soil water", 30);
    std::memcpy(t.vars[1].name, "pH\t     soil\tpH\0x ", 18);  // tab and zero byte become blanks
    t.time = {1989.5f, 1990.0f, 1990.25f, 1991.0f, 1991.001f};
    t.val = {1, 0.5f, -12.5f, 0.0f, 7, 2, 123456.0f, -0.001f, 99999.5f, 8};
    t.iyb = 1990, t.iye = 1991;
    std::memcpy(t.title, "Site A\trun 1   ", 15);
    ASSERT_EQ(t.write(spec(dir + "/a.mon")), "");
    EXPECT_EQ(read_text(dir + "/a.mon"),
              "!Site A\trun 1\n!SO4     : sulphate in soil water\n!pH      : soil pH x\n"
              "!count        ,time    ,SO4         ,pH      \n"
              "     0   1990.0      0.50000      0.12346E+06\n"
              "     1   1990.2      -12.500     -0.10000E-02\n"
              "     2   1991.0       0.0000      0.10000E+06\n");
}

// Data records against the Fortran runtime: the default format (the writer's
// own G13.5 path) on values of every magnitude, the limits between the forms,
// ties, zeros, infinities; caller formats through the general engine.
TEST(Monwrite, RecordsMatchFortranRuntime) {
    const std::string dir = scratch_dir();
    std::vector<float> special = {0.0f, -0.0f, 0.099995f, 0.0999949f, 99999.5f, 99998.5f, 12345.5f, 12344.5f,
                                  9.99995f, 2.5f, 1e-13f, 1e19f, 1e20f, std::numeric_limits<float>::max(),
                                  1e-40f, -1e-45f, INFINITY, -INFINITY, NAN, 123455.0f, 123465.0f,
                                  -1234550.0f, 123445000.0f, 0.00390625f, 16777216.0f};
    const float r_sc = 1.0f - 0.5f / 100000.0f;
    for (float limit : {static_cast<float>(0.1 * r_sc), 0.1f * r_sc, r_sc, 10.0f * r_sc, 100.0f * r_sc,
                        1000.0f * r_sc, 10000.0f * r_sc, 99999.5f}) {
        float x = limit;  // 12 ulps either side
        for (int u = 0; u < 12; ++u) x = std::nextafter(x, 0.0f);
        for (int u = 0; u < 25; ++u, x = std::nextafter(x, INFINITY)) special.push_back(u % 2 ? -x : x);
    }
    for (int p = -38; p <= 38; ++p) {
        const float x = std::pow(10.0f, static_cast<float>(p));
        special.insert(special.end(), {x, std::nextafter(x, 0.0f), -std::nextafter(x, INFINITY), x * 0.999995f});
    }
    std::mt19937 gen(12345);
    std::uniform_int_distribution<std::uint32_t> bits(0, 0xff7fffffu);
    std::uniform_real_distribution<float> decade(-15.0f, 22.0f);
    const struct { std::string fmt; int nv, nt; } cases[] = {
        {"", 98, 600}, {"(i6,f10.3,3(1x,e12.4))", 7, 30}, {"(i5,' t=',f7.2,' v=',3f9.4)", 3, 30},
        {"(1x,i4.3,g11.4,(4e11.3))", 9, 30}, {"(i8,2x,es12.4e3,4x,10f7.1)", 10, 30},
        {"(i3,g13.5,2(f6.1,:,'|'))", 5, 30}, {"(i6,250g13.5)", 120, 30},
        {"(i6,f9.2,2(1x,es11.3))          (bad(", 5, 30},  // cut at 32 characters
    };
    for (const auto& c : cases) {
        Table t(c.nv, c.nt);
        std::size_t n = 0;
        for (int j = 0; j < c.nt; ++j)
            for (int v = 0; v < c.nv; ++v, ++n) {
                const float sign = n % 2 ? -1.0f : 1.0f;
                t.at(j, v) = n < special.size() && c.nv == 98 ? special[n]
                             : n % 3 == 0 ? std::bit_cast<float>(bits(gen) & 0x7fffffffu) * sign
                                          : std::pow(10.0f, decade(gen)) * sign;
                if (c.nv != 98 && !std::isfinite(t.at(j, v))) t.at(j, v) = 1.0f;
            }
        ASSERT_EQ(t.write(spec(dir + "/c.mon", c.fmt, 'p')), "") << c.fmt;
        const std::string oracle = c.fmt.empty() ? "(i6,99g13.5)" : c.fmt.substr(0, 32);
        EXPECT_EQ(data_part(read_text(dir + "/c.mon")), fortran_lines(oracle, t)) << c.fmt;
    }
}

// Head options, titles, heading lines of 99 columns at most; the window and
// the counter (only written lines count; beyond 999999 six asterisks).
TEST(Monwrite, HeadWindowAndCounter) {
    const std::string dir = scratch_dir();
    const std::string full = std::string(127, 'T') + 'z';
    const struct { char opt; std::string title; int nv; std::vector<float> time; std::string expect; } cases[] = {
        {'p', "", 2, {1900}, "!count        ,time    ,v1          ,v2      \n     0   1900.0       0.0000       0.0000    \n"},
        {'P', std::string("Run\0junk", 8), 1, {}, "!Run\n!v1      : variable 1\n!count        ,time    ,v1      \n"},
        {' ', std::string(1, '\0') + "x", 1, {}, "!\n!v1      : variable 1\n!count        ,time    ,v1      \n"},
        {' ', full, 1, {}, "!" + full + "\n!v1      : variable 1\n!count        ,time    ,v1      \n"},
        {'p', "", 1, {1989.99f, 1990.0f, 1990.5f, NAN, 1990.0f},
         "!count        ,time    ,v1      \n     0   1990.0       0.0000    \n     1   1990.0       0.0000    \n"},
        {'p', "", 99, {}, "99"}, {'p', "", 100, {}, "99 1"}, {'p', "", 199, {}, "99 99 1"},
    };
    for (const auto& c : cases) {
        Table t(c.nv, static_cast<int>(c.time.size()));
        t.time = c.time;
        t.iyb = t.iye = 1990 - (c.time.size() == 1 ? 90 : 0);
        std::memcpy(t.title, c.title.data(), std::min<std::size_t>(c.title.size(), 128));
        ASSERT_EQ(t.write(spec(dir + "/h.mon", c.nv > 98 ? "(i6,250g13.5)" : "", c.opt)), "");
        std::string text = read_text(dir + "/h.mon"), got;
        if (c.nv > 98) {  // headings per line, each line starting with the counter and time
            for (std::size_t pos = 0; pos < text.size(); pos = text.find('\n', pos) + 1) {
                EXPECT_EQ(text.substr(pos, 19), "!count        ,time");
                got += (got.empty() ? "" : " ") + std::to_string((text.find('\n', pos) - pos - 19) / 13);
            }
            text = got;
        }
        EXPECT_EQ(text, c.expect) << c.opt << c.nv;
    }
    Table t(1, 1000002);
    t.iye = 99999;
    ASSERT_EQ(t.write(spec(dir + "/n.mon", "", 'p')), "");
    const std::string text = read_text(dir + "/n.mon");
    ASSERT_EQ(text.size(), 33u * 1000003u);
    EXPECT_EQ(text.substr(33u * 1000000u, 6) + text.substr(33u * 1000001u, 6) + text.substr(33u * 1000002u, 6),
              "999999************");
}

// The guard does nothing; a failure leaves an earlier file as it was (and no
// temporary file) and says why.
TEST(Monwrite, GuardAndFailuresLeaveTheOldFile) {
    const std::string dir = scratch_dir(), path = dir + "/f.mon";
    const struct { std::string path, fmt; int active, nv, iyb, ivar0, n1; std::string msg; } cases[] = {
        {path, "(bad", 0, 2, 1900, 1, 3, ""},
        {path, "(bad", 2, 2, 1900, 1, 3, ""},  // only the lowest bit counts
        {path, "(bad", 1, 0, 1900, 1, 3, ""},
        {path, "(bad", 1, -3, 1900, 1, 3, ""},
        {path, "(bad", 1, 2, 2001, 1, 3, ""},  // IYB after IYE
        {path, "(i6,99q13.5)", 1, 2, 1900, 1, 3, "xMONWRITE: Bad format (i6,99q13.5): "},
        {path, "(i6,f9.2", 1, 2, 1900, 1, 3, "xMONWRITE: Bad format (i6,f9.2: "},
        {path, "(f8.2,99g13.5)", 1, 2, 1900, 1, 3, "xMONWRITE: Bad format (f8.2,99g13.5): "},
        {path, "", 1, 99, 1900, 1, 3, "xMONWRITE: Bad format (i6,99g13.5): "},
        {dir + "/no/x.mon", "", 1, 2, 1900, 1, 3, "xMONWRITE: Cannot write file " + dir + "/no/x.mon"},
        {dir, "", 1, 2, 1900, 1, 3, "xMONWRITE: Cannot write file " + dir},
        {path, "", 1, 2, 1900, 0, 3, "xMONWRITE: Bad variable index 0"},
        {path, "", 1, 2, 1900, 1, 2, "xMONWRITE: Time entry 3 beyond N1"},
    };
    for (const auto& c : cases) {
        for (const bool exists : {true, false}) {
            std::filesystem::remove(path);
            if (exists) morvane::testing::write_file(path, "old\n");
            Table t(std::max(c.nv, 1), 3);
            t.iyb = c.iyb, t.iye = 2000, t.ivar[0] = c.ivar0;
            SeriesSpec mon = spec(c.path, c.fmt);
            mon.active = c.active;
            const std::string msg = t.write(mon, c.nv, c.n1);
            EXPECT_EQ(msg.substr(0, c.msg.size()), c.msg) << c.msg;
            EXPECT_EQ(msg.size() > c.msg.size(), c.msg.ends_with(": ")) << msg;  // the engine's reason follows
            EXPECT_EQ(exists ? read_file(path) : std::to_string(std::filesystem::exists(path)), exists ? "old\n" : "0");
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), exists ? 1 : 0) << c.msg;
        }
    }
}

// Every kind of target, and a failure at each open, write, close and rename;
// the table takes several blocks of the writer.
TEST(Monwrite, TargetsAndFaults) {
    Table t(98, 600);
    for (int j = 0; j < t.nt; ++j)
        for (int v = 0; v < 98; ++v) t.at(j, v) = static_cast<float>(j * 98 + v) * 0.37f;
    const auto writer = [&](const std::string& path) { return t.write(spec(path)); };
    const auto failure = [](const std::string& path) { return "xMONWRITE: Cannot write file " + path; };
    const std::string path = scratch_dir() + "/first.mon";
    ASSERT_EQ(writer(path), "");
    morvane::testing::check_targets(writer, read_file(path), failure);
    morvane::testing::check_faults(writer, failure);
}

}  // namespace
}  // namespace morvane
