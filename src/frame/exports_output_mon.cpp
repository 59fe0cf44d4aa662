// Exports of the monitoring-file writer and the validation criteria.
#include "frame/guard.hpp"
#include "frame/last_message.hpp"
#include "morvane.h"
#include "output/monwrite.hpp"
#include "output/valcrit.hpp"
#include "util/error.hpp"

extern "C" {

// MONWRITE has no message argument: its failure text is kept as the thread's
// last message (blank after a call that succeeded).
MORVANE_API void MORVANE_CALL MONWRITE(const SeriesSpec* mon, const char title[128],
                                       const VarDescriptor* vars, const int32_t* nv,
                                       const int32_t* ivar, const int32_t* n0, const int32_t* n1,
                                       const int32_t* iyb, const int32_t* iye, const int32_t* nt,
                                       const float* time, const float* val) {
    morvane::frame::quietly([&] {
        std::string& last = morvane::frame::last_message();
        last.clear();
        try {
            morvane::monwrite(*mon, title, vars, *nv, ivar, *n0, *n1, *iyb, *iye, *nt, time, val);
        } catch (const morvane::Error& e) {
            last = e.what();
        } catch (const std::exception& e) {
            last = morvane::message_text(std::string("xMONWRITE: Internal error: ") + e.what());
        }
    });
}

MORVANE_API float MORVANE_CALL VAL_CRIT(const int32_t* icrit, const float* x2, const float* x3,
                                        const float* x4, const float* x5, const float* x6,
                                        const float* x7, const float* x8) {
    return morvane::val_crit(*icrit, x2, x3, x4, x5, x6, x7, x8);
}

}  // extern "C"
