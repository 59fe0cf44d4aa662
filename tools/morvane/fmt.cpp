// morvane fmt: a data line of a monitoring file written with a caller's format.
#include <ostream>

#include "cli.hpp"
#include "output/monwrite.hpp"
#include "util/format.hpp"
#include "util/freeform.hpp"
#include "util/strings.hpp"

namespace morvane::cli {
namespace {

constexpr std::size_t kFormatWidth = 32;  // characters MONWRITE reads of a record's format

}  // namespace

int fmt(const FmtOptions& o, std::ostream& out, std::ostream& err) {
    std::vector<std::string> warnings;
    std::string text = o.format;
    if (text.size() > kFormatWidth) {
        warnings.push_back("MONWRITE reads the first " + std::to_string(kFormatWidth) + " characters of a format: " +
                           text.substr(0, kFormatWidth));
        text.resize(kFormatWidth);
    }
    if (is_blank(text)) text = kMonDefaultFormat;

    std::vector<float> values;
    for (const std::string& v : o.values) {
        ListReader r(v);
        float x = 0.0f, extra = 0.0f;
        if (r.read(x) != ReadStatus::ok || r.null() || r.read(extra) != ReadStatus::end) {
            err << "morvane fmt: " << v << " is not a number\n";
            return kErrors;
        }
        values.push_back(x);
    }

    std::string why, record;
    const std::optional<::morvane::fmt::Format> format = ::morvane::fmt::Format::parse(text, &why);
    if (format) {
        ::morvane::fmt::RecordWriter rec(*format, record);
        rec.integer(o.count);
        for (std::size_t i = 0; i < values.size() && rec.ok(); ++i) rec.real(values[i]);
        if (!rec.finish()) why = rec.error();
    }
    if (!why.empty()) {
        err << "morvane fmt: " << why << "\n";
        return kErrors;
    }
    if (o.json) {
        std::vector<std::string> lines, ws;
        for (std::size_t p = 0, e; (e = record.find('\n', p)) != std::string::npos; p = e + 1)
            lines.push_back(json_string(record.substr(p, e - p)));
        for (const std::string& w : warnings) ws.push_back(json_string(w));
        out << json_object({{"format", json_string(text)}, {"lines", json_array(lines)}, {"warnings", json_array(ws)}})
            << "\n";
    } else {
        out << record;
        for (const std::string& w : warnings) err << "morvane fmt: " << w << "\n";
    }
    return warnings.empty() ? kFine : kWarnings;
}

}  // namespace morvane::cli
