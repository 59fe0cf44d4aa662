#include "util/textreader.hpp"

#include "util/ospath.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "util/fault.hpp"

namespace morvane {

TextReader::TextReader(std::size_t capacity, std::size_t width)
    : buf_(std::make_unique_for_overwrite<char[]>(capacity + kSlack)), cap_(capacity), width_(width) {
    std::memset(buf_.get() + cap_, 0, kSlack);
}

std::optional<TextReader> TextReader::open(const std::string& path, std::size_t width) {
    if (!file_exists(path)) return std::nullopt;
    File f(path, "rb");
    if (!f.is_open()) return std::nullopt;
    // The blocks go straight into our buffer: stdio needs none of its own.
    std::setvbuf(f.get(), nullptr, _IONBF, 0);
    // A small file is read whole by the first read, which then sees its end.
    std::error_code ec;
    const auto size = std::filesystem::file_size(os_path(path), ec);
    const std::size_t cap = ec ? kBlock : static_cast<std::size_t>(std::clamp<std::uintmax_t>(size + 1, 256, kBlock));
    TextReader r(cap, width);
    r.file_ = std::move(f);
    return r;
}

TextReader TextReader::from_text(std::string_view text, std::size_t width) {
    TextReader r(std::max<std::size_t>(text.size(), 1), width);
    std::memcpy(r.buf_.get(), text.data(), text.size());
    r.end_ = text.size();
    r.eof_ = true;
    return r;
}

bool TextReader::deliver(std::string_view& line, std::size_t stop, std::size_t after, bool strip_cr) {
    const std::size_t start = pos_;
    if (strip_cr && stop > start && buf_[stop - 1] == '\r') --stop;
    if (width_ == kWhole && stop - start > kMaxLine) return !(failed_ = true);
    if (stop - start > width_) stop = start + width_;
    last_ = start;
    last_len_ = stop - start;
    pos_ = after;
    ++line_no_;
    line = std::string_view(buf_.get() + start, last_len_);
    return true;
}

// Makes room behind the bytes still needed (the line being assembled, and the
// line last returned, which back() may ask for again) and reads the next block.
bool TextReader::refill(std::size_t& scan, std::size_t& cut) {
    const std::size_t keep = last_ != kNone ? std::min(last_, pos_) : pos_;
    if (keep > 0) {
        std::memmove(buf_.get(), buf_.get() + keep, end_ - keep);
        end_ -= keep, pos_ -= keep, scan -= keep;
        if (last_ != kNone) last_ -= keep;
        if (cut != kNone) cut -= keep;
    }
    if (end_ == cap_) {
        if (cap_ > 2 * kMaxLine + kBlock) return !(failed_ = true);
        auto bigger = std::make_unique_for_overwrite<char[]>(2 * cap_ + kSlack);
        std::memcpy(bigger.get(), buf_.get(), end_);
        std::memset(bigger.get() + 2 * cap_, 0, kSlack);
        buf_ = std::move(bigger);
        cap_ *= 2;
    }
    if (!file_.is_open() || fault::hit(fault::Op::Read)) return !(failed_ = true);
    const std::size_t want = cap_ - end_;
    const std::size_t got = std::fread(buf_.get() + end_, 1, want, file_.get());
    end_ += got;
    if (got < want) {
        if (std::ferror(file_.get())) return !(failed_ = true);
        eof_ = true;
    }
    return true;
}

bool TextReader::next_slow(std::string_view& line) {
    if (replay_) {
        replay_ = false;
        ++line_no_;
        line = std::string_view(buf_.get() + last_, last_len_);
        return true;
    }
    if (failed_) return false;
    std::size_t scan = pos_;  // the search for the line end goes on from here
    std::size_t cut = kNone;  // a line longer than the width is kept up to here
    for (;;) {
        if (const void* nl = std::memchr(buf_.get() + scan, '\n', end_ - scan)) {
            const std::size_t e = static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.get());
            return deliver(line, cut != kNone ? cut : e, e + 1, cut == kNone);
        }
        if (eof_) {
            if (pos_ == end_) return false;
            return deliver(line, cut != kNone ? cut : end_, end_, cut == kNone);
        }
        // A line that already holds more than the width keeps its first
        // `width` characters (with or without a carriage return at its end,
        // those are the same); what follows is read and dropped.
        if (cut == kNone && end_ - pos_ > width_) cut = pos_ + width_;
        if (cut != kNone) end_ = cut;
        if (width_ == kWhole && end_ - pos_ > kMaxLine + 1) return !(failed_ = true);
        scan = end_;
        if (!refill(scan, cut)) return false;
    }
}

void TextReader::back() {
    if (last_ == kNone || replay_ || line_no_ == 0) return;
    replay_ = true;
    --line_no_;
}

bool TextReader::rewind() {
    replay_ = false;
    last_ = kNone;
    line_no_ = 0;
    pos_ = 0;
    if (!file_.is_open()) return !failed_;  // text in memory: all of it is still there
    end_ = 0;
    eof_ = false;
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0) failed_ = true;
    return !failed_;
}

}  // namespace morvane
