// The reader of every text file of the library. The file is read in large
// blocks into one buffer that is reused from block to block, and lines are
// given as views into it: nothing is zero-filled, nothing is copied but the
// part of a line that straddles two blocks, and memory stays bounded by the
// block and the longest line, whatever the file's size.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "util/textfile.hpp"

namespace morvane {

class TextReader {
public:
    // A width that keeps every line whole.
    static constexpr std::size_t kWhole = static_cast<std::size_t>(-1);
    // The longest line kept whole: a longer one fails the reader, so that a
    // file without line ends (a binary file named by mistake) cannot take
    // the memory of a 32-bit program.
    static constexpr std::size_t kMaxLine = std::size_t{16} << 20;

    // The reader of an existing regular file; nullopt when it is missing or
    // cannot be opened. Of each line only the first `width` characters are
    // kept; the rest is passed over without being stored.
    static std::optional<TextReader> open(const std::string& path, std::size_t width = kWhole);
    // A reader over text in memory.
    static TextReader from_text(std::string_view text, std::size_t width = kWhole);

    // The next line, without its line end (a line feed, and a carriage
    // return before it, so that files written on Windows read the same).
    // False at the end of the file, or when reading failed (failed() tells).
    // The view is valid until the next call of next() or rewind().
    bool next(std::string_view& line) {
        // A whole line in the buffer, no step back pending: the common case.
        if (!replay_ && !failed_) {
            const char* const from = buf_.get() + pos_;
            if (const void* nl = std::memchr(from, '\n', end_ - pos_))
                return deliver(line, static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.get()));
        }
        return next_slow(line);
    }
    // Steps back one line: the next call of next() returns the line last
    // returned again. One step only; a second back() before the next next()
    // does nothing.
    void back();
    // Back to the first line; false when that fails.
    bool rewind();
    // 1-based number of the line last returned by next (0 before the first).
    std::size_t line_number() const { return line_no_; }
    // Whether a read failed, or a line was longer than kMaxLine. A routine
    // that sees it reports the file as unreadable, never a partial result.
    bool failed() const { return failed_; }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kBlock = std::size_t{1} << 18;

    TextReader(std::size_t capacity, std::size_t width);
    bool next_slow(std::string_view& line);
    // The line from pos_ to the line feed at nl.
    bool deliver(std::string_view& line, std::size_t nl) {
        std::size_t stop = nl;
        if (stop > pos_ && buf_[stop - 1] == '\r') --stop;
        if (stop - pos_ > width_ || (width_ == kWhole && stop - pos_ > kMaxLine))
            return deliver(line, nl, nl + 1, true);
        line = std::string_view(buf_.get() + pos_, stop - pos_);
        last_ = pos_;
        last_len_ = stop - pos_;
        pos_ = nl + 1;
        ++line_no_;
        return true;
    }
    bool deliver(std::string_view& line, std::size_t stop, std::size_t after, bool strip_cr);
    bool refill(std::size_t& scan, std::size_t& cut);

    File file_;  // closed when the reader goes; a read-only file loses nothing then
    std::unique_ptr<char[]> buf_;
    std::size_t cap_ = 0;
    std::size_t width_ = kWhole;
    std::size_t pos_ = 0;         // start of the next line
    std::size_t end_ = 0;         // end of the bytes read
    std::size_t last_ = kNone;    // start of the line last returned, for back()
    std::size_t last_len_ = 0;
    std::size_t line_no_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    bool replay_ = false;
};

}  // namespace morvane
