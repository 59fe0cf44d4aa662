#include "input/getobs.hpp"

#include <algorithm>
#include <array>

#include "input/keylist.hpp"
#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textfile.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr std::size_t kColItemWidth = 32;

bool constant_chars(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9');
    });
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
    if (is_blank(value)) {
        warn(keyword + " has no value");
        return;
    }
    const std::int32_t k = obsind(name);
    if (k <= 0 && warnings_wanted())
        warn(keyword + " is given, but the program keeps no observations of " + std::string(trimmed(tidy(name))));
    if (k <= 0 || obsspecs == nullptr) return;
    SeriesSpec& rec = obsspecs[k - 1];

    if (constant_chars(value)) {
        // Up to three numbers; read before anything is changed, so that a
        // value that is no number leaves the record as it was.
        std::array<float, 3> cval{rec.cval[0], rec.cval[1], 0.0f};
        const int n = std::min(nitems(value), 3);
        read_numbers(keyword, value, std::span<float>(cval.data(), static_cast<std::size_t>(n)));
        rec.opt = 'x';
        set_field(rec.path, "1obsonly");
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
        set_field(rec.path, pathjoin(field_text(list.dir), filepart));
    }

    const std::vector<std::string> items = splititems(parts[1], 2, kColItemWidth);
    const ColumnSpec first = parsecol(items.empty() ? std::string_view() : std::string_view(items[0]));
    const ColumnSpec second = items.size() >= 2 ? parsecol(items[1]) : ColumnSpec{};
    rec.factor = first.factor;
    rec.icol1 = first.icol;
    rec.icol2 = items.size() >= 2 ? second.icol : 0;

    if (!warnings_wanted()) return;
    if (rec.active & 1) {
        const std::string path = field_text(rec.path);
        if (!file_exists(path)) warn(keyword + ": file  " + path + "  does not exist");
    }
    // Observation files are read by column number: a name gives column 0,
    // which reads as column 1 (and no second value).
    for (const ColumnSpec* c : {&first, &second})
        if (c->isname)
            warn(keyword + ": column " + c->cname + " is a name; observation columns are numbers (\\2), so " +
                 (c == &first ? "column 1 is read" : "no second value is read"));
}

}  // namespace morvane
