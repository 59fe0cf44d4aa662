// The keyword list: a model's keyword input file loaded into the caller's
// KEYLIST record (FIL2LIST), the dictionary of keyword aliases, and the typed
// readers that take values out of the list with defaults and bookkeeping of
// which keywords were taken (GOT) or appended with a default (DEF).
//
// Found case of every reader: GOT of the entry is set (written as 1) and the
// value text is read in free format. Not-found case with a default: the value
// gets the default and an entry is appended (N + 1, KEY = the keyword, GOT and
// DEF true, written as -1; LINE not written), as long as the list has room
// (256 entries) and a file was loaded (N >= 0: a list of a missing file keeps
// N = -1). Without a default the value is left untouched and nothing recorded.
//
// A value text that holds no number at all (a keyword given without a value)
// counts as not given: the default, when there is one, applies; the entry is
// marked taken and nothing is appended (the keyword is in the list already).
// A value holding an item that is not a number of the wanted kind throws
// BadValue naming the keyword and the value text; the outputs stay untouched.
//
// Warnings (util/warnings.hpp), beside these results: a value with more
// numbers than its reader takes ("CEC 62,5"), an empty item, a number that
// is not finite, a keyword without a number; FIL2LIST's of the file itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "morvane.h"
#include "util/error.hpp"

namespace morvane {

inline constexpr int kKeyEntries = MORVANE_KEYLIST_ENTRIES;  // entries in all
inline constexpr int kKeyLoaded = 206;                        // entries the loader fills at most
inline constexpr std::size_t kKeyWidth = 16;
inline constexpr std::size_t kLineWidth = 256;
inline constexpr std::size_t kPathWidth = 256;
inline constexpr std::int32_t kTrue = -1;   // a logical written by the library
inline constexpr std::int32_t kTaken = 1;   // GOT of an entry whose value was taken

// A value text that cannot be read as the numbers its reader wants: the kind
// of Error whose text ("Cannot read the value of <keyword>: <value>") the
// routine that read the list puts under its own name.
class BadValue : public Error {
public:
    BadValue(std::string keyword, std::string value);
    const std::string& keyword() const { return keyword_; }
    const std::string& value() const { return value_; }  // trailing blanks removed

private:
    std::string keyword_;
    std::string value_;
};

// ---- entries ----

// KEY(i) and LINE(i) of 1-based entry i, as stored (blank-padded).
inline std::string_view key_of(const KEYLIST& list, int i) { return {list.key[i - 1], kKeyWidth}; }
inline std::string_view line_of(const KEYLIST& list, int i) { return {list.line[i - 1], kLineWidth}; }

// ---- loading ----

// FIL2LIST: loads FILE into the list (N = -1 when FILE does not exist), sets
// DIR, applies the dictionary named by a "Dictionary" line. Entries above N
// are blanked, so an entry appended later carries a blank LINE. Warns of a
// file that does not exist, keyword lines not loaded beyond 206, a line or
// keyword cut to its width, a dictionary that does not exist, and a keyword
// given twice (its first value is the one read).
void fil2list(KEYLIST& list);

// ---- lookup ----

// KEYFIND: the first entry whose KEY equals the keyword (taken without its
// leading and trailing blanks, tabs and zero bytes); ind is its 1-based index,
// 0 when none matches.
bool keyfind(const KEYLIST& list, std::string_view keyword, int& ind);

// One keyword's entry, for readers that take more than a number or a vector
// with defaults: found by KEYFIND, its value read, and the entry marked taken
// once the reader has taken it. Reading an absent entry reads nothing.
class KeyEntry {
public:
    KeyEntry(KEYLIST& list, std::string_view keyword);
    explicit operator bool() const { return ind_ > 0; }
    int index() const { return ind_; }
    // LINE as stored (blank-padded); "" when absent.
    std::string_view value() const;
    // The value cleaned: tabs and zero bytes as blanks, trailing blanks removed.
    std::string text() const;
    // Up to out.size() numbers of the value in free format; how many were read.
    // An item that is not a number of the kind throws BadValue.
    std::size_t read(std::span<float> out) const;
    std::size_t read(std::span<std::int32_t> out) const;
    // Exactly out.size() numbers; BadValue (out untouched) when the value
    // holds fewer or an item is not a number.
    void read_exactly(std::span<float> out) const;
    void read_exactly(std::span<std::int32_t> out) const;
    // GOT = 1.
    void take();

private:
    KEYLIST& list_;
    std::string keyword_;
    int ind_ = 0;
};

// KEYFIND, and a found entry marked taken (GOT = 1); its index, 0 when absent.
int take_entry(KEYLIST& list, std::string_view keyword);

// KEYGOT: GOT of the first matching entry; false when there is none.
bool keygot(const KEYLIST& list, std::string_view keyword);

// ---- readers ----

// GETINT, GETREAL: the first number of the value.
void getint(KEYLIST& list, std::string_view keyword, std::int32_t& ival,
            std::optional<std::int32_t> idflt = std::nullopt);
void getreal(KEYLIST& list, std::string_view keyword, float& val, std::optional<float> dflt = std::nullopt);

// GETIVEC, GETRVEC: the numbers of the value fill the vector (NV = its size;
// more numbers than NV: the first NV; fewer: the last one repeated). Absent:
// every element = the default.
void getivec(KEYLIST& list, std::string_view keyword, std::span<std::int32_t> ivec, std::int32_t idflt);
void getrvec(KEYLIST& list, std::string_view keyword, std::span<float> vec, float dflt);

// GETIVECD, GETRVECD: as GETIVEC, with an optional default vector of the same
// size (an empty span means no default).
void getivecd(KEYLIST& list, std::string_view keyword, std::span<std::int32_t> ivec,
              std::span<const std::int32_t> idfltv = {});
void getrvecd(KEYLIST& list, std::string_view keyword, std::span<float> vec, std::span<const float> dfltv = {});

// GETSERIES: the series VEC(N0:...) (vec[0] is VEC(N0)) over the run years
// nb..ne with ns steps a year. Found: a value holding anything but blanks,
// signs, digits, "." and "=" names a data file and is replaced in the
// list by itself joined to DIR; the value then goes to the time-series reader,
// whose failure message (if any) is stored in tsmsg (left alone on success).
// Absent with a default: every run step = dflt.
void getseries(KEYLIST& list, std::string_view keyword, std::int32_t n0, std::int32_t nb, std::int32_t ne,
               std::int32_t ns, std::span<float> vec, std::optional<float> dflt, std::string& tsmsg);

// ---- helpers for readers built on the list ----

// Reads up to out.size() numbers from text in free format; returns how many
// were read (fewer at the end of the text). An item that is not a number of
// the kind throws BadValue(keyword, text).
std::size_t read_numbers(std::string_view keyword, std::string_view text, std::span<float> out);
std::size_t read_numbers(std::string_view keyword, std::string_view text, std::span<std::int32_t> out);

// Appends a defaulted entry for keyword (the readers' not-found case with a
// default): false when the list has no room or holds no loaded file. The
// default's text, when given, is noted for the command-line program
// (util/warnings.hpp), appended or not.
bool append_default(KEYLIST& list, std::string_view keyword, std::string value = {});

}  // namespace morvane
