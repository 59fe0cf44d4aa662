// The reader of every text file of the library. The file is read in large
// blocks into one buffer that is reused from block to block, and lines are
// given as views into it: nothing is zero-filled, nothing is copied but the
// part of a line that straddles two blocks, and memory stays bounded by the
// block and the longest line, whatever the file's size.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "util/textfile.hpp"

namespace morvane {

class TextReader {
public:
    // The kSlack bytes after every line given may be read (they are not part
    // of it): the buffer has that much room behind its capacity, so that
    // short lines and the ends of long ones can be scanned 16 bytes at a
    // time without testing their length first.
    static constexpr std::size_t kSlack = 64;
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
            if (const char* nl = line_end(buf_.get() + pos_, end_ - pos_))
                return deliver(line, static_cast<std::size_t>(nl - buf_.get()));
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
    // The first line feed of the n bytes from p, or nullptr. Most lines are
    // short: their end is found in the first 32 bytes, read in two steps
    // (the slack makes that safe), before memchr is called at all.
    static const char* line_end(const char* p, std::size_t n) {
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, lf))) |
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, lf))) << 16;
        if (n < 32) m &= (1u << n) - 1;
        if (m != 0) return p + std::countr_zero(m);
        if (n <= 32) return nullptr;
        return static_cast<const char*>(std::memchr(p + 32, '\n', n - 32));
#else
        return static_cast<const char*>(std::memchr(p, '\n', n));
#endif
    }
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
