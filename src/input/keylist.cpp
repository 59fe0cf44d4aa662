#include "input/keylist.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/textfile.hpp"

namespace morvane {
namespace {

constexpr std::size_t kReadWidth = 256;      // characters read of a keyword-file line
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
// dictionary file that does not exist gives no aliases.
std::unordered_map<std::string, std::string> load_dictionary(const std::string& name) {
    std::unordered_map<std::string, std::string> dict;
    auto reader = TextReader::open(name);
    if (!reader) return dict;
    std::string_view raw;
    while (reader->next(raw)) {
        const std::string line = clean_line(raw);
        if (comment_line(line)) continue;
        const Split s = first_word(line);
        if (s.rest.empty()) continue;  // a single word
        dict.emplace(std::string(s.word), std::string(s.rest.substr(0, std::min(s.rest.size(), kKeyWidth))));
    }
    return dict;
}

template <class T>
std::size_t read_numbers_impl(std::string_view keyword, std::string_view text, std::span<T> out) {
    ListReader reader(text);
    std::size_t k = 0;
    while (k < out.size()) {
        const ReadStatus st = reader.read(out[k]);
        if (st == ReadStatus::end) break;
        if (st == ReadStatus::bad) throw BadValue(std::string(trimmed(keyword)), std::string(trim_right(text)));
        ++k;
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

template <class T>
void get_scalar(KEYLIST& list, std::string_view keyword, T& val, std::optional<T> dflt) {
    const int ind = take_entry(list, keyword);
    if (ind > 0 && read_scalar(keyword, line_of(list, ind), val)) return;
    // Absent, or present without a number: the default.
    if (!dflt) return;
    val = *dflt;
    if (ind == 0) append_default(list, keyword);
}

template <class T>
void get_vector(KEYLIST& list, std::string_view keyword, std::span<T> vec, std::span<const T> dfltv,
                std::optional<T> dflt) {
    const int ind = take_entry(list, keyword);
    if (ind > 0 && read_vector(keyword, line_of(list, ind), vec)) return;
    if (dflt) {
        std::fill(vec.begin(), vec.end(), *dflt);
    } else if (!dfltv.empty()) {
        std::copy_n(dfltv.begin(), std::min(dfltv.size(), vec.size()), vec.begin());
    } else {
        return;
    }
    if (ind == 0) append_default(list, keyword);
}

}  // namespace

BadValue::BadValue(std::string keyword, std::string value)
    : Error("Cannot read the value of " + keyword + ": " + value),
      keyword_(std::move(keyword)),
      value_(std::move(value)) {}

void fil2list(KEYLIST& list) {
    list.n = -1;
    const std::string file = field_text(list.file);
    auto reader = TextReader::open(file);
    if (!reader) return;  // missing (or unreadable): the list stays empty

    std::string dictionary;
    int n = 0;
    std::string_view raw;
    while (n < kKeyLoaded && reader->next(raw)) {
        std::string line = clean_line(raw);
        if (comment_line(line)) continue;
        if (const std::size_t bang = line.find('!'); bang != std::string::npos) line.resize(bang);
        const Split s = first_word(line);
        if (s.word == "Dictionary") {
            dictionary = std::string(trim_right(s.rest.substr(0, std::min(s.rest.size(), kDictNameWidth))));
            continue;
        }
        set_field(list.key[n], kKeyWidth, s.word);
        set_field(list.line[n], kLineWidth, s.rest);
        ++n;
    }
    reader.reset();  // nothing stays open while the dictionary is read

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

    if (dictionary.empty()) return;
    // The dictionary's name is used as given, relative to the working
    // directory. When no file of that name is there, a relative name is also
    // looked for beside the keyword file, so that a program started in
    // another directory finds the dictionary its keyword file names.
    if (!file_exists(dictionary)) dictionary = pathjoin(field_text(list.dir), dictionary);
    const auto dict = load_dictionary(dictionary);
    if (dict.empty()) return;
    for (int i = 0; i < n; ++i) {
        const auto it = dict.find(std::string(trim_right(key_of(list, i + 1))));
        if (it != dict.end()) set_field(list.key[i], kKeyWidth, it->second);
    }
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

bool append_default(KEYLIST& list, std::string_view keyword) {
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
