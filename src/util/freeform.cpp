// Free-format (list-directed) number reading.
#include "util/freeform.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace morvane {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool ends_token(char c) { return is_blank(c) || c == ',' || c == ';' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_nocase(std::string_view s, std::string_view word) {
    if (s.size() != word.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (lower(s[i]) != word[i]) return false;
    return true;
}

// Converts a real item: [sign] digits [. digits] [exponent], the exponent being
// a letter e, d or q (any case) with an optional sign, or a sign alone, then
// digits; or a signed INF, INFINITY, NAN, NAN(...). The digits are handed to
// std::from_chars in its own syntax, so the result is correctly rounded.
template <class T>
bool convert_real(std::string_view s, T& v) {
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

ListReader::ListReader(std::string_view text) : text_(text) {}

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
    auto skip_separator = [&] {
        while (pos_ < n && is_blank(text_[pos_])) ++pos_;
        if (pos_ < n && (text_[pos_] == ',' || text_[pos_] == ';')) {
            ++pos_;
            while (pos_ < n && is_blank(text_[pos_])) ++pos_;
        }
    };
    if (c == ',' || c == ';') {
        ++pos_;
        while (pos_ < n && is_blank(text_[pos_])) ++pos_;
        return Item::null;
    }
    const std::size_t start = pos_;
    bool has_star = false;
    for (; pos_ < n; ++pos_) {
        const char t = text_[pos_];
        if (ends_token(t)) break;
        has_star |= t == '*';
    }
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
    switch (kind) {
    case Item::end: return ReadStatus::end;
    case Item::bad:
        bad_ = token;
        return ReadStatus::bad;
    default: ++count_; return ReadStatus::ok;
    }
}

ReadStatus ListReader::read(float& v) {
    std::string_view t;
    Item k = next(t);
    if (k == Item::value && !convert_real(t, v)) k = Item::bad;
    return finish(k, t);
}

ReadStatus ListReader::read(double& v) {
    std::string_view t;
    Item k = next(t);
    if (k == Item::value && !convert_real(t, v)) k = Item::bad;
    return finish(k, t);
}

ReadStatus ListReader::read(std::int32_t& v) {
    std::string_view t;
    Item k = next(t);
    if (k == Item::value && !convert_int(t, v)) k = Item::bad;
    return finish(k, t);
}

}  // namespace morvane
