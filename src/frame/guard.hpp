// The calling frame shared by the export shims: no C++ exception crosses the
// C ABI. A routine with a message argument turns an unexpected failure into a
// message of its own form; one without leaves its outputs as they stood.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "morvane.h"
#include "util/bytevec.hpp"
#include "util/error.hpp"

namespace morvane::frame {

// Runs body, which returns the routine's message text (empty for success) or
// throws Error with it, and writes the 128-byte message vector on every exit.
// prefix is the routine's message head, for example "xREADINP: ", for an
// unexpected failure.
template <class Body>
void with_message(char* msg, std::string_view prefix, Body&& body) noexcept {
    try {
        std::string text = body();
        write_message(msg, text);
    } catch (const Error& e) {
        write_message(msg, e.what());
    } catch (const std::exception& e) {
        try {
            write_message(msg, std::string(prefix) + "Internal error: " + e.what());
        } catch (...) {
            write_message(msg, prefix);
        }
    } catch (...) {
        write_message(msg, std::string_view(prefix));
    }
}

// Runs body; an exception is swallowed and fallback returned instead.
template <class Result, class Body>
Result quietly(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void quietly(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace morvane::frame
