// Exports of the soil chemistry functions.
#include "chemistry/constants.hpp"
#include "morvane.h"

extern "C" {

MORVANE_API float MORVANE_CALL FKHCO3(const float* t) { return morvane::fkhco3(*t); }
MORVANE_API float MORVANE_CALL FKCO3(const float* t) { return morvane::fkco3(*t); }
MORVANE_API float MORVANE_CALL FKOH(const float* t) { return morvane::fkoh(*t); }
MORVANE_API float MORVANE_CALL FKCACO3(const float* t) { return morvane::fkcaco3(*t); }
MORVANE_API float MORVANE_CALL FLGKALOX(const float* lgk, const float* t) {
    return morvane::flgkalox(*lgk, *t);
}

}  // extern "C"
