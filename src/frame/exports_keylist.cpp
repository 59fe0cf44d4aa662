// Export of the keyword-file loader.
#include <string>

#include "frame/guard.hpp"
#include "frame/last_message.hpp"
#include "input/keylist.hpp"
#include "morvane.h"

extern "C" {

// FIL2LIST has no message argument: an unexpected failure (out of memory) is
// left in morvane_last_message, with the list as far as it was loaded.
MORVANE_API void MORVANE_CALL FIL2LIST(KEYLIST* list) {
    morvane::frame::CallWarnings warnings("FIL2LIST");
    morvane::frame::quietly([&] {
        morvane::frame::last_message().clear();
        if (list == nullptr) return;
        try {
            morvane::fil2list(*list);
        } catch (const std::exception& e) {
            morvane::frame::last_message() = std::string("xFIL2LIST: Internal error: ") + e.what();
        }
    });
}

}  // extern "C"
