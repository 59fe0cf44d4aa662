// Warnings about how a time-series file covers a run (util/warnings.hpp):
// the steps before its first value and after its last take the nearest
// value, and a gap of more than one step where the file has no line at all
// is filled by interpolation. A value the file marks as missing (-99 or
// below) is the file's own word that the step has no data: a gap holding
// one is not told again.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace morvane {

enum class StepData { value, marked, none };  // a valid value, a missing mark, no line

// source names the file and column ("deposition.dat;SO4"); the run is the
// years iyrb..iyre of ns steps; first and last are the file's first and last
// year with a valid value; step(t) tells what the file holds for run step t
// (0-based, in time order). Notes the span for the command-line program.
void warn_coverage(std::string_view source, std::int32_t iyrb, std::int32_t iyre, std::int32_t ns, std::int32_t first,
                   std::int32_t last, const std::function<StepData(std::int64_t)>& step);

}  // namespace morvane
