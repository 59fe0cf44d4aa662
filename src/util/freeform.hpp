// Free-format (list-directed) reading of numbers from a text, as the keyword
// readers, data-file readers and column parser need it: items separated by
// blanks, tabs or commas; a slash ends the input; the repeat form r*c; the
// exponent letters e, E, d, D; '.5' and '5.'. Conversions are exact, so a value
// is bit-identical to what the reference Fortran runtime reads into a REAL.
// A text that is not a number is an error naming the item, never a zero.
#pragma once

#include <cstddef>
#include <cstdint>
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

    ReadStatus read(float& v);
    ReadStatus read(double& v);
    ReadStatus read(std::int32_t& v);  // '1900.5' or '1e3' is bad for an integer

    // The offending item after a bad read.
    std::string_view bad_item() const { return bad_; }
    // Number of values delivered so far.
    std::size_t count() const { return count_; }

private:
    // Implementation state (the text, position, pending repeat count).
    std::string_view text_;
    std::size_t pos_ = 0;
    std::string_view pending_;  // value of an r*c item not yet used up
    std::int64_t repeat_ = 0;   // remaining repeats of pending_ (null values when pending_ is empty)
    bool ended_ = false;
    std::string_view bad_;
    std::size_t count_ = 0;
};

}  // namespace morvane
