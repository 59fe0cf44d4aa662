#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "util/windows.hpp"

#include "support/test_support.hpp"
#include "util/files.hpp"
#include "util/textfile.hpp"
#include "util/textreader.hpp"

namespace morvane {
namespace {

using testing::on_disk;
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
        {"C:\\data\\", "/x.txt", "/x.txt"},
        {"/data/", " obs/x.txt", "/data/obs/x.txt"},
        {"/data/", "./x.txt", "./x.txt"},
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

// A reader holds its file's unit while it reads; a missing file and a folder
// (no file) fail; the unit is given back on every path. (Its lines:
// textreader_test.cpp.)
TEST(TextReader, HoldsItsUnit) {
    const std::string dir = scratch_dir();
    write_file(dir + "/a.txt", "a\n");
    auto r = TextReader::open(dir + "/a.txt");
    ASSERT_TRUE(r.has_value());
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
    EXPECT_EQ(std::pair(read_file(target), files()), std::pair(std::string("good\n"), std::ptrdiff_t{1}));

    TextWriter w;
    ASSERT_TRUE(w.open(target));
    w.write("new ");
    w.buffer().append(std::string(3 << 20, 'x'));
    w.maybe_flush();
    w.line("");
    ASSERT_TRUE(w.commit());
    const bool same = testing::read_text(target) == "new " + std::string(3 << 20, 'x') + "\n";
    EXPECT_EQ(std::tuple(same, files(), freeunit()), std::tuple(true, std::ptrdiff_t{1}, 101));
    EXPECT_FALSE(w.open(dir + "/no/such/dir/x.txt") || w.commit());
}

// One file under the names a model program may give it: either separator or
// both, on Windows a drive letter, and bytes above 127 (on Windows text in the
// code page of the narrow file functions, so that the program's own fopen of
// the same bytes opens the same file). Lines are written with the system's
// line end and read back without it; no temporary file is left.
TEST(TextFiles, NamesAndLineEnds) {
    const std::string dir = scratch_dir();
    std::filesystem::create_directory(dir + "/sub");
    std::vector<std::string> names = {dir + "/sub/a.txt", dir + "\\sub\\b.txt", dir + "/sub\\c.txt",
                                      dir + "/sub/\x80\x9a\xe4 d.txt"};
#ifdef _WIN32
    const std::string eol = "\r\n";
    std::string absolute = std::filesystem::absolute(dir).string();  // with its drive letter (Z: under Wine)
    ASSERT_EQ(absolute.substr(1, 2), ":\\");
    names.push_back(absolute + "\\sub\\e.txt");
#else
    const std::string eol = "\n";
#endif
    for (const std::string& name : names) {
        TextWriter w;
        ASSERT_TRUE(w.open(name)) << name;
        w.line("one");
        w.write("two\n");
        ASSERT_TRUE(w.commit()) << name;
        EXPECT_TRUE(file_exists(name)) << name;
        auto r = TextReader::open(name);
        ASSERT_TRUE(r.has_value()) << name;
        std::string_view line;
        EXPECT_TRUE(r->next(line) && line == "one" && r->next(line) && line == "two" && !r->next(line));
        std::string seen(16, '\0');
        if (std::FILE* f = std::fopen(on_disk(name).c_str(), "rb")) {
            seen.resize(std::fread(seen.data(), 1, seen.size(), f));
            std::fclose(f);
        }
        EXPECT_EQ(seen, "one" + eol + "two" + eol) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir + "/sub"), {}), std::ptrdiff_t(names.size()));
}

// A target held open by another program. On Windows a holder that does not
// share the file for deletion (a program writing it, most editors) keeps it
// from being replaced: the commit fails (after waiting about a second for a
// holder that lets go), the target keeps its bytes and no temporary file is
// left; let go, it is replaced. A file held without read sharing cannot be
// read. (Sharing is checked per handle, so a handle of this process stands for
// the other program.) On POSIX systems a reader that holds the old file keeps
// reading its old bytes while the target is replaced.
TEST(TextFiles, HeldOpen) {
    const std::string dir = scratch_dir(), target = dir + "/out.txt";
    const auto files = [&] { return std::distance(std::filesystem::directory_iterator(dir), {}); };
    const auto replace = [&](const std::string& text) {
        TextWriter w;
        return w.open(target) && (w.write(text), w.commit());
    };
    write_file(target, "old\n");
#ifdef _WIN32
    const std::wstring wide = std::filesystem::path(target).wstring();
    struct Case { DWORD share; bool readable; } cases[] = {
        {0, false},
        {FILE_SHARE_READ, true},
    };
    for (const Case& c : cases) {
        write_file(target, "old\n");
        HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(TextReader::open(target).has_value(), c.readable) << c.share;
        EXPECT_FALSE(replace("new\n")) << c.share;
        CloseHandle(h);
        EXPECT_EQ(std::pair(read_file(target), files()), std::pair(std::string("old\n"), std::ptrdiff_t{1}));
    }
    EXPECT_TRUE(replace("new\n"));
    EXPECT_EQ(read_file(target), "new\r\n");
#else
    std::FILE* held = std::fopen(target.c_str(), "rb");
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(replace("new\n"));
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, held), 4u);
    std::fclose(held);
    EXPECT_EQ(std::tuple(std::string(buf), read_file(target), files()), std::tuple("old\n", "new\n", std::ptrdiff_t{1}));
#endif
    EXPECT_EQ(freeunit(), 101);
}

}  // namespace
}  // namespace morvane
