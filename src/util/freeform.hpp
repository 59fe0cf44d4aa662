// Free-format (list-directed) reading of numbers from a text, as the keyword
// readers, data-file readers and column parser need it: items separated by
// blanks, tabs or commas; a slash ends the input; the repeat form r*c; the
// exponent letters e, E, d, D; '.5' and '5.'. Conversions are exact, so a value
// is bit-identical to what the reference Fortran runtime reads into a REAL.
// A text that is not a number is an error naming the item, never a zero.
#pragma once

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

}  // namespace morvane
