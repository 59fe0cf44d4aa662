#include "util/stop.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace morvane {
namespace {
// The one process-wide setting of the library besides the unit table.
std::atomic<morvane_stop_fn> g_handler{nullptr};
}  // namespace

void set_stop_handler(morvane_stop_fn handler) { g_handler.store(handler); }

void stop_run(std::string_view message) {
    const std::string text(message);
    if (morvane_stop_fn handler = g_handler.load()) {
        handler(text.c_str());
        return;
    }
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::exit(1);
}

}  // namespace morvane
