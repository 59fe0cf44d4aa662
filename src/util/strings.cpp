#include "util/strings.hpp"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane {

namespace {

constexpr std::string_view kDefaultDelims{" \0\t", 3};

bool in_set(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// s(a..b), 1-based and inclusive; "" when b < a.
std::string_view sub(std::string_view s, int a, int b) {
    if (b < a) return {};
    return s.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1));
}

// A piece cut or padded to width, or at its natural length without trailing blanks.
std::string piece(std::string_view s, std::size_t width) {
    return width == 0 ? std::string(trim_right(s)) : fit(s, width);
}

}  // namespace

// ---- helpers ----

bool is_blank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return blank_like(c); });
}

std::string fit(std::string_view s, std::size_t width) {
    std::string out(s.substr(0, std::min(width, s.size())));
    out.resize(width, ' ');
    return out;
}

std::string_view trim_right(std::string_view s) {
    const auto n = s.find_last_not_of(' ');
    return n == std::string_view::npos ? std::string_view{} : s.substr(0, n + 1);
}

bool padded_equal(std::string_view a, std::string_view b) {
    if (a.size() < b.size()) std::swap(a, b);
    if (a.substr(0, b.size()) != b) return false;
    return a.find_first_not_of(' ', b.size()) == std::string_view::npos;
}

std::string_view trimmed(std::string_view s) {
    const Limits l = strlim(s);
    return l.last == 0 ? std::string_view{} : sub(s, l.first, l.last);
}

// TIDY:
std::string tidy(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (blank_like(c)) c = ' ';
    return out;
}

// STRLIM:
Limits strlim(std::string_view s) {
    int last = static_cast<int>(s.size());
    while (last > 0 && blank_like(s[static_cast<std::size_t>(last - 1)])) --last;
    if (last == 0) return {};
    int first = 1;
    while (blank_like(s[static_cast<std::size_t>(first - 1)])) ++first;
    return {first, last};
}

// UPP2LOW: letters lie within the limits by definition, so the whole text is converted.
std::string upp2low(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// CHARCOUNT:
int charcount(int mode, char ch, std::string_view s) {
    const Limits l = strlim(s);
    if (l.last == 0) return 0;
    bool inq = false;
    int n = 0;
    for (int i = l.first; i <= l.last; ++i) {
        const char c = s[static_cast<std::size_t>(i - 1)];
        if (c == ch) {
            if (mode == 1 || (mode == 2 && !inq)) ++n;
        } else if (c == '\'') {
            inq = !inq;
        }
    }
    return n;
}

// NITEMS: a separator run counts where it starts outside quotes. The state
// only changes at a quote, which is no separator, so the previous position's
// separator test is simply the previous character's.
#if defined(__SSE2__)
// Bit masks of the bytes s[i, i + 32) that are blanks, commas and quotes
// (bits past the end of s clear); s holds at least 16 bytes, and no load
// reaches outside it.
struct Marks {
    std::uint32_t blank, comma, quote;
};
Marks marks32(std::string_view s, std::size_t i) {
    const auto one = [](const char* p) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto bits = [](__m128i v) { return static_cast<std::uint32_t>(_mm_movemask_epi8(v)); };
        const __m128i blank = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\t'))),
                                           _mm_cmpeq_epi8(b, _mm_setzero_si128()));
        return Marks{bits(blank), bits(_mm_cmpeq_epi8(b, _mm_set1_epi8(','))), bits(_mm_cmpeq_epi8(b, _mm_set1_epi8('\'')))};
    };
    const std::size_t n = s.size();
    const char* p = s.data();
    if (i + 32 <= n) {
        const Marks lo = one(p + i), hi = one(p + i + 16);
        return {lo.blank | hi.blank << 16, lo.comma | hi.comma << 16, lo.quote | hi.quote << 16};
    }
    const Marks end = one(p + n - 16);  // the last 16 bytes
    if (i + 16 <= n) {
        const Marks lo = one(p + i);
        const std::size_t k = n - 16 - i;
        return {lo.blank | end.blank << k, lo.comma | end.comma << k, lo.quote | end.quote << k};
    }
    const std::size_t k = i - (n - 16);
    return {end.blank >> k, end.comma >> k, end.quote >> k};
}

// Blank runs and commas of s[from, to), 32 bytes at a time, when no quote is
// among them; false when there is one (the caller counts one by one). The
// byte before `from` is no blank; s holds at least 16 bytes.
bool count_unquoted(std::string_view s, std::size_t from, std::size_t to, int& runs, int& commas) {
    const auto count = [](std::uint32_t x) {
        x = x - ((x >> 1) & 0x55555555u);
        x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
        x = (x + (x >> 4)) & 0x0F0F0F0Fu;
        return static_cast<int>((x * 0x01010101u) >> 24);
    };
    std::uint32_t prev = 0;  // whether the byte before the block is blank
    for (std::size_t i = from; i < to; i += 32) {
        Marks m = marks32(s, i);
        const std::uint32_t keep = to - i >= 32 ? ~0u : (1u << (to - i)) - 1;
        if ((m.quote & keep) != 0) return false;
        m.blank &= keep;
        runs += count(m.blank & ~((m.blank << 1) | prev));
        if ((m.comma &= keep) != 0) commas += count(m.comma);
        prev = m.blank >> 31;
    }
    return true;
}
#endif

// The commas (outside quotes) of CHARCOUNT are counted in the same pass: the
// quote state before each character is the same for both.
int nitems(std::string_view s) {
    const Limits l = strlim(s);
    if (l.last == 0) return 0;
#if defined(__SSE2__)
    if (s.size() >= 16 && s[static_cast<std::size_t>(l.first - 1)] != '\'') {
        // The first character is no blank, the last starts no run.
        int runs = 1, commas = s[static_cast<std::size_t>(l.first - 1)] == ',';
        if (count_unquoted(s, static_cast<std::size_t>(l.first), static_cast<std::size_t>(l.last), runs, commas))
            return std::max(runs, commas + 1);
    }
#endif
    const char* p = s.data() + (l.first - 1);
    const char* const last = s.data() + (l.last - 1);  // not blank, so it starts no run
    bool inq = *p == '\'';
    int runs = 1, commas = *p == ',';
    for (bool prev_blank = false; ++p <= last;) {
        const char c = *p;
        const bool blank = blank_like(c);
        if (c == '\'') {
            inq = !inq;
        } else if (!inq) {
            commas += c == ',';
            runs += blank && !prev_blank;
        }
        prev_blank = blank;
    }
    return std::max(runs, commas + 1);
}

// GAPPOS:
Limits gappos(int n, std::string_view s) {
    const Limits l = strlim(s);
    if (n < 1 || l.last - l.first < 2 * n) return {};
    auto sep = [&](int i) { return blank_like(s[static_cast<std::size_t>(i - 1)]); };
    Limits r;
    int gaps = 0;
    for (int i = l.first + 1; i <= l.last; ++i) {
        if (sep(i) && !sep(i - 1)) {
            if (++gaps == n) r.first = i;
        } else if (!sep(i) && r.first > 0) {
            r.last = i - 1;
            break;
        }
    }
    return r;
}

// SPLITITEMS: with a caller's delimiter set, delimiters at the start of the
// text end no item (an item needs at least one character), so no empty first
// item results.
std::vector<std::string> splititems(std::string_view s, int nmax, std::size_t width, char qc,
                                    std::optional<std::string_view> dlim) {
    std::vector<std::string> items;
    const Limits l = strlim(s);
    if (nmax <= 0 || l.last == 0) return items;
    const std::string_view delims = dlim ? *dlim : kDefaultDelims;
    const bool quotes = qc != ' ';
    auto store = [&](int a, int b) {
        std::string item = width == 0 ? std::string(sub(s, a, b)) : fit(sub(s, a, b), width);
        if (quotes) std::replace(item.begin(), item.end(), qc, ' ');
        item.erase(0, std::min(item.find_first_not_of(' '), item.size()));  // left-adjust
        items.back() = piece(item, width);
    };
    items.emplace_back(width, ' ');
    bool inq = false;
    int start = l.first;
    for (int i = l.first; i <= l.last; ++i) {
        const char c = s[static_cast<std::size_t>(i - 1)];
        if (quotes && c == qc) inq = !inq;
        if (!inq && in_set(c, delims)) {
            if (i > start) {
                store(start, i - 1);
                if (static_cast<int>(items.size()) == nmax) return items;
                items.emplace_back(width, ' ');
                if (i == l.last) return items;
            }
            start = i + 1;
        }
    }
    store(start, l.last);
    return items;
}

// STRREPL:
void strrepl(std::string_view cold, std::string_view cnew, std::string& s) {
    const std::size_t len = s.size();
    std::size_t lwork = tidy(s).find_last_not_of(' ');
    if (lwork == std::string::npos || cold.empty()) return;
    lwork += 1;  // working length
    std::size_t p = 0;
    const std::string replacement(cnew);
    while (p < lwork && p < len) {
        const std::string_view window = std::string_view(s).substr(p, std::min(lwork, len) - p);
        const auto hit = window.find(cold);
        if (hit == std::string_view::npos) break;
        const std::size_t k = p + hit;
        // Move the tail s(k + |cold| ..) to start at k + |cnew|, cut at the end.
        std::string tail = s.substr(k + cold.size());
        std::string rebuilt = s.substr(0, k);
        rebuilt += replacement;
        rebuilt += tail;
        rebuilt.resize(len, ' ');
        s = std::move(rebuilt);
        p = k + cnew.size();
        lwork = lwork + cnew.size() - cold.size();
    }
}

// SPLITAT: with nmax = 1 the one part is the whole text.
std::vector<std::string> splitat(std::string_view line, char dch, int nmax, std::size_t width) {
    std::vector<std::string> parts(static_cast<std::size_t>(std::max(nmax, 0)), std::string(width, ' '));
    const Limits l = strlim(line);
    if (nmax <= 0 || l.last == 0) return parts;
    bool inq = false;
    int start = 1;
    int count = 0;
    for (int i = l.first; i <= l.last && count < nmax - 1; ++i) {
        const char c = line[static_cast<std::size_t>(i - 1)];
        if (c == '\'' || c == '"') inq = !inq;
        if (c == dch && !inq) {
            parts[static_cast<std::size_t>(count++)] = piece(sub(line, start, i - 1), width);
            start = i + 1;
        }
    }
    parts[static_cast<std::size_t>(count)] = piece(sub(line, start, l.last), width);
    return parts;
}

// WORDIDX: a word is a non-empty run of non-delimiters, so delimiters at the
// start of the text give no empty first word.
int wordidx(std::string_view s, std::string_view word, std::optional<std::string_view> dlim) {
    const Limits l = strlim(s);
    const std::string_view key = trimmed(word);
    if (l.last == 0 || key.empty()) return 0;
    const std::string_view delims = dlim ? *dlim : kDefaultDelims;
    bool inq = false;
    int nword = 0;
    int start = 0;  // start of the current word, 0 between words
    for (int i = l.first; i <= l.last + 1; ++i) {
        const bool end = i > l.last;
        const char c = end ? ' ' : s[static_cast<std::size_t>(i - 1)];
        if (!end && (c == '\'' || c == '"')) inq = !inq;
        if (end || (!inq && in_set(c, delims))) {
            if (start > 0) {
                ++nword;
                if (padded_equal(sub(s, start, i - 1), key)) return nword;
                start = 0;
            }
        } else if (start == 0) {
            start = i;
        }
    }
    return 0;
}

// CVECFIND:
namespace {
template <class Text>
bool find_padded(std::span<const Text> cvec, std::string_view s, int& idx) {
    for (std::size_t i = 0; i < cvec.size(); ++i) {
        if (padded_equal(cvec[i], s)) {
            idx = static_cast<int>(i + 1);
            return true;
        }
    }
    idx = 0;
    return false;
}
}  // namespace

bool cvecfind(std::span<const std::string> cvec, std::string_view s, int& idx) { return find_padded(cvec, s, idx); }
bool cvecfind(std::span<const std::string_view> cvec, std::string_view s, int& idx) { return find_padded(cvec, s, idx); }

// ISCHAR:
bool ischar(std::string_view line, char c) {
    const Limits l = strlim(line);
    return l.last > 0 && l.first == l.last && line[static_cast<std::size_t>(l.first - 1)] == c;
}

}  // namespace morvane
