// MONWRITE: the monitoring file of a model run (".mon"): a commented head
// (title, one description line per column, the column headings) and one data
// record per time step inside the year window.
#pragma once

#include <cstdint>
#include <string>

#include "morvane.h"

namespace morvane {

// The default record format of the data lines.
inline constexpr const char* kMonDefaultFormat = "(i6,99g13.5)";

// MONWRITE: writes the monitoring file named by mon.path; nothing when the
// guard (NV <= 0, IYB > IYE, mon not active) makes it return at once. A
// failure throws Error ("xMONWRITE: ...") and leaves an existing file of that
// name as it was. title is a 128-byte vector; val is VAL(N0:N1, *) in
// column-major order.
void monwrite(const SeriesSpec& mon, const char* title, const VarDescriptor* vars,
                     std::int32_t nv, const std::int32_t* ivar, std::int32_t n0, std::int32_t n1,
                     std::int32_t iyb, std::int32_t iye, std::int32_t nt, const float* time,
                     const float* val);

}  // namespace morvane
