#include "output/prepobs.hpp"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/freeform.hpp"
#include "util/layout_lines.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textreader.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr std::size_t kObsLineWidth = 1024;  // characters seen of an observation-file line
static_assert(TextReader::kSlack >= PlainLineReader::kReadable);

// Reads `skip` items and then one value into v: "" when it was read, else
// why the line cannot give it. Items passed over may be null; the value may
// not: a line that cannot give every value it needs is a bad line, whether
// an empty item (a null value) or a slash stands where the value should be.
std::string skip_and_read(ListReader& r, int skip, float& v, int m) {
    if (skip > 0) {
        if (const ReadStatus st = r.skip(skip); st == ReadStatus::bad)
            return "item " + std::string(r.bad_item()) + " is not a number";
        else if (st == ReadStatus::end)
            return r.slash() ? "a / ends it before the value" : "too few items (" + std::to_string(m) + ")";
    }
    switch (r.read(v)) {
    case ReadStatus::bad: return "item " + std::string(r.bad_item()) + " is not a number";
    case ReadStatus::end: return r.slash() ? "a / ends it before the value" : "too few items (" + std::to_string(m) + ")";
    default: return r.null() ? "an empty item (null value) where a value is needed" : "";
    }
}

// A line that is not all plain numbers, item by item: "" when it gives the
// values, else why it cannot.
std::string read_line(std::string_view raw, int icol1, int icol2, float& t, float& v1, float& v2) {
    const int m = nitems(raw);
    ListReader r(raw);
    std::string why = skip_and_read(r, 0, t, m);
    if (why.empty()) why = skip_and_read(r, icol1 - 1, v1, m);
    if (why.empty() && icol1 < icol2 && m >= icol2 + 1) why = skip_and_read(r, icol2 - icol1 - 1, v2, m);
    return why;
}

// The file's name without its folders, for the warnings.
std::string_view base_name(std::string_view path) {
    const std::size_t p = path.find_last_of("/\\");
    return p == std::string_view::npos ? path : path.substr(p + 1);
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
    PlainLineReader lines;
    const float yb = static_cast<float>(iyb);
    const float ye = static_cast<float>(iye);
    const bool wanted = warnings_wanted();
    const std::string name(base_name(path));
    std::size_t bad_line = 0, outside = 0;
    std::string_view raw;
    while (reader->next(raw)) {
        if (raw.empty() || raw[0] == '!') continue;
        if (blank_like(raw[0]) && is_blank(raw)) continue;
        float t = 0.0f, v1 = 0.0f, v2 = 0.0f;
        // A line of plain numbers (most are) in one pass, the items needed
        // converted and the rest only counted; any other line item by item.
        // Both give the same values and the same reason for a bad line.
        const int m = plain.empty() ? -1 : lines.read(raw, plain);
        if (m > first && (m > second || icol1 >= icol2 || m < std::int64_t{icol2} + 1)) {
            t = plain[0];
            v1 = plain[static_cast<std::size_t>(first)];
            if (icol1 < icol2 && m > second) v2 = plain[static_cast<std::size_t>(second)];
        } else if (const std::string why = m >= 0 ? "too few items (" + std::to_string(m) + ")"
                                                  : read_line(raw, icol1, icol2, t, v1, v2);
                   !why.empty()) {
            bad_line = reader->line_number();
            if (wanted) warn(name + " line " + std::to_string(bad_line) + " skipped: " + why);
            continue;
        }
        if (wanted && !(std::isfinite(t) && std::isfinite(v1) && std::isfinite(v2)))
            warn(name + " line " + std::to_string(reader->line_number()) +
                 ": a number is not finite (an infinity or NaN, kept as read)");
        if (v1 == xmiss) continue;
        if (yb <= t && t <= ye) {
            keep(ObsPoint{t, v1, v2});
        } else {
            ++outside;
        }
    }
    if (reader->failed()) throw Error(unreadable);  // no partial list
    if (wanted && outside > 0)
        warn(name + ": " + std::to_string(outside) + (outside == 1 ? " observation lies" : " observations lie") +
             " outside the years " + std::to_string(iyb) + " to " + std::to_string(iye) + " and " +
             (outside == 1 ? "is" : "are") + " left out");
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
