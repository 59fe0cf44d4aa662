// Free-format reading against the reference runtime: a deterministic corpus of
// texts (numbers in every accepted spelling, separators, null values, repeat
// forms, slashes, malformed items) is read by both; the statuses and the bit
// patterns of every value must agree.
#include "util/freeform.hpp"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace {

using morvane::ListReader;
using morvane::ReadStatus;

struct Gen {
    std::mt19937_64 rng{20261205};
    std::uint64_t u(std::uint64_t n) { return rng() % n; }
    bool chance(int percent) { return static_cast<int>(u(100)) < percent; }

    std::string pick(std::initializer_list<const char*> list) {
        auto it = list.begin();
        std::advance(it, static_cast<long>(u(list.size())));
        return *it;
    }

    // A real number in one of the spellings the reader accepts.
    std::string real_text(bool single) {
        char buf[96];
        double x;
        switch (u(8)) {
        case 0: {  // any float bit pattern (finite)
            std::uint32_t b;
            do b = static_cast<std::uint32_t>(rng()); while (((b >> 23) & 0xFF) == 0xFF);
            float f;
            std::memcpy(&f, &b, 4);
            x = f;
            break;
        }
        case 1: {  // a midpoint between two neighbouring floats: a tie
            const float f = static_cast<float>(std::ldexp(static_cast<double>(u(1 << 24)), static_cast<int>(u(200)) - 140));
            const float g = std::nextafter(f, 1e30f);
            x = (static_cast<double>(f) + static_cast<double>(g)) / 2;
            std::snprintf(buf, sizeof buf, "%.40g", x);
            return sign() + std::string(buf);
        }
        case 2: x = static_cast<double>(static_cast<std::int64_t>(u(2000001)) - 1000000) / std::pow(10.0, static_cast<double>(u(8))); break;
        case 3: x = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(u(2200)) - 1130); break;  // doubles of all magnitudes
        case 4: return pick({"1e39", "-1e39", "3.40282357e38", "3.4028235e38", "1.4e-45", "7e-46", "1e-46", "1e-320", "1e400", "1e-400",
                             "2.2250738585072014e-308", "4.9e-324", "1e2147483648", "1e-2147483649"});
        case 5: return pick({"inf", "-Inf", "+INFINITY", "nan", "-NaN", "NAN(abc)", "nan()", "0", "-0", "+0.0", "-.0", "0.", "00012"});
        default: x = (static_cast<double>(rng() >> 11) / 9007199254740992.0) * std::pow(10.0, static_cast<double>(u(80)) - 40); break;
        }
        if (single) x = static_cast<double>(static_cast<float>(x));
        const int prec = static_cast<int>(u(18)) + 1;
        switch (u(6)) {
        case 0: std::snprintf(buf, sizeof buf, "%.*e", prec, x); break;
        case 1: std::snprintf(buf, sizeof buf, "%.*g", prec, x); break;
        case 2: std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(u(12)), x); break;
        case 3: std::snprintf(buf, sizeof buf, "%.*E", prec, x); break;
        default: std::snprintf(buf, sizeof buf, "%.17g", x); break;
        }
        std::string s = buf;
        if (s.find("inf") != std::string::npos || s.find("nan") != std::string::npos) return s;
        // Respell: exponent letter d/D/q or none, '+' signs, no leading zero.
        const auto e = s.find_first_of("eE");
        if (e != std::string::npos) {
            const int how = static_cast<int>(u(6));
            if (how == 0) s[e] = 'd';
            else if (how == 1) s[e] = 'D';
            else if (how == 2) s[e] = 'q';
            else if (how == 3 && (s[e + 1] == '+' || s[e + 1] == '-')) s.erase(e, 1);
        }
        if (s.rfind("0.", 0) == 0 && chance(30)) s.erase(0, 1);
        if (s.rfind("-0.", 0) == 0 && chance(30)) s.erase(1, 1);
        if (s[0] != '-' && chance(15)) s.insert(0, "+");
        return s;
    }

    std::string sign() { return chance(30) ? "-" : (chance(10) ? "+" : ""); }

    std::string int_text() {
        switch (u(5)) {
        case 0: return pick({"2147483647", "-2147483648", "2147483648", "-2147483649", "99999999999", "+17", "-0", "00012",
                             "1900.5", "1e3", "1.", "1.0", "0x10", "12a"});
        case 1: return std::to_string(static_cast<std::int64_t>(rng() % 4294967296ULL) - 2147483648LL);
        default: return std::to_string(static_cast<std::int64_t>(u(20001)) - 10000);
        }
    }

    std::string bad_text() {
        return pick({"abc", "1.2.3", "1e", "e5", "--1", "1x", "+", "-", ".", "1d", "1e+", "0*1", "T", "'1'", "\"2\"", "1ee3",
                     "1e5.0", "1.5E-3D", "infin", "infinityx", "1_4", "*3", "-2*3", "1*1*1", "+.e5", "nan(a"});
    }

    std::string separator() {
        switch (u(20)) {
        case 0: return "\t";
        case 1: return ",";
        case 2: return " , ";
        case 3: return ";";
        case 4: return "  ";
        case 5: return ",,";  // a null value between
        case 6: return " ,\t, ";
        default: return " ";
        }
    }

    // One corpus line: kind letter, item count, text.
    std::string line() {
        const char kind = "rrrddi"[u(6)];
        const int items = 1 + static_cast<int>(u(12));
        std::string text = chance(20) ? pick({" ", "  ", "\t", ",", ""}) : "";
        for (int i = 0; i < items; ++i) {
            std::string item = kind == 'i' ? int_text() : real_text(kind == 'r');
            if (chance(2)) item = bad_text();
            if (chance(4)) item = std::to_string(1 + u(4)) + "*" + item;
            else if (chance(2)) item = std::to_string(1 + u(3)) + "*";
            text += item;
            if (i + 1 < items || chance(20)) text += separator();
        }
        if (chance(4)) text += pick({"/", " / 5", ",/", "/abc"});
        const int n = std::max(1, items + static_cast<int>(u(5)) - 2);
        return std::string(1, kind) + " " + std::to_string(n) + " " + text + "|";
    }
};

// Our reading of one corpus line, in the oracle's output form.
std::string read_line(const std::string& line) {
    const char kind = line[0];
    const auto sp = line.find(' ', 2);
    const int n = std::stoi(line.substr(2, sp - 2));
    std::string_view text(line);
    text = text.substr(sp + 1, text.size() - sp - 2);
    ListReader r(text);
    int st = 0;
    float f[64];
    double d[64];
    std::int32_t iv[64];
    for (int i = 0; i < n; ++i) f[i] = -7.0f, d[i] = -7.0, iv[i] = -7;
    for (int i = 0; i < n && st == 0; ++i) {
        const ReadStatus s = kind == 'r' ? r.read(f[i]) : kind == 'd' ? r.read(d[i]) : r.read(iv[i]);
        if (s == ReadStatus::end) {
            st = r.slash() ? 0 : -1;
            break;
        }
        if (s == ReadStatus::bad) st = 1;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%2d", st);
    std::string out = buf;
    for (int i = 0; i < n; ++i) {
        if (kind == 'd') {
            std::uint64_t b;
            std::memcpy(&b, &d[i], 8);
            std::snprintf(buf, sizeof buf, " %016" PRIX64, b);
        } else {
            std::uint32_t b;
            if (kind == 'r') std::memcpy(&b, &f[i], 4);
            else b = static_cast<std::uint32_t>(iv[i]);
            std::snprintf(buf, sizeof buf, " %08" PRIX32, b);
        }
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
    const std::string dir = morvane::testing::scratch_dir();
    morvane::testing::write_file(dir + "/corpus.txt", corpus);
    const std::string ref = morvane::testing::run_command(std::string(ORACLE_LISTREAD) + " < " + dir + "/corpus.txt");
    std::istringstream in(ref);
    std::string want;
    int mismatches = 0, errors = 0, compared = 0;
    for (const std::string& line : lines) {
        ASSERT_TRUE(std::getline(in, want)) << "reference output ends early";
        ++compared;
        const std::string got = read_line(line);
        // After an error the reference runtime leaves the values of the
        // failing read unspecified: compare the status only.
        const bool both_bad = want.rfind(" 1", 0) == 0 && got.rfind(" 1", 0) == 0;
        if (both_bad) ++errors;
        if (!both_bad && got != want && ++mismatches <= 20)
            ADD_FAILURE() << "text: [" << line << "]\nreference: " << want << "\nours:      " << got;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(errors, 100);  // the malformed items were exercised
    EXPECT_EQ(compared, 30000);
}

}  // namespace
