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

}  // namespace morvane
