// Library-wide extensions: version, stop handler, last message, warnings.
#include <cstddef>
#include <string_view>

#include "morvane.h"
#include "frame/last_message.hpp"
#include "util/bytevec.hpp"
#include "util/stop.hpp"

#ifndef MORVANE_VERSION_TEXT
#define MORVANE_VERSION_TEXT "0.1.0"
#endif

extern "C" {

MORVANE_API void MORVANE_CALL morvane_set_stop_handler(morvane_stop_fn handler) {
    morvane::set_stop_handler(handler);
}

MORVANE_API const char* MORVANE_CALL morvane_version(void) { return MORVANE_VERSION_TEXT; }

MORVANE_API void MORVANE_CALL morvane_last_message(char msg[128]) {
    morvane::write_message(msg, morvane::frame::last_message());
}

MORVANE_API int32_t MORVANE_CALL morvane_warning_count(void) {
    return static_cast<int32_t>(morvane::frame::last_warnings().size());
}

// Warning i (1-based) of the last call; blanks when there is no such warning.
MORVANE_API void MORVANE_CALL morvane_warning(int32_t i, char text[128]) {
    const auto& w = morvane::frame::last_warnings();
    morvane::write_message(text, i >= 1 && static_cast<std::size_t>(i) <= w.size() ? std::string_view(w[i - 1]) : "");
}

}  // extern "C"
