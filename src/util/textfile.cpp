#include "util/textfile.hpp"

#include "util/fault.hpp"

#include <array>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

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

std::atomic<unsigned> g_temp_counter{0};

long process_id() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
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
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

File::File(const std::string& path, const char* mode) : lease_(UnitLease::take()) {
    if (lease_.unit() < 0) return;  // no unit free: the file is not opened
    fp_ = fault::hit(fault::Op::Open) ? nullptr : std::fopen(path.c_str(), mode);
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

TextWriter::~TextWriter() { discard(); }

bool TextWriter::open(const std::string& path) {
    discard();
    path_ = path;
    // The process id keeps two programs writing beside each other apart; the
    // counter keeps two writers of one process apart.
    temp_ = path + ".~" + std::to_string(process_id()) + "-" + std::to_string(g_temp_counter.fetch_add(1)) + ".tmp";
    file_ = File(temp_, "wb");
    ok_ = file_.is_open();
    buf_.clear();
    return ok_;
}

bool TextWriter::flush() {
    if (!file_.is_open()) return false;
    if (!buf_.empty()) {
        if (fault::hit(fault::Op::Write) || std::fwrite(buf_.data(), 1, buf_.size(), file_.get()) != buf_.size())
            ok_ = false;
        buf_.clear();
    }
    return ok_;
}

bool TextWriter::commit() {
    if (!file_.is_open()) return false;
    flush();
    if (std::fflush(file_.get()) != 0) ok_ = false;
    if (!file_.close()) ok_ = false;
    std::error_code ec;
    if (ok_) {
        if (fault::hit(fault::Op::Rename))
            ok_ = false;
        else
            std::filesystem::rename(temp_, path_, ec);
        if (ec) ok_ = false;
    }
    if (!ok_) std::filesystem::remove(temp_, ec);
    temp_.clear();
    return ok_;
}

void TextWriter::discard() {
    buf_.clear();
    if (file_.is_open()) {
        file_.close();
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
    temp_.clear();
}

}  // namespace morvane
