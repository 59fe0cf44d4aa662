// Exports of the sea-salt fractions and the organic acids.
#include "chemistry/organic.hpp"
#include "chemistry/seasalts.hpp"
#include "morvane.h"

extern "C" {

MORVANE_API void MORVANE_CALL SEASALTS(const int32_t* iref, const float* dep, float* ssdep) {
    morvane::seasalts(*iref, dep, ssdep);
}

MORVANE_API void MORVANE_CALL ORGALL(const float* h, const float* al, const float* par, float* org,
                                     float* alorg, float* alchg) {
    morvane::orgall(*h, *al, par, org, alorg, *alchg);
}

}  // extern "C"
