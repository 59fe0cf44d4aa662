#include "util/strings.hpp"
#include "util/strings_numbers.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>

using namespace std::string_view_literals;
using namespace morvane;
using Strs = std::vector<std::string>;

TEST(Strings, TidyStrlimUpp2low) {
    EXPECT_EQ(tidy("\0\0\0"sv), "   ");
    EXPECT_EQ(tidy("a\tb\0"sv), "a b ");
    struct Case { std::string_view s; int first, last; };
    for (const Case& c : {Case{"\0\0\0"sv, 0, 0}, Case{"", 0, 0}, Case{"x", 1, 1}, Case{"  ab c\t ", 3, 6},
                          Case{"\t\0x\0"sv, 3, 3}, Case{"\ra\r", 1, 3}})
        EXPECT_EQ(std::pair(strlim(c.s).first, strlim(c.s).last), std::pair(c.first, c.last)) << c.s;
    EXPECT_EQ(upp2low("AbZ@[`{ 09,\xC9\xE9\0Q"sv), "abz@[`{ 09,\xC9\xE9\0q"sv);
}

TEST(Strings, CharcountNitems) {
    struct Count { int mode; char ch; std::string_view s; int n; };
    for (const Count& c : {Count{2, ',', "'a,b',c", 1}, Count{1, ',', "'a,b',c", 2}, Count{3, ',', "a,b", 0},
                           Count{1, '\'', " 'a' ", 2}, Count{2, ',', "a,'b,c", 1}, Count{2, ',', "  ", 0}})
        EXPECT_EQ(charcount(c.mode, c.ch, c.s), c.n) << c.mode << c.s;
    struct Items { std::string_view s; int n; };
    for (const Items& c : {Items{"a b c", 3}, Items{"a,b,c", 3}, Items{"a, b", 2}, Items{"'a b' c", 2},
                           Items{"a,,b", 3}, Items{"a  b", 2}, Items{"", 0}, Items{"   ", 0}, Items{"x", 1},
                           Items{"  a\t\0b  "sv, 2}, Items{"a 'b c' d", 3}, Items{"'a,b',c", 2},
                           Items{"a, b, c d", 4}, Items{"a ,", 2}})
        EXPECT_EQ(nitems(c.s), c.n) << c.s;
}

// Texts of every length up to 100, blanks, tabs, zero bytes, commas and
// quotes among words, against the count taken one character at a time.
TEST(Strings, NitemsOfLongTexts) {
    const auto one_by_one = [](std::string_view s) {
        const Limits l = strlim(s);
        if (l.last == 0) return 0;
        const auto at = [&](int i) { return s[static_cast<std::size_t>(i - 1)]; };
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\0'; };
        bool inq = at(l.first) == '\'';
        int n = 1;
        for (int i = l.first + 1; i <= l.last - 1; ++i) {
            if (at(i) == '\'') inq = !inq;
            if (!inq && blank(at(i)) && !(i > l.first + 1 && blank(at(i - 1)))) ++n;
        }
        return std::max(n, charcount(2, ',', s) + 1);
    };
    std::mt19937 rng(9);
    const char alphabet[] = {' ', 'a', '1', ' ', '.', '\t', 'x', '-', '9', '\0', ' ', ',', ',', '\''};
    int wrong = 0;
    for (int t = 0; t < 20000; ++t) {
        std::string s(rng() % 101, ' ');
        const unsigned spread = 2 + rng() % 13;  // below 12: no commas, no quotes
        for (char& c : s) c = alphabet[rng() % spread];
        wrong += nitems(s) != one_by_one(s);
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Strings, Gappos) {
    struct Case { int n; std::string_view s; int ib, ie; };
    for (const Case& c : {Case{1, "ab  cd", 3, 4}, Case{2, "a b c", 4, 4}, Case{2, "a b", 0, 0},
                          Case{0, "a b", 0, 0}, Case{1, "  a\t\t b", 4, 6}, Case{2, "abcde f", 0, 0},
                          Case{1, "a  ", 0, 0}})
        EXPECT_EQ(std::pair(gappos(c.n, c.s).first, gappos(c.n, c.s).last), std::pair(c.ib, c.ie)) << c.n << c.s;
}

TEST(Strings, Splititems) {
    struct Case { std::string_view s; int nmax; std::size_t width; char qc; std::optional<std::string_view> dlim; Strs out; };
    const Case cases[] = {
        {"a b  c", 10, 0, ' ', {}, {"a", "b", "c"}},      {"a b  c", 2, 0, ' ', {}, {"a", "b"}},
        {"a b", 0, 0, ' ', {}, {}},                       {" \t ", 5, 0, ' ', {}, {}},
        {"a\tb\0c"sv, 5, 0, ' ', {}, {"a", "b", "c"}},   {"a,", 5, 0, ' ', " ,", {"a", ""}},
        {"a ,", 5, 0, ' ', " ,", {"a", ""}},              {"a, b,,c", 5, 0, ' ', ",", {"a", "b", "c"}},
        {",a", 5, 0, ' ', ",", {"a"}},                    {"'a b' c", 5, 0, '\'', {}, {"a b", "c"}},
        {"'a b' c", 5, 0, ' ', {}, {"'a", "b'", "c"}},    {"abcdef 'x'", 5, 3, '\'', {}, {"abc", "x  "}},
        {"'abc'", 5, 2, '\'', {}, {"a "}},                {"x  y", 5, 4, ' ', {}, {"x   ", "y   "}},
    };
    for (const Case& c : cases) EXPECT_EQ(splititems(c.s, c.nmax, c.width, c.qc, c.dlim), c.out) << c.s;
}

TEST(Strings, Strrepl) {
    struct Case { std::string_view cold, cnew; std::string s, out; };
    const Case cases[] = {
        {"ab", "x", "ab ab   ", "x x     "}, {"a", "aa", "a a  ", "aa aa"}, {"x", "", "axbx ", "ab   "},
        {"b", "bbb", "ab", "ab"},           {"  ", "x", "ab    ", "ab    "}, {"", "x", "ab", "ab"},
        {"a", "b", "    ", "    "},         {"\t", "-", "a\tb", "a-b"},
    };
    for (Case c : cases) {
        strrepl(c.cold, c.cnew, c.s);
        EXPECT_EQ(c.s, c.out) << c.cold << "->" << c.cnew;
    }
}

TEST(Strings, Splitat) {
    struct Case { std::string_view line; int nmax; std::size_t width; Strs out; };
    const Case cases[] = {
        {"file.txt;\\3", 2, 0, {"file.txt", "\\3"}}, {"a;b;c", 2, 0, {"a", "b;c"}},
        {";x", 2, 0, {"", "x"}},                      {"a;b", 4, 0, {"a", "b", "", ""}},
        {"'a;b';c", 3, 0, {"'a;b'", "c", ""}},        {"\"a;b\";c", 2, 0, {"\"a;b\"", "c"}},
        {"  a ; b", 2, 0, {"  a", " b"}},             {"  a ; b", 2, 4, {"  a ", " b  "}},
        {"a;b", 1, 0, {"a;b"}},                       {"   ", 2, 3, {"   ", "   "}},
        {"a;b;", 3, 0, {"a", "b", ""}},               {"a;b", 0, 0, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitat(c.line, ';', c.nmax, c.width), c.out) << c.line;
}

TEST(Strings, WordidxCvecfindIschar) {
    struct Word { std::string_view s, w; std::optional<std::string_view> dlim; int idx; };
    for (const Word& c : {Word{"Ca Mg K", "Mg", {}, 2}, Word{"Ca Mg K", "  K  ", {}, 3}, Word{"Ca Mg", "Na", {}, 0},
                          Word{"", "a", {}, 0}, Word{"a", "  ", {}, 0}, Word{"'a b' c", "c", {}, 2},
                          Word{"'a b' c", "'a b'", {}, 1}, Word{"\"x y\"\tz", "z", {}, 2}, Word{"ab abc", "abc", {}, 2},
                          Word{"a,b,c", "b", ",", 2}, Word{",a", "a", ",", 1}, Word{"a b", "a b", {}, 0}})
        EXPECT_EQ(wordidx(c.s, c.w, c.dlim), c.idx) << c.s << '|' << c.w;

    const Strs vec = {"Ca", "Mg  ", "K", "Mg", "  "};
    struct Find { std::string_view s; int idx; };
    for (const Find& c : {Find{"Mg", 2}, Find{"mg", 0}, Find{"K   ", 3}, Find{"", 5}, Find{" Ca", 0}}) {
        int idx = -1;
        EXPECT_EQ(cvecfind(vec, c.s, idx), c.idx > 0) << c.s;
        EXPECT_EQ(idx, c.idx) << c.s;
    }
    int idx = -1;
    EXPECT_FALSE(cvecfind(std::span<const std::string>{}, "a", idx));
    EXPECT_EQ(idx, 0);
    for (auto [s, ch, is] : {std::tuple{"  *  "sv, '*', true}, {"\t/\0"sv, '/', true}, {"**"sv, '*', false},
                             {""sv, '*', false}, {" + "sv, '*', false}})
        EXPECT_EQ(ischar(s, ch), is) << s;
}

TEST(Strings, Expo10) {
    struct Case { float x; int e; };
    for (const Case& c : {Case{0.0f, -999}, Case{-0.0f, -999}, Case{1.0f, 0}, Case{9.99f, 0}, Case{10.0f, 1},
                          Case{-250.0f, 2}, Case{0.09999995f, -1}, Case{0.1f, -1}, Case{0.0999f, -2},
                          Case{3.4e38f, 38}, Case{1e10f, 10}, Case{1.4e-45f, -45},
                          Case{std::numeric_limits<float>::infinity(), 999}, Case{std::nanf(""), 0}})
        EXPECT_EQ(expo10(c.x), c.e) << c.x;
}
