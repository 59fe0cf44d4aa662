#include "input/varin.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "input/coverage.hpp"
#include "util/error.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/freeform.hpp"
#include "util/numeric.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textreader.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr float kMarker = -999999.0f;  // the equals sign as a series value

// A constant is written with blanks, signs, digits and decimal points only.
bool constant_text(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ' ' || c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9');
    });
}

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

[[noreturn]] void unreadable(const std::string& file) {
    throw Error("xVARIN01: File  " + file + "  cannot be read!");
}

// What a valid value of the file becomes in the table: times the factor,
// then plus the offset, each step rounded to float and only when it changes
// something. The result may be missing (not above RMISS) although the value
// in the file was valid.
struct Scale {
    float factor, offset;
    float operator()(float v) const {
        if (factor != 1.0f) v = factor * v;
        if (offset != 0.0f) v = v + offset;
        return v;
    }
};

// A cell of the table: a year and its value.
struct Point {
    std::int64_t year;
    float value;
};

// The data lines from the reader's position to the end of the file: every
// value goes to take(year, step, value), valid (greater than RMISS) or not. A line
// that cannot be read, a group of NS lines with two years, or a failed read
// ends it with the message.
template <class Take>
void data_lines(TextReader& r, const std::string& file, int c, std::int32_t ns, Take&& take) {
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
        std::int32_t k = 1;
        if (ns > 1) {
            k = ++n;
            if (n == 1) y1 = y;
            if (n == ns) {
                if (y != y1) file_failure(file, "Wrong number of data in year" + iw(y1, 5) + " (?)");
                n = 0;
            }
        }
        take(y, k, v);
    }
    if (r.failed()) unreadable(file);
}

// The valid values of one step in the years beyond one edge of the run (dir
// -1: before it, +1: after it), as far as the gap filling needs them: it takes
// the nearest cell beyond the edge that is valid in the table, and nothing
// farther. A cell is known only at the end of the file (the last valid value
// of a year wins, and the scaling may make it missing), so the kKeep nearest
// years are kept; only when none of them gives a valid cell is the file read
// again for the years beyond them. Memory stays bounded whatever years the
// file spans.
class Beyond {
public:
    Beyond(int dir, std::int64_t from) : dir_(dir), from_(from) {}

    void add(std::int32_t year, float value) {
        const std::int64_t d = dir_ * (std::int64_t{year} - from_);
        if (d < 0) return;  // nearer than this side looks
        if (!near_.empty() && near_.back().first == d) {  // the nearest year again
            near_.back().second = value;
            return;
        }
        if (near_.size() >= kKeep && d > near_.front().first) {
            dropped_ = true;
            return;
        }
        // Farthest first, so that a year nearer than all is appended.
        const auto it = std::lower_bound(near_.begin(), near_.end(), d,
                                         [](const auto& e, std::int64_t key) { return e.first > key; });
        if (it != near_.end() && it->first == d) {
            it->second = value;
            return;
        }
        near_.insert(it, {d, value});
        if (near_.size() >= 2 * kKeep) {
            near_.erase(near_.begin(), near_.end() - kKeep);
            dropped_ = true;
        }
    }

    // Moves the side's nearest year outward to `year` (the table may end
    // before the run begins when the run is empty); no value lies between.
    void start_at(std::int64_t year) {
        const std::int64_t shift = dir_ * (year - from_);
        if (shift <= 0) return;
        for (auto& e : near_) e.first -= shift;
        from_ = year;
    }

    enum class Walk { found, none, again };
    // The nearest valid cell, walking outward from the edge up to the table's
    // last year `bound` on this side: a year with a value in the file is that
    // value scaled, a year without one holds `fill`. `again` when the years
    // kept are used up: the side then looks beyond them on the next reading.
    Walk walk(const Scale& scale, float rmiss, float fill, std::int64_t bound, Point& out) {
        rereading_ = false;
        const std::int64_t last = dir_ * (bound - from_);
        auto it = near_.rbegin();
        for (std::int64_t d = 0; d <= last;) {
            if (it != near_.rend() && it->first == d) {
                const float v = scale(it->second);
                if (v > rmiss) return out = {from_ + dir_ * d, v}, Walk::found;
                ++it, ++d;
                continue;
            }
            if (dropped_ && (near_.empty() || d > near_.front().first)) {
                from_ += dir_ * d;
                near_.clear();
                dropped_ = false;
                return rereading_ = true, Walk::again;
            }
            if (fill > rmiss) return out = {from_ + dir_ * d, fill}, Walk::found;
            if (it == near_.rend()) break;
            d = it->first;
        }
        return Walk::none;
    }

    // Whether the side waits for the file to be read again.
    bool rereading() const { return rereading_; }

private:
    static constexpr std::size_t kKeep = 64;
    int dir_;
    std::int64_t from_;                                 // the year nearest to the run on this side
    std::vector<std::pair<std::int64_t, float>> near_;  // (distance from from_, value), farthest first
    bool dropped_ = false;                              // a year beyond the farthest kept may hold a value
    bool rereading_ = false;
};

// One step's series over the run's years lo..hi, gaps filled as vecintp
// fills the whole row: each missing cell between two valid ones on the
// straight line between them, the ends held at the nearest valid value.
// below and above are the nearest valid cells outside the run. False when
// the row holds no valid cell at all.
template <class Cell, class Store>
bool fill_step(std::int64_t lo, std::int64_t hi, float rmiss, const std::optional<Point>& below,
               const std::optional<Point>& above, Cell&& cell, Store&& store) {
    std::optional<Point> prev = below;
    for (std::int64_t y = lo; y <= hi;) {
        const float v = cell(y);
        if (v > rmiss) {
            store(y, v);
            prev = Point{y, v};
            ++y;
            continue;
        }
        // A gap y .. z-1, closed by the next valid cell z (or the one after the run).
        std::int64_t z = y + 1;
        float vz = 0.0f;
        while (z <= hi && !((vz = cell(z)) > rmiss)) ++z;
        const std::optional<Point> next = z <= hi ? std::optional<Point>(Point{z, vz}) : above;
        if (!prev && !next) return false;
        if (prev && next) {
            const float s = (next->value - prev->value) / static_cast<float>(next->year - prev->year);
            for (std::int64_t m = y; m < z; ++m) store(m, prev->value + s * static_cast<float>(m - prev->year));
        } else {
            const float hold = prev ? prev->value : next->value;
            for (std::int64_t m = y; m < z; ++m) store(m, hold);
        }
        y = z;
    }
    return prev || above;
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
    const Scale scale{col.factor, col.offset};

    std::optional<TextReader> reader = TextReader::open(file);
    if (!reader) unreadable(file);
    TextReader& r = *reader;

    // The comment lines at the top; the header is the last of them, else the
    // first line, which is then no data line.
    std::string header;
    std::string_view line;
    bool more = false;
    int ncom = 0;
    while ((more = r.next(line)) && !line.empty() && line.front() == '!') {
        ++ncom;
        if (col.isname) header.assign(line);
    }
    if (r.failed()) unreadable(file);
    if (!more) throw Error("xVARIN01: File  " + file + "  holds no data!");
    const bool header_line = col.isname && ncom == 0;
    if (header_line)
        header.assign(line);
    else
        r.back();
    int c = col.icol;
    if (col.isname) {
        c = wordidx(header, col.cname, std::string_view(" \0\t,", 4)) - 1;
        if (c < 0)
            throw Error("xVARIN01: Column with name  " + col.cname + "  not found in  " + file);
    }

    // The table of the gap filling spans D(1..NS, YB..YE), YB..YE the run's
    // years and every year with a valid value. Of it only the run's years are
    // held (as the values read, NaN where there is none), and beyond them, per
    // step, the nearest years (Beyond).
    const std::int64_t lo = iyrb, hi = std::max<std::int64_t>(iyre, std::int64_t{iyrb} - 1);
    const std::size_t nyears = static_cast<std::size_t>(hi - lo + 1);
    const auto at = [&](std::int64_t y, std::int32_t k) {
        return static_cast<std::size_t>(y - lo) * static_cast<std::size_t>(ns) + static_cast<std::size_t>(k - 1);
    };
    std::vector<float> run(nyears * static_cast<std::size_t>(ns), std::numeric_limits<float>::quiet_NaN());
    std::vector<std::unique_ptr<Beyond>> sides(2 * static_cast<std::size_t>(ns));  // step k: 2k-2 before, 2k-1 after
    const auto side = [&](std::int32_t k, bool before) -> std::unique_ptr<Beyond>& {
        return sides[2 * static_cast<std::size_t>(k - 1) + (before ? 0 : 1)];
    };

    bool found = false;
    std::int32_t ymin = iyrb, ymax = iyre;
    // For the warnings: the file's first and last year with a valid value,
    // and the run's steps whose line marks the value as missing.
    const bool wanted = warnings_wanted();
    std::int32_t fmin = std::numeric_limits<std::int32_t>::max(), fmax = std::numeric_limits<std::int32_t>::min();
    std::vector<bool> marked(wanted ? run.size() : 0);
    data_lines(r, file, c, ns, [&](std::int32_t y, std::int32_t k, float v) {
        if (!(v > rmiss)) {
            if (wanted && y >= lo && y <= hi) marked[at(y, k)] = true;
            return;
        }
        found = true;
        fmin = std::min(fmin, y);
        fmax = std::max(fmax, y);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
        if (y >= lo && y <= hi) {
            run[at(y, k)] = v;
            return;
        }
        std::unique_ptr<Beyond>& s = side(k, y < lo);
        if (!s) s = std::make_unique<Beyond>(y < lo ? -1 : 1, y < lo ? lo - 1 : hi + 1);
        s->add(y, v);
    });
    if (!found) file_failure(file, "No data in column" + iw(c, 4));

    // The nearest valid cell before and after the run, per step. A side
    // without values in the file walks an empty list (cells of the fill).
    const float fill = rmiss + rmiss;  // the table's cells without a value
    const std::int64_t yb = ymin, ye = ymax;
    const auto nearest = [&](std::size_t i, Point& p) {
        const bool before = i % 2 == 0;
        Beyond none(before ? -1 : 1, before ? lo - 1 : hi + 1);
        Beyond& b = sides[i] ? *sides[i] : none;
        if (before) b.start_at(std::min<std::int64_t>(lo - 1, ye));
        return b.walk(scale, rmiss, fill, before ? yb : ye, p);
    };
    // Read the file again while a side needs years beyond those it kept.
    std::vector<std::size_t> again;
    Point p{};
    for (std::size_t i = 0; i < sides.size(); ++i)
        if (sides[i] && nearest(i, p) == Beyond::Walk::again) again.push_back(i);
    while (!again.empty()) {
        if (!r.rewind()) unreadable(file);
        if (header_line) r.next(line);
        data_lines(r, file, c, ns, [&](std::int32_t y, std::int32_t k, float v) {
            if (v > rmiss && (y < lo || y > hi))
                if (const std::unique_ptr<Beyond>& s = side(k, y < lo); s && s->rereading()) s->add(y, v);
        });
        std::erase_if(again, [&](std::size_t i) { return nearest(i, p) != Beyond::Walk::again; });
    }

    for (std::int32_t k = 1; k <= ns; ++k) {
        const auto cell = [&](std::int64_t y) {
            const float v = run[at(y, k)];
            return v == v ? scale(v) : fill;
        };
        const auto store = [&](std::int64_t y, float v) {
            vec[static_cast<std::size_t>(first + (y - iyrb) * ns + k - 1)] = v;
        };
        std::optional<Point> below, above;
        if (Point q{}; nearest(2 * static_cast<std::size_t>(k - 1), q) == Beyond::Walk::found) below = q;
        if (Point q{}; nearest(2 * static_cast<std::size_t>(k - 1) + 1, q) == Beyond::Walk::found) above = q;
        if (!fill_step(lo, hi, rmiss, below, above, cell, store)) throw Error("xVARIN01: Error in vecintp!");
    }

    if (wanted && iyre >= iyrb) {
        // The file without its folders (the warning names the keyword too).
        const std::string name = file.substr(file.find_last_of("/\\") + 1);
        const std::string_view column = trimmed(parts[1]);
        warn_coverage(column.empty() ? name : name + ";" + std::string(column), iyrb, iyre, ns, fmin, fmax,
                      [&](std::int64_t t) {
                          const std::size_t i = static_cast<std::size_t>(t);  // run step t is cell t of the run's years
                          return run[i] == run[i] ? StepData::value : marked[i] ? StepData::marked : StepData::none;
                      });
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
