// MONPLOT with the settings, variables and values of the input. Its lines:
// 1  the x-label format;
// 2  the title;
// 3  the x-label option letter, then year0 year1 nxdiv xlabstep xlab0 NSTEP
//    IYOFF ASPECT IGRID NACC IVLAB YREF ZLWID IDATE NBLK N0;
// 4… one line per variable record: name ymin ymax ndiv IWIN CUMUL IVAR and
//    the option letter (a character code) of its observations; up to "%%";
// then one line per time point: the time and the values of every column
// (record r of block s is column r + (s - 1) * NREC).
// Files "r1.mon" .. "r9.mon" of the input are comparison runs 1..9 (the first
// missing one ends them); a file "o<column>.dat" holds that column's
// observations. The page "p.eps" holds an old text before the call.
#include <algorithm>
#include <array>
#include <cstring>

#include "harness.hpp"

namespace {

constexpr std::size_t kMaxRecords = 40, kMaxTimes = 3000;
const std::string kOld = "old page\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::Files files = fuzz::split_files(text, "main");
    const std::vector<std::string_view> in = fuzz::lines(files.front().second);
    files.erase(files.begin());
    files.emplace_back("p.eps", kOld);
    if (in.size() < 3 || !fuzz::stage(files)) return -1;
    const fuzz::Sandbox& box = fuzz::Sandbox::get();

    PlotSettings ps;
    std::memset(&ps, 0, sizeof ps);
    fuzz::put(ps.xlabfmt, sizeof ps.xlabfmt, in[0]);
    char title[128] = {}, subttl[128] = "subtitle", psfile[128] = "p.eps", msg[128];
    std::memcpy(title, in[1].data(), std::min<std::size_t>(127, in[1].size()));
    ps.xlabopt = in[2].empty() ? ' ' : in[2][0];
    const std::vector<double> s = fuzz::numbers(in[2].substr(std::min<std::size_t>(1, in[2].size())));
    ps.year0 = fuzz::real_at(s, 0), ps.year1 = fuzz::real_at(s, 1);
    ps.nxdiv = fuzz::int_at(s, 2), ps.xlabstep = fuzz::int_at(s, 3), ps.xlab0 = fuzz::int_at(s, 4);
    const std::int32_t nstep = fuzz::int_at(s, 5), iyoff = fuzz::int_at(s, 6);
    const float aspect = fuzz::real_at(s, 7);
    const std::int32_t igrid = fuzz::int_at(s, 8), nacc = fuzz::int_at(s, 9), ivlab = fuzz::int_at(s, 10);
    const float yref = fuzz::real_at(s, 11), zlwid = fuzz::real_at(s, 12);
    const std::int32_t idate = fuzz::int_at(s, 13) == 1 ? 1 : 0;  // the date would make pages differ
    const std::int32_t nblk = std::clamp(fuzz::int_at(s, 14, 1), 1, 3);
    const std::int32_t n0 = std::clamp(fuzz::int_at(s, 15, 1), -1000000, 1000000);

    std::vector<VarDescriptor> vars;
    std::vector<std::int32_t> iwin, cumul, ivar;
    std::vector<char> opt;
    std::size_t line = 3;
    for (; line < in.size() && in[line] != "%%" && vars.size() < kMaxRecords; ++line) {
        const std::string_view l = in[line];
        const std::size_t sp = std::min(l.find(' '), l.size());
        const std::vector<double> v = fuzz::numbers(l.substr(sp));
        VarDescriptor d;
        std::memset(&d, ' ', sizeof d);
        fuzz::put(d.name, sizeof d.name, l.substr(0, sp));
        fuzz::put(d.description, sizeof d.description, l);
        d.ymin = fuzz::real_at(v, 0), d.ymax = fuzz::real_at(v, 1), d.ndiv = fuzz::int_at(v, 2);
        vars.push_back(d);
        iwin.push_back(fuzz::int_at(v, 3));
        cumul.push_back(fuzz::int_at(v, 4));
        ivar.push_back(fuzz::int_at(v, 5, static_cast<std::int32_t>(vars.size())));
        opt.push_back(static_cast<char>(fuzz::int_at(v, 6, 'o')));
    }
    if (line < in.size() && in[line] == "%%") ++line;
    if (in.size() - line > kMaxTimes) return -1;
    const auto nrec = static_cast<std::int32_t>(vars.size()), nv = nrec;
    const std::size_t columns = vars.size() * static_cast<std::size_t>(nblk);
    const auto nt = static_cast<std::int32_t>(in.size() - line);
    const std::int32_t n1 = n0 + nt - 1;
    std::vector<float> time(static_cast<std::size_t>(nt)), val(std::max<std::size_t>(1, time.size() * columns));
    for (std::size_t k = 0; k < time.size(); ++k) {
        const std::vector<double> row = fuzz::numbers(in[line + k]);
        time[k] = fuzz::real_at(row, 0);
        for (std::size_t c = 0; c < columns; ++c) val[c * time.size() + k] = fuzz::real_at(row, c + 1);
    }
    std::vector<std::int32_t> iblk(static_cast<std::size_t>(nblk));
    for (std::size_t b = 0; b < iblk.size(); ++b) iblk[b] = static_cast<std::int32_t>(b + 1);

    std::vector<SeriesSpec> runs(9), obs(std::max<std::size_t>(1, columns));
    for (auto* v : {&runs, &obs})
        for (SeriesSpec& r : *v) std::memset(&r, 0, sizeof r), fuzz::put(r.path, sizeof r.path, "");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::string name = "r" + std::to_string(i + 1) + ".mon";
        if (!box.exists(name)) break;
        runs[i].active = 1, fuzz::put(runs[i].path, sizeof runs[i].path, name);
    }
    for (std::size_t c = 0; c < columns; ++c) {
        SeriesSpec& o = obs[c];
        const std::string name = "o" + std::to_string(c + 1) + ".dat";
        o.icol1 = 1, o.icol2 = 2, o.factor = 1.0f, o.opt = opt[c % vars.size()];
        if (box.exists(name)) o.active = 1, fuzz::put(o.path, sizeof o.path, name);
    }
    const std::array<float, 9> lwid{1, 1.5f, 0.5f, 2, 1, 1, 1, 1, 0};
    std::array<std::int32_t, 27> rgb{};
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::int32_t>(i * 37 % 256);

    MONPLOT(psfile, title, &nrec, &nv, ivar.data(), &nblk, iblk.data(), cumul.data(), iwin.data(), vars.data(), &ps,
            &aspect, subttl, &idate, lwid.data(), rgb.data(), &igrid, &nacc, &ivlab, &yref, &zlwid, &n0, &n1, nullptr,
            &iyoff, &nstep, &nt, time.data(), val.data(), runs.data(), obs.data(), msg);

    FUZZ_CHECK(msg[127] == '\0');
    const std::string m = fuzz::message(msg);
    fuzz::show("MONPLOT", m);
    const std::string page = box.read("p.eps");
    // Checks that fail leave the old page; a comparison run that cannot be
    // read leaves the unfinished page; anything else is a whole page.
    if (nv == 0 || m.starts_with("xMonplot: ")) {
        FUZZ_CHECK(page == kOld);
    } else if (!m.starts_with("xplotcomp: Error in comparison plot")) {
        FUZZ_CHECK(m.empty() || m.starts_with("xFile  "));
        FUZZ_CHECK(page.ends_with("showpage\n%%EOF\n"));
    }
    return 0;
}
