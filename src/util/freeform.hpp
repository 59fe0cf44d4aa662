// Free-format (list-directed) reading of numbers from a text, as the keyword
// readers, data-file readers and column parser need it: items separated by
// blanks, tabs or commas; a slash ends the input; the repeat form r*c; the
// exponent letters e, E, d, D; '.5' and '5.'. Conversions are exact, so a value
// is bit-identical to what the reference Fortran runtime reads into a REAL.
// A text that is not a number is an error naming the item, never a zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace morvane {

enum class ReadStatus {
    ok,   // a value was read
    end,  // no more items (end of text, or a slash)
    bad,  // the next item is not a number of the requested kind; see bad_item()
};

class ListReader {
public:
    explicit ListReader(std::string_view text);

    // A null value (nothing between two commas, or the form r*) reads as ok
    // and leaves v unchanged, as the reference runtime does; null() then
    // tells it from a value. Blanks, tabs,
    // commas and semicolons separate items; INF, INFINITY and NAN (any case,
    // signed) are read as such; a value beyond the range of the type reads as
    // an infinity, one below it as zero.
    ReadStatus read(float& v);
    ReadStatus read(double& v);
    ReadStatus read(std::int32_t& v);  // '1900.5' or '1e3' is bad for an integer
    // Reads values.size() reals in order, as that many calls of read() would,
    // and stops at the first status other than ok, which it returns; `done`
    // is the number of values read.
    ReadStatus read(std::span<float> values, std::size_t& done);

    // Passes over n items as reads of REAL items would (null values
    // included), without converting them: ok, or the status of the read that
    // stopped (end, or bad for an item that is not a number).
    ReadStatus skip(int n);
    // True when the last read gave a null value.
    bool null() const { return null_; }

    // The offending item after a bad read.
    std::string_view bad_item() const { return bad_; }
    // Number of values delivered so far (null values included).
    std::size_t count() const { return count_; }
    // True when the input was ended by a slash (the reference runtime treats
    // that as a successful read that leaves the remaining items unchanged).
    bool slash() const { return slash_; }

private:
    // Implementation state (the text, position, pending repeat count).
    std::string_view text_;
    std::size_t pos_ = 0;
    std::string_view pending_;  // value of an r*c item not yet used up
    std::int64_t repeat_ = 0;   // remaining repeats of pending_ (null values when pending_ is empty)
    bool ended_ = false;
    bool slash_ = false;
    bool null_ = false;
    std::string_view bad_;
    std::size_t count_ = 0;

    enum class Item { value, null, end, bad };
    Item next(std::string_view& token);
    void skip_separator();
    template <class T>
    ReadStatus read_real(T& v);
    template <class T>
    ReadStatus read_real_item(T& v);
    ReadStatus finish(Item kind, std::string_view token);
};

// A line whose first out.size() items are plain numbers (sign, digits,
// point, exponent) separated by blanks and tabs, and whose rest holds no
// comma, quote or zero byte: those items are converted into out as
// ListReader converts them, and the number of items on the line is returned,
// which is then also what NITEMS counts. -1 for any other line: the caller
// reads it with ListReader.
int read_plain_items(std::string_view line, std::span<float> out);

// read_plain_items for the lines of one file, in turn: the same results,
// made fast for what most data files are, lines written with one format.
// A line of up to 32 bytes that holds only digits, points, minus signs,
// blanks and tabs has the layout of its items (where each starts, where its
// point is, how many digits it has) found from bit masks of its bytes; when
// the layout is the last line's, the items are converted at once from the
// layout kept, without scanning them again. Any other line, and any item of
// another shape (more than eight digits, a second point, a sign inside),
// goes to read_plain_items.
class PlainLineReader {
public:
    // Bytes that must be readable from the start of every line given.
    static constexpr std::size_t kReadable = 48;
    // The line and kReadable bytes from its start must be readable, the
    // bytes after the line whatever they are (a line of TextReader).
    int read(std::string_view line, std::span<float> out);

private:
    struct Item {
        std::uint64_t keep;  // the bytes taken from the first word; the rest from the word after the point
        float sign;          // 1 or -1
        std::uint8_t at;     // the item's first digit or point
        std::uint8_t shift;  // 8 * (8 - digits)
        std::uint8_t frac;   // digits after the point
    };
    bool learn(std::uint32_t digit, std::uint32_t point, std::uint32_t minus, std::uint32_t blank,
               std::uint32_t inside, std::size_t want);

    // The layout kept: the line it was found in (its bytes, with 0xFF where
    // it has a digit in digit_at_), its length (above 32: none kept) and the
    // number of values asked for; whether its items can be converted from it
    // (else such lines go the long way without the layout being looked at
    // again).
    std::array<char, 32> bytes_{}, digit_at_{};
    std::size_t len_ = 64, want_ = 0;
    bool usable_ = false;
    std::size_t count_ = 0;  // items converted: the values asked for, or fewer when the line has fewer
    int total_ = 0;          // items on the line
    std::array<Item, 8> items_{};
};

}  // namespace morvane
