// The writer of every text file of the library. Text is appended to a buffer
// of bounded size and handed to the system in large writes, straight from the
// buffer. A regular file (or a name not yet taken) is written as a temporary
// file beside it and renamed over it on commit, so a failure never leaves a
// broken file in its place. A symbolic link is written through: the file at
// the end of its chain is the one replaced, the link stays. Anything else that
// exists (a device such as /dev/null, a FIFO) is written in place, since
// replacing it would destroy it. A folder cannot be written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "util/textfile.hpp"

namespace morvane {

class TextWriter {
public:
    // The buffer is handed to the system when it holds this many bytes.
    static constexpr std::size_t kBlock = std::size_t{1} << 18;

    TextWriter() = default;
    ~TextWriter();
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Creates the temporary file (or opens a device or FIFO in place); false
    // when the target cannot be written (a folder, a loop of links, a folder
    // that cannot take a new file).
    bool open(const std::string& path);
    bool is_open() const { return file_.is_open(); }
    const std::string& path() const { return path_; }

    // The buffer to append to; call maybe_flush() after each line or record.
    std::string& buffer() { return buf_; }
    void write(std::string_view text) { buf_.append(text); maybe_flush(); }
    void line(std::string_view text) { buf_.append(text); buf_.push_back('\n'); maybe_flush(); }
    void maybe_flush() { if (buf_.size() >= kBlock) flush(); }
    // Writes the buffer out; false once any write failed (nothing more is
    // written after a failure).
    bool flush();
    bool ok() const { return ok_; }

    // Flushes, closes and puts the file in place; false on any failure (the
    // temporary file is then removed and the target left as it was).
    bool commit();
    // Abandons the file: the temporary file is removed (a device or FIFO
    // keeps what was already written to it).
    void discard();

private:
    File file_;
    std::string path_;    // the name given
    std::string target_;  // the file replaced: the end of path_'s links
    std::string temp_;    // the temporary file; empty when written in place
    std::string buf_;
    bool ok_ = true;
};

}  // namespace morvane
