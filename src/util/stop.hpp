// Stopping the run: the three routines that end the calling program on a
// fatal condition call stop_run. The host may install its own handler; when
// that handler returns, the routine returns at once.
#pragma once

#include <string_view>

#include "morvane.h"

namespace morvane {

// Calls the installed handler (default: message and newline to standard
// error, then exit status 1). Returns only when an installed handler returns.
void stop_run(std::string_view message);

// Installs a handler; nullptr restores the default.
void set_stop_handler(morvane_stop_fn handler);

}  // namespace morvane
