// N_2_C: numbers as text through a caller's format (kept apart because it
// needs the whole format interpreter).
#include <cmath>
#include <cstdint>

#include "util/format.hpp"
#include "util/strings.hpp"

namespace morvane {

// N_2_C: a format that cannot be applied (unreadable, or of the wrong kind for
// the number) and an integer beyond the 32-bit range give 16 asterisks; output
// beyond 16 characters is cut, and only the first line counts.
std::string n_2_c(float x, std::string_view fmt) {
    constexpr std::size_t kWidth = 16;
    if (x == 0.0f) return fit("0", kWidth);
    const std::string stars(kWidth, '*');
    const auto format = fmt::Format::parse(trimmed(fmt));
    if (!format) return stars;
    std::string out;
    fmt::RecordWriter w(*format, out);
    if (fmt.find('i') != std::string_view::npos) {
        const double r = std::round(static_cast<double>(x));  // halves away from zero
        if (!(r >= -2147483648.0 && r <= 2147483647.0)) return stars;
        w.integer(static_cast<std::int32_t>(r));
    } else {
        w.real(x);
    }
    if (!w.finish()) return stars;
    return fit(std::string_view(out).substr(0, out.find('\n')), kWidth);
}

}  // namespace morvane
