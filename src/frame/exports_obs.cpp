// Exports of the observation routines.
#include <algorithm>
#include <string>

#include "frame/guard.hpp"
#include "frame/last_message.hpp"
#include "input/keylist.hpp"
#include "morvane.h"
#include "input/getobs.hpp"
#include "output/prepobs.hpp"

extern "C" {

// GETOBS has no message argument: a constant value that is no number leaves
// the record untouched and its message in morvane_last_message.
MORVANE_API void MORVANE_CALL GETOBS(morvane_obsind_fn obsind, KEYLIST* list, const char* name,
                                     int32_t name_len, SeriesSpec* obsspecs, const int32_t* isuf) {
    morvane::frame::CallWarnings warnings("GETOBS");
    morvane::frame::quietly([&] {
        std::string& last = morvane::frame::last_message();
        last.clear();
        if (list == nullptr || obsind == nullptr) return;
        const std::string_view nm(name, name == nullptr ? 0 : static_cast<std::size_t>(std::max(name_len, 0)));
        const morvane::ObsIndexFn lookup = [&](std::string_view) { return obsind(name, name_len); };
        try {
            morvane::getobs(lookup, *list, nm, obsspecs,
                            isuf ? std::optional<std::int32_t>(*isuf) : std::nullopt);
        } catch (const std::exception& e) {  // BadValue: "Cannot read the value of ..."
            last = morvane::message_text(std::string("xGETOBS: ") + e.what());
        }
    });
}

MORVANE_API void MORVANE_CALL PREPOBS(const SeriesSpec* obsspec, const float* xmiss, const int32_t* iyb,
                                      const int32_t* iye, int32_t* nobs, float* obs, char msg[128]) {
    morvane::frame::CallWarnings warnings("PREPOBS");
    morvane::frame::with_message(msg, "xPREPOBS: ", [&]() -> std::string {
        return morvane::prepobs(*obsspec, *xmiss, *iyb, *iye, obs, *nobs);
    });
}

}  // extern "C"
