// morvane exceed: exceedances of critical-load functions for a table of sites.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <iostream>
#include <iterator>
#include <optional>
#include <ostream>

#include "clf/exceed.hpp"
#include "cli.hpp"
#include "util/freeform.hpp"
#include "util/textreader.hpp"
#include "util/warnings.hpp"

namespace morvane::cli {
namespace {

constexpr std::array<std::string_view, 5> kColumns = {"CLmaxS", "CLminN", "CLmaxN", "Ndep", "Sdep"};
constexpr std::size_t kProgressRows = 100000;  // tables from this size show a progress bar on a terminal

// The fields of a CSV line: separated by commas, a field in double quotes
// may hold commas and doubled quotes. Each field as written (quotes kept) and
// its text.
struct Field {
    std::string_view raw;
    std::string text;
};
std::vector<Field> split_csv(std::string_view line) {
    std::vector<Field> out;
    std::size_t i = 0;
    for (;;) {
        const std::size_t start = i;
        std::string text;
        if (i < line.size() && line[i] == '"') {
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                } else {
                    text += line[i];
                }
            }
        }
        while (i < line.size() && line[i] != ',') text += line[i++];
        out.push_back({line.substr(start, i - start), text});
        if (i >= line.size()) break;
        ++i;
    }
    return out;
}

bool equal_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// One number, read as the model programs read numbers (free format).
std::optional<float> number(std::string_view text) {
    ListReader r(text);
    float v = 0.0f, extra = 0.0f;
    if (r.read(v) != ReadStatus::ok || r.null() || r.read(extra) != ReadStatus::end) return std::nullopt;
    return v;
}

}  // namespace

int exceed(const ExceedOptions& o, std::ostream& out, std::ostream& err) {
    // The lines are kept as strings: a reader's views last only until its next line.
    std::vector<std::string> lines;
    const auto take = [&](TextReader& rd) {
        for (std::string_view l; rd.next(l);)
            if (!l.empty()) lines.emplace_back(l);
        return !rd.failed();
    };
    if (o.input == "-") {
        const std::string text(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
        TextReader rd = TextReader::from_text(text);
        take(rd);
    } else if (auto rd = TextReader::open(o.input); !rd || !take(*rd)) {
        err << "morvane exceed: " << o.input << " cannot be read\n";
        return kErrors;
    }
    if (lines.empty()) {
        err << "morvane exceed: " << o.input << " has no heading line\n";
        return kErrors;
    }

    const std::vector<Field> head = split_csv(lines[0]);
    std::array<std::size_t, 5> col{};
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        const auto it = std::find_if(head.begin(), head.end(), [&](const Field& f) { return equal_nocase(f.text, kColumns[c]); });
        if (it == head.end()) {
            err << "morvane exceed: the heading has no column " << kColumns[c] << "\n";
            return kErrors;
        }
        col[c] = static_cast<std::size_t>(it - head.begin());
    }

    std::string result;
    std::vector<std::string> objects;
    if (!o.json) result.append(lines[0]).append(",ExN,ExS,region\n");
    const std::size_t rows = lines.size() - 1;
    const bool progress = o.progress && rows >= kProgressRows && isatty(STDERR_FILENO);
    int warnings = 0, shown = -1;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::vector<Field> f = split_csv(lines[k]);
        std::array<float, 5> v{};
        std::string bad;
        for (std::size_t c = 0; c < kColumns.size() && bad.empty(); ++c) {
            const std::optional<float> x = col[c] < f.size() ? number(f[col[c]].text) : std::nullopt;
            if (x) {
                v[c] = *x;
            } else {
                bad = std::string(kColumns[c]) + " \"" + (col[c] < f.size() ? f[col[c]].text : "") + "\" is not a number";
            }
        }
        std::optional<Exceedance> e;
        if (bad.empty()) {
            e = morvane::exceed(v[0], v[1], v[2], v[3], v[4]);
        } else {
            err << "morvane exceed: line " << k + 1 << ": " << bad << "\n";
            ++warnings;
        }
        if (o.json) {
            std::vector<std::pair<std::string, std::string>> members;
            for (std::size_t c = 0; c < head.size(); ++c)
                members.emplace_back(head[c].text, json_string(c < f.size() ? f[c].text : ""));
            members.emplace_back("ExN", e ? json_number(e->exn) : "null");
            members.emplace_back("ExS", e ? json_number(e->exs) : "null");
            members.emplace_back("region", e ? std::to_string(e->region) : "null");
            objects.push_back(json_object(members));
        } else {
            result.append(lines[k]);
            if (e) {
                result.append(",").append(real_text(e->exn)).append(",").append(real_text(e->exs));
                result.append(",").append(std::to_string(e->region)).append("\n");
            } else {
                result.append(",,,\n");
            }
        }
        if (progress && static_cast<int>(k * 100 / rows) != shown) {
            shown = static_cast<int>(k * 100 / rows);
            std::cerr << "\rexceed: " << k << " of " << rows << " rows (" << shown << "%)" << std::flush;
        }
    }
    if (progress) std::cerr << "\n";
    if (o.json) result = json_array(objects) + "\n";

    if (o.output == "-") {
        out << result;
    } else {
        TextWriter w;
        if (!w.open(o.output) || (w.write(result), !w.commit())) {
            err << "morvane exceed: " << o.output << " cannot be written\n";
            return kErrors;
        }
    }
    return warnings > 0 ? kWarnings : kFine;
}

}  // namespace morvane::cli
