#include "util/warnings.hpp"

#include <charconv>

#include "util/bytevec.hpp"

namespace morvane {
namespace {

// The calling thread's open collector.
WarningScope*& current() {
    thread_local WarningScope* scope = nullptr;
    return scope;
}

}  // namespace

std::vector<std::string> Diagnostics::texts() const {
    std::vector<std::string> out = warnings;
    if (dropped > 0) out.push_back(std::to_string(dropped) + " more warnings not kept");
    return out;
}

WarningScope::WarningScope(std::string_view routine) noexcept : routine_(routine), outer_(current()) {
    current() = this;
}

WarningScope::~WarningScope() { current() = outer_; }

bool warnings_wanted() { return current() != nullptr; }

WarningPrefix::WarningPrefix(std::string_view text) noexcept {
    if (WarningScope* s = current()) outer_ = s->prefix_, s->prefix_ = text;
}

WarningPrefix::~WarningPrefix() {
    if (WarningScope* s = current()) s->prefix_ = outer_;
}

void warn(std::string_view text) noexcept {
    WarningScope* s = current();
    if (s == nullptr) return;
    if (s->diag_.warnings.size() >= kMaxWarnings) {
        ++s->diag_.dropped;
        return;
    }
    try {
        s->diag_.warnings.push_back(
            message_text(std::string(s->routine_) + ": " + std::string(s->prefix_) + std::string(text)));
    } catch (...) {
        ++s->diag_.dropped;
    }
}

void note_default(std::string_view keyword, std::string value) noexcept {
    WarningScope* s = current();
    if (s == nullptr) return;
    try {
        s->diag_.defaults.push_back({std::string(keyword), std::move(value)});
    } catch (...) {
    }
}

void note_series(std::string_view keyword, std::string_view value) noexcept {
    WarningScope* s = current();
    if (s == nullptr) return;
    try {
        s->diag_.series.push_back({std::string(keyword), std::string(value)});
    } catch (...) {
    }
}

void note_series_span(std::int32_t first, std::int32_t last) noexcept {
    WarningScope* s = current();
    if (s != nullptr && !s->diag_.series.empty()) s->diag_.series.back().first = first, s->diag_.series.back().last = last;
}

std::string real_text(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general);
    return std::string(buf, r.ptr);
}

}  // namespace morvane
