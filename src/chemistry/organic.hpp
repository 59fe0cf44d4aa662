// Dissociation of dissolved organic acids and their aluminium complexes.
#pragma once

namespace morvane {

// h: H+ concentration; al: Al in charge equivalents; par: the model's
// parameter vector as stored (par[18] is position 19: total sites T; par[19]
// the model number; par[20..] K1, K2, K3 or the pH coefficients p1..p3;
// par[30], par[31] the complex constants A1, A2).
// org[0..m] receives the total anion charge and the charge of each anion
// (two elements for the pH-dependent model 0); alorg[0..2] the complexes;
// alchg their net charge. A negative model number leaves org untouched.
void orgall(float h, float al, const float* par, float* org, float* alorg, float& alchg);

// The model number: par(20) rounded half away from zero.
int organic_model(float v);

}  // namespace morvane
