#include "output/prepobs.hpp"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstring>

#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textfile.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr std::size_t kObsLineWidth = 1024;  // characters seen of an observation-file line

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

// The file's name without its folders, for the warnings.
std::string_view base_name(std::string_view path) {
    const std::size_t p = path.find_last_of("/\\");
    return p == std::string_view::npos ? path : path.substr(p + 1);
}

}  // namespace

ObsFile prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye) {
    ObsFile out;
    const std::string path = field_text(spec.path);
    // Present but unreadable: reported like a missing file.
    auto reader = file_exists(path) ? TextReader::open(path) : std::nullopt;
    if (!reader) throw Error("xFile  " + path + "  not found");

    const int icol1 = spec.icol1;
    const int icol2 = spec.icol2;
    const float yb = static_cast<float>(iyb);
    const float ye = static_cast<float>(iye);
    const bool wanted = warnings_wanted();
    const std::string name(base_name(path));
    std::size_t bad_line = 0, outside = 0;
    std::string_view raw;
    while (reader->next(raw)) {
        raw = raw.substr(0, std::min(raw.size(), kObsLineWidth));
        if (!raw.empty() && raw[0] == '!') continue;
        if (is_blank(raw)) continue;
        const int m = nitems(raw);
        ListReader r(raw);
        float t = 0.0f, v1 = 0.0f, v2 = 0.0f;
        std::string why = skip_and_read(r, 0, t, m);
        if (why.empty()) why = skip_and_read(r, icol1 - 1, v1, m);
        if (why.empty() && icol1 < icol2 && m >= icol2 + 1) why = skip_and_read(r, icol2 - icol1 - 1, v2, m);
        if (!why.empty()) {
            bad_line = reader->line_number();
            if (wanted) warn(name + " line " + std::to_string(bad_line) + " skipped: " + why);
            continue;
        }
        if (wanted && !(std::isfinite(t) && std::isfinite(v1) && std::isfinite(v2)))
            warn(name + " line " + std::to_string(reader->line_number()) +
                 ": a number is not finite (an infinity or NaN, kept as read)");
        if (v1 == xmiss) continue;
        if (yb <= t && t <= ye) {
            out.points.push_back({t, v1, v2});
        } else {
            ++outside;
        }
    }
    if (wanted && outside > 0)
        warn(name + ": " + std::to_string(outside) + (outside == 1 ? " observation lies" : " observations lie") +
             " outside the years " + std::to_string(iyb) + " to " + std::to_string(iye) + " and " +
             (outside == 1 ? "is" : "are") + " left out");
    if (bad_line > 0)
        out.msg = message_text("xPREPOBS: File " + path + ": bad data in line" +
                               i2str(static_cast<int>(std::min<std::size_t>(bad_line, 2147483647u)), 6));
    return out;
}

}  // namespace morvane
