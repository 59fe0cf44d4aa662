// Files: every file of the library is opened through File, which holds a unit
// number from the unit table for as long as the file is open and closes the
// file on every path. TextReader (util/textreader.hpp) reads a text file;
// TextWriter writes a temporary file beside the target and renames it over
// the target on commit, so a failure never leaves a broken file in its place.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// The unit table: numbers 101..999, each in use while a file holds it.
inline constexpr int kFirstUnit = 101;
inline constexpr int kLastUnit = 999;

// The first unit number not in use, or -1 when all are taken (nothing is taken).
int free_unit();

// Holds one unit number for its lifetime; unit() is -1 when it holds none.
class UnitLease {
public:
    UnitLease() = default;  // holds no unit
    // Takes the first free unit (unit() is -1 when none was free).
    static UnitLease take();
    ~UnitLease();
    UnitLease(UnitLease&& other) noexcept;
    UnitLease& operator=(UnitLease&& other) noexcept;
    UnitLease(const UnitLease&) = delete;
    UnitLease& operator=(const UnitLease&) = delete;
    int unit() const { return unit_; }
    // Gives the number back early.
    void release();

private:
    int unit_ = -1;
};

// Whether a file (not a directory) of that name exists.
bool file_exists(const std::string& path);

// An open stdio file with its unit; closed by the destructor.
class File {
public:
    File() = default;
    // Opens path with the stdio mode; check is_open().
    File(const std::string& path, const char* mode);
    ~File() { close(); }
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool is_open() const { return fp_ != nullptr; }
    std::FILE* get() const { return fp_; }
    int unit() const { return lease_.unit(); }
    // Closes the file; false when the close reported an error.
    bool close();

private:
    std::FILE* fp_ = nullptr;
    UnitLease lease_;
};

// Writes a text file through a temporary file beside the target. Text is
// appended to an in-memory buffer and written in large blocks; commit()
// flushes, closes and renames the temporary file over the target. Without a
// commit the destructor removes the temporary file and the target is untouched.
class TextWriter {
public:
    TextWriter() = default;
    ~TextWriter();
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Creates the temporary file; false when it cannot be created.
    bool open(const std::string& path);
    bool is_open() const { return file_.is_open(); }
    const std::string& path() const { return path_; }

    // The buffer to append to; call maybe_flush() now and then.
    std::string& buffer() { return buf_; }
    void write(std::string_view text) { buf_.append(text); maybe_flush(); }
    void line(std::string_view text) { buf_.append(text); buf_.push_back('\n'); maybe_flush(); }
    void maybe_flush() { if (buf_.size() >= kBlock) flush(); }
    // Writes the buffer out; false once any write failed.
    bool flush();
    bool ok() const { return ok_; }

    // Flushes, closes and renames over the target; false on any failure (the
    // temporary file is then removed and the target left as it was).
    bool commit();
    // Abandons the file: the temporary file is removed.
    void discard();

private:
    static constexpr std::size_t kBlock = 1 << 20;
    File file_;
    std::string path_;
    std::string temp_;
    std::string buf_;
    bool ok_ = true;
};

}  // namespace morvane
