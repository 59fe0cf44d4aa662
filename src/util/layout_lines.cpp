#include "util/layout_lines.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "util/digits8.hpp"
#include "util/format/pow10.hpp"
#include "util/freeform.hpp"

namespace morvane {

namespace layout {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sep(char c) { return c == ' ' || c == '\t'; }

// The items of a line: runs of bytes between blanks and tabs.
template <class Each>
void for_items(std::string_view line, Each&& each) {
    std::size_t i = 0;
    for (int n = 0;; ++n) {
        while (i < line.size() && is_sep(line[i])) ++i;
        if (i == line.size()) return;
        const std::size_t start = i;
        while (i < line.size() && !is_sep(line[i])) ++i;
        if (!each(n, start, i)) return;
    }
}

// Whether the item from s to e is [-]digits[.digits] (either side may be
// empty, not both): no exponent, no sign inside.
bool plain_item(std::string_view line, std::size_t s, std::size_t e) {
    int digits = 0, points = 0;
    for (std::size_t i = s; i < e; ++i) {
        const char c = line[i];
        if (is_digit(c)) ++digits;
        else if (c == '.') ++points;
        else if (!(c == '-' && i == s)) return false;
    }
    return digits > 0 && points <= 1;
}

// The number of the item from s to e, when it is [-]digits[.digits] with
// one to eight digits.
bool number_of(std::string_view line, std::size_t s, std::size_t e, Number& n) {
    if (!plain_item(line, s, e)) return false;
    const bool neg = line[s] == '-';
    const std::size_t at = s + (neg ? 1 : 0);
    const std::size_t dot = line.substr(at, e - at).find('.');
    const int digits = static_cast<int>(e - at) - (dot == std::string_view::npos ? 0 : 1);
    if (digits > 8) return false;
    const int before = dot == std::string_view::npos ? 8 : static_cast<int>(dot);
    n.keep = kLowBytes[before];
    n.sign = neg ? -1.0f : 1.0f;
    n.at = static_cast<std::uint16_t>(at);
    n.digits = static_cast<std::uint8_t>(digits);
    n.frac = static_cast<std::uint8_t>(dot == std::string_view::npos ? 0 : digits - before);
    return true;
}

// The digits of the number as one integer (the point taken out).
std::uint64_t digits_of(const char* line, const Number& n) {
    std::uint64_t x, y;
    std::memcpy(&x, line + n.at, 8);
    std::memcpy(&y, line + n.at + 1, 8);
    return digits_value((x & n.keep) | (y & ~n.keep), n.digits);
}

// The number as the free-format reader converts it. Up to seven digits, the
// integer and the power of ten are exact in float and one division rounds
// correctly; eight digits are divided in double, and rounding that to float
// is correct unless the double lies exactly halfway between two floats:
// false then, and the line is read the long way. The sign is a
// multiplication by 1 or -1, exact.
bool real_of(const char* line, const Number& n, float& v) {
    const std::uint64_t w = digits_of(line, n);
    if (n.digits < 8) {
        v = static_cast<float>(static_cast<std::int32_t>(w)) / kPow10f[n.frac] * n.sign;
        return true;
    }
    const double q = static_cast<double>(static_cast<std::int64_t>(w)) / kPow10d[n.frac];
    v = static_cast<float>(q) * n.sign;
    return (std::bit_cast<std::uint64_t>(q) & 0x1FFFFFFFULL) != 0x10000000ULL;
}

}  // namespace

bool Kept::matches(const char* line) const {
#if defined(__SSE2__)
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    for (std::size_t i = 0; i < checked_; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
        const __m128i was = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_.data() + i));
        const __m128i dig = _mm_loadu_si128(reinterpret_cast<const __m128i*>(digit_at_.data() + i));
        const __m128i t = _mm_sub_epi8(x, zero);
        const __m128i ok = _mm_or_si128(_mm_cmpeq_epi8(x, was), _mm_and_si128(_mm_cmpeq_epi8(_mm_min_epu8(t, nine), t), dig));
        unsigned m = static_cast<unsigned>(_mm_movemask_epi8(ok));
        if (checked_ - i < 16) m |= 0xFFFFu << (checked_ - i);
        if ((m & 0xFFFFu) != 0xFFFFu) return false;
    }
    return true;
#else
    for (std::size_t i = 0; i < checked_; ++i)
        if (line[i] != bytes_[i] && !(digit_at_[i] != 0 && is_digit(line[i]))) return false;
    return true;
#endif
}

void Kept::keep(std::string_view line, std::size_t checked) {
    checked_ = checked;
    std::memcpy(bytes_.data(), line.data(), checked);
    for (std::size_t i = 0; i < checked; ++i) digit_at_[i] = is_digit(line[i]) ? '\xFF' : '\0';
}

}  // namespace layout

// Numbers of varying width change the layout from line to line, and finding
// it each time would cost more than it saves: after eight changes in a row,
// layouts are left alone (read() rests) for a stretch of lines, 1024 at
// first, twice as many each time the layout keeps changing after it.
int PlainLineReader::read_kept(std::string_view line, std::span<float> out) {
    if (!kSwar || line.size() > layout::Kept::kMax || out.size() > items_.size()) return read_plain_items(line, out);
    if (kept_any_ && line.size() == kept_.checked() && out.size() == want_ && kept_.matches(line.data())) {
        changes_ = 0;
        rest_ = 1024;
    } else {
        if (++changes_ == 8) {
            changes_ = 0;
            resting_ = rest_;
            rest_ = std::min(2 * rest_, 1 << 20);
        }
        usable_ = learn(line, out.size());
        kept_.keep(line, line.size());
        want_ = out.size();
        kept_any_ = true;
    }
    if (!usable_) return read_plain_items(line, out);
    bool exact = true;
    for (std::size_t j = 0; j < count_; ++j) exact &= layout::real_of(line.data(), items_[j], out[j]);
    return exact ? total_ : read_plain_items(line, out);
}

// The layout of a line: usable when its bytes are all digits, points, minus
// signs, blanks and tabs and each item to convert is a number of the layout.
bool PlainLineReader::learn(std::string_view line, std::size_t want) {
    if (!std::all_of(line.begin(), line.end(), [](char c) { return layout::is_digit(c) || c == '.' || c == '-' || layout::is_sep(c); }))
        return false;
    bool usable = true;
    total_ = 0;
    layout::for_items(line, [&](int n, std::size_t s, std::size_t e) {
        if (static_cast<std::size_t>(n) < want) usable = usable && layout::number_of(line, s, e, items_[static_cast<std::size_t>(n)]);
        ++total_;
        return true;
    });
    count_ = std::min(want, static_cast<std::size_t>(total_));
    return usable;
}

}  // namespace morvane
