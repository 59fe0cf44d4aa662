#include "output/monwrite.hpp"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "util/bytevec.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/format.hpp"
#include "util/strings.hpp"
#include "util/textwriter.hpp"

namespace morvane {
namespace {

constexpr std::string_view kPrefix = "xMONWRITE: ";
constexpr std::size_t kFormatWidth = 32;
constexpr int kHeadingsPerLine = 99;
constexpr std::string_view kHeadingStart = "!count        ,time";
// With the default format one record holds the counter and 99 reals.
constexpr std::int32_t kDefaultMaxColumns = 98;

// The data format: the first 32 characters of fmt, the default when blank.
std::string data_format(const SeriesSpec& mon) {
    std::string text = field_text(mon.fmt, kFormatWidth);
    if (is_blank(text)) return kMonDefaultFormat;
    return text;
}

// "xMONWRITE: Bad format <text>: <reason>", the engine's own mention of the
// format taken off its reason.
[[noreturn]] void bad_format(const std::string& text, std::string_view why) {
    const std::string own = "Format " + text + ": ";
    if (why.starts_with(own)) why.remove_prefix(own.size());
    throw Error(std::string(kPrefix) + "Bad format " + text + ": " + std::string(why));
}

[[noreturn]] void fail(std::string_view what) { throw Error(std::string(kPrefix) + std::string(what)); }

bool is_default_format(std::string_view text) {
    std::string t;
    for (char c : text)
        if (c != ' ') t.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return t == kMonDefaultFormat;
}

}  // namespace

void monwrite(const SeriesSpec& mon, const char* title, const VarDescriptor* vars, std::int32_t nv,
              const std::int32_t* ivar, std::int32_t n0, std::int32_t n1, std::int32_t iyb, std::int32_t iye,
              std::int32_t nt, const float* time, const float* val) {
    if (nv <= 0 || iyb > iye || (mon.active & 1) == 0) return;

    const std::size_t ncol = static_cast<std::size_t>(nv);
    for (std::size_t i = 0; i < ncol; ++i)
        if (ivar[i] < 1) fail("Bad variable index " + std::to_string(ivar[i]));

    // The window in 32-bit floats; every entry inside it must lie in N0:N1.
    const float ylo = static_cast<float>(iyb);
    const float yhi = static_cast<float>(iye);
    const std::int64_t ld = static_cast<std::int64_t>(n1) - n0 + 1;
    const auto inside = [&](std::int64_t j) { return ylo <= time[j] && time[j] <= yhi; };
    for (std::int64_t j = std::max<std::int64_t>(ld, 0); j < nt; ++j)
        if (inside(j)) fail("Time entry " + std::to_string(j + 1) + " beyond N1");

    // The format is parsed and tried on one record before any file is touched:
    // a format that cannot take the items (counter, time, NV reals) is refused
    // even when no time entry falls in the window.
    const std::string ftext = data_format(mon);
    const bool fast = is_default_format(ftext) && nv <= kDefaultMaxColumns;
    std::optional<fmt::Format> format;
    if (!fast) {
        std::string why;
        format = fmt::Format::parse(ftext, &why);
        if (format) {
            std::string scratch;
            fmt::RecordWriter rec(*format, scratch);
            rec.integer(0);
            rec.real(0.0f);
            for (std::size_t i = 0; i < ncol && rec.ok(); ++i) rec.real(0.0f);
            if (!rec.finish()) why = rec.error();
        }
        if (!format || !why.empty()) bad_format(ftext, why);
    }

    const std::string path = field_text(mon.path);
    TextWriter out;
    if (!out.open(path)) fail("Cannot write file " + path);
    std::string& buf = out.buffer();

    std::vector<std::string> names(ncol);
    for (std::size_t i = 0; i < ncol; ++i) names[i] = tidy_field(vars[ivar[i] - 1].name);  // padding kept

    if (mon.opt != 'p') {
        buf += '!';
        buf += trim_right(byte2str(title, kMessageBytes));
        buf += '\n';
        for (std::size_t i = 0; i < ncol; ++i) {
            const VarDescriptor& v = vars[ivar[i] - 1];
            buf += '!';
            buf += names[i];
            buf += ": ";
            buf += trim_right(tidy_field(v.description));
            buf += '\n';
        }
    }
    for (std::size_t i = 0; i < ncol; ++i) {
        if (i % kHeadingsPerLine == 0) {
            if (i > 0) buf += '\n';
            buf += kHeadingStart;
        }
        buf += "    ,";
        buf += names[i];
    }
    buf += '\n';

    // Column starts in VAL (columns are N1 - N0 + 1 reals apart).
    std::vector<const float*> cols(ncol);
    for (std::size_t i = 0; i < ncol; ++i) cols[i] = val + (static_cast<std::int64_t>(ivar[i]) - 1) * ld;

    // Every entry inside the window is now known to lie below N1.
    std::int32_t k = 0;
    if (fast) {
        std::vector<float> row(ncol + 1);
        for (std::int32_t j = 0; j < nt; ++j) {
            if (!inside(j)) continue;
            row[0] = time[j];
            for (std::size_t i = 0; i < ncol; ++i) row[i + 1] = cols[i][j];
            fmt::put_int_general_record(buf, k, 6, row, 13, 5);
            ++k;
            out.maybe_flush();
        }
    } else {
        for (std::int32_t j = 0; j < nt; ++j) {
            if (!inside(j)) continue;
            fmt::RecordWriter rec(*format, buf);
            rec.integer(k);
            rec.real(time[j]);
            for (std::size_t i = 0; i < ncol && rec.ok(); ++i) rec.real(cols[i][j]);
            if (!rec.finish()) bad_format(ftext, rec.error());
            ++k;
            out.maybe_flush();
        }
    }
    if (!out.commit()) fail("Cannot write file " + path);
}

}  // namespace morvane
