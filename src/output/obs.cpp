#include "output/obs.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "input/keylist.hpp"
#include "util/files.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"
#include "util/textfile.hpp"

namespace morvane {
namespace {

constexpr std::int32_t kTrue = -1;
constexpr std::size_t kObsLineWidth = 1024;  // characters seen of an observation-file line
constexpr std::size_t kColItemWidth = 32;

bool constant_chars(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9');
    });
}

// Reads `skip` numbers and then one into v; false when the line ends first or
// an item is not a number.
bool skip_and_read(ListReader& r, int skip, float& v) {
    float dummy = 0.0f;
    for (int i = 0; i < skip; ++i)
        if (r.read(dummy) != ReadStatus::ok) return false;
    return r.read(v) == ReadStatus::ok;
}

}  // namespace

std::string obs_keyword(std::string_view name, std::optional<std::int32_t> isuf) {
    std::string key(trim_right(tidy(name)));
    key += "obs";
    if (isuf) key += "_" + std::to_string(*isuf);
    return key;
}

void getobs(const ObsIndexFn& obsind, const KEYLIST& list, std::string_view name, SeriesSpec* obsspecs,
            std::optional<std::int32_t> isuf) {
    const std::string keyword = obs_keyword(name, isuf);
    int ind = 0;
    if (!keyfind(list, keyword, ind)) return;
    const std::string value = tidy(line_of(list, ind));
    if (is_blank(value)) return;
    const std::int32_t k = obsind(name);
    if (k <= 0 || obsspecs == nullptr) return;
    SeriesSpec& rec = obsspecs[k - 1];

    if (constant_chars(value)) {
        // Up to three numbers; read before anything is changed, so that a
        // value that is no number leaves the record as it was.
        std::array<float, 3> cval{rec.cval[0], rec.cval[1], 0.0f};
        const int n = std::min(nitems(value), 3);
        read_numbers(keyword, value, std::span<float>(cval.data(), static_cast<std::size_t>(n)));
        rec.opt = 'x';
        set_field(rec.path, sizeof rec.path, "1obsonly");
        rec.active = kTrue;
        rec.icol1 = 1;
        rec.icol2 = 2;
        rec.factor = 1.0f;
        std::copy(cval.begin(), cval.end(), rec.cval);
        return;
    }

    rec.opt = 'x';
    const std::vector<std::string> parts = splitat(value, ';', 2);
    std::string_view filepart = trim_right(parts[0]);
    if (filepart.size() >= 2 && filepart[filepart.size() - 2] == '/') {
        rec.opt = filepart.back();
        filepart.remove_suffix(2);
    }
    if (filepart.empty()) {
        rec.active = 0;
    } else {
        rec.active = kTrue;
        set_field(rec.path, sizeof rec.path, pathjoin(std::string_view(list.dir, sizeof list.dir), filepart));
    }

    const std::vector<std::string> items = splititems(parts[1], 2, kColItemWidth);
    const ColumnSpec first = parsecol(items.empty() ? std::string_view() : std::string_view(items[0]));
    rec.factor = first.factor;
    rec.icol1 = first.icol;
    rec.icol2 = items.size() >= 2 ? parsecol(items[1]).icol : 0;
}

ObsFile prepobs(const SeriesSpec& spec, float xmiss, std::int32_t iyb, std::int32_t iye) {
    ObsFile out;
    const std::string path(field_text(spec.path, sizeof spec.path));
    if (!file_exists(path)) {
        out.msg = message_text("xFile  " + path + "  not found");
        return out;
    }
    auto reader = TextReader::open(path);
    if (!reader) {
        // Present but unreadable: reported like a missing file.
        out.msg = message_text("xFile  " + path + "  not found");
        return out;
    }
    out.found = true;

    const int icol1 = spec.icol1;
    const int icol2 = spec.icol2;
    const float yb = static_cast<float>(iyb);
    const float ye = static_cast<float>(iye);
    std::size_t bad_line = 0;
    // Kept across lines: a null item (",,") leaves its variable as it was.
    float t = 0.0f, v1 = 0.0f, v2 = 0.0f;
    std::string_view raw;
    while (reader->next(raw)) {
        raw = raw.substr(0, std::min(raw.size(), kObsLineWidth));
        if (!raw.empty() && raw[0] == '!') continue;
        if (is_blank(raw)) continue;
        const int m = nitems(raw);
        ListReader r(raw);
        bool ok = r.read(t) == ReadStatus::ok && skip_and_read(r, icol1 - 1, v1);
        if (ok && icol1 < icol2 && m >= icol2 + 1) {
            ok = skip_and_read(r, icol2 - icol1 - 1, v2);
        } else {
            v2 = 0.0f;
        }
        if (!ok) {
            bad_line = reader->line_number();
            continue;
        }
        if (v1 != xmiss && yb <= t && t <= ye) out.points.push_back({t, v1, v2});
    }
    if (bad_line > 0)
        out.msg = message_text("xPREPOBS: File " + path + ": bad data in line" +
                               i2str(static_cast<int>(std::min<std::size_t>(bad_line, 2147483647u)), 6));
    return out;
}

}  // namespace morvane
