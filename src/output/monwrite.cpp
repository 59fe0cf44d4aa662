#include "output/monwrite.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "util/bytevec.hpp"
#include "util/format.hpp"
#include "util/strings.hpp"
#include "util/textfile.hpp"

namespace morvane {
namespace {

constexpr std::string_view kPrefix = "xMONWRITE: ";
constexpr std::size_t kNameWidth = 8;
constexpr std::size_t kFormatWidth = 32;
constexpr int kHeadingsPerLine = 99;
constexpr std::string_view kHeadingStart = "!count        ,time";
// With the default format one record holds the counter and 99 reals.
constexpr std::int32_t kDefaultMaxColumns = 98;

constexpr std::array<std::uint64_t, 28> kPow5 = [] {
    std::array<std::uint64_t, 28> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
    return p;
}();

// Round-half-even of m * 2^e * 10^s (m < 2^24) on the exact binary value, in
// 64-bit integers; false when the numbers do not fit (the caller then takes
// the general engine). Covers magnitudes from about 1e-13 to 1e19.
bool round_scaled(std::uint64_t m, int e, int s, std::uint64_t& q) {
    if (s >= 0) {
        if (s > 17) return false;  // m * 5^17 < 2^64
        const std::uint64_t p = m * kPow5[static_cast<std::size_t>(s)];
        const int sh = e + s;
        if (sh >= 0) {
            if (sh > 20) return false;
            q = p << sh;
            return true;
        }
        const int n = -sh;
        if (n > 63) return false;
        std::uint64_t r = p >> n;
        const std::uint64_t rem = p - (r << n);
        const std::uint64_t half = std::uint64_t{1} << (n - 1);
        if (rem > half || (rem == half && (r & 1) != 0)) ++r;
        q = r;
        return true;
    }
    const int t = -s;
    if (t >= static_cast<int>(kPow5.size())) return false;
    std::uint64_t num = m;
    std::uint64_t den = kPow5[static_cast<std::size_t>(t)];
    const int sh = e - t;
    if (sh >= 0) {
        if (sh > 38) return false;  // m << 38 < 2^62
        num <<= sh;
    } else {
        if (-sh > 62 || den > (std::uint64_t{1} << (62 + sh))) return false;
        den <<= -sh;
    }
    std::uint64_t r = num / den;
    const std::uint64_t twice = (num - r * den) * 2;  // den < 2^62: no overflow
    if (twice > den || (twice == den && (r & 1) != 0)) ++r;
    q = r;
    return true;
}

// Powers of ten 1e-40 .. 1e50 as the nearest doubles.
constexpr int kPow10Min = -40;
constexpr double kPow10[] = {1e-40, 1e-39, 1e-38, 1e-37, 1e-36, 1e-35, 1e-34, 1e-33, 1e-32, 1e-31, 1e-30, 1e-29, 1e-28, 1e-27, 1e-26, 1e-25, 1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28, 1e29, 1e30, 1e31, 1e32, 1e33, 1e34, 1e35, 1e36, 1e37, 1e38, 1e39, 1e40, 1e41, 1e42, 1e43, 1e44, 1e45, 1e46, 1e47, 1e48, 1e49, 1e50};

// Round-half-even of y = v * 10^s computed in double with a relative error of
// at most 2^-52; false when y lies too near a tie to decide from it.
bool round_estimate(double y, std::uint64_t& q) {
    const std::int64_t f = static_cast<std::int64_t>(y);  // y < 10^6: truncation is floor
    const double frac = y - static_cast<double>(f);
    if (std::fabs(frac - 0.5) < 1e-6) return false;
    q = static_cast<std::uint64_t>(f) + (frac > 0.5 ? 1 : 0);
    return true;
}

// The five significant digits of a (positive, finite): q in 10000..99999 and
// e10 with a rounded = 0.q * 10^e10. The double estimate decides nearly
// always; near a tie the exact integer rounding does. False when neither can.
bool five_digits(float a, std::uint32_t& q, int& e10) {
    const double x = a;
    const int b = static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff) - 1023;  // 2^b <= a < 2^(b+1)
    // floor(b * log10(2)); floor(log10(a)) is this or one more.
    int k = (b * 78913) >> 18;
    double y = x * kPow10[4 - k - kPow10Min];
    if (y >= 100000.0) {
        ++k;
        y = x * kPow10[4 - k - kPow10Min];
    }
    std::uint64_t r = 0;
    if (!round_estimate(y, r)) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(a);
        const int ef = static_cast<int>(bits >> 23);
        if (ef == 0 || ef == 255) return false;  // subnormal, infinity, not a number
        if (!round_scaled((bits & 0x7fffffu) | 0x800000u, ef - 150, 4 - k, r)) return false;
    }
    if (r >= 100000) {  // rounded up to the next power of ten
        r = 10000;
        ++k;
    }
    q = static_cast<std::uint32_t>(r);
    e10 = k + 1;
    return true;
}

// Iw with the value >= 0 (the counter): right-justified, asterisks when too wide.
void put_counter(char* out, std::int32_t k) {
    if (k < 0 || k > 999999) {
        std::memset(out, '*', 6);
        return;
    }
    std::memset(out, ' ', 6);
    char* p = out + 6;
    do {
        *--p = static_cast<char>('0' + k % 10);
        k /= 10;
    } while (k != 0);
}

std::string rtrim(std::string_view s) { return std::string(trim_right(s)); }

// Column names: TIDY of the 8-character names, padding kept.
std::string column_name(const VarDescriptor& v) { return tidy(std::string_view(v.name, kNameWidth)); }

// The data format: the first 32 characters of fmt, the default when blank.
std::string data_format(const SeriesSpec& mon) {
    std::string text = tidy(std::string_view(mon.fmt, kFormatWidth));
    if (is_blank(text)) return kMonDefaultFormat;
    return rtrim(text);
}

// "xMONWRITE: Bad format <text>: <reason>", the engine's own mention of the
// format taken off its reason.
std::string bad_format(const std::string& text, std::string_view why) {
    const std::string own = "Format " + text + ": ";
    if (why.starts_with(own)) why.remove_prefix(own.size());
    return message_text(std::string(kPrefix) + "Bad format " + text + ": " + std::string(why));
}

bool is_default_format(std::string_view text) {
    std::string t;
    for (char c : text)
        if (c != ' ') t.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return t == kMonDefaultFormat;
}

// G13.5 through the general engine (the cases the fast path leaves to it).
void general_field(char* out, float v) {
    std::string s;
    fmt::put_general(s, static_cast<double>(v), 13, 5);
    std::memcpy(out, s.data(), std::min<std::size_t>(s.size(), 13));
}

}  // namespace

void put_g13_5(char* out, float v) {
    std::memset(out, ' ', 13);
    if (v == 0.0f) {
        std::memcpy(out + 2, std::signbit(v) ? "-0.0000" : " 0.0000", 7);
        return;
    }
    const float m = std::fabs(v);
    if (!std::isfinite(m)) {  // Infinity and NaN as the general engine writes them
        general_field(out, v);
        return;
    }
    // The form is chosen as the reference runtime chooses it for a REAL item:
    // against the range limits 10^j * (1 - 0.5/10^5) rounded to 32-bit floats
    // (so a value a few units in the last place below 1 can take the F form
    // of [1, 10) and print as 1.0000); the digits are then rounded exactly.
    constexpr float r_sc = 1.0f - 0.5f / 100000.0f;
    constexpr float t_low = 0.1f * r_sc;
    constexpr float t[5] = {1.0f * r_sc, 10.0f * r_sc, 100.0f * r_sc, 1000.0f * r_sc, 10000.0f * r_sc};
    const bool e_form = m < t_low || 0.5f >= 100000.0f - m;
    char* p = nullptr;
    if (!e_form) {
        int dec = 5;
        for (const float limit : t)
            if (m >= limit) --dec;
        // m * 10^dec is exact in double (24 + 17 bits): round half even.
        const double y = static_cast<double>(m) * kPow10[dec - kPow10Min];
        std::uint64_t n = static_cast<std::uint64_t>(static_cast<std::int64_t>(y));  // y < 10^10
        const double frac = y - static_cast<double>(n);
        if (frac > 0.5 || (frac == 0.5 && (n & 1) != 0)) ++n;
        // Fixed field of width 9 with dec decimals, then 4 blanks.
        p = out + 9;
        for (int i = 0; i < dec; ++i) {
            *--p = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        *--p = '.';
        do {
            *--p = static_cast<char>('0' + n % 10);
            n /= 10;
        } while (n != 0);
    } else {
        std::uint32_t q = 0;
        int e10 = 0;
        if (five_digits(m, q, e10)) {
            // 0.ddddd E sign two digits, right-justified in 13.
            p = out + 2;
            p[0] = '0';
            p[1] = '.';
            for (int i = 6; i >= 2; --i) {
                p[i] = static_cast<char>('0' + q % 10);
                q /= 10;
            }
            p[7] = 'E';
            p[8] = e10 < 0 ? '-' : '+';
            const int x = e10 < 0 ? -e10 : e10;
            p[9] = static_cast<char>('0' + x / 10);
            p[10] = static_cast<char>('0' + x % 10);
        }
    }
    if (p == nullptr) {  // a tie outside the integer range: the general engine
        general_field(out, v);
        return;
    }
    if (v < 0.0f) p[-1] = '-';
}

std::string monwrite(const SeriesSpec& mon, const char* title, const VarDescriptor* vars,
                     std::int32_t nv, const std::int32_t* ivar, std::int32_t n0, std::int32_t n1,
                     std::int32_t iyb, std::int32_t iye, std::int32_t nt, const float* time,
                     const float* val) {
    if (nv <= 0 || iyb > iye || (mon.active & 1) == 0) return {};
    const auto fail = [](std::string_view what) { return message_text(std::string(kPrefix) + std::string(what)); };

    const std::size_t ncol = static_cast<std::size_t>(nv);
    for (std::size_t i = 0; i < ncol; ++i)
        if (ivar[i] < 1) return fail("Bad variable index " + std::to_string(ivar[i]));

    // The window in 32-bit floats; every entry inside it must lie in N0:N1.
    const float ylo = static_cast<float>(iyb);
    const float yhi = static_cast<float>(iye);
    const std::int64_t ld = static_cast<std::int64_t>(n1) - n0 + 1;
    std::vector<std::int32_t> rows;  // 0-based time entries inside the window
    for (std::int32_t j = 0; j < nt; ++j) {
        if (!(ylo <= time[j] && time[j] <= yhi)) continue;
        if (j >= ld) return fail("Time entry " + std::to_string(j + 1) + " beyond N1");
        rows.push_back(j);
    }

    // The format is parsed and tried on one record before any file is touched:
    // a format that cannot take the items (counter, time, NV reals) is refused
    // even when no time entry falls in the window.
    const std::string ftext = data_format(mon);
    const bool fast = is_default_format(ftext) && nv <= kDefaultMaxColumns;
    std::optional<fmt::Format> format;
    if (!fast) {
        std::string why;
        format = fmt::Format::parse(ftext, &why);
        if (format) {
            std::string scratch;
            fmt::RecordWriter rec(*format, scratch);
            rec.integer(0);
            rec.real(0.0f);
            for (std::size_t i = 0; i < ncol && rec.ok(); ++i) rec.real(0.0f);
            if (!rec.finish()) why = rec.error();
        }
        if (!format || !why.empty()) return bad_format(ftext, why);
    }

    const std::string path = rtrim(byte2str(mon.path, sizeof mon.path));
    TextWriter out;
    if (!out.open(path)) return fail("Cannot write file " + path);
    std::string& buf = out.buffer();

    std::vector<std::string> names(ncol);
    for (std::size_t i = 0; i < ncol; ++i) names[i] = column_name(vars[ivar[i] - 1]);

    if (mon.opt != 'p') {
        buf += '!';
        buf += rtrim(byte2str(title, kMessageBytes));
        buf += '\n';
        for (std::size_t i = 0; i < ncol; ++i) {
            const VarDescriptor& v = vars[ivar[i] - 1];
            buf += '!';
            buf += names[i];
            buf += ": ";
            buf += rtrim(tidy(std::string_view(v.description, sizeof v.description)));
            buf += '\n';
        }
    }
    for (std::size_t i = 0; i < ncol; ++i) {
        if (i % kHeadingsPerLine == 0) {
            if (i > 0) buf += '\n';
            buf += kHeadingStart;
        }
        buf += "    ,";
        buf += names[i];
    }
    buf += '\n';

    // Column starts in VAL (columns are N1 - N0 + 1 reals apart).
    std::vector<const float*> cols(ncol);
    for (std::size_t i = 0; i < ncol; ++i) cols[i] = val + (static_cast<std::int64_t>(ivar[i]) - 1) * ld;

    std::int32_t k = 0;
    if (fast) {
        const std::size_t line = 6 + 13 * (ncol + 1) + 1;
        for (const std::int32_t j : rows) {
            const std::size_t at = buf.size();
            buf.resize(at + line);
            char* p = buf.data() + at;
            put_counter(p, k);
            p += 6;
            put_g13_5(p, time[j]);
            p += 13;
            for (std::size_t i = 0; i < ncol; ++i, p += 13) put_g13_5(p, cols[i][j]);
            *p = '\n';
            ++k;
            out.maybe_flush();
        }
    } else {
        for (const std::int32_t j : rows) {
            fmt::RecordWriter rec(*format, buf);
            rec.integer(k);
            rec.real(time[j]);
            for (std::size_t i = 0; i < ncol && rec.ok(); ++i) rec.real(cols[i][j]);
            if (!rec.finish()) return bad_format(ftext, rec.error());
            ++k;
            out.maybe_flush();
        }
    }
    if (!out.commit()) return fail("Cannot write file " + path);
    return {};
}

}  // namespace morvane
