// The message of the most recent failure, per calling thread, of a routine
// that has no message argument of its own.
#pragma once

#include <string>

namespace morvane::frame {

inline std::string& last_message() {
    thread_local std::string text;
    return text;
}

}  // namespace morvane::frame
