#include "input/model_input.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "input/keylist.hpp"
#include "input/vocabulary.hpp"
#include "support/test_support.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/strings.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

using morvane::testing::scratch_dir;
using morvane::testing::write_file;
using F = std::vector<float>;
using std::tuple;

constexpr float kUnset = 12345.0f;  // what the caller put into every output

std::string floats(const F& v) {  // shortest exact forms, comma-separated
    std::string out;
    for (const float x : v) {
        char buf[32];
        out.append(out.empty() ? "" : ",").append(buf, std::to_chars(buf, buf + sizeof buf, x).ptr);
    }
    return out;
}

// A record on one line: path|active|opt|icol1,icol2|factor|cval.
std::string rec(const SeriesSpec& s) {
    return std::string(trim_right(std::string_view(s.path, 256))) + "|" + std::to_string(s.active) + "|" +
           (s.opt ? s.opt : '-') + "|" + std::to_string(s.icol1) + "," + std::to_string(s.icol2) + "|" +
           floats({s.factor}) + "|" + floats({s.cval[0], s.cval[1], s.cval[2]});
}

// A model program's storage for one READINP call, every output preset to kUnset.
struct SoilCall {
    std::int32_t ib, ie;
    std::size_t n;
    std::vector<VarDescriptor> vars = std::vector<VarDescriptor>(3);
    std::unique_ptr<KEYLIST> list = std::make_unique<KEYLIST>();
    std::optional<std::string> site;
    std::int32_t iyb = -7, iye = -7, nstep = -7, addso4ss = -7, excmod = -7, rcoomod = -7;
    float thick = kUnset, bulkdens = kUnset, cec = kUnset, eca = kUnset, emg = kUnset, ek = kUnset, bsat = kUnset;
    float expal = kUnset, cpool = kUnset, cnrat = kUnset, cnmin = kUnset, cnmax = kUnset, cnseq = kUnset;
    float fde = kUnset, parentca = kUnset, alox = kUnset, so4admax = kUnset, so4half = kUnset;
    float po4admax = kUnset, po4half = kUnset, exph = kUnset, fni = kUnset;
    F kexc = F(36, kUnset), rcoopars = F(3, kUnset), cmin = F(9, kUnset), alapars = F(2, kUnset);
    F theta, pco2, lgkalox, nimacc, crcoo, tempc, percol, alwe, nfix, weath, upt, dep;
    SeriesSpec mon{}, bal{};
    std::vector<SeriesSpec> obs = std::vector<SeriesSpec>(3);
    std::map<std::string, int> obs_index{{"pH", 1}, {"Ca", 2}};
    float area_c = kUnset, area_l = kUnset, depth = kUnset, pco2w = kUnset, expalw = kUnset, lgkw = kUnset;
    F ret = F(9, kUnset), orgpar = F(3, kUnset), alaparw = F(2, kUnset), mdoc = F(6, kUnset);
    std::int32_t orgmodw = -7;

    SoilCall(std::int32_t ib_, std::int32_t ie_, const std::string& model, const std::string& file)
        : ib(ib_), ie(ie_), n(static_cast<std::size_t>(ie_ - ib_ + 1)) {
        std::memset(list.get(), ' ', sizeof(KEYLIST));
        set_field(list->name, 16, model);
        set_field(list->file, 256, file);
        for (auto* v : {&theta, &pco2, &lgkalox, &nimacc, &crcoo, &tempc, &percol, &alwe, &nfix}) v->assign(n, kUnset);
        for (auto* v : {&weath, &upt, &dep}) v->assign(9 * n, kUnset);
        for (auto* s : {&mon, &bal, &obs[0], &obs[1], &obs[2]}) std::memset(s, 0, sizeof *s), set_field(s->path, 256, "");
        const char* names[] = {"pH", "Ca", "SO4"};
        for (std::size_t i = 0; i < 3; ++i) std::memset(&vars[i], ' ', sizeof vars[i]), set_field(vars[i].name, 8, names[i]);
    }

    std::string run() {
        SoilInput in;
        in.vars = vars;
        in.obsind = [this](std::string_view name) -> std::int32_t {
            auto it = obs_index.find(std::string(trim_right(name)));
            return it == obs_index.end() ? 0 : it->second;
        };
        in.list = list.get();
        in.ib = ib, in.ie = ie, in.site = &site;
        in.iyb = &iyb, in.iye = &iye, in.nstep = &nstep, in.addso4ss = &addso4ss;
        in.thick = &thick, in.bulkdens = &bulkdens, in.theta = theta.data(), in.pco2fac = pco2.data();
        in.cec = &cec, in.eca_0 = &eca, in.emg_0 = &emg, in.ek_0 = &ek, in.bsat_0 = &bsat, in.excmod = &excmod;
        in.kexc = kexc.data(), in.expal = &expal, in.lgkalox = lgkalox.data(), in.nim_acc = nimacc.data();
        in.cpool_0 = &cpool, in.cnrat_0 = &cnrat, in.cnratmin = &cnmin, in.cnratmax = &cnmax;
        in.cnratseq = &cnseq, in.f_de = &fde, in.rcoomod = &rcoomod, in.rcoopars = rcoopars.data();
        in.crcoo = crcoo.data(), in.tempc = tempc.data(), in.percol = percol.data(), in.cmin = cmin.data();
        in.weathering = weath.data(), in.uptake = upt.data(), in.deposition = dep.data();
        in.mon = &mon, in.obs = obs.data(), in.bal = &bal;
        in.parentca = &parentca, in.alox_0 = &alox, in.so4admax = &so4admax, in.so4half = &so4half;
        in.po4admax = &po4admax, in.po4half = &po4half, in.exph = &exph, in.alapars = alapars.data();
        in.f_ni = &fni, in.al_we = alwe.data(), in.n_fix = nfix.data();
        return message_of([&] { return readinp(in); });
    }
    std::string run_water() {  // READINPW on the list READINP left
        WaterInput in;
        in.list = list.get();
        in.ib = in.iyb = ib, in.ie = in.iye = ie, in.nstep = 1;
        in.area_c = &area_c, in.area_l = &area_l, in.depth_l = &depth, in.pco2facw = &pco2w;
        in.expalw = &expalw, in.lgkaloxw = &lgkw, in.retention = ret.data(), in.orgmodw = &orgmodw;
        in.orgparw = orgpar.data(), in.mdocw = mdoc.data(), in.alaparw = alaparw.data();
        return message_of([&] { return readinpw(in); });
    }
    // The outputs named in want ("name=value;...", as the map below shows them); got:KEY for KEYGOT.
    std::string show(const std::string& msg, const std::string& wmsg, const std::string& want) const {
        const std::map<std::string, std::string> all = {
            {"msg", msg}, {"wmsg", wmsg}, {"n", std::to_string(list->n)}, {"theta", floats({theta[0], theta[n - 1]})},
            {"mon", rec(mon)}, {"site", site.value_or("-")}, {"thick", floats({thick})},
            {"period", std::to_string(iyb) + "," + std::to_string(iye) + "," + std::to_string(nstep)},
            {"exc", floats({eca, emg, ek, bsat})}, {"rcoomod", std::to_string(rcoomod)},
            {"rcoopars", floats(rcoopars)}, {"alapars", floats(alapars)}, {"orgmodw", std::to_string(orgmodw)},
            {"water", floats({area_c, orgpar[0], orgpar[2], mdoc[3], ret[2], alaparw[1]})}};
        std::string out;
        for (std::size_t pos = 0, end = 0; end != std::string::npos; pos = end + 1) {
            end = want.find(';', pos);
            const std::string name = want.substr(pos, want.find('=', pos) - pos);
            const auto it = all.find(name);
            out += (pos ? ";" : "") + name + "=" +
                   (it != all.end() ? it->second : name.starts_with("got:") ? std::to_string(got(name.substr(4))) : "?");
        }
        return out;
    }
    float ion(const F& m, int i, std::int32_t t) const {
        return m[static_cast<std::size_t>(t - ib) * 9 + static_cast<std::size_t>(i - 1)];
    }
    float at(const F& v, std::int32_t t) const { return v[static_cast<std::size_t>(t - ib)]; }
    bool got(std::string_view key) const { return keygot(*list, key); }
    bool defaulted(std::string_view key) const {
        int ind = 0;
        return keyfind(*list, key, ind) && list->def[ind - 1] != 0;
    }
};

// One call per row: the model, the run's bounds, the keyword file and the outputs expected (see show()).
TEST(ReadInp, Scenarios) {
    const std::string dir = scratch_dir();
    const std::string frac = "msg=xREADINP: None or all exchangeable fractions (ECa_0, EMg_0, EK_0) have to be defined!";
    struct Row { const char* model; std::int32_t ib, ie; std::string lines, want; };
    const Row rows[] = {
        // model names: an unknown one leaves the list unloaded (all blanks) and the outputs untouched
        {"KESTO", 1900, 2000, "thick 0.5\n", "msg=;thick=0.5"},
        {"KESTO3", 1900, 2000, "thick 0.5\n", "msg=;thick=0.5"},
        {"KESTO2X", 1900, 2000, "thick 0.5\n", "msg=;thick=0.5"},
        {"OLUX", 1900, 2000, "thick 0.5\n", "msg=;thick=0.5"},
        {"kesto", 1900, 2000, "thick 0.5\n", "msg=xREADINP: Unknown model!;thick=12345;n=538976288;site=-"},
        {"OL", 1900, 2000, "thick 0.5\n", "msg=xREADINP: Unknown model!;thick=12345;n=538976288;site=-"},
        {"KEST", 1900, 2000, "thick 0.5\n", "msg=xREADINP: Unknown model!;thick=12345;n=538976288;site=-"},
        // the period: years, steps per year, bounds
        {"KESTO", 1800, 2100, "period 1900 2000\n", "msg=;period=1900,2000,1;got:period=1"},
        {"OLU", 1800, 2100, "period 1900 2000\n", "msg=;period=1900,2000,1;got:period=1"},
        {"KESTO", 1900, 1900 + 101 * 12 - 1, "period 1900 2000 12\n", "msg=;period=1900,2000,12;got:period=1"},
        {"KESTO2", 1900, 1900 + 101 * 12 - 2, "period 1900 2000 12\n",
         "msg=xREADINP: last year (time step) > IE!;period=1900,2000,12;got:period=0"},
        {"OLU", 1900, 2000, "period 1900 2000 12\n", "msg=;period=1900,2000,1;got:period=1"},
        {"KESTO", 1900, 2100, "period 1899 2000\n", "msg=xREADINP: first year (time step) < IB!;period=1899,2000,1;got:period=0"},
        {"KESTO", 1950, 1960, "thick 1\n", "msg=;period=1950,1960,1;got:period=0"},
        {"KESTO", 1800, 2100, "period 1900\n", "msg=xREADINP: Cannot read period: 1900;period=-7,-7,1;got:period=0"},
        // exchangeable fractions (ECa EMg EK bsat): none or all, bsat only without them (KESTO ignores EK)
        {"KESTO", 1900, 2000, "ECa_0 0.2\n", frac + ";exc=0.2,-1,-1,-1"},
        {"KESTO", 1900, 2000, "bsat_0 0.4\n", "msg=;exc=-1,-1,-1,0.4"},
        {"KESTO", 1900, 2000, "ECa_0 0.2\nEMg_0 0.1\nEK_0 0.05\nbsat_0 0.4\n", "msg=;exc=0.2,0.1,-1,-1"},
        {"OLU", 1900, 2000, "EK_0 0.05\n", frac + ";exc=-1,-1,0.05,-1"},
        {"OLU", 1900, 2000, "ECa_0 0.2\nEMg_0 0.1\nEK_0 0.05\nbsat_0 0.4\n", "msg=;exc=0.2,0.1,0.05,-1"},
        {"OLU", 1900, 2000, "ECa_0 -1\nEMg_0 -1\nEK_0 -2\n", "msg=;exc=-1,-1,-2,-1"},
        // organic acids only where there is charge (cRCOO > 0); AlApars only for RCOOmod 2 and only in KESTO
        {"KESTO", 1990, 1995, "cRCOO 0\nRCOOmod 2\nRCOOpars 1 2\n", "msg=;rcoomod=-1;rcoopars=0,0,0;alapars=0,0"},
        {"KESTO", 1990, 1995, "cRCOO 0.05\nRCOOmod 0\nRCOOpars 1 2 3\n", "msg=;rcoomod=0;rcoopars=1,2,3;alapars=0,0"},
        {"KESTO", 1990, 1995, "cRCOO 0.05\nRCOOmod 2\nRCOOpars 4 5 6\nAlApars 7 8\n", "msg=;rcoomod=2;rcoopars=4,5,0;alapars=7,8"},
        {"KESTO", 1990, 1995, "cRCOO 0.05\nRCOOmod 1\nRCOOpars 4\nAlApars 7 8\n", "msg=;rcoomod=1;rcoopars=4,0,0;alapars=0,0"},
        {"KESTO", 1990, 1995, "cRCOO 0.05\nRCOOmod 5\nRCOOpars 1 2 3 4 5\n", "msg=;rcoomod=5;rcoopars=1,2,3;alapars=0,0"},
        {"KESTO", 1990, 1995, "cRCOO 0.05\nRCOOmod 0\nRCOOpars 1 2\n",
         "msg=xREADINP: Cannot read RCOOpars: 1 2;rcoomod=0;rcoopars=0,0,0;alapars=12345,12345"},
        {"OLU", 1990, 1995, "cRCOO 0.05\nRCOOmod 3\nRCOOpars 1 2 3\nAlApars 7 8\n",
         "msg=;rcoomod=3;rcoopars=1,2,3;alapars=12345,12345"},
        {"KESTO", 1990, 1995, "cRCOO 0.05\n", "msg=;rcoomod=-1;rcoopars=0,0,0;alapars=0,0"},
        // a failing series does not stop the reading; a missing file gives the defaults
        {"OLU", 1990, 1995, "TempC missing.dat;\\1\nthick 0.4\npercol " + dir + "/nothere.dat\nAddSO4ss 1\n",
         "msg=xVARIN01: File  " + dir + "/nothere.dat  does not exist!;thick=0.4;got:AddSO4ss=1"},
        {"KESTO", 1990, 1995, "", "msg=;n=-1;period=1990,1995,1;exc=-1,-1,-1,-1;theta=0.3,0.3;mon=KESTO.mon|-1|-|0,0|0|0,0,0"},
        // READINPW after READINP: water = Area_c, ORGPARW(1), ORGPARW(3), MDOCW(4), retention(3), ALAPARW(2)
        {"KESTO2", 1990, 1995, "Area_c 2\n", "wmsg=xREADINPw: Unknown model!;orgmodw=-7;water=12345,12345,12345,12345,12345,12345"},
        {"KESTO", 1990, 1995, "Area_l 3\n", "wmsg=;orgmodw=-7;water=0,12345,12345,12345,12345,12345"},
        {"KESTO", 1990, 1995, "Area_c 2\nOrgparw 1 2 3\nmDOCw 5\nretNH4 0.5\n", "wmsg=;orgmodw=-1;water=2,0,0,0,0.5,0"},
        {"KESTO", 1990, 1995, "Area_c 2\nOrgmodw 0\nOrgparw 1 2 3\nmDOCw 5\nAlAparw 1 2\n", "wmsg=;orgmodw=0;water=2,1,3,5,0,0"},
        {"KESTO", 1990, 1995, "Area_c 2\nOrgmodw 1\nOrgparw 4 9 9\nmDOCw 5\n", "wmsg=;orgmodw=1;water=2,4,0,5,0,0"},
        {"KESTO", 1990, 1995, "Area_c 2\nOrgmodw 2\nOrgparw 4 9 9\nAlAparw 1 2\n", "wmsg=;orgmodw=2;water=2,4,0,0,0,2"},
        {"OLU", 1990, 1995, "Area_c 2\nOrgmodw 2\nOrgparw 4 9\nretNH4 0.5\nAlAparw 1 2\n", "wmsg=;orgmodw=2;water=2,4,0,0,0,12345"},
        {"KESTO", 1990, 1995, "Area_c 2\nOrgmodw 0\nOrgparw 4 9\n", "wmsg=xREADINPw: Cannot read Orgparw: 4 9;orgmodw=0;water=2,0,0,0,0,12345"},
    };
    int idx = 0;
    for (const Row& r : rows) {
        const std::string file = dir + "/r" + std::to_string(idx++) + ".inp";
        if (!r.lines.empty()) write_file(file, r.lines);
        SoilCall call(r.ib, r.ie, r.model, file);
        const std::string msg = call.run();
        const std::string wmsg = r.want.starts_with("wmsg=") ? call.run_water() : "";
        EXPECT_EQ(call.show(msg, wmsg, r.want), r.want) << r.model << ": " << r.lines;
    }
}

TEST(ReadInp, DefaultsExchangeMatrixAndBookkeeping) {
    const std::string dir = scratch_dir();
    write_file(dir + "/k.inp", "SiteInfo   Test site\t(north)   ! comment\n"
                               "thick 0.5\nlgKHBC 5.3\nlgKHCa 6.1\nlgKHAl 3\nparentCa 2.5\nCEC 60\nSO4admax 0\nSO4half 9\n");
    SoilCall c(1990, 1995, "KESTO", dir + "/k.inp");
    EXPECT_EQ(c.run(), "");
    EXPECT_EQ(c.site.value(), "Test site (north)");
    // lgKHCa overwrites lgKHBC in (1,3); KESTO takes Carbonat (default 0) into parentCa; SO4half is read only when
    // SO4admax > 0; bulkdens has no default.
    EXPECT_EQ((F{c.kexc[12], c.kexc[6], c.kexc[13], c.kexc[35], c.parentca, c.expal, c.exph, c.alox, c.so4half, c.cnmin,
                 c.cnmax, c.fni, c.bulkdens, static_cast<float>(c.excmod)}),
              (F{6.1f, 3, -999, -999, 0, 3, 2, 1e9f, kUnset, 10, 40, 1, kUnset, 1}));
    // Weathering of S is not an input.
    EXPECT_EQ((F{c.at(c.theta, 1993), c.at(c.pco2, 1990), c.at(c.tempc, 1995), c.at(c.percol, 1995),
                 c.at(c.lgkalox, 1995), c.ion(c.upt, 3, 1992), c.ion(c.weath, 1, 1992), c.ion(c.dep, 9, 1992)}),
              (F{0.3f, 20, 8, kUnset, kUnset, 0, kUnset, 0}));
    EXPECT_EQ(c.cmin, (F{0, 0, 0, 0.0001f, 0.0001f, 0.0001f, 0, 0, 0})) << "cleared first, then the five minima";
    EXPECT_EQ((std::vector<bool>{c.got("thick"), c.got("SO4half"), c.got("SiteInfo"), c.defaulted("Theta"),
                                 c.defaulted("expAl"), c.defaulted("thick"), c.defaulted("bulkdens"),
                                 c.defaulted("monfile"), c.defaulted("ratwAlBC")}),
              (std::vector<bool>{1, 0, 1, 1, 1, 0, 0, 1, 1}));
    // Monitoring file from the model name, beside the keyword file; balance file untouched.
    EXPECT_EQ(rec(c.mon) + " " + rec(c.bal), dir + "/KESTO.mon|-1|-|0,0|0|0,0,0 |0|-|0,0|0|0,0,0");
}

TEST(ReadInp, WeatheringUptakeAndDerivedAluminium) {
    const std::string dir = scratch_dir();
    write_file(dir + "/g.dat", "!Year Growth\n1990 2.0\n1995 7.0\n");
    // KESTO without Al_we or ratwAlBC: Al_we = 2 Ca_we + 2 Mg_we.
    write_file(dir + "/w.inp", "Ca_we 1.5\nMg_we 0.25\nK_we 9\nNa_we 4\nN_gupt 3\nCa_upt 2\n");
    SoilCall w(1990, 1995, "KESTO", dir + "/w.inp");
    EXPECT_EQ(w.run(), "");
    EXPECT_EQ(w.alwe, F(6, 3.5f));
    EXPECT_EQ((F{w.ion(w.weath, 4, 1990), w.ion(w.weath, 9, 1990), w.ion(w.upt, 2, 1991), w.ion(w.upt, 4, 1991),
                 w.ion(w.upt, 3, 1991)}),
              (F{1.5f, 0, 3, 2, 0}));
    EXPECT_TRUE(w.defaulted("ratwAlBC") && w.got("N_gupt"));
    // Ratios given (fewer than four); KESTO2 leaves uptake untouched.
    write_file(dir + "/r.inp", "Ca_we 1.5\nMg_we 0.25\nK_we 9\nNa_we 4\nratwAlBC 1 0 0.5\n");
    SoilCall r(1990, 1995, "KESTO2", dir + "/r.inp");
    EXPECT_EQ(r.run(), "");
    EXPECT_EQ(tuple(r.at(r.alwe, 1992), r.ion(r.upt, 2, 1991)), tuple(1.5f + 9.0f * 0.5f, kUnset));
    EXPECT_TRUE(r.got("ratwAlBC") && !r.defaulted("ratwAlBC"));
    // Al_we given: the ratios are not read.
    write_file(dir + "/a.inp", "Al_we 0.7\nratwAlBC 9 9\n");
    SoilCall a(1990, 1995, "KESTO", dir + "/a.inp");
    EXPECT_EQ(a.run(), "");
    EXPECT_EQ(tuple(a.at(a.alwe, 1995), a.got("ratwAlBC")), tuple(0.7f, false));
    // F_growth: uptake from growth and contents, the uptake keywords not read.
    write_file(dir + "/u.inp", "F_growth " + dir + "/g.dat;Growth\nctNst 1.2\nctCast 2.4\nctPst 0.3\nN_gupt 99\n");
    SoilCall u(1990, 1995, "OLU", dir + "/u.inp");
    EXPECT_EQ(u.run(), "");
    EXPECT_EQ((F{u.at(u.alwe, 1993), u.ion(u.upt, 2, 1990), u.ion(u.upt, 4, 1995), u.ion(u.upt, 5, 1995),
                 u.ion(u.upt, 9, 1990), u.ion(u.upt, 3, 1993)}),
              (F{kUnset, (0.713f * 1.2f) * 2.0f, (0.5f * 2.4f) * 7.0f, 0, (0.32f * 0.3f) * 2.0f, 0}));
    EXPECT_NEAR(u.ion(u.upt, 2, 1993), (0.713f * 1.2f) * 5.0f, 1e-5f);  // growth 5 in 1993
    EXPECT_TRUE(!u.got("N_gupt") && u.defaulted("ctMgst"));
}

TEST(ReadInp, OutputFilesAndObservationRecords) {
    const std::string dir = scratch_dir();
    write_file(dir + "/m.inp", "monfile run1.mon\nbalfile run1.bal\npHobs 7.1 6.9\nCaobs obs/ca.txt/o;1000*\\3 \\4\nSO4obs 1 2 3\n");
    SoilCall call(1990, 1995, "KESTO", dir + "/m.inp");
    EXPECT_EQ(call.run(), "");
    EXPECT_TRUE(call.got("monfile"));
    EXPECT_EQ((std::vector<std::string>{rec(call.mon), rec(call.bal), rec(call.obs[0]), rec(call.obs[1]), rec(call.obs[2])}),
              (std::vector<std::string>{dir + "/run1.mon|-1|-|0,0|0|0,0,0", dir + "/run1.bal|-1|-|0,0|0|0,0,0",
                                        "1obsonly|-1|x|1,2|1|7.1,6.9,0", dir + "/obs/ca.txt|-1|o|3,4|1000|0,0,0",
                                        "|0|-|0,0|0|0,0,0"}));  // SO4 has no record index
    // A caller-given monitoring path is joined as well; monfile is not consulted.
    SoilCall own(1990, 1995, "KESTO", dir + "/m.inp");
    set_field(own.mon.path, 256, "mine.mon");
    EXPECT_EQ(own.run(), "");
    EXPECT_EQ(tuple(rec(own.mon), own.got("monfile")), tuple(dir + "/mine.mon|-1|-|0,0|0|0,0,0", false));
}

// The warnings of READINP (and READINPW after it) on small keyword files that
// each make one mistake; the results are those of the rows above.
TEST(ReadInp, Warnings) {
    const std::string dir = scratch_dir();
    struct Row { const char* model; std::string lines; std::vector<std::string> want, wantw; };
    const std::string none = "";
    const Row rows[] = {
        {"KESTO", "thick 0.5\nTheta 0.3\n", {}, {}},
        {"KESTO", none, {"READINP: File  %  does not exist: every keyword takes its default"}, {}},
        {"KESTO", "thikc 0.5\nSO2_dpe 5\ntheta 0.3\nfoo 1\npHobz 7\n",
         {"READINP: unknown keyword thikc; did you mean thick?", "READINP: unknown keyword SO2_dpe; did you mean SO2_dep?",
          "READINP: unknown keyword theta; did you mean Theta?", "READINP: unknown keyword foo: it is not read",
          "READINP: unknown keyword pHobz; did you mean pHobs?"}, {}},
        {"KESTO", "CEC 62,5\nthick 1e999\nratwAlBC 1,,2\nCNratmin\nthick 2\n",
         {"READINP: thick is given twice (lines 2 and 5): the first is read",
          "READINP: thick 1e999: not a finite number (an infinity or NaN, kept as read)",
          "READINP: CEC 62,5: 2 numbers where 1 is read (a decimal comma?)",
          "READINP: CNratmin has no number: the default 10 is used",
          "READINP: ratwAlBC 1,,2: an empty item (null value) leaves its number as it was"}, {}},
        {"OLU", "period 1990 1995 12\nSO4half 0.1\nexpH 2\nctNst 1\n",
         {"READINP: period 1990 1995 12: 3 numbers where 2 are read",
          "READINP: SO4half is given but not read: it is read only when SO4admax > 0",
          "READINP: expH is not read by model OLU",
          "READINP: ctNst is given but not read: it is read only when F_growth is given"}, {}},
        {"KESTO", "Dictionary nothere.txt\nanextremelylongkeyword 1\n" + std::string(250, ' ') + "thick 1 2 3\n",
         {"READINP: line 2: keyword anextremelylongkeyword is cut to anextremelylongk",
          "READINP: line 3: longer than 256 characters, the rest is not read",
          "READINP: Dictionary  nothere.txt  does not exist: no keyword is renamed",
          "READINP: thick has no number: left as it was",  // what is left of line 3
          "READINP: unknown keyword anextremelylongk: it is not read"}, {}},
        {"KESTO", "pHobs 1 2 3 4\nCaobs /nothere/obs.dat;Ca \\2\nSO4obs 7\n",
         {"READINP: pHobs 1 2 3 4: 4 numbers where 3 are read", "READINP: Caobs: file  /nothere/obs.dat  does not exist",
          "READINP: Caobs: column Ca is a name; observation columns are numbers (\\2), so column 1 is read",
          "READINP: SO4obs is given, but the program keeps no observations of SO4"}, {}},
        {"KESTO", "SO4obs\n", {"READINP: SO4obs has no value"}, {}},
        {"OLU", "Area_c 1\nretNH4 1\nAlAparw 1 2\n", {},
         {"READINPW: retNH4 is not read by model OLU", "READINPW: AlAparw is not read by model OLU"}},
        {"KESTO", "Area_c 0\nArea_l 1\n", {}, {"READINPW: Area_l is given but not read: it is read only when Area_c > 0"}},
    };
    int idx = 0;
    for (const Row& r : rows) {
        const std::string file = dir + "/w" + std::to_string(idx++) + ".inp";
        SCOPED_TRACE(file);
        if (!r.lines.empty()) write_file(file, r.lines);
        SoilCall call(1990, 1995, r.model, file);
        std::vector<std::string> got, gotw;
        {
            WarningScope scope("READINP");
            call.run();
            got = scope.texts();
        }
        {
            WarningScope scope("READINPW");
            call.run_water();
            gotw = scope.texts();
        }
        std::vector<std::string> want = r.want;
        for (std::string& w : want)
            if (const auto p = w.find('%'); p != std::string::npos) w = w.replace(p, 1, file).substr(0, 128);
        EXPECT_EQ(got, want);
        EXPECT_EQ(gotw, r.wantw);
    }

    // A collector keeps 100 warnings and counts the rest.
    std::string many;
    for (int i = 0; i < 210; ++i) many += "thick 1\n";
    write_file(dir + "/many.inp", many);
    SoilCall call(1990, 1995, "KESTO", dir + "/many.inp");
    WarningScope scope("READINP");
    call.run();
    const std::vector<std::string> got = scope.texts();
    ASSERT_EQ(got.size(), 101u);
    EXPECT_EQ(got[0], "READINP: only 206 keyword lines are loaded: line 207 and those after it are not");
    EXPECT_EQ(got[1], "READINP: thick is given twice (lines 1 and 2): the first is read");
    EXPECT_EQ(got[100], "106 more warnings not kept");
}

// The table of known keywords and the readers agree: every keyword the table
// gives a model is read when its condition holds (in one of two files, for
// the keywords that exclude each other), with no warning; every default the
// readers append is a keyword of the table.
TEST(ReadInp, EveryKnownKeywordIsRead) {
    const std::string dir = scratch_dir();
    const std::map<std::string_view, std::string> values = {
        {"period", "1990 1995"}, {"RCOOmod", "2"}, {"RCOOpars", "1 2"}, {"AlApars", "1 2"}, {"monfile", "a.mon"},
        {"balfile", "a.bal"}, {"Orgmodw", "2"}, {"Orgparw", "1 2"}, {"AlAparw", "1 2"}, {"SiteInfo", "site"}};
    const std::set<std::string_view> only_a = {"N_gupt", "Ca_upt", "Mg_upt", "K_upt", "P_upt", "Al_we", "bsat_0"};
    const std::set<std::string_view> only_b = {"F_growth", "ctNst", "ctCast", "ctMgst", "ctKst", "ctPst",
                                               "ratwAlBC", "ECa_0", "EMg_0", "EK_0"};
    for (const char* model : {"OLU", "KESTO", "KESTO2"}) {
        for (const auto* skip : {&only_a, &only_b}) {
            std::string lines;
            for (const KnownKeyword& k : known_keywords()) {
                if (!(k.models & (1u << static_cast<unsigned>(model_of(model)))) || skip->count(k.key)) continue;
                const auto v = values.find(k.key);
                lines += std::string(k.key) + " " + (v == values.end() ? "1" : v->second) + "\n";
            }
            const std::string file = dir + "/" + model + (skip == &only_a ? "a" : "b") + ".inp";
            SCOPED_TRACE(file);
            write_file(file, lines);
            SoilCall call(1990, 1995, model, file);
            WarningScope scope("READINP");
            EXPECT_EQ(call.run(), "");
            if (std::string_view(model) != "KESTO2") {
                EXPECT_EQ(call.run_water(), "");
            }
            EXPECT_EQ(scope.texts(), std::vector<std::string>());
            for (int i = 1; i <= call.list->n; ++i)
                EXPECT_TRUE(call.list->got[i - 1] & 1) << key_of(*call.list, i);
        }
        write_file(dir + "/none.inp", "period 1990 1995\n");
        SoilCall call(1990, 1995, model, dir + "/none.inp");
        call.run();
        if (std::string_view(model) != "KESTO2") call.run_water();
        for (int i = 2; i <= call.list->n; ++i) EXPECT_NE(find_known(trim_right(key_of(*call.list, i))), nullptr);
    }
}

}  // namespace
}  // namespace morvane
