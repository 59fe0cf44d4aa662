// MONWRITE with a caller's format. The input's lines: the data-line format;
// the title; the option letter, IYB and IYE; the column names; then one line
// per time entry: the time and the values of the columns. The file "m.mon"
// holds an old text before the call.
#include <algorithm>
#include <cstring>

#include "harness.hpp"

namespace {

constexpr std::size_t kMaxColumns = 150, kMaxTimes = 5000;
const std::string kOld = "old monitoring file\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> in = fuzz::lines(text);
    if (in.size() < 4 || in.size() - 4 > kMaxTimes) return -1;
    if (!fuzz::stage({{"m.mon", kOld}})) return -1;

    SeriesSpec mon;
    std::memset(&mon, 0, sizeof mon);
    mon.active = 1;
    fuzz::put(mon.path, sizeof mon.path, "m.mon");
    fuzz::put(mon.fmt, sizeof mon.fmt, in[0]);
    char title[128] = {};
    std::memcpy(title, in[1].data(), std::min<std::size_t>(128, in[1].size()));
    mon.opt = in[2].empty() ? ' ' : in[2][0];
    const std::vector<double> years = fuzz::numbers(in[2].substr(std::min<std::size_t>(1, in[2].size())));
    const std::int32_t iyb = fuzz::int_at(years, 0), iye = fuzz::int_at(years, 1);

    std::vector<VarDescriptor> vars;
    for (std::size_t i = 0, j; i < in[3].size() && vars.size() < kMaxColumns; i = j) {
        j = std::min(in[3].find(' ', i), in[3].size());
        if (j == i) { ++j; continue; }
        VarDescriptor v;
        std::memset(&v, ' ', sizeof v);
        fuzz::put(v.name, sizeof v.name, in[3].substr(i, j - i));
        fuzz::put(v.description, sizeof v.description, in[3].substr(i));
        vars.push_back(v);
    }
    const auto nv = static_cast<std::int32_t>(vars.size());
    std::vector<std::int32_t> ivar(vars.size());
    for (std::size_t i = 0; i < ivar.size(); ++i) ivar[i] = static_cast<std::int32_t>(ivar.size() - i);  // reversed
    const auto nt = static_cast<std::int32_t>(in.size() - 4);
    std::vector<float> time(in.size() - 4), val(time.size() * std::max<std::size_t>(vars.size(), 1));
    std::size_t inside = 0;
    for (std::size_t j = 0; j < time.size(); ++j) {
        const std::vector<double> row = fuzz::numbers(in[4 + j]);
        time[j] = fuzz::real_at(row, 0);
        for (std::size_t v = 0; v < vars.size(); ++v) val[v * time.size() + j] = fuzz::real_at(row, v + 1);
        inside += static_cast<float>(iyb) <= time[j] && time[j] <= static_cast<float>(iye);
    }
    const std::int32_t n0 = 1, n1 = nt;
    MONWRITE(&mon, title, vars.data(), &nv, ivar.data(), &n0, &n1, &iyb, &iye, &nt, time.data(), val.data());

    char msg[128];
    morvane_last_message(msg);
    const std::string m = fuzz::message(msg);
    fuzz::show("MONWRITE", m);
    const std::string file = fuzz::Sandbox::get().read("m.mon");
    // A failure, or a call that writes nothing, leaves the old file as it was.
    FUZZ_CHECK(m.empty() || m.starts_with("xMONWRITE: Bad format "));
    if (!m.empty() || nv == 0 || iyb > iye) {
        FUZZ_CHECK(file == kOld);
        return 0;
    }
    FUZZ_CHECK(file.ends_with("\n") && (mon.opt == 'p' || file.starts_with("!")));
    const std::string_view fmt32 = in[0].substr(0, 32);
    if (fmt32.find_first_not_of(std::string_view(" \t\0", 3)) != std::string_view::npos || nv > 98) return 0;
    // The default format: the head, then one line per time entry in the window.
    const std::size_t head = (mon.opt == 'p' ? 0 : 1 + vars.size()) + (vars.size() + 98) / 99;
    FUZZ_CHECK(static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) == head + inside);
    return 0;
}
