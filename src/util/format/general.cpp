// G editing: the choice between the F and E forms, the fields G0 and G0.d,
// and the one-pass record of the monitoring files' data lines.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <type_traits>

#include "util/format.hpp"
#include "util/format/digits.hpp"
#include "util/format/fields.hpp"
#include "util/format/general.hpp"
#include "util/format/pow10.hpp"

namespace morvane::fmt::detail {
namespace {

// The form that G editing (d >= 1) gives the magnitude m > 0: the number s of
// digits before the point of the F form (d - s decimals), or -1 for the E
// form. The reference runtime chooses by limits computed in the item's own
// kind: r = 1 - 0.5 / 10^d, the lower limit 0.1 * r (the product taken in
// double), the limits 10^(s-1) * r between the F forms, and the E form when
// 0.5 >= 10^d - m. So a value a few units in the last place below a limit may
// take the F form of the next range: the REAL 0.99999499 under G13.5 prints
// as '   1.0000    ', the DOUBLE PRECISION 0.999995 too.
template <class T>
int general_form(T m, int d) {
    const T exp_d = pow10_of(m, d);
    const T r = T(1) - T(0.5) / exp_d;
    const auto low = static_cast<T>(0.1 * static_cast<double>(r));
    if (m < low || T(0.5) >= exp_d - m) return -1;
    int s = 0;
    while (s < d && m >= pow10_of(m, s) * r) ++s;
    return s;
}

// G editing of a REAL (T = float) or DOUBLE PRECISION item in a field of w >= 1;
// the E form, when chosen, is written as by exp_spec.
template <class T>
bool general_field_of(std::string& out, T v, const FieldSpec& spec, const FieldSpec& exp_spec) {
    auto [w, d, e, scale, plus] = spec;
    if (!std::isfinite(v)) {
        put_special(out, v, w, plus);
        return true;
    }
    if constexpr (std::is_same_v<T, float>) {
        if (scale == 0 && general_single_quick(out, v, w, d, e, plus)) return true;
    }
    const int n = e > 0 ? e + 2 : 4;  // blanks that follow an F-form field
    // With no significant digits to choose by, the exponent form is used
    // (which needs a positive scale factor).
    if (d == 0) return exp_field(out, v, exp_spec, ExpForm::E);
    const T a = std::fabs(v);
    if (a == T(0)) {
        const char sign = sign_char(std::signbit(v), plus);
        const int dd = d - 1;
        char zeros[kSmallBuf];
        std::string zbig;
        char* z = zeros;
        if (dd > kSmallBuf) {
            zbig.assign(static_cast<std::size_t>(dd), '0');
            z = zbig.data();
        } else {
            std::memset(z, '0', static_cast<std::size_t>(dd));
        }
        if (w - n > 0 && lay_fixed(out, w - n, sign, z, 0, z, dd))
            out.append(static_cast<std::size_t>(n), ' ');
        else
            stars(out, w);
        return true;
    }
    const int s = general_form(a, d);
    if (s < 0) return exp_field(out, v, exp_spec, ExpForm::E);
    // F form in w - n characters (the scale factor has no effect), n blanks.
    if (w - n <= 0) {
        stars(out, w);
        return true;
    }
    const std::size_t at = out.size();
    if (!fixed_fast(out, v, w - n, d - s, plus)) fixed_field(out, v, {w - n, d - s, 0, 0, plus});
    if (out[at] == '*') {
        out.resize(at);
        stars(out, w);
    } else {
        out.append(static_cast<std::size_t>(n), ' ');
    }
    return true;
}

// G0 and G0.d: the field is as wide as its text. Without d (or with d = 0)
// an item keeps the digits of its kind, 9 for a REAL and 17 for a DOUBLE
// PRECISION, and its E form under a positive scale factor keeps that many
// significant digits (one fewer decimal); the exponent takes as few digits as it needs, after its letter,
// unless Ee gives their number; the F form has no trailing blanks. The zero
// before the point is left out of a text longer than 16 characters (REAL)
// or 25 (DOUBLE PRECISION), as the reference runtime does; an exponent too
// wide for Ee gives d + 1 asterisks, one more for a sign. The field is
// written as a wide one whose blanks are then dropped (a number field has
// none inside).
template <class T>
bool general_minimal(std::string& out, T v, FieldSpec spec) {
    if (!std::isfinite(v)) {
        put_special(out, v, 0, spec.plus);
        return true;
    }
    constexpr bool single = std::is_same_v<T, float>;
    const bool kind_digits = spec.d <= 0;
    if (kind_digits) spec.d = single ? 9 : 17;
    if (spec.e == 0) spec.e = -1;
    spec.w = spec.d + std::max(spec.e, 0) + 16;
    FieldSpec exp_spec = spec;
    if (kind_digits && spec.scale > 0) --exp_spec.d;
    const std::size_t at = out.size();
    if (!general_field_of(out, v, spec, exp_spec)) return false;
    const char sign = sign_char(std::signbit(v), spec.plus);
    if (out[at] == '*') {
        out.resize(at);
        stars(out, spec.d + 1 + (sign ? 1 : 0));
        return true;
    }
    out.erase(out.find_last_not_of(' ') + 1);
    out.erase(at, out.find_first_not_of(' ', at) - at);
    const std::size_t zero = at + (sign ? 1 : 0);
    if (out.size() - at > (single ? 16u : 25u) && out.compare(zero, 2, "0.") == 0) out.erase(zero, 1);
    return true;
}

}  // namespace

bool general_field(std::string& out, float v, const FieldSpec& spec) {
    return spec.w == 0 ? general_minimal(out, v, spec) : general_field_of(out, v, spec, spec);
}

bool general_field(std::string& out, double v, const FieldSpec& spec) {
    return spec.w == 0 ? general_minimal(out, v, spec) : general_field_of(out, v, spec, spec);
}

}  // namespace morvane::fmt::detail

namespace morvane::fmt {

void put_general(std::string& out, double v, int w, int d, int e, int scale) {
    if (!detail::general_field(out, v, {w, d, e, scale, false})) detail::stars(out, w);
}

void put_general(std::string& out, float v, int w, int d, int e, int scale) {
    if (scale == 0 && detail::general_single_quick(out, v, w, d, e, false)) return;
    if (!detail::general_field(out, v, {w, d, e, scale, false})) detail::stars(out, w);
}

namespace {

// A field of the record written by the general path, at p[0..w).
[[gnu::noinline]] void general_at(char* p, float v, int w, int d) {
    std::string field;
    detail::general_field(field, v, {w, d, 0, 0, false});
    std::memcpy(p, field.data(), static_cast<std::size_t>(w));
}

}  // namespace

void put_int_general_record(std::string& out, std::int32_t k, int wi, std::span<const float> x, int w, int d) {
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(wi) + x.size() * static_cast<std::size_t>(w) + 1);
    char* p = out.data() + at;
    // The counter as by Iw (no sign for k >= 0; asterisks when too wide).
    if (k >= 0 && wi <= 9 && static_cast<std::uint64_t>(k) < kPow10u[wi]) {
        auto q = static_cast<std::uint32_t>(k);
        char* c = p + wi;
        do *--c = static_cast<char>('0' + q % 10);
        while ((q /= 10) != 0);
        std::memset(p, ' ', static_cast<std::size_t>(c - p));
    } else {
        std::string field;
        detail::int_field(field, k, {wi, -1, 0, 0, false});
        std::memcpy(p, field.data(), static_cast<std::size_t>(wi));
    }
    p += wi;
    if (w == 13 && d == 5) {
        for (const float v : x) {
            if (!detail::g13_5_plain(p, v)) general_at(p, v, 13, 5);
            p += 13;
        }
    } else {
        for (const float v : x) {
            if (!detail::general_single_plain(p, v, w, d)) general_at(p, v, w, d);
            p += w;
        }
    }
    *p = '\n';
}

}  // namespace morvane::fmt
