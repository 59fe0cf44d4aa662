#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "input/keylist.hpp"
#include "support/test_support.hpp"

namespace morvane {
namespace {

using morvane::testing::scratch_dir;
using morvane::testing::write_file;
using namespace std::string_literals;

std::string pad(std::string_view s, std::size_t n) {
    std::string out(s.substr(0, std::min(s.size(), n)));
    out.resize(n, ' ');
    return out;
}

// A list whose every byte is '#', so that untouched fields show.
std::unique_ptr<KEYLIST> dirty_list(const std::string& file) {
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), '#', sizeof(KEYLIST));
    set_field(list->file, sizeof list->file, file);
    return list;
}

std::unique_ptr<KEYLIST> load(const std::string& path, const std::string& text) {
    write_file(path, text);
    auto list = dirty_list(path);
    fil2list(*list);
    return list;
}

// The current folder for the dictionary files, restored afterwards.
struct InFolder {
    std::filesystem::path old = std::filesystem::current_path();
    explicit InFolder(const std::string& dir) { std::filesystem::current_path(dir); }
    ~InFolder() { std::filesystem::current_path(old); }
};

struct Entry {
    std::string key, line;
};

TEST(KeyList, LoadsTheLinesOfAFile) {
    const std::string dir = scratch_dir();
    const std::string longline = "Long " + std::string(300, 'a');
    struct Case {
        std::string text;
        std::vector<Entry> entries;
    };
    const Case cases[] = {
        {"Theta 0.3 0.4\n", {{"Theta", "0.3 0.4"}}},
        {"   Theta    0.3   ! water content\n", {{"Theta", "0.3"}}},
        {"! comment\n\n   \t \n  ! indented comment\nTheta\n", {{"Theta", ""}}},
        {"Theta\t0.3\0x\t ! c\r\nCEC 62.5"s, {{"Theta", "0.3 x"}, {"CEC", "62.5"}}},
        {"ABCDEFGHIJKLMNOPQRS 1\n", {{"ABCDEFGHIJKLMNOP", "1"}}},
        {"SiteInfo  Lake  X, plot 2  \n", {{"SiteInfo", "Lake  X, plot 2"}}},
        {"Name a!b\nOther!x\n", {{"Name", "a"}, {"Other", ""}}},
        {longline + "\n", {{"Long", std::string(251, 'a')}}},  // 256 characters of the line are read
        {"Dictionary nowhere.txt\nTheta 1\nTheta 2\ntheta 3\n", {{"Theta", "1"}, {"Theta", "2"}, {"theta", "3"}}},
        {"", {}},
    };
    int idx = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(idx);
        const auto list = load(dir + "/in" + std::to_string(idx++) + ".inp", c.text);
        ASSERT_EQ(list->n, static_cast<int>(c.entries.size()));
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(std::string(list->key[i], 16), pad(c.entries[i].key, 16));
            EXPECT_EQ(std::string(list->line[i], 256), pad(c.entries[i].line, 256));
        }
        for (int i = 0; i < kKeyEntries; ++i) {
            EXPECT_EQ(list->got[i], 0);
            EXPECT_EQ(list->def[i], 0);
        }
        // Entries above N are blank; no backslash in the path: DIR blank.
        EXPECT_EQ(std::string(list->key[list->n], 16), std::string(16, ' '));
        EXPECT_EQ(std::string(list->line[255], 256), std::string(256, ' '));
        EXPECT_EQ(std::string(list->dir, 256), std::string(256, ' '));
    }
}

TEST(KeyList, DirectoryMissingFileAndLimit) {
    const std::string dir = scratch_dir();
    // DIR is FILE up to its last backslash (a legal character of a name here).
    auto list = load(dir + "/a\\b\\in.inp", "x 1\n");
    EXPECT_EQ(std::string(list->dir, 256), pad(dir + "/a\\b\\", 256));

    // Missing file: N = -1, nothing else written; readers give defaults and
    // append nothing.
    list = dirty_list(dir + "/missing.inp");
    const std::vector<char> before(reinterpret_cast<char*>(list.get()), reinterpret_cast<char*>(list.get() + 1));
    fil2list(*list);
    EXPECT_EQ(list->n, -1);
    list->n = 0x23232323;
    EXPECT_EQ(std::memcmp(before.data(), list.get(), sizeof(KEYLIST)), 0);
    list->n = -1;
    float v = 7.0f;
    getreal(*list, "Theta", v, 0.25f);
    EXPECT_EQ(v, 0.25f);
    EXPECT_EQ(list->n, -1);
    int ind = 5;
    EXPECT_FALSE(keyfind(*list, "Theta", ind));
    EXPECT_EQ(ind, 0);

    // 300 keyword lines give 206 entries; a Dictionary line after them is not seen.
    std::string text;
    for (int i = 1; i <= 300; ++i) text += "k" + std::to_string(i) + " " + std::to_string(i) + "\n";
    list = load(dir + "/many.inp", text);
    EXPECT_EQ(list->n, 206);
    EXPECT_EQ(std::string(list->key[205], 5), "k206 ");
    EXPECT_FALSE(keyfind(*list, "k207", ind));

    // Appended defaults fill the list up to 256 entries, then stop; the value
    // still gets its default.
    for (int i = 1; i <= 51; ++i) {
        std::int32_t iv = -5;
        getint(*list, "d" + std::to_string(i), iv, i);
        EXPECT_EQ(iv, i);
    }
    EXPECT_EQ(list->n, 256);
    EXPECT_EQ(std::string(list->key[255], 16), pad("d50", 16));
    EXPECT_TRUE(keygot(*list, "d50"));
    EXPECT_FALSE(keyfind(*list, "d51", ind));
}

TEST(KeyList, Dictionary) {
    const std::string dir = scratch_dir();
    InFolder here(dir);
    write_file("dict.txt",
               "! aliases\n\nsingle\nTh   Theta\nTh Other\n\tRunoff\tpercol \nLong a keyword longer than 16\n"
               "Cmt key ! no comment here\n");
    const std::string name32 = "d23456789012345678901234567890.x";  // 32 characters
    write_file(name32, "Z Zeta\n");

    struct Case {
        std::string text;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"Dictionary dict.txt ! aliases\nTh 0.3\nRunoff 0.5\nLong 1\nCmt 2\nTheta 9\nZ 1\n",
         {"Theta", "percol", "a keyword longer", "key ! no comment", "Theta", "Z"}},
        {"Dictionary missing.txt\nTh 0.3\n", {"Th"}},
        {"Dictionary dict.txt\nDictionary " + name32 + "yz\nTh 0.3\nZ 1\n", {"Th", "Zeta"}},
        {"Dictionary dict.txt\nDictionary\nTh 0.3\n", {"Th"}},
    };
    int idx = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(idx);
        const auto list = load("in" + std::to_string(idx++) + ".inp", c.text);
        ASSERT_EQ(list->n, static_cast<int>(c.keys.size()));
        for (std::size_t i = 0; i < c.keys.size(); ++i) EXPECT_EQ(std::string(list->key[i], 16), pad(c.keys[i], 16));
    }
    const auto list = load("th.inp", "Dictionary dict.txt\nTh 0.3\n");
    float theta = 0.0f;
    getreal(*list, "Theta", theta);
    EXPECT_EQ(theta, 0.3f);
    EXPECT_EQ(std::string(list->line[0], 4), "0.3 ");
}

TEST(KeyList, Readers) {
    const std::string dir = scratch_dir();
    auto list = load(dir + "/in.inp",
                     "Theta 0.3 0.4\nExcmod 2\nBad 1.5\nWord 0.x3\nEmpty\nV 1 2\nVlong 1 2 3 4 5 6\n"
                     "Theta 9\nIV -3,4\nE 1.5E-3\n");
    const int loaded = list->n;
    ASSERT_EQ(loaded, 10);

    float r = -1.0f;
    getreal(*list, "Theta", r);
    EXPECT_EQ(r, 0.3f);  // the first of two numbers, from the first of two lines
    EXPECT_EQ(list->got[0], 1);
    EXPECT_EQ(list->got[7], 0);
    getreal(*list, "E", r);
    EXPECT_EQ(r, 1.5e-3f);

    std::int32_t i = -1;
    getint(*list, "Excmod", i, 7);
    EXPECT_EQ(i, 2);
    getint(*list, " Excmod\t", i);
    EXPECT_EQ(i, 2);
    getint(*list, "theta", i);  // case matters: absent, no default: untouched
    EXPECT_EQ(i, 2);
    EXPECT_EQ(list->n, loaded);

    // Value holding no number: the default; entry taken, nothing appended.
    r = -1.0f;
    getreal(*list, "Empty", r, 4.5f);
    EXPECT_EQ(r, 4.5f);
    EXPECT_EQ(list->got[4], 1);
    EXPECT_EQ(list->n, loaded);

    // Unreadable numbers: an error naming keyword and value; value untouched.
    struct Bad {
        std::string keyword;
        bool integer;
        std::string what;
    };
    const Bad bads[] = {
        {"Bad", true, "Cannot read the value of Bad: 1.5"},
        {"Word", false, "Cannot read the value of Word: 0.x3"},
        {"Word", true, "Cannot read the value of Word: 0.x3"},
    };
    for (const Bad& b : bads) {
        SCOPED_TRACE(b.what);
        i = 11;
        r = 11.0f;
        try {
            if (b.integer) {
                getint(*list, b.keyword, i, 1);
            } else {
                getreal(*list, b.keyword, r, 1.0f);
            }
            ADD_FAILURE() << "no error";
        } catch (const BadValue& e) {
            EXPECT_EQ(std::string(e.what()), b.what);
            EXPECT_EQ(e.keyword(), b.keyword);
        }
        EXPECT_EQ(i, 11);
        EXPECT_EQ(r, 11.0f);
    }
    std::vector<float> bv(3, 5.0f);
    EXPECT_THROW(getrvec(*list, "Word", bv, 0.0f), BadValue);
    EXPECT_EQ(bv, std::vector<float>(3, 5.0f));

    // Vectors: fewer numbers repeat the last, more are cut; absent: default.
    struct Vec {
        std::string keyword;
        std::size_t nv;
        std::vector<float> want;
    };
    const Vec vecs[] = {
        {"V", 4, {1, 2, 2, 2}},
        {"V", 1, {1}},
        {"Vlong", 4, {1, 2, 3, 4}},
        {"Theta", 3, {0.3f, 0.4f, 0.4f}},
        {"Nope", 3, {-2, -2, -2}},
        {"Empty", 2, {-2, -2}},
    };
    for (const Vec& v : vecs) {
        SCOPED_TRACE(v.keyword);
        std::vector<float> got(v.nv, 99.0f);
        getrvec(*list, v.keyword, got, -2.0f);
        EXPECT_EQ(got, v.want);
    }
    std::vector<std::int32_t> iv(3, 8);
    getivec(*list, "IV", iv, 0);
    EXPECT_EQ(iv, (std::vector<std::int32_t>{-3, 4, 4}));
    getivecd(*list, "Nothing", iv);  // no default: untouched, nothing recorded
    EXPECT_EQ(iv, (std::vector<std::int32_t>{-3, 4, 4}));
    const std::int32_t idv[3] = {7, 8, 9};
    getivecd(*list, "Nothing", iv, idv);
    EXPECT_EQ(iv, (std::vector<std::int32_t>{7, 8, 9}));
    std::vector<float> rv(2, 0.0f);
    const float dv[2] = {0.5f, 0.25f};
    getrvecd(*list, "V", rv, dv);
    EXPECT_EQ(rv, (std::vector<float>{1, 2}));
    getrvecd(*list, "NothingR", rv, dv);
    EXPECT_EQ(rv, (std::vector<float>{0.5f, 0.25f}));

    // Appended entries: Nope (getrvec), Nothing (getivecd with default),
    // NothingR; KEY set, GOT and DEF true, found again by KEYFIND / KEYGOT.
    ASSERT_EQ(list->n, loaded + 3);
    const char* appended[] = {"Nope", "Nothing", "NothingR"};
    for (int k = 0; k < 3; ++k) {
        const int e = loaded + k;
        EXPECT_EQ(std::string(list->key[e], 16), pad(appended[k], 16));
        EXPECT_EQ(std::string(list->line[e], 256), std::string(256, ' '));
        EXPECT_EQ(list->got[e], -1);
        EXPECT_EQ(list->def[e], -1);
        int ind = 0;
        EXPECT_TRUE(keyfind(*list, appended[k], ind));
        EXPECT_EQ(ind, e + 1);
        EXPECT_TRUE(keygot(*list, appended[k]));
    }
    EXPECT_TRUE(keygot(*list, "Theta"));
    EXPECT_FALSE(keygot(*list, "Vlong0"));
    int ind = 0;
    EXPECT_FALSE(keyfind(*list, "Thet", ind));
    EXPECT_FALSE(keyfind(*list, "Theta0", ind));
    EXPECT_FALSE(keygot(*list, "IVX"));
}

TEST(KeyList, Series) {
    const std::string dir = scratch_dir();
    auto list = load(dir + "/in\\x.inp", "C 0.5\nE 1.5E-3\nM =\nF\tdep.dat;\\2\nK ..\\dep.dat\n");
    const std::string d = dir + "/in\\";
    // VEC(N0 = 1845 : 1856); run 1850-1852 with 2 steps a year: 1850..1855.
    std::vector<float> vec(12, 1.0f);
    std::string msg;
    getseries(*list, "C", 1845, 1850, 1852, 2, vec, std::nullopt, msg);
    EXPECT_EQ(vec, (std::vector<float>{1, 1, 1, 1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1}));
    EXPECT_EQ(msg, "");
    EXPECT_EQ(list->got[0], 1);

    getseries(*list, "M", 1845, 1850, 1852, 2, vec, 3.0f, msg);
    EXPECT_EQ(vec[5], -999999.0f);
    EXPECT_EQ(vec[6], 0.5f);

    // Not a constant: joined to DIR in the list, then read as a file.
    struct File {
        std::string keyword, line;
    };
    const File files[] = {
        {"E", d + "1.5E-3"},
        {"F", d + "dep.dat;\\2"},
        {"K", "..\\dep.dat"},
    };
    for (const File& f : files) {
        SCOPED_TRACE(f.keyword);
        msg = "earlier";
        getseries(*list, f.keyword, 1845, 1850, 1852, 2, vec, std::nullopt, msg);
        int ind = 0;
        ASSERT_TRUE(keyfind(*list, f.keyword, ind));
        EXPECT_EQ(std::string(list->line[ind - 1], 256), pad(f.line, 256));
        const std::string file = f.line.substr(0, f.line.find(';'));
        EXPECT_EQ(msg, "xVARIN01: File  " + file + "  does not exist!");
    }

    // Absent with a default: the run's steps only; an entry appended.
    std::fill(vec.begin(), vec.end(), 1.0f);
    msg.clear();
    getseries(*list, "A", 1845, 1850, 1851, 3, vec, 2.5f, msg);
    EXPECT_EQ(vec, (std::vector<float>{1, 1, 1, 1, 1, 2.5f, 2.5f, 2.5f, 2.5f, 2.5f, 2.5f, 1}));
    EXPECT_TRUE(keygot(*list, "A"));
    EXPECT_EQ(list->n, 6);
    getseries(*list, "B", 1845, 1850, 1851, 3, vec, std::nullopt, msg);
    EXPECT_EQ(list->n, 6);
    EXPECT_FALSE(keygot(*list, "B"));
    EXPECT_EQ(msg, "");
}

}  // namespace
}  // namespace morvane
