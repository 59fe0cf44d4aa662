// Exports of the monitoring-file writer and the validation criteria.
#include "frame/guard.hpp"
#include "morvane.h"
#include "output/valcrit.hpp"

extern "C" {

MORVANE_API float MORVANE_CALL VAL_CRIT(const int32_t* icrit, const float* x2, const float* x3,
                                        const float* x4, const float* x5, const float* x6,
                                        const float* x7, const float* x8) {
    return morvane::val_crit(*icrit, x2, x3, x4, x5, x6, x7, x8);
}

}  // extern "C"
