// Files: every file of the library is opened through File, which holds a unit
// number from the unit table for as long as the file is open and closes the
// file on every path. TextReader (util/textreader.hpp) reads a text file;
// TextWriter (util/textwriter.hpp) writes one.
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

}  // namespace morvane

// The writer lives in its own header; it needs File from above.
#include "util/textwriter.hpp"
