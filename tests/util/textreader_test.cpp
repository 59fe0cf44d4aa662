#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "util/files.hpp"
#include "util/textreader.hpp"

namespace morvane {
namespace {

using testing::scratch_dir;
using testing::write_file;

// The lines of a text as a reader must give them: split at line feeds (a
// final one ends the last line), one carriage return before each removed,
// each cut to `width`.
std::vector<std::string> expected_lines(const std::string& text, std::size_t width) {
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line.substr(0, width));
        pos = nl + 1;
    }
    return out;
}

// Lines across block boundaries (blocks of 256 KiB), one longer than a block,
// carriage returns, a last line without its line feed; every width; a step
// back now and then; rewind.
TEST(TextReader, BlocksWidthsStepBackAndRewind) {
    std::mt19937 gen(3);
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i) {
        const std::size_t n = i == 700 ? 300000 : gen() % 3000;
        for (std::size_t j = 0; j < n; ++j) text += static_cast<char>('a' + (i + j) % 26);
        text += gen() % 4 == 0 ? "\r\n" : (gen() % 50 == 0 ? "\r\r\n" : "\n");
    }
    text += "\r\nlast";
    const std::string path = scratch_dir() + "/lines.txt";
    write_file(path, text);
    for (const std::size_t width : {TextReader::kWhole, std::size_t{1}, std::size_t{80}, std::size_t{2999},
                                    std::size_t{300001}}) {
        const std::vector<std::string> want = expected_lines(text, width);
        auto r = TextReader::open(path, width);
        ASSERT_TRUE(r.has_value());
        std::string_view line;
        std::size_t n = 0, wrong = 0;
        while (r->next(line)) {
            wrong += n >= want.size() || line != want[n];
            if (++n % 37 == 0) {
                r->back();
                r->back();  // one step only
                wrong += !r->next(line) || line != want[n - 1] || r->line_number() != n;
            }
        }
        EXPECT_EQ(std::tuple(n, wrong, r->failed()), std::tuple(want.size(), 0u, false)) << width;
        ASSERT_TRUE(r->rewind());
        for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(r->next(line) && line == want[i]) << width;
    }
    // Text in memory reads the same.
    TextReader m = TextReader::from_text(text, 80);
    std::string_view line;
    std::size_t n = 0;
    const std::vector<std::string> want = expected_lines(text, 80);
    while (m.next(line)) EXPECT_EQ(line, want[n++]);
    EXPECT_EQ(n, want.size());
}

// A line longer than the longest kept whole fails the reader (nothing of it
// is given); a reader that keeps less of each line passes over it.
TEST(TextReader, LineLongerThanTheLimit) {
    const std::string path = scratch_dir() + "/long.txt";
    write_file(path, "first\n" + std::string(TextReader::kMaxLine + 1, 'x') + "\nnext\n");
    for (const std::size_t width : {TextReader::kWhole, std::size_t{4}}) {
        auto r = TextReader::open(path, width);
        std::vector<std::string> got;
        std::string_view line;
        while (r->next(line)) got.emplace_back(line);
        const bool whole = width == TextReader::kWhole;
        const std::vector<std::string> want = whole ? std::vector<std::string>{"first"}
                                                    : std::vector<std::string>{"firs", "xxxx", "next"};
        EXPECT_EQ(got, want);
        EXPECT_EQ(r->failed(), whole);
    }
}

}  // namespace
}  // namespace morvane
