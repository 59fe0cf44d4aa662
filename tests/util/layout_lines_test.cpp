// Lines of one layout: the reader that keeps a layout gives what the
// free-format reader gives, on the line that finds a layout, on the lines
// that reuse it and on lines whose layout changes each time. The bytes after
// a line tempt it to read on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "util/freeform.hpp"
#include "util/layout_lines.hpp"

namespace {

// Lines of 3000 random layouts (1 to `most` numbers: a sign or not, 0 to 9
// digits on each side of a point or no point, blanks or a tab between), six
// lines of each, and the edge cases twice each; then all of them again in a
// random order, where the layout changes from line to line.
std::vector<std::string> layout_lines(int most, std::initializer_list<const char*> edges) {
    std::mt19937 rng(11);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::vector<std::string> lines;
    for (int layout = 0; layout < 3000; ++layout) {
        const int items = 1 + pick(most), lead = pick(3), tail = pick(4) == 0;
        std::vector<std::array<int, 5>> shape;  // sign, digits before, point, digits after, separator
        for (int i = 0; i < items; ++i) shape.push_back({pick(3) == 0, pick(9), pick(4) != 0, pick(9), pick(5)});
        for (int rep = 0; rep < 6; ++rep) {
            std::string s(static_cast<std::size_t>(lead), ' ');
            for (std::size_t i = 0; i < shape.size(); ++i) {
                const auto [sign, before, point, after, sep] = shape[i];
                if (i > 0) s += sep == 0 ? std::string("\t") : std::string(static_cast<std::size_t>(sep), ' ');
                if (sign) s += '-';
                for (int d = 0; d < before; ++d) s += static_cast<char>('0' + pick(10));
                if (point) s += '.';
                for (int d = 0; d < after; ++d) s += static_cast<char>('0' + pick(10));
            }
            lines.push_back(tail ? s + " " : s);
        }
    }
    for (const char* edge : edges) lines.insert(lines.end(), 2, edge);
    std::vector<std::string> mixed = lines;
    std::shuffle(mixed.begin(), mixed.end(), rng);
    lines.insert(lines.end(), mixed.begin(), mixed.end());
    return lines;
}

// The line in a buffer whose next bytes are digits or points.
std::string held(const std::string& line, std::size_t k) { return line + std::string(64, k % 2 ? '7' : '.'); }

TEST(PlainLineReader, SameAsOnePass) {
    const std::vector<std::string> lines = layout_lines(
        5, {"-.5", "5.", ".", "-", "- 5", "5-3", "1.2.3", "-0", "0.000", "12345678", "123456789", "1234.5678",
            "1234.56789", "12345678.", ".12345678", "8388609.5 1", "16777217 2.5", "1 2 3 4 5 6 7 8 9 10 11 12 13",
            "1.5 2.5 3.5 4.5 5.5 6.5 7.5 8.5 9.5 10", "1e5 2", "1,2 3", "3 4 abc", "\t-7.25\t8 "});
    morvane::PlainLineReader readers[5];
    int mismatches = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string buf = held(lines[k], k);
        const std::string_view view(buf.data(), lines[k].size());
        for (int want = 1; want <= 5; ++want) {
            float a[5], b[5];
            std::fill(a, a + 5, -7.0f), std::fill(b, b + 5, -7.0f);
            const int ma = morvane::read_plain_items(view, std::span<float>(a, static_cast<std::size_t>(want)));
            const int mb = readers[want - 1].read(view, std::span<float>(b, static_cast<std::size_t>(want)));
            if ((ma != mb || (ma >= 0 && std::memcmp(a, b, sizeof a) != 0)) && ++mismatches < 5)
                ADD_FAILURE() << want << " values of |" << lines[k] << "|: " << ma << " and " << mb;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
