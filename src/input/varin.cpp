#include "input/varin.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "util/error.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/freeform.hpp"
#include "util/numeric.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textfile.hpp"

namespace morvane {
namespace {

constexpr float kMarker = -999999.0f;  // the equals sign as a series value

// A constant is written with blanks, signs, digits and decimal points only.
bool constant_text(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9');
    });
}

// One valid value of the data file: its step k (1..NS) and year.
struct Entry {
    std::int32_t year;
    std::int32_t step;
    float value;
};

// Reads the year and the value of column c (the c-th number after the year;
// c < 2 is the first) from a data line. The numbers between are passed over
// (a null value among them is allowed); a null year or value makes the line bad.
bool read_line(std::string_view line, int c, std::int32_t& year, float& value) {
    ListReader in(line);
    if (in.read(year) != ReadStatus::ok || in.null()) return false;
    if (c > 1 && in.skip(c - 1) != ReadStatus::ok) return false;
    return in.read(value) == ReadStatus::ok && !in.null();
}

// A number of a message, written as under the edit descriptor Iw.
std::string iw(std::int64_t v, int w) {
    std::string out;
    fmt::put_int(out, v, w);
    return out;
}

[[noreturn]] void file_failure(const std::string& file, std::string_view what) {
    throw Error("xVARIN01: File " + file + ": " + std::string(what));
}

void read_series(const std::string& text, std::int32_t n0, std::int32_t iyrb, std::int32_t iyre,
                        std::int32_t ns, float rmiss, std::span<float> vec) {
    const std::int64_t steps = (std::int64_t{iyre} - iyrb + 1) * ns;  // the run's steps
    const std::int64_t first = std::int64_t{iyrb} - n0;                // VEC(IYRB) in vec

    // Constant: every step of the run.
    if (constant_text(text)) {
        if (is_blank(text)) throw Error("xVARIN01: No value given!");
        float v = 0.0f;
        ListReader in(text);
        if (in.read(v) != ReadStatus::ok)
            throw Error("xVARIN01: Bad value  " + std::string(trimmed(text)) + "  !");
        for (std::int64_t i = 0; i < steps; ++i) vec[static_cast<std::size_t>(first + i)] = v;
        return;
    }

    const std::vector<std::string> parts = splitat(text, ';', 2);
    if (ischar(parts[0], '=')) {
        vec[static_cast<std::size_t>(first)] = kMarker;
        return;
    }
    // The file name without its surrounding blanks.
    const std::string file(trimmed(parts[0]));
    if (!file_exists(file)) throw Error("xVARIN01: File  " + file + "  does not exist!");
    const ColumnSpec col = parsecol(parts[1]);

    std::optional<TextReader> reader = TextReader::open(file);
    if (!reader) throw Error("xVARIN01: File  " + file + "  cannot be read!");
    TextReader& r = *reader;
    const int ncom = skipcom(r, '!');
    if (ncom < 0) throw Error("xVARIN01: File  " + file + "  holds no data!");

    int c = col.icol;
    if (col.isname) {
        // The header is the last leading comment line, else the first line,
        // which is then no data line.
        std::string_view header;
        if (ncom > 0) {
            r.rewind();
            for (int i = 0; i < ncom; ++i) r.next(header);
        } else {
            r.next(header);
        }
        c = wordidx(header, col.cname, std::string_view(" \0\t,", 4)) - 1;
        if (c < 0)
            throw Error("xVARIN01: Column with name  " + col.cname + "  not found in  " + file);
    }

    // One pass: the span of valid data, the group check, and the valid values.
    std::int32_t yb = iyrb, ye = iyre;
    std::vector<Entry> entries;
    int n = 0;
    std::int32_t y1 = 0;
    std::string_view line;
    while (r.next(line)) {
        if (!line.empty() && line.front() == '!') continue;
        if (is_blank(line)) continue;  // zero bytes and tabs are blanks
        std::int32_t y = 0;
        float v = 0.0f;
        if (!read_line(line, c, y, v))
            file_failure(file, "Bad data in line" + iw(static_cast<std::int64_t>(r.line_number()), 6));
        int k = 1;
        if (ns > 1) {
            k = ++n;
            if (n == 1) y1 = y;
            if (n == ns) {
                if (y != y1) file_failure(file, "Wrong number of data in year" + iw(y1, 5) + " (?)");
                n = 0;
            }
        }
        if (v > rmiss) {
            yb = std::min(yb, y);
            ye = std::max(ye, y);
            entries.push_back({y, k, v});
        }
    }
    if (entries.empty()) file_failure(file, "No data in column" + iw(c, 4));

    // The table D(1..NS, YB..YE), one row of years per step, all missing.
    const std::uint64_t years = static_cast<std::uint64_t>(std::int64_t{ye} - yb + 1);
    if (years * static_cast<std::uint64_t>(ns) > std::vector<float>().max_size()) throw Error("xVARIN01: Out of memory!");
    const std::size_t ny = static_cast<std::size_t>(years);
    std::vector<float> table(static_cast<std::size_t>(ns) * ny, rmiss + rmiss);
    for (const Entry& e : entries) {
        float v = e.value;
        if (col.factor != 1.0f) v = col.factor * v;
        if (col.offset != 0.0f) v = v + col.offset;
        table[static_cast<std::size_t>(e.step - 1) * ny + static_cast<std::size_t>(e.year - yb)] = v;
    }

    for (std::int32_t k = 1; k <= ns; ++k) {
        const std::span<float> row(table.data() + static_cast<std::size_t>(k - 1) * ny, ny);
        if (vecintp(yb, yb, ye, rmiss, row) != 0) throw Error("xVARIN01: Error in vecintp!");
        for (std::int64_t y = iyrb; y <= iyre; ++y)
            vec[static_cast<std::size_t>(first + (y - iyrb) * ns + k - 1)] = row[static_cast<std::size_t>(y - yb)];
    }
}

}  // namespace

void varin01(std::string_view text, std::int32_t n0, std::int32_t iyrb, std::int32_t iyre, std::int32_t ns,
             float rmiss, std::span<float> vec) {
    if (iyrb < n0) throw Error("xVARINO1: iyrb < n0!");
    // Checks of this library's own: a step count below 1 has no meaning, and
    // the series must hold the run (the first step at least, for the marker).
    if (ns < 1) throw Error("xVARIN01: ns < 1!");
    const std::int64_t steps = std::max<std::int64_t>((std::int64_t{iyre} - iyrb + 1) * ns, 1);
    if (std::int64_t{iyrb} - n0 + steps > static_cast<std::int64_t>(vec.size()))
        throw Error("xVARIN01: Series array too short for the run!");
    try {
        read_series(tidy(text), n0, iyrb, iyre, ns, rmiss, vec);
    } catch (const std::bad_alloc&) {
        throw Error("xVARIN01: Out of memory!");
    }
}

}  // namespace morvane
