// Every reader of this room under a failing open, read or close of its files:
// the routine's message (or, for FIL2LIST, the list of a missing file), never
// a crash or a partial result.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "input/keylist.hpp"
#include "input/varin.hpp"
#include "support/faults.hpp"
#include "support/test_support.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"

namespace morvane {
namespace {

using fault::Op;
using testing::InFolder;
using testing::scratch_dir;
using testing::under_faults;
using testing::write_file;

constexpr float U = 7777.0f;  // an entry VARIN01 must not touch

TEST(ReaderFaults, KeywordFileAndDictionary) {
    const InFolder here(scratch_dir());
    write_file("k.inp", "Dictionary d.txt\nthick 0.5\nold 3\n");
    write_file("d.txt", "old Depth\n");
    auto blank = std::make_unique<KEYLIST>();
    std::memset(blank.get(), ' ', sizeof(KEYLIST));
    set_field(blank->file, "k.inp");
    const auto load = [&] {
        auto list = std::make_unique<KEYLIST>(*blank);
        fil2list(*list);
        return std::string(reinterpret_cast<const char*>(list.get()), sizeof(KEYLIST));
    };
    const std::string full = load();
    std::filesystem::rename("d.txt", "gone.txt");
    const std::string plain = load();  // no dictionary: no aliases
    std::filesystem::rename("gone.txt", "d.txt");
    blank->n = -1;
    const std::string missing(reinterpret_cast<const char*>(blank.get()), sizeof(KEYLIST));
    blank->n = 0;
    ASSERT_NE(full, plain);
    // The keyword file first, then the dictionary; a close of a file that was
    // read loses nothing.
    const std::pair<Op, std::vector<std::string>> cases[] = {
        {Op::Open, {full, missing, plain}},
        {Op::Read, {full, missing, plain}},
        {Op::Close, {full, full, full}},
    };
    for (const auto& [op, want] : cases) EXPECT_TRUE(under_faults(op, load) == want) << static_cast<int>(op);
}

// A series file of several blocks whose scaling makes the years before the
// run missing, so that it is read a second time for the year beyond them.
TEST(ReaderFaults, SeriesFile) {
    const InFolder here(scratch_dir());
    std::string text = "!Year v\n1000 50\n";
    for (int y = 1800; y < 2000; ++y) text += std::to_string(y) + " 150\n";
    for (int i = 0; i < 3000; ++i) text += "!" + std::string(200, '-') + "\n";
    for (int y = 2000; y < 2005; ++y) text += std::to_string(y) + " " + std::to_string(y - 1990) + "\n";
    write_file("f.dat", text);
    const auto call = [] {
        std::vector<float> vec(5, U);
        const std::string msg = message_of([&] { varin01("f.dat;-1*\\1", 2000, 2000, 2004, 1, -99.0f, vec); });
        return std::pair(msg, vec);
    };
    const auto good = std::pair(std::string(), std::vector<float>{-10, -11, -12, -13, -14});
    const auto bad = std::pair(std::string("xVARIN01: File  f.dat  cannot be read!"), std::vector<float>(5, U));
    for (const Op op : {Op::Open, Op::Read, Op::Close}) {
        const auto got = under_faults(op, call);
        ASSERT_EQ(got[0], good);
        EXPECT_TRUE(op == Op::Read ? got.size() > 6 : got.size() == 2) << got.size();  // two readings of 3 blocks at least
        for (std::size_t n = 1; n < got.size(); ++n) EXPECT_EQ(got[n], op == Op::Close ? good : bad) << n;
    }
}

}  // namespace
}  // namespace morvane
