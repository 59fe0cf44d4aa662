#include "input/coverage.hpp"

#include <algorithm>
#include <string>

#include "util/warnings.hpp"

namespace morvane {
namespace {

// Run step t as a time: the year, and "/k" for step k of years of more steps.
std::string when(std::int32_t iyrb, std::int32_t ns, std::int64_t t) {
    const std::string year = std::to_string(std::int64_t{iyrb} + t / ns);
    return ns == 1 ? year : year + "/" + std::to_string(t % ns + 1);
}

std::string steps_text(std::int64_t n) { return std::to_string(n) + (n == 1 ? " step" : " steps"); }

}  // namespace

void warn_coverage(std::string_view source, std::int32_t iyrb, std::int32_t iyre, std::int32_t ns, std::int32_t first,
                   std::int32_t last, const std::function<StepData(std::int64_t)>& step) {
    if (!warnings_wanted()) return;
    note_series_span(first, last);
    const std::string src(source);
    const std::string span = " has data from " + std::to_string(first) + " to " + std::to_string(last) + ": the ";
    if (first > iyrb)
        warn(src + span + steps_text((std::int64_t{std::min(first, iyre + 1)} - iyrb) * ns) + " before " +
             std::to_string(first) + " take its first value");
    if (last < iyre)
        warn(src + span + steps_text((std::int64_t{iyre} - std::max(last, iyrb - 1)) * ns) + " after " +
             std::to_string(last) + " take its last value");

    // Gaps inside the run between two values, in time order.
    const std::int64_t steps = (std::int64_t{iyre} - iyrb + 1) * ns;
    std::int64_t gaps = 0, g0 = 0, g1 = 0;
    bool seen = first < iyrb;  // a value before the run closes a gap at its start
    for (std::int64_t t = 0; t < steps;) {
        if (step(t) == StepData::value) {
            seen = true;
            ++t;
            continue;
        }
        std::int64_t z = t;
        bool marked = false;
        for (StepData d; z < steps && (d = step(z)) != StepData::value; ++z) marked = marked || d == StepData::marked;
        if (seen && (z < steps || last > iyre) && z - t > 1 && !marked && gaps++ == 0) g0 = t, g1 = z - 1;
        t = z;
    }
    if (gaps > 0)
        warn(src + " has no line for " + when(iyrb, ns, g0) + " to " + when(iyrb, ns, g1) + " (" +
             steps_text(g1 - g0 + 1) + "), filled by interpolation" +
             (gaps > 1 ? " (and " + std::to_string(gaps - 1) + " more such gaps)" : ""));
}

}  // namespace morvane
