// Free-format reading: the reader's interface (the offending item, the count,
// the slash), then the values against the reference runtime on a
// deterministic corpus (numbers in every accepted spelling, separators, null
// values, repeat forms, slashes, malformed items): statuses and the bit
// patterns of every value must agree.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "support/test_support.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"

namespace {

using morvane::ListReader;
using morvane::ReadStatus;

TEST(ListReader, ReportsItemsCountsAndEnds) {
    const struct {
        const char* text;
        int reads;        // integer reads attempted
        ReadStatus last;  // status of the last one
        const char* bad;  // bad_item() after it
        std::size_t count;
        bool slash;
    } cases[] = {
        {"1900 1 2", 3, ReadStatus::ok, "", 3, false},
        {"1900.5 1", 1, ReadStatus::bad, "1900.5", 0, false},
        {"1900 x12 3", 2, ReadStatus::bad, "x12", 1, false},
        {"3*7", 4, ReadStatus::end, "", 3, false},
        {"1,,3", 3, ReadStatus::ok, "", 3, false},  // the null value counts
        {"1 / 3", 2, ReadStatus::end, "", 1, true},
        {"", 1, ReadStatus::end, "", 0, false},
        {"2*1e3", 1, ReadStatus::bad, "1e3", 0, false},
        {"0*4", 1, ReadStatus::bad, "0*4", 0, false},
    };
    for (const auto& c : cases) {
        ListReader r(c.text);
        std::int32_t v = 0;
        ReadStatus s = ReadStatus::ok;
        for (int i = 0; i < c.reads; ++i) s = r.read(v);
        EXPECT_EQ(s, c.last) << c.text;
        EXPECT_EQ(r.bad_item(), c.bad) << c.text;
        EXPECT_EQ(r.count(), c.count) << c.text;
        EXPECT_EQ(r.slash(), c.slash) << c.text;
    }
}

// Passing over n items, or reading n at once, leaves the reader where n reads
// of REAL items do: the same status, count, offending item, null flag and
// slash, the same values and the same next value; a line taken in one pass
// (read_plain_items) gives the same values. Long lines of plain items
// (digits and a point, separated by blanks) with now and then another item
// or separator.
TEST(ListReader, SkipAndReadManyAsReadsDo) {
    std::mt19937 rng(5);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* const odd[] = {".", "..", "1.2.3", "5.", ".5", "-1.5", "+2", "1e3", "1.5d-2", "abc", "2*3.5", "3*", "x1",
                               "00012", "12345678901", "1234567.8"};
    const std::string seps[] = {"  ", "\t", ",", " , ", ";", ",,", " /", "\r", "'", std::string(1, '\0')};
    int mismatches = 0, plain = 0;
    for (int t = 0; t < 20000; ++t) {
        std::string text = pick(4) == 0 ? " " : "";
        const int items = 1 + pick(40);
        for (int i = 0; i < items; ++i) {
            if (pick(12) == 0) {
                text += odd[pick(16)];
            } else {
                std::string d = std::to_string(rng() % 10000000);
                if (pick(3) != 0) d.insert(static_cast<std::size_t>(pick(static_cast<int>(d.size()) + 1)), ".");
                text += d;
            }
            if (i + 1 < items || pick(4) == 0) text += pick(10) == 0 ? seps[pick(10)] : std::string(" ");
        }
        for (int n = 0; n <= items + 1; ++n) {
            ListReader a(text), b(text), c(text);
            const ReadStatus sa = a.skip(n);
            std::vector<float> vb(static_cast<std::size_t>(n), -7.0f), vc = vb;
            ReadStatus sb = ReadStatus::ok;
            std::size_t done = 0;
            for (; done < vb.size() && (sb = b.read(vb[done])) == ReadStatus::ok; ++done) {
            }
            std::size_t done_c = 99;
            const ReadStatus sc = c.read(std::span<float>(vc), done_c);
            float va = -7.0f, vb1 = -7.0f, vc1 = -7.0f;
            const ReadStatus na = a.read(va), nb = b.read(vb1), nc = c.read(vc1);
            const auto same = [&](const ListReader& x, const ListReader& y) {
                return x.count() == y.count() && x.bad_item() == y.bad_item() && x.null() == y.null() && x.slash() == y.slash();
            };
            const bool ok = sa == sb && na == nb && std::memcmp(&va, &vb1, 4) == 0 && same(a, b) && sc == sb &&
                            done_c == done && nc == nb && std::memcmp(&vc1, &vb1, 4) == 0 && same(c, b) &&
                            (vb.empty() || std::memcmp(vc.data(), vb.data(), vb.size() * 4) == 0);
            if (!ok && ++mismatches < 5) ADD_FAILURE() << n << " items of |" << text << "|";
            // A line taken in one pass gives the same values, and NITEMS's count.
            std::vector<float> vp(static_cast<std::size_t>(n), -7.0f);
            const int m = morvane::read_plain_items(text, vp);
            const bool plain_ok = m < 0 || (m == morvane::nitems(text) &&
                                            (m < n ? sb == ReadStatus::end && done == static_cast<std::size_t>(m)
                                                   : sb == ReadStatus::ok) &&
                                            (done == 0 || std::memcmp(vp.data(), vb.data(), done * 4) == 0));
            if (!plain_ok && ++mismatches < 5) ADD_FAILURE() << "in one pass, " << n << " items of |" << text << "|";
            plain += m >= 0;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(plain, 50000);  // lines taken in one pass
}

struct Gen {
    std::mt19937_64 rng{20261205};
    int range(int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<std::uint64_t>(hi - lo + 1)); }
    bool chance(int percent) { return range(0, 99) < percent; }
    std::string pick(std::initializer_list<const char*> list) { return *(list.begin() + range(0, static_cast<int>(list.size()) - 1)); }

    // A real number in one of the spellings the reader accepts.
    std::string real_text(bool single) {
        char buf[96];
        double x;
        switch (range(0, 7)) {
        case 0: x = std::ldexp(range(1, 1 << 24), range(-150, 104)); break;  // floats of all magnitudes
        case 1: {  // the midpoint between two neighbouring floats: a tie
            const float f = static_cast<float>(std::ldexp(range(0, 1 << 24), range(-140, 60)));
            std::snprintf(buf, sizeof buf, "%.40g", (static_cast<double>(f) + std::nextafter(f, 1e30f)) / 2);
            return (chance(30) ? "-" : "") + std::string(buf);
        }
        case 2: x = range(-1000000, 1000000) / std::pow(10.0, range(0, 7)); break;
        case 3: x = std::ldexp(static_cast<double>(rng() >> 11), range(-1130, 1070)); break;  // doubles of all magnitudes
        case 4: return pick({"1e39", "-1e39", "3.40282357e38", "3.4028235e38", "1.4e-45", "7e-46", "1e-46", "1e-320", "1e400", "1e-400",
                             "2.2250738585072014e-308", "4.9e-324", "1e2147483648", "1e-2147483649", "16777217", "1e10", "1e-11"});
        case 5: return pick({"inf", "-Inf", "+INFINITY", "nan", "-NaN", "NAN(abc)", "nan()", "0", "-0", "+0.0", "-.0", "0.", "00012"});
        default: x = static_cast<double>(rng() >> 11) / 9007199254740992.0 * std::pow(10.0, range(-40, 40)); break;
        }
        if (single) x = static_cast<float>(x);
        if (chance(30)) x = -x;
        const int prec = range(1, 18);
        switch (range(0, 4)) {
        case 0: std::snprintf(buf, sizeof buf, "%.*e", prec, x); break;
        case 1: std::snprintf(buf, sizeof buf, "%.*g", prec, x); break;
        case 2: std::snprintf(buf, sizeof buf, "%.*f", range(0, 12), x); break;
        case 3: std::snprintf(buf, sizeof buf, "%.*E", prec, x); break;
        default: std::snprintf(buf, sizeof buf, "%.17g", x); break;
        }
        std::string s = buf;
        // Respell: exponent letter d, D, q or none, '+' signs, no leading zero.
        const auto e = s.find_first_of("eE");
        if (e != std::string::npos) {
            const int how = range(0, 5);
            if (how < 3) s[e] = "dDq"[how];
            else if (how == 3) s.erase(e, 1);
        }
        if (s.rfind("0.", 0) == 0 && chance(30)) s.erase(0, 1);
        if (s.rfind("-0.", 0) == 0 && chance(30)) s.erase(1, 1);
        return s[0] != '-' && chance(15) ? "+" + s : s;
    }

    std::string int_text() {
        if (chance(20)) return pick({"2147483647", "-2147483648", "2147483648", "-2147483649", "99999999999", "+17", "-0", "00012",
                                      "000000000012", "1900.5", "1e3", "1.", "1.0", "0x10", "12a"});
        return std::to_string(chance(20) ? static_cast<std::int64_t>(rng() % 4294967296ULL) - 2147483648LL : range(-10000, 10000));
    }

    // One corpus line: kind letter, item count, text.
    std::string line() {
        const char kind = "rrrddi"[range(0, 5)];
        const int items = range(1, 12);
        std::string text = chance(20) ? pick({" ", "  ", "\t", ",", ""}) : "";
        for (int i = 0; i < items; ++i) {
            std::string item = kind == 'i' ? int_text() : real_text(kind == 'r');
            if (chance(2))
                item = pick({"abc", "1.2.3", "1e", "e5", "--1", "1x", "+", "-", ".", "1d", "1e+", "0*1", "T", "'1'", "\"2\"", "1ee3", "1e5.0",
                             "1.5E-3D", "infin", "infinityx", "1_4", "*3", "-2*3", "1*1*1", "+.e5", "nan(a", "1e12345"});
            if (chance(4)) item = std::to_string(range(1, 4)) + "*" + item;
            else if (chance(2)) item = std::to_string(range(1, 3)) + "*";
            text += item;
            if (i + 1 < items || chance(20)) text += pick({"\t", ",", " , ", ";", "  ", ",,", " ,\t, ", " ", " ", " ", " "});
        }
        if (chance(4)) text += pick({"/", " / 5", ",/", "/abc"});
        return std::string(1, kind) + " " + std::to_string(std::max(1, items + range(-2, 2))) + " " + text + "|";
    }
};

// Our reading of one corpus line, in the oracle's output form.
std::string read_line(const std::string& line) {
    const char kind = line[0];
    const auto sp = line.find(' ', 2);
    const int n = std::stoi(line.substr(2, sp - 2));
    ListReader r(std::string_view(line).substr(sp + 1, line.size() - sp - 2));
    int st = 0;
    float f[64];
    double d[64];
    std::int32_t iv[64];
    for (int i = 0; i < n; ++i) f[i] = -7.0f, d[i] = -7.0, iv[i] = -7;
    for (int i = 0; i < n && st == 0; ++i) {
        const ReadStatus s = kind == 'r' ? r.read(f[i]) : kind == 'd' ? r.read(d[i]) : r.read(iv[i]);
        st = s == ReadStatus::bad ? 1 : s == ReadStatus::end ? (r.slash() ? 0 : -1) : 0;
        if (s == ReadStatus::end) break;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%2d", st);
    std::string out = buf;
    for (int i = 0; i < n; ++i) {
        std::uint64_t b = static_cast<std::uint32_t>(iv[i]);
        if (kind == 'd') std::memcpy(&b, &d[i], 8);
        if (kind == 'r') std::memcpy(&b, &f[i], 4);
        std::snprintf(buf, sizeof buf, kind == 'd' ? " %016" PRIX64 : " %08" PRIX64, b);
        out += buf;
    }
    return out;
}

TEST(FreeformOracle, CorpusMatchesReferenceRuntime) {
    Gen gen;
    std::vector<std::string> lines;
    std::string corpus;
    std::size_t values = 0;
    for (int i = 0; i < 30000; ++i) {
        lines.push_back(gen.line());
        corpus += lines.back() + "\n";
        values += static_cast<std::size_t>(std::stoi(lines.back().substr(2)));
    }
    ASSERT_GE(values, 150000u);
    std::istringstream ref(morvane::testing::run_oracle(ORACLE_LISTREAD, corpus));
    std::string want;
    int mismatches = 0, errors = 0;
    for (const std::string& line : lines) {
        ASSERT_TRUE(std::getline(ref, want)) << "reference output ends early";
        const std::string got = read_line(line);
        // After an error the reference leaves the values unspecified: the
        // status alone is compared.
        const bool both_bad = want.rfind(" 1", 0) == 0 && got.rfind(" 1", 0) == 0;
        errors += both_bad;
        if (!both_bad && got != want && ++mismatches <= 20)
            ADD_FAILURE() << "text: [" << line << "]\nreference: " << want << "\nours:      " << got;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(errors, 100);  // the malformed items were exercised
}

}  // namespace
