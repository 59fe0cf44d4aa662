#include "util/textfile.hpp"

#include "util/fault.hpp"
#include "util/ospath.hpp"

#include <array>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace morvane {
namespace {

std::mutex g_units_mutex;
std::array<bool, kLastUnit - kFirstUnit + 1> g_units_used{};

int take_unit() {
    std::lock_guard<std::mutex> lock(g_units_mutex);
    for (std::size_t i = 0; i < g_units_used.size(); ++i) {
        if (!g_units_used[i]) {
            g_units_used[i] = true;
            return kFirstUnit + static_cast<int>(i);
        }
    }
    return -1;
}

void give_unit(int unit) {
    if (unit < kFirstUnit || unit > kLastUnit) return;
    std::lock_guard<std::mutex> lock(g_units_mutex);
    g_units_used[static_cast<std::size_t>(unit - kFirstUnit)] = false;
}

}  // namespace

int free_unit() {
    std::lock_guard<std::mutex> lock(g_units_mutex);
    for (std::size_t i = 0; i < g_units_used.size(); ++i)
        if (!g_units_used[i]) return kFirstUnit + static_cast<int>(i);
    return -1;
}

UnitLease UnitLease::take() {
    UnitLease lease;
    lease.unit_ = take_unit();
    return lease;
}
UnitLease::~UnitLease() { release(); }
UnitLease::UnitLease(UnitLease&& other) noexcept : unit_(other.unit_) { other.unit_ = -1; }
UnitLease& UnitLease::operator=(UnitLease&& other) noexcept {
    if (this != &other) {
        release();
        unit_ = other.unit_;
        other.unit_ = -1;
    }
    return *this;
}
void UnitLease::release() {
    give_unit(unit_);
    unit_ = -1;
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(os_path(path), ec);
}

File::File(const std::string& path, const char* mode) : lease_(UnitLease::take()) {
    if (lease_.unit() < 0) return;  // no unit free: the file is not opened
    fp_ = fault::hit(fault::Op::Open) ? nullptr : os_fopen(path, mode);
    if (fp_ == nullptr) lease_.release();
}

File::File(File&& other) noexcept : fp_(other.fp_), lease_(std::move(other.lease_)) { other.fp_ = nullptr; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fp_ = other.fp_;
        other.fp_ = nullptr;
        lease_ = std::move(other.lease_);
    }
    return *this;
}

bool File::close() {
    bool ok = true;
    if (fp_ != nullptr) {
        ok = std::fclose(fp_) == 0 && !fault::hit(fault::Op::Close);
        fp_ = nullptr;
    }
    lease_.release();
    return ok;
}

std::optional<TextReader> TextReader::open(const std::string& path) {
    if (!file_exists(path)) return std::nullopt;
    File f(path, "rb");
    if (!f.is_open()) return std::nullopt;
    // Read straight into the text: the size first, then whatever follows.
    std::string text;
    std::error_code ec;
    const auto size = std::filesystem::file_size(os_path(path), ec);
    std::size_t have = 0;
    if (!ec && size > 0) {
        text.resize(static_cast<std::size_t>(size));
        if (fault::hit(fault::Op::Read)) return std::nullopt;
        have = std::fread(text.data(), 1, text.size(), f.get());
        text.resize(have);
    }
    if (ec || have == static_cast<std::size_t>(size)) {
        std::array<char, 1 << 16> chunk;
        for (;;) {
            if (fault::hit(fault::Op::Read)) return std::nullopt;
            const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), f.get());
            text.append(chunk.data(), got);
            if (got < chunk.size()) break;
        }
    }
    if (std::ferror(f.get())) return std::nullopt;
    return from_text(std::move(text));
}

TextReader TextReader::from_text(std::string text) {
    TextReader r;
    r.text_ = std::move(text);
    return r;
}

bool TextReader::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t start = pos_;
    std::size_t end = text_.find('\n', start);
    if (end == std::string::npos) {
        end = text_.size();
        pos_ = end;
    } else {
        pos_ = end + 1;
    }
    std::size_t stop = end;
    if (stop > start && text_[stop - 1] == '\r') --stop;
    line = std::string_view(text_).substr(start, stop - start);
    last_ = start;
    ++line_no_;
    return true;
}

void TextReader::back() {
    if (last_ == kNone) return;
    pos_ = last_;
    last_ = kNone;
    --line_no_;
}

void TextReader::rewind() {
    pos_ = 0;
    last_ = kNone;
    line_no_ = 0;
}

}  // namespace morvane
