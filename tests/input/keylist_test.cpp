#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "input/keylist.hpp"
#include "support/test_support.hpp"
#include "util/fields.hpp"

namespace morvane {
namespace {

using morvane::testing::on_disk;
using morvane::testing::scratch_dir;
using morvane::testing::write_file;
using namespace std::string_literals;
using Strings = std::vector<std::string>;

using morvane::testing::InFolder;
using morvane::testing::pad;
std::string key(const KEYLIST& l, int i) { return std::string(l.key[i], 16); }

// Loads text as a keyword file into a list whose every byte was '#'; FILE is
// path as given (backslashes and all), the file is written where it names.
std::unique_ptr<KEYLIST> load(const std::string& path, const std::string& text, bool write = true) {
    if (write) write_file(on_disk(path), text);
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), '#', sizeof(KEYLIST));
    set_field(list->file, sizeof list->file, path);
    fil2list(*list);
    return list;
}

TEST(KeyList, LoadsLines) {
    const std::string dir = scratch_dir();
    struct Case { std::string text; Strings keys, lines; };
    const Case cases[] = {
        {"Theta 0.3 0.4\n", {"Theta"}, {"0.3 0.4"}},
        {"   Theta    0.3   ! water\n! c\n\n \t \n  ! indented\nSingle\n", {"Theta", "Single"}, {"0.3", ""}},
        {"Theta\t0.3\0x\t ! c\r\nCEC 62.5"s, {"Theta", "CEC"}, {"0.3 x", "62.5"}},
        {"ABCDEFGHIJKLMNOPQRS 1\nSite  Lake  X, 2 \nA a!b\nB!x\n", {"ABCDEFGHIJKLMNOP", "Site", "A", "B"},
         {"1", "Lake  X, 2", "a", ""}},
        {"Long " + std::string(300, 'a'), {"Long"}, {std::string(251, 'a')}},  // 256 characters read
        {"Dictionary none.txt\nTheta 1\nTheta 2\ntheta 3\n", {"Theta", "Theta", "theta"}, {"1", "2", "3"}},
        {"", {}, {}},
    };
    int idx = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(idx);
        const auto list = load(dir + "/in" + std::to_string(idx++), c.text);
        ASSERT_EQ(list->n, static_cast<int>(c.keys.size()));
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            EXPECT_EQ(key(*list, i), pad(c.keys[i], 16));
            EXPECT_EQ(std::string(list->line[i], 256), pad(c.lines[i], 256));
        }
        for (int i = 0; i < kKeyEntries; ++i) EXPECT_EQ(list->got[i] | list->def[i], 0);
        EXPECT_EQ(key(*list, list->n) + std::string(list->line[255], 256) + std::string(list->dir, 256),
                  std::string(272, ' ') + pad(dir + "/", 256));  // entries above N blank
    }
    // DIR: FILE up to its last backslash or forward slash (blank without
    // either); either separates directories when the file is opened.
    EXPECT_EQ(std::string([&] { const InFolder here(dir); return load("in", "x 1"); }()->dir, 256), pad("", 256));
    std::filesystem::create_directories(dir + "/a/b");
    for (const std::string sub : {"/a/b/", "/a\\b\\", "/a/b\\", "\\a\\b/"}) {
        const auto list = load(dir + sub + "in", "x 1");
        EXPECT_EQ(std::pair(std::string(list->dir, 256), list->n), std::pair(pad(dir + sub, 256), 1));
    }

    // 300 keyword lines load 206; readers append up to 256 entries in all.
    std::string text;
    for (int i = 1; i <= 300; ++i) text += "k" + std::to_string(i) + " " + std::to_string(i) + "\n";
    auto list = load(dir + "/many", text);
    EXPECT_EQ(list->n, 206);
    int ind = 0;
    EXPECT_FALSE(keyfind(*list, "k207", ind));
    for (int i = 1; i <= 51; ++i) {
        std::int32_t iv = -5;
        getint(*list, "d" + std::to_string(i), iv, i);
        EXPECT_EQ(iv, i);
    }
    EXPECT_TRUE(list->n == 256 && keygot(*list, "d50") && !keyfind(*list, "d51", ind));

    // Missing file: N = -1 and nothing else written, also by a defaulting reader.
    list = load(dir + "/missing", "", false);
    float v = 7.0f;
    getreal(*list, "Theta", v, 0.25f);
    EXPECT_EQ(std::tuple(v, list->n), std::tuple(0.25f, -1));
    list->n = 0x23232323;
    std::memset(list->file, '#', sizeof list->file);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(list.get()), sizeof(KEYLIST)), std::string(sizeof(KEYLIST), '#'));
}

TEST(KeyList, Dictionary) {
    const std::string dir = scratch_dir();
    const InFolder here(dir);  // dictionary names are taken as given first
    write_file("dict", "! aliases\n\nsingle\nTh   Theta\nTh Other\n\tRunoff\tpercol \nLong a keyword longer than 16\n"
                       "Cmt key ! no comment here\n");
    const std::string name32 = "d23456789012345678901234567890.x";
    write_file(name32, "Z Zeta\n");
    // Beside a keyword file in another folder: a dictionary found only there,
    // and one that the working directory's of the same name hides.
    std::filesystem::create_directory("site");
    write_file("site/sdict", "Th Tsite\n");
    write_file("site/dict", "Th Tsite\n");
    struct Case { std::string file, text; Strings keys; };
    const Case cases[] = {
        {"in", "Dictionary dict ! aliases\nTh 0.3\nRunoff 0.5\nLong 1\nCmt 2\nTheta 9\nZ 1\n",
         {"Theta", "percol", "a keyword longer", "key ! no comment", "Theta", "Z"}},
        {"in", "Dictionary missing.txt\nTh 0.3\n", {"Th"}},
        {"in", "Dictionary dict\nDictionary " + name32 + "yz\nTh 0.3\nZ 1\n", {"Th", "Zeta"}},  // 32 characters kept
        {"site\\in", "Dictionary sdict\nTh 0.3\n", {"Tsite"}},
        {dir + "/site/in", "Dictionary sdict\nTh 0.3\n", {"Tsite"}},
        {"site/in", "Dictionary dict\nTh 0.3\n", {"Theta"}},
        {"site/in", "Dictionary site/sdict\nTh 0.3\n", {"Tsite"}},  // as given: no second site/
        {"site/in", "Dictionary " + dir + "/sdict\nTh 0.3\n", {"Th"}},
    };
    int idx = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(idx++);
        const auto list = load(c.file, c.text);
        ASSERT_EQ(list->n, static_cast<int>(c.keys.size()));
        for (std::size_t i = 0; i < c.keys.size(); ++i) EXPECT_EQ(key(*list, i), pad(c.keys[i], 16));
    }
}

TEST(KeyList, Readers) {
    auto list = load(scratch_dir() + "/in", "Theta 0.3 0.4\nExcmod 2\nBad 1.5\nWord 0.x3\nEmpty\nV 1 2\n"
                                            "Vlong 1 2 3 4 5 6\nTheta 9\nIV -3,4\nE 1.5E-3\n");
    ASSERT_EQ(list->n, 10);
    float r = -1.0f;
    std::int32_t i = -1;
    float e = -1.0f;
    getreal(*list, "Theta", r);  // the first number of the first Theta line
    getreal(*list, "E", e);
    getint(*list, " Excmod\t", i, 7);
    EXPECT_EQ(std::tuple(r, e, i, list->got[0], list->got[7]), std::tuple(0.3f, 1.5e-3f, 2, 1, 0));
    getint(*list, "theta", i);         // case matters; absent without default: untouched
    getreal(*list, "Empty", r, 4.5f);  // no number: the default, nothing appended
    EXPECT_EQ(std::tuple(i, r, list->got[4], list->n), std::tuple(2, 4.5f, 1, 10));

    // Unreadable numbers: an error naming keyword and value; outputs untouched.
    i = 11, r = 11.0f;
    std::vector<float> bv(3, 5.0f);
    const std::pair<std::function<void()>, std::string> bads[] = {
        {[&] { getint(*list, "Bad", i, 1); }, "Cannot read the value of Bad: 1.5"},
        {[&] { getint(*list, "Word", i, 1); }, "Cannot read the value of Word: 0.x3"},
        {[&] { getreal(*list, "Word", r); }, "Cannot read the value of Word: 0.x3"},
        {[&] { getrvec(*list, "Word", bv, 0.0f); }, "Cannot read the value of Word: 0.x3"},
    };
    for (const auto& [call, what] : bads) {
        try { call(), ADD_FAILURE() << "no error: " << what; } catch (const BadValue& e) { EXPECT_EQ(std::string(e.what()), what); }
    }
    EXPECT_TRUE(i == 11 && r == 11.0f && bv == std::vector<float>(3, 5.0f));

    // Vectors: fewer numbers repeat the last, more are cut, absent: default.
    struct Vec { std::string keyword; std::size_t nv; std::vector<float> want; };
    const Vec vecs[] = {{"V", 4, {1, 2, 2, 2}}, {"V", 1, {1}}, {"Vlong", 4, {1, 2, 3, 4}},
                        {"Theta", 3, {0.3f, 0.4f, 0.4f}}, {"Nope", 2, {-2, -2}}, {"Empty", 2, {-2, -2}}};
    for (const Vec& v : vecs) {
        std::vector<float> got(v.nv, 99.0f);
        getrvec(*list, v.keyword, got, -2.0f);
        EXPECT_EQ(got, v.want) << v.keyword;
    }
    std::vector<std::int32_t> iv(3, 8);
    getivec(*list, "IV", iv, 0);
    EXPECT_EQ(iv, (std::vector<std::int32_t>{-3, 4, 4}));
    getivecd(*list, "Nothing", iv);  // no default: untouched, nothing recorded
    const std::int32_t idv[3] = {7, 8, 9};
    getivecd(*list, "Nothing", iv, idv);
    EXPECT_EQ(iv, (std::vector<std::int32_t>{7, 8, 9}));
    std::vector<float> rv(2, 0.0f);
    const float dv[2] = {0.5f, 0.25f};
    getrvecd(*list, "NothingR", rv, dv);
    EXPECT_EQ(rv, (std::vector<float>{0.5f, 0.25f}));

    // Appended: KEY set, LINE blank, GOT and DEF true; found by KEYFIND / KEYGOT.
    ASSERT_EQ(list->n, 13);
    int ind = 0;
    for (const int e : {10, 11, 12}) {
        const char* k = e == 10 ? "Nope" : e == 11 ? "Nothing" : "NothingR";
        EXPECT_EQ(key(*list, e) + std::string(list->line[e], 256), pad(k, 272));
        EXPECT_EQ(std::tuple(list->got[e], list->def[e]), std::tuple(-1, -1));
        EXPECT_TRUE(keyfind(*list, k, ind) && ind == e + 1 && keygot(*list, k)) << k;
    }
    EXPECT_FALSE(keyfind(*list, "Thet", ind) || keyfind(*list, "Theta0", ind) || keygot(*list, "Vlong0"));
}

TEST(KeyListSeries, ConstantsFilesDefaults) {
    const std::string dir = scratch_dir(), d = dir + "/in\\";
    std::filesystem::create_directory(dir + "/in");
    auto list = load(dir + "/in\\x", "C 0.5\nM =\nE 1.5E-3\nF\tdep.dat;\\2\nK ..\\dep.dat\n");
    // VEC(N0 = 1845 : 1856); the run 1850-1852 with 2 steps a year is 1850..1855.
    std::vector<float> vec(12, 1.0f);
    std::string msg;
    getseries(*list, "C", 1845, 1850, 1852, 2, vec, std::nullopt, msg);
    EXPECT_EQ(vec, (std::vector<float>{1, 1, 1, 1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1}));
    getseries(*list, "M", 1845, 1850, 1852, 2, vec, 3.0f, msg);
    EXPECT_EQ(std::tuple(vec[5], vec[6], msg), std::tuple(-999999.0f, 0.5f, ""));
    // Not a constant: joined to DIR in the list, then read as a file.
    for (const auto& [k, line] : {std::pair("E"s, d + "1.5E-3"), std::pair("K"s, "..\\dep.dat"s)}) {
        getseries(*list, k, 1845, 1850, 1852, 2, vec, std::nullopt, msg);
        EXPECT_EQ(std::string(list->line[k == "E" ? 2 : 4], 256), pad(line, 256));
        EXPECT_EQ(msg, "xVARIN01: File  " + line + "  does not exist!");
    }
    write_file(on_disk(d + "dep.dat"), "!Year a b\n1850 9 2\n1852 9 4\n");
    msg.clear();
    getseries(*list, "F", 1845, 1850, 1852, 1, vec, std::nullopt, msg);
    EXPECT_EQ(std::string(list->line[3], 256), pad(d + "dep.dat;\\2", 256));
    EXPECT_EQ(std::tuple(vec[5], vec[6], vec[7], msg), std::tuple(2.0f, 3.0f, 4.0f, ""));
    // Absent with a default: the run's steps; an entry appended. Without: nothing.
    std::fill(vec.begin(), vec.end(), 1.0f);
    getseries(*list, "A", 1845, 1850, 1851, 3, vec, 2.5f, msg);
    getseries(*list, "B", 1845, 1850, 1851, 3, vec, std::nullopt, msg);
    EXPECT_EQ(vec, (std::vector<float>{1, 1, 1, 1, 1, 2.5f, 2.5f, 2.5f, 2.5f, 2.5f, 2.5f, 1}));
    EXPECT_EQ(std::tuple(list->got[0], list->got[5], list->n, keygot(*list, "B")), std::tuple(1, -1, 6, false));
}

}  // namespace
}  // namespace morvane
