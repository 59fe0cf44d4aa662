#include "util/strings_numbers.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "util/format.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"

namespace morvane {

namespace {

// s(a..b), 1-based and inclusive; "" when b < a.
std::string_view sub(std::string_view s, int a, int b) {
    if (b < a) return {};
    return s.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1));
}

}  // namespace

// PARSECOL: a number that does not read leaves its default.
ColumnSpec parsecol(std::string_view line) {
    ColumnSpec spec;
    const Limits l = strlim(line);
    if (l.last == 0) return spec;
    int a = l.first;
    int b = l.last;
    if (const auto star = line.find('*'); star != std::string_view::npos) {
        float v = 0.0f;
        ListReader r(line.substr(0, star));
        if (r.read(v) == ReadStatus::ok) spec.factor = v;
        a = static_cast<int>(star) + 2;
    }
    if (const auto plus = line.find('+'); plus != std::string_view::npos) {
        float v = 0.0f;
        ListReader r(line.substr(plus + 1));
        if (r.read(v) == ReadStatus::ok) spec.offset = v;
        b = static_cast<int>(plus);
    }
    const std::string_view col = sub(line, a, b);
    if (!col.empty() && col.front() == '\\') {
        std::int32_t v = 0;
        ListReader r(col.substr(1));
        if (r.read(v) == ReadStatus::ok) spec.icol = v;
    } else {
        spec.cname = std::string(trim_right(col));
        spec.icol = 0;
        spec.isname = true;
    }
    return spec;
}

// I2STR: a width below 1 gives an empty text; digit counts outside 0..99 are
// taken as the nearest of those; more digits than the width give asterisks.
std::string i2str(int ival, int iwidth, int idigits) {
    if (iwidth < 1) return {};
    std::string out;
    out.reserve(static_cast<std::size_t>(iwidth));
    fmt::put_int(out, ival, iwidth, std::clamp(idigits, 0, 99));
    return out;
}

// N_2_C: a format that cannot be applied (unreadable, or of the wrong kind for
// the number) and an integer beyond the 32-bit range give 16 asterisks; output
// beyond 16 characters is cut, and only the first line counts.
std::string n_2_c(float x, std::string_view fmt) {
    constexpr std::size_t kWidth = 16;
    if (x == 0.0f) return fit("0", kWidth);
    const std::string stars(kWidth, '*');
    const auto format = fmt::Format::parse(trimmed(fmt));
    if (!format) return stars;
    std::string out;
    fmt::RecordWriter w(*format, out);
    if (fmt.find('i') != std::string_view::npos) {
        const double r = std::round(static_cast<double>(x));  // halves away from zero
        if (!(r >= -2147483648.0 && r <= 2147483647.0)) return stars;
        w.integer(static_cast<std::int32_t>(r));
    } else {
        w.real(x);
    }
    if (!w.finish()) return stars;
    return fit(std::string_view(out).substr(0, out.find('\n')), kWidth);
}

// EXPO10: infinities give 999 (a magnitude beyond every finite exponent), NaN 0.
int expo10(float x) {
    if (x == 0.0f) return -999;
    if (std::isinf(x)) return 999;
    float a = std::fabs(x);
    int e = 0;
    while (a >= 10.0f) {
        a = a * 0.1f;
        ++e;
    }
    if (a < 1.0f) {
        do {
            a = a * 10.0f;
            --e;
        } while (a < 0.999999f);
    }
    return e;
}

// GETFMT:
std::string getfmt(float ymin, float ymax, int ndiv) {
    float s = (ymax - ymin) / static_cast<float>(ndiv);
    auto near_int = [](float v) { return std::fabs(v - std::round(v)) < 1e-5f; };
    if (near_int(ymin) && near_int(s)) return fit("(i8)", 7);
    const int w0 = std::max(expo10(ymax), 1);
    int d = 1;
    for (;;) {
        s = s * 10.0f;
        if (near_int(s)) break;
        if (++d > 6) return "(g12.4)";
    }
    std::string out = "(f";
    fmt::put_int(out, w0 + 2 + d, 2);
    out += '.';
    fmt::put_int(out, d, 1);
    out += ')';
    return out;
}

// DATETIME:
std::string datetime(int itime, const std::tm& t) {
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string out;
    out.reserve(17);
    fmt::put_int(out, t.tm_mday, 2, 2);
    out += '-';
    out += kMonths[std::clamp(t.tm_mon, 0, 11)];
    out += '-';
    fmt::put_int(out, t.tm_year + 1900, 4, 4);
    out += ' ';
    if (itime > 0) {
        fmt::put_int(out, t.tm_hour, 2, 2);
        out += ':';
        fmt::put_int(out, t.tm_min, 2, 2);
    } else {
        out.append(5, ' ');
    }
    return out;
}

std::string datetime(int itime) {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &now);
#else
    localtime_r(&now, &t);
#endif
    return datetime(itime, t);
}

}  // namespace morvane
