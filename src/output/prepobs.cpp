#include "output/prepobs.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textreader.hpp"

namespace morvane {
namespace {

constexpr std::size_t kObsLineWidth = 1024;  // characters seen of an observation-file line

// Reads `skip` numbers and then one into v; false when the line ends first or
// an item is not a number.
bool skip_and_read(ListReader& r, int skip, float& v) {
    return (skip <= 0 || r.skip(skip) == ReadStatus::ok) && r.read(v) == ReadStatus::ok;
}

// The observations of the file, each handed to keep(point) as it is read;
// returns the message of the last bad line ("" when none).
template <class Keep>
std::string read_observations(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye, Keep&& keep) {
    const std::string path = field_text(spec.path);
    // Present but unreadable: reported like a missing file.
    const std::string unreadable = "xFile  " + path + "  not found";
    auto reader = TextReader::open(path, kObsLineWidth);
    if (!reader) throw Error(unreadable);

    const int icol1 = spec.icol1;
    const int icol2 = spec.icol2;
    // The items (from 0) of the first value (icol1 0 reads as 1) and of the
    // second, and the items a line of plain numbers has converted: up to the
    // last of them (a line holds at most 512 items; more needed, it is read
    // the long way).
    const std::int64_t first = std::max(icol1, 1);
    const std::int64_t second = icol1 < icol2 ? first + (std::int64_t{icol2} - icol1) : first;
    std::vector<float> plain(second < 512 ? static_cast<std::size_t>(second + 1) : 0);
    const float yb = static_cast<float>(iyb);
    const float ye = static_cast<float>(iye);
    std::size_t bad_line = 0;
    // Kept across lines: a null item (",,") leaves its variable as it was.
    float t = 0.0f, v1 = 0.0f, v2 = 0.0f;
    std::string_view raw;
    while (reader->next(raw)) {
        if (raw.empty() || raw[0] == '!') continue;
        if (blank_like(raw[0]) && is_blank(raw)) continue;
        bool ok;
        // A line of plain numbers (most are) in one pass, the items needed
        // converted and the rest only counted.
        // A value is set as the reading below would set it, up to the item
        // that is missing.
        int m = -1;
        if (!plain.empty() && (m = read_plain_items(raw, plain)) >= 0) {
            t = plain[0];  // a line that is not blank has an item
            ok = m > first;
            if (ok) v1 = plain[static_cast<std::size_t>(first)];
            if (ok && icol1 < icol2 && m >= std::int64_t{icol2} + 1) {
                ok = m > second;
                if (ok) v2 = plain[static_cast<std::size_t>(second)];
            } else {
                v2 = 0.0f;
            }
        } else {
            ListReader r(raw);
            ok = r.read(t) == ReadStatus::ok && skip_and_read(r, icol1 - 1, v1);
            if (ok && icol1 < icol2 && nitems(raw) >= icol2 + 1) {
                ok = skip_and_read(r, icol2 - icol1 - 1, v2);
            } else {
                v2 = 0.0f;
            }
        }
        if (!ok) {
            bad_line = reader->line_number();
            continue;
        }
        if (v1 != xmiss && yb <= t && t <= ye) keep(ObsPoint{t, v1, v2});
    }
    if (reader->failed()) throw Error(unreadable);  // no partial list
    if (bad_line == 0) return {};
    return message_text("xPREPOBS: File " + path + ": bad data in line" +
                        i2str(static_cast<int>(std::min<std::size_t>(bad_line, 2147483647u)), 6));
}

}  // namespace

ObsFile prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye) {
    ObsFile out;
    out.msg = read_observations(spec, xmiss, iyb, iye, [&](const ObsPoint& p) { out.points.push_back(p); });
    return out;
}

std::string prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye, float* obs,
                    std::int32_t& nobs) {
    std::int32_t n = 0;
    std::string msg = read_observations(spec, xmiss, iyb, iye, [&](const ObsPoint& p) {
        float* const at = obs + 3 * static_cast<std::size_t>(n++);
        at[0] = p.time, at[1] = p.value, at[2] = p.value2;
    });
    nobs = n;
    return msg;
}

}  // namespace morvane
