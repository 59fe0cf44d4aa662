// Temperature-dependent equilibrium constants of the carbonate, water and
// aluminium equilibria. Temperatures in degrees Celsius; Tk = T + 273 exactly.
#pragma once

namespace morvane {

float fkhco3(float t);            // bicarbonate formation from CO2
float fkco3(float t);             // the carbonate step
float fkoh(float t);              // hydroxide
float fkcaco3(float t);           // calcium carbonate
float flgkalox(float lgk, float t);  // log10 Al-(hydr)oxide constant at T

}  // namespace morvane
