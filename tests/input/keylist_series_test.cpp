#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "input/keylist.hpp"
#include "support/test_support.hpp"

namespace morvane {
namespace {

using Strings = std::vector<std::string>;

std::unique_ptr<KEYLIST> load(const std::string& path, const std::string& text) {
    morvane::testing::write_file(path, text);
    auto list = std::make_unique<KEYLIST>();
    set_field(list->file, sizeof list->file, path);
    fil2list(*list);
    return list;
}

std::string pad(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)) + std::string(n - std::min(n, s.size()), ' '); }

TEST(KeyListSeries, ConstantsFilesDefaults) {
    const std::string dir = morvane::testing::scratch_dir();
    auto list = load(dir + "/in\\x", "C 0.5\nM =\nE 1.5E-3\nF\tdep.dat;\\2\nK ..\\dep.dat\n");
    const std::string d = dir + "/in\\";
    // VEC(N0 = 1845 : 1856); the run 1850-1852 with 2 steps a year is 1850..1855.
    std::vector<float> vec(12, 1.0f);
    std::string msg;
    getseries(*list, "C", 1845, 1850, 1852, 2, vec, std::nullopt, msg);
    EXPECT_EQ(vec, (std::vector<float>{1, 1, 1, 1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1}));
    getseries(*list, "M", 1845, 1850, 1852, 2, vec, 3.0f, msg);
    EXPECT_EQ(vec[5], -999999.0f);
    EXPECT_EQ(vec[6], 0.5f);
    EXPECT_EQ(msg, "");
    // Not a constant: joined to DIR in the list, then read as a file.
    const Strings keys = {"E", "K"}, lines = {d + "1.5E-3", "..\\dep.dat"};
    for (int k = 0; k < 2; ++k) {
        getseries(*list, keys[k], 1845, 1850, 1852, 2, vec, std::nullopt, msg);
        EXPECT_EQ(std::string(list->line[2 + 2 * k], 256), pad(lines[k], 256));
        EXPECT_EQ(msg, "xVARIN01: File  " + lines[k] + "  does not exist!");
    }
    morvane::testing::write_file(d + "dep.dat", "!Year a b\n1850 9 2\n1852 9 4\n");
    msg.clear();
    getseries(*list, "F", 1845, 1850, 1852, 1, vec, std::nullopt, msg);
    EXPECT_EQ(std::string(list->line[3], 256), pad(d + "dep.dat;\\2", 256));
    EXPECT_EQ(std::vector<float>(vec.begin() + 5, vec.begin() + 8), (std::vector<float>{2, 3, 4}));
    EXPECT_EQ(msg, "");
    // Absent with a default: the run's steps; an entry appended. Without: nothing.
    std::fill(vec.begin(), vec.end(), 1.0f);
    getseries(*list, "A", 1845, 1850, 1851, 3, vec, 2.5f, msg);
    getseries(*list, "B", 1845, 1850, 1851, 3, vec, std::nullopt, msg);
    EXPECT_EQ(vec, (std::vector<float>{1, 1, 1, 1, 1, 2.5f, 2.5f, 2.5f, 2.5f, 2.5f, 2.5f, 1}));
    EXPECT_EQ(list->got[0], 1);
    EXPECT_EQ(list->got[5], -1);
    EXPECT_EQ(list->n, 6);
    EXPECT_FALSE(keygot(*list, "B"));
}

}  // namespace
}  // namespace morvane
