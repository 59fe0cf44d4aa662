// GETSERIES: a series keyword through the time-series reader.
#include <algorithm>
#include <string>

#include "input/keylist.hpp"
#include "input/varin.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/strings.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr float kSeriesMissing = -99.0f;

// Which characters a series value may hold to be a constant (or the marker).
bool series_constant_chars(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '+' || c == '-' || c == '.' || c == '=' || (c >= '0' && c <= '9');
    });
}

}  // namespace

void getseries(KEYLIST& list, std::string_view keyword, std::int32_t n0, std::int32_t nb, std::int32_t ne,
               std::int32_t ns, std::span<float> vec, std::optional<float> dflt, std::string& tsmsg) {
    const int ind = take_entry(list, keyword);
    if (ind > 0) {
        std::string value = tidy(line_of(list, ind));
        if (!series_constant_chars(value)) {
            // A data-file reference: completed with the input file's directory.
            value = pathjoin(field_text(list.dir), value);
            set_field(list.line[ind - 1], kLineWidth, value);
            value = std::string(line_of(list, ind));
        }
        if (warnings_wanted()) note_series(trimmed(keyword), trim_right(value));
        const std::string prefix = std::string(trimmed(keyword)) + ": ";
        const WarningPrefix named(prefix);  // the time-series reader's warnings name the keyword
        // A series that cannot be read is reported; the reading goes on.
        std::string msg = message_of([&] { varin01(value, n0, nb, ne, ns, kSeriesMissing, vec); });
        if (!msg.empty()) tsmsg = std::move(msg);
        return;
    }
    if (!dflt) return;
    // VEC(NB .. NB + (NE - NB + 1) * NS - 1), within the caller's array.
    const std::int64_t first = static_cast<std::int64_t>(nb) - n0;
    const std::int64_t count = (static_cast<std::int64_t>(ne) - nb + 1) * ns;
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    const std::int64_t to = std::min<std::int64_t>(first + count, static_cast<std::int64_t>(vec.size()));
    if (from < to) std::fill(vec.begin() + from, vec.begin() + to, *dflt);
    append_default(list, keyword, real_text(*dflt));
}

}  // namespace morvane
