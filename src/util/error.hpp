// The one way a routine fails inside the library: it throws an Error carrying
// the routine's message text ("x" and the routine's name first, at most 127
// characters, as the model programs show it). The export shim turns it into
// the caller's message; a routine that goes on after a failure of one it
// called (READINP after a series it cannot read) takes the text with
// message_of. Success is the empty message.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "util/bytevec.hpp"

namespace morvane {

class Error : public std::runtime_error {
public:
    explicit Error(std::string_view message) : std::runtime_error(message_text(message)) {}
};

// Runs body and gives its message: the text of the Error it throws, else what
// it returns (a routine's message on success, usually empty), else "".
template <class Body>
std::string message_of(Body&& body) {
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            return {};
        } else {
            return std::string(body());
        }
    } catch (const Error& e) {
        return e.what();
    }
}

}  // namespace morvane
