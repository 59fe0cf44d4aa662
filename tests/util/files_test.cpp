#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_support.hpp"
#include "util/files.hpp"
#include "util/textfile.hpp"
#include "util/textreader.hpp"

namespace morvane {
namespace {

using testing::read_file;
using testing::scratch_dir;
using testing::write_file;

TEST(Pathjoin, Rules) {
    const std::string nul(1, '\0');
    struct Case { std::string dir, file, want; } cases[] = {
        {"C:\\data\\", "obs.txt", "C:\\data\\obs.txt"},
        {"C:\\data\\", "..\\obs.txt", "..\\obs.txt"},
        {"C:\\data\\", ".\\obs.txt", ".\\obs.txt"},
        {"C:\\data\\", "D:\\x.txt", "D:\\x.txt"},
        {"C:\\data\\", "\\x.txt", "\\x.txt"},
        {"C:\\data\\", "dir/x.txt", "C:\\data\\dir/x.txt"},
        {"C:\\data\\   ", "   obs.txt  ", "C:\\data\\obs.txt"},
        {"C:\\data\\", "\t" + nul + " D:x  ", "D:x"},
        {"C:\\data\\", "   ", ""},
        {"C:\\data\\", "\t" + nul, ""},
        {"C:\\data\\", "", ""},
        {"C:\\data\\\t" + nul, "a", "C:\\data\\a"},
        {"  rel\\", "x", "  rel\\x"},
        {"", "x.txt", "x.txt"},
        {"C:\\data\\", "a;\\3", "C:\\data\\a;\\3"},
    };
    for (const Case& c : cases) EXPECT_EQ(pathjoin(c.dir, c.file), c.want) << c.dir << "|" << c.file;
}

TEST(Skipcom, CountsAndStepsBack) {
    struct Case { const char* text; char com; int want; const char* next; } cases[] = {  // next: nullptr at the end
        {"!a\n!b\n!c\n1990 1\n", '!', 3, "1990 1"},
        {" !a\n1\n", '!', 0, " !a"},
        {"1990 1\n", '!', 0, "1990 1"},
        {"!a\r\n\r\n!b\r\n", '!', 1, ""},
        {"!a\n!b\n", '!', -1, nullptr},
        {"!a\n!b", '!', -1, nullptr},
        {"", '!', -1, nullptr},
        {"#x\n!y\n", '#', 1, "!y"},
        {"\n\nx\n", ' ', 2, "x"},
    };
    for (const auto& c : cases) {
        TextReader r = TextReader::from_text(c.text);
        EXPECT_EQ(skipcom(r, c.com), c.want) << c.text;
        std::string_view line;
        ASSERT_EQ(r.next(line), c.next != nullptr) << c.text;
        if (c.next) {
            EXPECT_EQ(std::pair(line, r.line_number()), std::pair(std::string_view(c.next), std::size_t(c.want + 1)));
        }
    }
}

TEST(Freeunit, UnitsHeldOpen) {
    const std::string dir = scratch_dir();
    write_file(dir + "/a", "x");
    ASSERT_EQ(freeunit(), 101);  // nothing of the library is open between tests
    {
        File a(dir + "/a", "rb");
        File b(dir + "/a", "rb");
        EXPECT_EQ(std::tuple(b.unit(), freeunit(), freeunit()), std::tuple(102, 103, 103));  // asking does not take it
        a.close();
        EXPECT_EQ(freeunit(), 101);
        File missing(dir + "/none", "rb");  // gives its unit back at once
        TextWriter idle;                    // holds none until it is opened
        EXPECT_EQ(freeunit(), 101);
    }
    std::vector<UnitLease> all;
    for (int i = 0; i < 899; ++i) all.push_back(UnitLease::take());
    EXPECT_EQ(std::tuple(all.back().unit(), freeunit(), File(dir + "/a", "rb").is_open()), std::tuple(999, -1, false));
    all.pop_back();
    EXPECT_EQ(freeunit(), 999);
}

TEST(TextReader, LinesCarriageReturnsAndStepBack) {
    const std::string dir = scratch_dir();
    write_file(dir + "/crlf.txt", "a\r\nb\r\n\r\nlast");
    auto r = TextReader::open(dir + "/crlf.txt");
    ASSERT_TRUE(r.has_value());
    std::vector<std::string> got;
    std::string_view line;
    while (r->next(line)) got.emplace_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "", "last"}));
    r->back();
    r->back();  // one step only
    ASSERT_TRUE(r->next(line));
    EXPECT_EQ(std::pair(line, r->line_number()), std::pair(std::string_view("last"), std::size_t{4}));
    // The file holds its unit while it is read. A missing file and a folder
    // (no file) fail; the unit is given back on every path.
    EXPECT_EQ(freeunit(), 102);
    r.reset();
    EXPECT_FALSE(TextReader::open(dir + "/none").has_value() || TextReader::open(dir).has_value());
    EXPECT_EQ(freeunit(), 101);
}

TEST(TextWriter, ReplacesTheTargetOnlyOnCommit) {
    const std::string dir = scratch_dir();
    const std::string target = dir + "/out.txt";
    const auto files = [&] { return std::distance(std::filesystem::directory_iterator(dir), {}); };
    write_file(target, "good\n");
    {
        TextWriter w;
        ASSERT_TRUE(w.open(target));
        w.line("half");
        EXPECT_EQ(freeunit(), 102);  // the writer holds 101
    }  // no commit: the old file stays, and no temporary file
    EXPECT_EQ(std::pair(read_file(target), files()), std::pair(std::string("good\n"), 1L));

    TextWriter w;
    ASSERT_TRUE(w.open(target));
    w.write("new ");
    w.buffer().append(std::string(3 << 20, 'x'));
    w.maybe_flush();
    w.line("");
    ASSERT_TRUE(w.commit());
    const bool same = read_file(target) == "new " + std::string(3 << 20, 'x') + "\n";
    EXPECT_EQ(std::tuple(same, files(), freeunit()), std::tuple(true, 1L, 101));
    EXPECT_FALSE(w.open(dir + "/no/such/dir/x.txt") || w.commit());
}

}  // namespace
}  // namespace morvane
