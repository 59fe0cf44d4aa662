#include "chemistry/constants.hpp"

#include <cmath>

namespace morvane {
namespace {

// A decimal coefficient as the models store it: the single-precision value,
// widened to double where the exponent is evaluated in double precision.
constexpr double s(float v) { return static_cast<double>(v); }

// Absolute temperature, added in single precision and then widened.
double kelvin_d(float t) { return static_cast<double>(t + 273.0f); }

}  // namespace

float fkhco3(float t) {
    const double tk = kelvin_d(t);
    const double a = s(2386.0f) / tk;
    const double b = s(-3404.0f) / tk;
    double e = ((a - s(14.018f)) + s(6.0f)) + (b + s(14.844f));
    e = e + s(-0.0175f) * tk;
    return static_cast<float>(std::pow(10.0, e));
}

float fkco3(float t) {
    const double tk = kelvin_d(t);
    const double e = ((s(6.53f) - s(2906.0f) / tk) - s(0.0238f) * tk) + s(3.0f);
    return static_cast<float>(s(2.0f) * std::pow(10.0, e));
}

float fkoh(float t) {
    const double tk = kelvin_d(t);
    const double e = ((s(6.09f) - s(4471.0f) / tk) - s(0.0171f) * tk) + s(3.0f);
    return static_cast<float>(std::pow(10.0, e));
}

float fkcaco3(float t) {
    const float tk = t + 273.0f;
    const float r = 1.0f / tk;
    const float d = 0.0033557047f - r;
    const float x = 2718.3064f * d;
    return 141263.5f * std::exp(x);  // single-precision exponential
}

float flgkalox(float lgk, float t) {
    const float tk = t + 273.0f;
    const float r = 1.0f / tk;
    const float d = 0.003533569f - r;
    return lgk + (-4988.0654f) * d;
}

}  // namespace morvane
