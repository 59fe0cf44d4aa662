// What the most recent call left, per calling thread: the message of a
// routine that has no message argument of its own, and the warnings of the
// routines that read input (FIL2LIST, READINP, READINPW, GETOBS, PREPOBS).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "util/warnings.hpp"

namespace morvane::frame {

inline std::string& last_message() {
    thread_local std::string text;
    return text;
}

inline std::vector<std::string>& last_warnings() {
    thread_local std::vector<std::string> texts;
    return texts;
}

// Opens a collector for one call of an input routine; when the call ends,
// its warnings become the thread's warnings of the last call. routine is a
// literal (the scope keeps the view).
class CallWarnings {
public:
    explicit CallWarnings(std::string_view routine) noexcept : scope_(routine) {}
    ~CallWarnings() {
        try {
            last_warnings() = scope_.texts();
        } catch (...) {
            last_warnings().clear();
        }
    }
    CallWarnings(const CallWarnings&) = delete;
    CallWarnings& operator=(const CallWarnings&) = delete;

private:
    WarningScope scope_;
};

}  // namespace morvane::frame
