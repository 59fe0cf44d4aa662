// Lines of one layout. A file written with one format whose numbers keep
// their widths (a time column, values of one magnitude) has every item of
// every line where the line before had it: the digits, points, signs,
// blanks and tabs in the same places. PlainLineReader finds the layout of a
// line once, keeps it with the line's bytes, and checks each later line
// against it (digits where the kept line had digits, its bytes everywhere
// else, 16 bytes at a time); when it matches, the values are converted from
// the layout at once, without scanning the items again. The values are
// those the free-format reader gives; a line of another layout, or with
// items of another shape (more than eight digits, a second point, a sign
// inside an item, an exponent), is left to the free-format reader, and so
// are whole stretches of a file whose layout keeps changing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "util/freeform.hpp"

namespace morvane {

namespace layout {

// A number of the layout: [-]digits[.digits] with one to eight digits.
struct Number {
    std::uint64_t keep = 0;  // the bytes taken from the word at `at`; the rest from the word after the point
    float sign = 1.0f;       // 1 or -1
    std::uint16_t at = 0;    // its first digit or point
    std::uint8_t digits = 0;
    std::uint8_t frac = 0;   // digits after the point
};

// The layout kept: the bytes of the line it was found in, up to `checked`,
// with 0xFF in digit_at where that line has a digit. A line matches when
// its first `checked` bytes have digits where those have digits, and their
// bytes everywhere else.
class Kept {
public:
    static constexpr std::size_t kMax = 256;  // longest line kept
    bool matches(const char* line) const;
    void keep(std::string_view line, std::size_t checked);
    std::size_t checked() const { return checked_; }

private:
    std::size_t checked_ = 0;
    std::array<char, kMax + 16> bytes_{}, digit_at_{};
};

}  // namespace layout

// read_plain_items for the lines of one file in turn, with the same results.
class PlainLineReader {
public:
    // The line given and the 48 bytes after it must be readable (a line of
    // TextReader), whatever those bytes are.
    static constexpr std::size_t kReadable = 48;
    int read(std::string_view line, std::span<float> out) {
        if (resting_ == 0) return read_kept(line, out);
        --resting_;
        return read_plain_items(line, out);
    }

private:
    int read_kept(std::string_view line, std::span<float> out);
    bool learn(std::string_view line, std::size_t want);

    layout::Kept kept_;
    std::size_t want_ = 0;   // values asked for when the layout was found
    bool usable_ = false;    // its items can be converted from it
    bool kept_any_ = false;
    std::size_t count_ = 0;  // items converted: the values asked for, or fewer when the line has fewer
    int total_ = 0;          // items on the line
    std::array<layout::Number, 8> items_{};
    int changes_ = 0;        // lines in a row that did not have the layout kept
    int resting_ = 0;        // lines still to be read without looking at layouts
    int rest_ = 1024;        // lines of the next rest
};

}  // namespace morvane
