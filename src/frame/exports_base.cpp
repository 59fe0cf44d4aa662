// Library-wide extensions: version, stop handler, last message.
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

}  // extern "C"
