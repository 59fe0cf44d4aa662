// Free-format (list-directed) number reading.
#include "util/freeform.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "util/digits8.hpp"
#include "util/format/pow10.hpp"

namespace morvane {

namespace {

// Character classes of the scanner, one table lookup per character.
enum : unsigned char { kBlank = 1, kComma = 2, kSlash = 4, kStar = 8 };
constexpr std::array<unsigned char, 256> make_classes() {
    std::array<unsigned char, 256> t{};
    t[' '] = t['\t'] = t['\r'] = t['\n'] = kBlank;
    t[','] = t[';'] = kComma;
    t['/'] = kSlash;
    t['*'] = kStar;
    return t;
}
constexpr std::array<unsigned char, 256> kClass = make_classes();
inline unsigned char cls(char c) { return kClass[static_cast<unsigned char>(c)]; }
inline bool is_blank(char c) { return cls(c) == kBlank; }
inline bool ends_token(char c) { return cls(c) & (kBlank | kComma | kSlash); }

// The separator after an item: blanks, at most one comma or semicolon, blanks.
inline const char* skip_blanks_comma(const char* p, const char* end) {
    while (p < end && is_blank(*p)) ++p;
    if (p < end && (cls(*p) & kComma)) {
        ++p;
        while (p < end && is_blank(*p)) ++p;
    }
    return p;
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_nocase(std::string_view s, std::string_view word) {
    if (s.size() != word.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (lower(s[i]) != word[i]) return false;
    return true;
}

// The end of the plain real item at p ([sign] digits [. digits] [letter e, d
// or q [sign] digits], digits before or after the point), when it ends at a
// separator or the end of the text; nullptr for any other item.
const char* plain_real_end(const char* p, const char* end) {
    if (p < end && (*p == '+' || *p == '-')) ++p;
    const char* const first = p;
    while (p < end && is_digit(*p)) ++p;
    bool digits = p > first;
    if (p < end && *p == '.') {
        const char* const after = ++p;
        while (p < end && is_digit(*p)) ++p;
        digits = digits || p > after;
    }
    if (!digits) return nullptr;
    if (p < end && !ends_token(*p)) {
        const char c = lower(*p);
        if (c != 'e' && c != 'd' && c != 'q') return nullptr;
        ++p;
        if (p < end && (*p == '+' || *p == '-')) ++p;
        const char* const exp = p;
        while (p < end && is_digit(*p)) ++p;
        if (p == exp || (p < end && !ends_token(*p))) return nullptr;
    }
    return p;
}

#if defined(__SSE2__)
// The bytes of a 64-byte window that are digits, points and blanks (' '), as
// bit masks (bit i for byte i).
struct Masks {
    std::uint64_t digit = 0, point = 0, space = 0;
};
inline Masks classify64(const char* w) {
    Masks m;
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    const __m128i point = _mm_set1_epi8('.'), space = _mm_set1_epi8(' ');
    for (int i = 0; i < 4; ++i) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 16 * i));
        const __m128i t = _mm_sub_epi8(b, zero);
        const auto bits = [i](__m128i v) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))) << (16 * i);
        };
        m.digit |= bits(_mm_cmpeq_epi8(_mm_min_epu8(t, nine), t));
        m.point |= bits(_mm_cmpeq_epi8(b, point));
        m.space |= bits(_mm_cmpeq_epi8(b, space));
    }
    return m;
}

// Passes over items of the simplest shape, digits with at most one point
// among them, each followed by blanks (' ' only) and then by the first digit
// or point of the next item, 64 bytes at a time; stops at the first item not
// of that shape (the caller takes it), or when n items are passed. Returns
// the position of the next item; n is lowered by the items passed. The text
// from begin to end holds p (the first byte of an item); windows never reach
// outside it.
const char* skip_simple_items(const char* begin, const char* p, const char* end, int& n) {
    while (n > 0) {
        Masks m;
        if (end - p >= 64) {
            m = classify64(p);
        } else if (end - begin >= 64) {  // the last 64 bytes, shifted to start at p
            m = classify64(end - 64);
            const int shift = static_cast<int>(64 - (end - p));
            m.digit >>= shift, m.point >>= shift, m.space >>= shift;
        } else {
            break;
        }
        // The window is good up to its first bad byte: one that is neither
        // part of an item nor a blank (past the text: zero bytes), a point
        // with no digit or point beside it, or the second point of an item
        // (the carry of a point's next byte runs through the digits after it
        // and lands on the next byte that is no digit).
        const std::uint64_t item = m.digit | m.point;
        const std::uint64_t second = (m.digit + (m.point << 1)) & ~m.digit & m.point;
        const std::uint64_t alone = m.point & ~(item << 1) & ~(item >> 1);
        const std::uint64_t bad = ~(item | m.space) | second | alone;
        const std::uint64_t good = bad == 0 ? ~std::uint64_t{0} : (std::uint64_t{1} << std::countr_zero(bad)) - 1;
        // Every item that starts in the good part, after the first, closes
        // the one before it, separator included.
        std::uint64_t starts = item & ~(item << 1) & good & ~std::uint64_t{1};
        if (starts == 0) break;
        // All of them, when no more are wanted: the position of the last;
        // else the n-th.
        int pos;
        if (const int all = std::popcount(starts); all <= n) {
            n -= all;
            pos = 63 - std::countl_zero(starts);
        } else {
            for (; --n > 0;) starts &= starts - 1;
            pos = std::countr_zero(starts);
        }
        p += pos;
    }
    return p;
}
#endif

// Converts a real item: [sign] digits [. digits] [exponent], the exponent being
// a letter e, d or q (any case) with an optional sign, or a sign alone, then
// digits; or a signed INF, INFINITY, NAN, NAN(...). The digits are handed to
// std::from_chars in its own syntax, so the result is correctly rounded.
// The fast path needs the powers of ten exact: in float up to 10^10, in
// double up to 10^22.
static_assert(kPow10f[10] == 1e10f && kPow10d[22] == 1e22);

// Runs of digits eight characters at a time (util/digits8.hpp): the eight
// bytes from p (bytes past the end read as zero, which is not a digit) are
// tested together. Byte order matters, so other machines take the loop.

// The text runs from begin to end; near its end the eight bytes that end it
// are loaded and shifted down, so that no byte outside it is read.
[[gnu::always_inline]] inline std::uint64_t load8(const char* begin, const char* p, const char* end) {
    std::uint64_t x = 0;
    if (end - p >= 8) [[likely]] {
        std::memcpy(&x, p, 8);
    } else if (end - begin >= 8) {
        std::memcpy(&x, end - 8, 8);
        x = p == end ? 0 : x >> (8 * (8 - (end - p)));
    } else {
        for (int i = 0; p + i < end; ++i) x |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    return x;
}

// Appends the digits from p to w (w = w * 10^n + digits); returns the end of
// the run. n counts every digit, so n > 19 means w has wrapped.
[[gnu::always_inline]] inline const char* scan_digits(const char* begin, const char* p, const char* end, std::uint64_t& w,
                                                       int& n) {
    if constexpr (kSwar) {
        for (;;) {
            const std::uint64_t x = load8(begin, p, end);
            const int k = leading_digits(x);
            if (k == 0) return p;
            w = w * kPow10u[k] + digits_value(x, k);
            n += k;
            p += k;
            if (k < 8) return p;
        }
    } else {
        for (; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++n) w = w * 10 + static_cast<std::uint64_t>(*p - '0');
        return p;
    }
}

// The mantissa from p: digits [. digits] into the integer w, with the count
// of its digits and of those after the point. Returns the end of the scan.
[[gnu::always_inline]] inline const char* scan_mantissa(const char* begin, const char* p, const char* end, std::uint64_t& w, int& digits,
                                                        int& frac) {
    if constexpr (kSwar) {
        // At most eight digits in all, with or without a point: one conversion
        // of the digits joined in one word.
        const std::uint64_t x = load8(begin, p, end);
        const std::uint64_t bad = non_digits(x);
        const int k = bad ? std::countr_zero(bad) >> 3 : 8;
        if (k < 8 && static_cast<char>(x >> (8 * k)) == '.') {
            // No carry leaves the point's byte, so the marks after it are
            // right up to the next byte that is no digit: when that lies in
            // the word, the digits on both sides are joined from it alone.
            const std::uint64_t after = k < 7 ? bad & ~((std::uint64_t{1} << (8 * k + 8)) - 1) : 0;
            if (after != 0) {
                const int stop = std::countr_zero(after) >> 3;
                const int n = stop - 1;
                if (n > 0) {
                    w = digits_value((x & kLowBytes[k]) | ((x >> 8) & ~kLowBytes[k]), n);
                    digits = n;
                    frac = n - k;
                    return p + stop;
                }
            }
            const std::uint64_t y = load8(begin, p + k + 1, end);
            const int f = leading_digits(y);
            const int n = k + f;
            if (f < 8 && n <= 8 && n > 0) {
                w = digits_value((x & kLowBytes[k]) | ((y & kLowBytes[f]) << (8 * k)), n);
                digits = n;
                frac = f;
                return p + n + 1;
            }
        } else if (k > 0 && k < 8) {
            w = digits_value(x, k);
            digits = k;
            frac = 0;
            return p + k;
        }
    }
    w = 0;
    digits = 0;
    frac = 0;
    p = scan_digits(begin, p, end, w, digits);
    if (p < end && *p == '.') {
        p = scan_digits(begin, p + 1, end, w, frac);
        digits += frac;
    }
    return p;
}

// Passes over a plain real item at p and the separator after it: the
// position of the next item, or nullptr when the item is not plain. The
// common shapes (digits, or digits, a point and digits, at most seven on each
// side) are tested eight bytes at a time; the rest goes through
// plain_real_end.
[[gnu::always_inline]] inline const char* skip_plain_item(const char* begin, const char* p, const char* end) {
    if constexpr (kSwar) {
        const int k = leading_digits(load8(begin, p, end));
        const char* q = p + k;
        if (k < 8 && q < end && *q == '.') {
            const int f = leading_digits(load8(begin, q + 1, end));
            q = f < 8 && k + f > 0 ? q + 1 + f : nullptr;
        } else if (k == 0 || k == 8) {
            q = nullptr;
        }
        if (q != nullptr) {
            if (q == end) return q;
            // One blank, then the next item: the usual separator.
            if (*q == ' ' && q + 1 < end && !ends_token(q[1])) return q + 1;
            if (ends_token(*q)) return skip_blanks_comma(q, end);
        }
    }
    const char* q = plain_real_end(p, end);
    return q != nullptr ? skip_blanks_comma(q, end) : nullptr;
}

// The common short numbers in one pass: when the significant digits form an
// integer w exact in T and the power of ten is exact in T too, w * 10^e (or
// w / 10^-e) is a single correctly rounded operation. Scans from p up to the
// end of the item (a blank, comma, semicolon, slash or end); returns the
// stop position, or nullptr when the item is not such a number.
template <class T>
[[gnu::always_inline]] inline const char* fast_real(const char* begin, const char* p, const char* end, T& v) {
    bool neg = false;
    if (p < end && (*p == '-' || *p == '+')) neg = *p++ == '-';
    // Up to 19 digits (leading zeros included) fit the 64-bit integer w.
    std::uint64_t w;
    int digits, frac;
    p = scan_mantissa(begin, p, end, w, digits, frac);
    const int adj = -frac;
    if (digits == 0 || digits > 19) return nullptr;
    int ex = 0;
    if (p < end && !ends_token(*p)) {
        const char c = lower(*p);
        if (c == 'e' || c == 'd' || c == 'q') ++p;
        else if (c != '+' && c != '-') return nullptr;
        bool eneg = false;
        if (p < end && (*p == '+' || *p == '-')) eneg = *p++ == '-';
        int ed = 0;
        for (; p < end && is_digit(*p); ++p) {
            if (++ed > 4) return nullptr;
            ex = ex * 10 + (*p - '0');
        }
        if (ed == 0) return nullptr;
        if (eneg) ex = -ex;
    }
    if (p < end && !ends_token(*p)) return nullptr;
    const int e10 = ex + adj;
    T r;
    if (w == 0) {
        r = T(0);
    } else if constexpr (sizeof(T) == 4) {
        if (w <= (1u << 24) && e10 >= -10 && e10 <= 10) {
            r = static_cast<T>(static_cast<std::int64_t>(w));  // w is small: a signed conversion is one instruction
            r = e10 < 0 ? r / kPow10f[-e10] : r * kPow10f[e10];
        } else {
            // More digits (a time such as 1990.0417): w and the power of ten
            // are exact in double and the one operation rounds once; rounding
            // that to float gives the correctly rounded float unless the
            // double lies exactly halfway between two floats (the first
            // rounding may then have decided the tie), which goes the long way.
            if (w > (1ULL << 53) || e10 < -22 || e10 > 22) return nullptr;
            const double x = static_cast<double>(static_cast<std::int64_t>(w));
            const double d = e10 < 0 ? x / kPow10d[-e10] : x * kPow10d[e10];
            if ((std::bit_cast<std::uint64_t>(d) & 0x1FFFFFFFULL) == 0x10000000ULL) return nullptr;
            r = static_cast<T>(d);
        }
    } else {
        if (w > (1ULL << 53) || e10 < -22 || e10 > 22) return nullptr;
        r = static_cast<T>(static_cast<std::int64_t>(w));  // w is small: a signed conversion is one instruction
        r = e10 < 0 ? r / kPow10d[-e10] : r * kPow10d[e10];
    }
    v = neg ? -r : r;
    return p;
}

template <class T>
bool convert_real(std::string_view s, T& v) {
    if (fast_real(s.data(), s.data(), s.data() + s.size(), v) == s.data() + s.size()) return true;
    // Plain spellings (no '+', exponent letter e) go straight to from_chars;
    // anything it does not take whole is looked at in detail below.
    if (!s.empty() && s.front() != '+') {
        T r;
        const auto res = std::from_chars(s.data(), s.data() + s.size(), r);
        if (res.ec == std::errc() && res.ptr == s.data() + s.size()) {
            v = r;
            return true;
        }
    }
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    const std::string_view body = s.substr(i);
    if (equals_nocase(body, "inf") || equals_nocase(body, "infinity")) {
        v = neg ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
        return true;
    }
    if (body.size() >= 3 && equals_nocase(body.substr(0, 3), "nan")) {
        std::string_view rest = body.substr(3);
        if (!rest.empty()) {
            if (rest.front() != '(' || rest.back() != ')') return false;
            for (char c : rest.substr(1, rest.size() - 2))
                if (!(is_digit(c) || (lower(c) >= 'a' && lower(c) <= 'z') || c == '_')) return false;
        }
        v = std::copysign(std::numeric_limits<T>::quiet_NaN(), neg ? T(-1) : T(1));
        return true;
    }
    // Mantissa.
    char buf[128];
    std::string big;
    const std::size_t mant_begin = i;
    std::size_t ndig = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++ndig;
    std::size_t int_digits = ndig;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) ++i, ++ndig;
    }
    if (ndig == 0) return false;
    const std::string_view mant = s.substr(mant_begin, i - mant_begin);
    // Exponent.
    long long ex = 0;
    if (i < s.size()) {
        const char c = lower(s[i]);
        if (c == 'e' || c == 'd' || c == 'q') ++i;
        else if (c != '+' && c != '-') return false;
        bool eneg = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
        if (i == s.size()) return false;
        for (; i < s.size(); ++i) {
            if (!is_digit(s[i])) return false;
            if (ex < 100000000) ex = ex * 10 + (s[i] - '0');
        }
        if (eneg) ex = -ex;
    }
    // Text for from_chars: mantissa (no sign), 'e', exponent.
    const std::size_t need = mant.size() + 16;
    char* p = buf;
    if (need > sizeof buf) {
        big.resize(need);
        p = big.data();
    }
    char* q = p;
    for (char c : mant) *q++ = c;
    *q++ = 'e';
    q = std::to_chars(q, q + 14, ex).ptr;
    T r{};
    const auto res = std::from_chars(p, q, r);
    if (res.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: decide by the decimal exponent of the first
        // significant digit.
        std::size_t k = 0;
        long long lead = static_cast<long long>(int_digits);
        while (k < mant.size() && (mant[k] == '0' || mant[k] == '.')) {
            if (mant[k] == '0') --lead;
            ++k;
        }
        if (k < int_digits) lead = static_cast<long long>(int_digits - k);
        r = (lead + ex > 0) ? std::numeric_limits<T>::infinity() : T(0);
    } else if (res.ec != std::errc() || res.ptr != q) {
        return false;
    }
    v = neg ? -r : r;
    return true;
}

bool convert_int(std::string_view s, std::int32_t& v) {
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    if (i == s.size()) return false;
    std::int64_t a = 0;
    for (; i < s.size(); ++i) {
        if (!is_digit(s[i])) return false;
        a = a * 10 + (s[i] - '0');
        if (a > 2147483648LL) return false;
    }
    if (neg) a = -a;
    if (a > 2147483647LL) return false;
    v = static_cast<std::int32_t>(a);
    return true;
}

}  // namespace

int read_plain_items(std::string_view line, std::span<float> out) {
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin;
    for (std::size_t n = 0;; ++n) {
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        if (p == end) return static_cast<int>(n);
        if (n == out.size()) {
            // The rest is counted as NITEMS counts it where no comma, quote
            // or zero byte is: words between blanks and tabs.
            const std::string_view rest(p, static_cast<std::size_t>(end - p));
            if (rest.find_first_of(std::string_view(",'\0", 3)) != std::string_view::npos) return -1;
            for (bool word = false; p < end; ++p) {
                const bool blank = *p == ' ' || *p == '\t';
                n += !blank && !word;
                word = !blank;
            }
            return static_cast<int>(n);
        }
        // A plain number, ended by a blank, a tab or the end; a comma,
        // semicolon, slash or carriage return after it is left to ListReader.
        const char* const stop = fast_real(begin, p, end, out[n]);
        if (stop == nullptr || (stop < end && *stop != ' ' && *stop != '\t')) return -1;
        p = stop;
    }
}

ListReader::ListReader(std::string_view text) : text_(text) {}

// Blanks, at most one comma or semicolon, blanks.
void ListReader::skip_separator() {
    const std::size_t n = text_.size();
    while (pos_ < n && is_blank(text_[pos_])) ++pos_;
    if (pos_ < n && (cls(text_[pos_]) & kComma)) {
        ++pos_;
        while (pos_ < n && is_blank(text_[pos_])) ++pos_;
    }
}

// The next item: a value token, a null value, the end (end of text or a
// slash), or a malformed repeat form. The separator after the item (blanks,
// at most one comma or semicolon, blanks) is consumed with it.
ListReader::Item ListReader::next(std::string_view& token) {
    if (repeat_ > 0) {
        --repeat_;
        token = pending_;
        return pending_.empty() ? Item::null : Item::value;
    }
    if (ended_) return Item::end;
    const std::size_t n = text_.size();
    while (pos_ < n && is_blank(text_[pos_])) ++pos_;
    if (pos_ == n) {
        ended_ = true;
        return Item::end;
    }
    const char c = text_[pos_];
    if (c == '/') {
        ended_ = true;
        slash_ = true;
        return Item::end;
    }
    if (c == ',' || c == ';') {
        ++pos_;
        while (pos_ < n && is_blank(text_[pos_])) ++pos_;
        return Item::null;
    }
    const std::size_t start = pos_;
    unsigned char seen = 0;
    for (; pos_ < n; ++pos_) {
        const unsigned char k = cls(text_[pos_]);
        if (k & (kBlank | kComma | kSlash)) break;
        seen |= k;
    }
    const bool has_star = seen & kStar;
    token = text_.substr(start, pos_ - start);
    skip_separator();
    if (!has_star) return Item::value;
    // The repeat form r*c or r*: r an unsigned nonzero integer.
    const std::size_t star = token.find('*');
    std::int64_t r = 0;
    if (star == 0) return Item::bad;
    for (std::size_t k = 0; k < star; ++k) {
        if (!is_digit(token[k])) return Item::bad;
        if (r < 1000000000) r = r * 10 + (token[k] - '0');
    }
    if (r == 0) return Item::bad;
    pending_ = token.substr(star + 1);
    repeat_ = r - 1;
    token = pending_;
    return pending_.empty() ? Item::null : Item::value;
}

ReadStatus ListReader::finish(Item kind, std::string_view token) {
    null_ = kind == Item::null;
    switch (kind) {
    case Item::end: return ReadStatus::end;
    case Item::bad:
        bad_ = token;
        return ReadStatus::bad;
    default: ++count_; return ReadStatus::ok;
    }
}

template <class T>
ReadStatus ListReader::read_real(T& v) {
    if (repeat_ == 0 && !ended_) [[likely]] {
        // A plain number scanned and converted in one pass.
        const char* const begin = text_.data();
        const char* const end = begin + text_.size();
        const char* p = begin + pos_;
        while (p < end && is_blank(*p)) ++p;
        if (p < end) {
            T r;
            if (const char* stop = fast_real(begin, p, end, r)) {
                pos_ = static_cast<std::size_t>(skip_blanks_comma(stop, end) - begin);
                v = r;
                null_ = false;
                ++count_;
                return ReadStatus::ok;
            }
        }
    }
    return read_real_item(v);
}

// Any other item: the general scanner and conversion, out of line so that
// the path above stays small.
template <class T>
[[gnu::noinline]] ReadStatus ListReader::read_real_item(T& v) {
    std::string_view t;
    Item k = next(t);
    if (k == Item::value && !convert_real(t, v)) k = Item::bad;
    return finish(k, t);
}

ReadStatus ListReader::read(float& v) { return read_real(v); }

ReadStatus ListReader::read(std::span<float> values, std::size_t& done) {
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    std::size_t i = 0;
    while (i < values.size()) {
        // Plain numbers in a row, converted in one pass each; the state is
        // written back once.
        if (repeat_ == 0 && !ended_) {
            const char* p = begin + pos_;
            while (p < end && is_blank(*p)) ++p;
            const std::size_t first = i;
            for (const char* stop; i < values.size() && p < end && (stop = fast_real(begin, p, end, values[i])); ++i)
                p = skip_blanks_comma(stop, end);
            if (i > first) {
                pos_ = static_cast<std::size_t>(p - begin);
                count_ += i - first;
                null_ = false;
                continue;
            }
        }
        // Anything else, one item the general way.
        if (const ReadStatus st = read_real_item(values[i]); st != ReadStatus::ok) {
            done = i;
            return st;
        }
        ++i;
    }
    done = i;
    return ReadStatus::ok;
}

ReadStatus ListReader::read(double& v) { return read_real(v); }

ReadStatus ListReader::read(std::int32_t& v) {
    if (repeat_ == 0 && !ended_) {
        // A plain integer scanned and converted in one pass.
        const char* const begin = text_.data();
        const char* const end = begin + text_.size();
        const char* p = begin + pos_;
        while (p < end && is_blank(*p)) ++p;
        bool neg = false;
        if (p < end && (*p == '-' || *p == '+')) neg = *p++ == '-';
        const char* const d0 = p;
        std::int64_t a = 0;
        int k = 8;  // up to seven digits at once
        if constexpr (kSwar) {
            const std::uint64_t x = load8(begin, p, end);
            k = leading_digits(x);
            if (k > 0 && k < 8) a = static_cast<std::int64_t>(digits_value(x, k));
            if (k < 8) p += k;
        }
        if (k == 8)
            for (; p < end && static_cast<unsigned>(*p - '0') < 10 && p - d0 < 10; ++p) a = a * 10 + (*p - '0');
        if (p > d0 && (p == end || ends_token(*p)) && a <= 2147483647LL + (neg ? 1 : 0)) {
            v = static_cast<std::int32_t>(neg ? -a : a);
            pos_ = static_cast<std::size_t>(skip_blanks_comma(p, end) - begin);
            null_ = false;
            ++count_;
            return ReadStatus::ok;
        }
    }
    std::string_view t;
    Item k = next(t);
    if (k == Item::value && !convert_int(t, v)) k = Item::bad;
    return finish(k, t);
}

ReadStatus ListReader::skip(int n) {
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    while (n > 0) {
        if (repeat_ == 0 && !ended_) {
            // Plain items are only scanned: every one of them converts.
            const char* p = begin + pos_;
            while (p < end && is_blank(*p)) ++p;
#if defined(__SSE2__)
            const int before = n;
            p = skip_simple_items(begin, p, end, n);
            if (n < before) {
                count_ += static_cast<std::size_t>(before - n);
                null_ = false;
            }
#endif
            for (const char* q; n > 0 && (q = skip_plain_item(begin, p, end)) != nullptr; --n) {
                p = q;
                ++count_;
                null_ = false;
            }
            pos_ = static_cast<std::size_t>(p - begin);
            if (n == 0) break;
        }
        float dummy = 0.0f;
        if (const ReadStatus st = read_real_item(dummy); st != ReadStatus::ok) return st;
        --n;
    }
    return ReadStatus::ok;
}

}  // namespace morvane
