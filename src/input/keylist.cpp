#include "input/keylist.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/textreader.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr std::size_t kReadWidth = 256;      // characters read of a keyword-file line
constexpr std::size_t kWarnWidth = 4096;     // characters looked at for the warnings
constexpr std::size_t kDictNameWidth = 32;   // characters kept of the dictionary name

// Entries of the list that may be examined: N, limited to the record.
int entries(const KEYLIST& list) { return std::clamp<int>(list.n, 0, kKeyEntries); }

// First word of a cleaned line and the rest after the blanks that follow it.
struct Split {
    std::string_view word;
    std::string_view rest;
};

Split first_word(std::string_view s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find(' ', b);
    if (e == std::string_view::npos) return {s.substr(b), {}};
    Split out{s.substr(b, e - b), {}};
    e = s.find_first_not_of(' ', e);
    if (e != std::string_view::npos) out.rest = trim_right(s.substr(e));
    return out;
}

// A line cut to what is read of it, tabs and zero bytes made blanks.
std::string clean_line(std::string_view raw) { return tidy(raw.substr(0, std::min(raw.size(), kReadWidth))); }

// Whether a cleaned line is a comment: blank, or "!" its first non-blank.
bool comment_line(std::string_view s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos || s[b] == '!';
}

// The dictionary: alias -> keyword, the first line of an alias winning. A
// dictionary file that does not exist, or cannot be read to its end, gives no
// aliases.
std::unordered_map<std::string, std::string> load_dictionary(const std::string& name) {
    std::unordered_map<std::string, std::string> dict;
    auto reader = TextReader::open(name, kReadWidth);
    if (!reader) return dict;
    std::string_view raw;
    while (reader->next(raw)) {
        const std::string line = clean_line(raw);
        if (comment_line(line)) continue;
        const Split s = first_word(line);
        if (s.rest.empty()) continue;  // a single word
        dict.emplace(std::string(s.word), std::string(s.rest.substr(0, std::min(s.rest.size(), kKeyWidth))));
    }
    if (reader->failed()) dict.clear();
    return dict;
}

// A number of a value as text, for the notes of defaults.
std::string number_text(float v) { return real_text(v); }
std::string number_text(std::int32_t v) { return std::to_string(v); }

template <class T>
std::string numbers_text(std::span<const T> v) {
    std::string out;
    for (const T& x : v) out += (out.empty() ? "" : " ") + number_text(x);
    return out;
}

// Whether a text holds a comma between two digits, as a decimal comma does.
bool decimal_comma(std::string_view s) {
    for (std::size_t i = 1; i + 1 < s.size(); ++i)
        if (s[i] == ',' && std::isdigit(static_cast<unsigned char>(s[i - 1])) &&
            std::isdigit(static_cast<unsigned char>(s[i + 1])))
            return true;
    return false;
}

// The warnings about a value whose numbers were read: more numbers than the
// reader takes, an empty item (a null value keeps what was there), a number
// that is not finite (read as gfortran reads it, an infinity or NaN).
void value_warnings(std::string_view keyword, std::string_view text, std::size_t wanted, bool more, bool null,
                    bool nonfinite) {
    const std::string head = std::string(trimmed(keyword)) + " " + std::string(trimmed(tidy(text))) + ": ";
    if (more) {
        const int m = nitems(text);
        warn(head + std::to_string(m) + " numbers where " + std::to_string(wanted) + (wanted == 1 ? " is" : " are") +
             " read" + (decimal_comma(text) ? " (a decimal comma?)" : ""));
    }
    if (null) warn(head + "an empty item (null value) leaves its number as it was");
    if (nonfinite) warn(head + "not a finite number (an infinity or NaN, kept as read)");
}

template <class T>
std::size_t read_numbers_impl(std::string_view keyword, std::string_view text, std::span<T> out) {
    ListReader reader(text);
    std::size_t k = 0;
    bool null = false, nonfinite = false;
    while (k < out.size()) {
        const ReadStatus st = reader.read(out[k]);
        if (st == ReadStatus::end) break;
        if (st == ReadStatus::bad) throw BadValue(std::string(trimmed(keyword)), std::string(trim_right(text)));
        null = null || reader.null();
        if constexpr (std::is_floating_point_v<T>) nonfinite = nonfinite || (!reader.null() && !std::isfinite(out[k]));
        ++k;
    }
    if (warnings_wanted()) {
        T extra{};
        const bool more = k == out.size() && k > 0 && reader.read(extra) != ReadStatus::end;
        if (more || null || nonfinite) value_warnings(keyword, text, out.size(), more, null, nonfinite);
    }
    return k;
}

template <class T>
void read_exactly_impl(std::string_view keyword, std::string_view text, std::span<T> out) {
    std::vector<T> got(out.size());
    if (read_numbers_impl(keyword, text, std::span<T>(got)) < out.size())
        throw BadValue(std::string(trimmed(keyword)), std::string(trim_right(text)));
    std::copy(got.begin(), got.end(), out.begin());
}

// The found case of the vector readers: the numbers of the value into a copy
// of vec (so a null item keeps the caller's element); false when the value
// holds no number (then nothing is written).
template <class T>
bool read_vector(std::string_view keyword, std::string_view value, std::span<T> vec) {
    const int m = nitems(value);
    if (m <= 0 || vec.empty()) return false;
    std::vector<T> tmp(vec.begin(), vec.end());
    const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(m), tmp.size());
    const std::size_t got = read_numbers_impl(keyword, value, std::span<T>(tmp.data(), want));
    if (got == 0) return false;
    std::fill(tmp.begin() + static_cast<std::ptrdiff_t>(got), tmp.end(), tmp[got - 1]);
    std::copy(tmp.begin(), tmp.end(), vec.begin());
    return true;
}

// The found case of the scalar readers; false when the value holds no number.
template <class T>
bool read_scalar(std::string_view keyword, std::string_view value, T& out) {
    T v = out;
    if (read_numbers_impl(keyword, value, std::span<T>(&v, 1)) == 0) return false;
    out = v;
    return true;
}

// A keyword given without a number: what the reader does instead.
void warn_no_number(std::string_view keyword, const std::string& dflt) {
    if (warnings_wanted())
        warn(std::string(trimmed(keyword)) + " has no number: " +
             (dflt.empty() ? std::string("left as it was") : "the default " + dflt + " is used"));
}

template <class T>
void get_scalar(KEYLIST& list, std::string_view keyword, T& val, std::optional<T> dflt) {
    const int ind = take_entry(list, keyword);
    if (ind > 0 && read_scalar(keyword, line_of(list, ind), val)) return;
    // Absent, or present without a number: the default.
    if (ind > 0) warn_no_number(keyword, dflt ? number_text(*dflt) : std::string());
    if (!dflt) return;
    val = *dflt;
    if (ind == 0) append_default(list, keyword, number_text(*dflt));
}

template <class T>
void get_vector(KEYLIST& list, std::string_view keyword, std::span<T> vec, std::span<const T> dfltv,
                std::optional<T> dflt) {
    const int ind = take_entry(list, keyword);
    if (ind > 0 && read_vector(keyword, line_of(list, ind), vec)) return;
    std::string text;
    if (dflt) {
        std::fill(vec.begin(), vec.end(), *dflt);
        text = number_text(*dflt);
    } else if (!dfltv.empty()) {
        std::copy_n(dfltv.begin(), std::min(dfltv.size(), vec.size()), vec.begin());
        text = numbers_text(dfltv);
    }
    if (ind > 0) warn_no_number(keyword, text);
    if (text.empty()) return;
    if (ind == 0) append_default(list, keyword, text);
}

// Warnings about one keyword line as it is loaded: cut to what is read of
// it, or a keyword cut to its width.
void warn_line(std::string_view raw, const Split& s, std::size_t line_no) {
    const std::string at = "line " + std::to_string(line_no) + ": ";
    if (raw.size() > kReadWidth && clean_line(raw).find('!') == std::string::npos &&
        !is_blank(tidy(raw.substr(kReadWidth))))
        warn(at + "longer than " + std::to_string(kReadWidth) + " characters, the rest is not read");
    if (s.word.size() > kKeyWidth)
        warn(at + "keyword " + std::string(s.word) + " is cut to " + std::string(s.word.substr(0, kKeyWidth)));
}

// The line of the first keyword line after those loaded, 0 when there is none.
std::size_t next_keyword_line(TextReader& reader) {
    std::string_view raw;
    while (reader.next(raw))
        if (!comment_line(clean_line(raw)) && first_word(clean_line(raw)).word != "Dictionary") return reader.line_number();
    return 0;
}

// A keyword given twice: lookups find the first.
void warn_twice(const KEYLIST& list, int n, const std::vector<std::size_t>& line_nos) {
    std::unordered_map<std::string_view, int> first;
    for (int i = 1; i <= n; ++i) {
        const std::string_view key = trim_right(key_of(list, i));
        const auto [it, fresh] = first.emplace(key, i);
        if (!fresh)
            warn(std::string(key) + " is given twice (lines " + std::to_string(line_nos[it->second - 1]) + " and " +
                 std::to_string(line_nos[i - 1]) + "): the first is read");
    }
}

}  // namespace

BadValue::BadValue(std::string keyword, std::string value)
    : Error("Cannot read the value of " + keyword + ": " + value),
      keyword_(std::move(keyword)),
      value_(std::move(value)) {}

void fil2list(KEYLIST& list) {
    list.n = -1;
    const std::string file = field_text(list.file);
    const bool wanted = warnings_wanted();
    // With warnings wanted, more of a line is seen than is read, so that text
    // beyond the read width can be told.
    auto reader = TextReader::open(file, wanted ? kWarnWidth : kReadWidth);
    if (!reader) {  // missing (or unreadable): the list stays empty
        warn("File  " + file + (file_exists(file) ? "  cannot be read" : "  does not exist") +
             ": every keyword takes its default");
        return;
    }

    // The entries are gathered first, so that a file that cannot be read to
    // its end leaves the list as a missing one does.
    std::string dictionary;
    std::vector<std::pair<std::string, std::string>> got;
    std::vector<std::size_t> line_nos;  // of each entry, for the warnings
    std::string_view raw;
    while (got.size() < static_cast<std::size_t>(kKeyLoaded) && reader->next(raw)) {
        std::string line = clean_line(raw);
        if (comment_line(line)) continue;
        if (const std::size_t bang = line.find('!'); bang != std::string::npos) line.resize(bang);
        const Split s = first_word(line);
        if (wanted) warn_line(raw, s, reader->line_number());
        if (s.word == "Dictionary") {
            dictionary = std::string(trim_right(s.rest.substr(0, std::min(s.rest.size(), kDictNameWidth))));
            continue;
        }
        got.emplace_back(s.word, s.rest);
        if (wanted) line_nos.push_back(reader->line_number());
    }
    if (wanted && got.size() == static_cast<std::size_t>(kKeyLoaded)) {
        if (const std::size_t next = next_keyword_line(*reader))
            warn("only " + std::to_string(kKeyLoaded) + " keyword lines are loaded: line " + std::to_string(next) +
                 " and those after it are not");
    }
    if (reader->failed()) return;
    reader.reset();  // nothing stays open while the dictionary is read

    const int n = static_cast<int>(got.size());
    for (int i = 0; i < n; ++i) {
        set_field(list.key[i], kKeyWidth, got[i].first);
        set_field(list.line[i], kLineWidth, got[i].second);
    }
    list.n = n;
    for (int i = 0; i < kKeyEntries; ++i) {
        list.got[i] = 0;
        list.def[i] = 0;
        if (i >= n) {
            set_field(list.key[i], kKeyWidth, "");
            set_field(list.line[i], kLineWidth, "");
        }
    }

    // DIR: everything up to and including the last directory separator of
    // FILE, the backslash or the forward slash (both separate directories on
    // every system).
    const std::size_t p = file.find_last_of("\\/");
    set_field(list.dir, kPathWidth, p == std::string::npos ? std::string_view() : std::string_view(file).substr(0, p + 1));

    if (!dictionary.empty()) {
        // The dictionary's name is used as given, relative to the working
        // directory. When no file of that name is there, a relative name is
        // also looked for beside the keyword file, so that a program started
        // in another directory finds the dictionary its keyword file names.
        if (!file_exists(dictionary)) {
            const std::string beside = pathjoin(field_text(list.dir), dictionary);
            if (file_exists(beside)) dictionary = beside;
            else if (wanted) warn("Dictionary  " + dictionary + "  does not exist: no keyword is renamed");
        }
        const auto dict = load_dictionary(dictionary);
        for (int i = 0; i < n && !dict.empty(); ++i) {
            const auto it = dict.find(std::string(trim_right(key_of(list, i + 1))));
            if (it != dict.end()) set_field(list.key[i], kKeyWidth, it->second);
        }
    }
    if (wanted) warn_twice(list, n, line_nos);
}

bool keyfind(const KEYLIST& list, std::string_view keyword, int& ind) {
    ind = 0;
    const std::string clean = tidy(keyword);
    const std::string_view k = trimmed(clean);
    if (k.size() > kKeyWidth) return false;
    const int n = entries(list);
    for (int i = 1; i <= n; ++i) {
        const std::string_view key = key_of(list, i);
        if (key.substr(0, k.size()) == k && is_blank(key.substr(k.size()))) {
            ind = i;
            return true;
        }
    }
    return false;
}

KeyEntry::KeyEntry(KEYLIST& list, std::string_view keyword) : list_(list), keyword_(keyword) {
    keyfind(list, keyword, ind_);
}

std::string_view KeyEntry::value() const { return ind_ > 0 ? line_of(list_, ind_) : std::string_view(); }

std::string KeyEntry::text() const { return std::string(trim_right(tidy(value()))); }

std::size_t KeyEntry::read(std::span<float> out) const { return read_numbers_impl(keyword_, value(), out); }
std::size_t KeyEntry::read(std::span<std::int32_t> out) const { return read_numbers_impl(keyword_, value(), out); }
void KeyEntry::read_exactly(std::span<float> out) const { read_exactly_impl(keyword_, value(), out); }
void KeyEntry::read_exactly(std::span<std::int32_t> out) const { read_exactly_impl(keyword_, value(), out); }

void KeyEntry::take() {
    if (ind_ > 0) list_.got[ind_ - 1] = kTaken;
}

int take_entry(KEYLIST& list, std::string_view keyword) {
    int ind = 0;
    if (!keyfind(list, keyword, ind)) return 0;
    list.got[ind - 1] = kTaken;
    return ind;
}

bool keygot(const KEYLIST& list, std::string_view keyword) {
    int ind = 0;
    return keyfind(list, keyword, ind) && (list.got[ind - 1] & 1) != 0;
}

bool append_default(KEYLIST& list, std::string_view keyword, std::string value) {
    if (!value.empty()) note_default(trimmed(keyword), std::move(value));
    // A list of a missing file (N = -1) stays as it is: entry 0 does not exist,
    // and N = -1 keeps telling the caller that there was no file.
    if (list.n < 0 || list.n >= kKeyEntries) return false;
    const int i = list.n++;
    const std::string clean = tidy(keyword);
    set_field(list.key[i], kKeyWidth, trimmed(clean));
    list.def[i] = kTrue;
    list.got[i] = kTrue;
    return true;
}

void getint(KEYLIST& list, std::string_view keyword, std::int32_t& ival, std::optional<std::int32_t> idflt) {
    get_scalar(list, keyword, ival, idflt);
}

void getreal(KEYLIST& list, std::string_view keyword, float& val, std::optional<float> dflt) {
    get_scalar(list, keyword, val, dflt);
}

void getivec(KEYLIST& list, std::string_view keyword, std::span<std::int32_t> ivec, std::int32_t idflt) {
    get_vector<std::int32_t>(list, keyword, ivec, {}, idflt);
}

void getrvec(KEYLIST& list, std::string_view keyword, std::span<float> vec, float dflt) {
    get_vector<float>(list, keyword, vec, {}, dflt);
}

void getivecd(KEYLIST& list, std::string_view keyword, std::span<std::int32_t> ivec,
              std::span<const std::int32_t> idfltv) {
    get_vector<std::int32_t>(list, keyword, ivec, idfltv, std::nullopt);
}

void getrvecd(KEYLIST& list, std::string_view keyword, std::span<float> vec, std::span<const float> dfltv) {
    get_vector<float>(list, keyword, vec, dfltv, std::nullopt);
}

std::size_t read_numbers(std::string_view keyword, std::string_view text, std::span<float> out) {
    return read_numbers_impl(keyword, text, out);
}

std::size_t read_numbers(std::string_view keyword, std::string_view text, std::span<std::int32_t> out) {
    return read_numbers_impl(keyword, text, out);
}

}  // namespace morvane
