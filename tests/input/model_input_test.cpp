#include "input/model_input.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "input/keylist.hpp"
#include "support/test_support.hpp"
#include "util/strings.hpp"

namespace morvane {
namespace {

using morvane::testing::scratch_dir;
using morvane::testing::write_file;
using F = std::vector<float>;
using std::tuple;

constexpr float kUnset = 12345.0f;  // what the caller put into every output

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
        return readinp(in);
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

// A record on one line: path|active|opt|icol1,icol2|factor|cval (floats exact).
std::string rec(const SeriesSpec& s) {
    std::string out = std::string(trim_right(std::string_view(s.path, 256))) + "|" + std::to_string(s.active) + "|" +
                      (s.opt ? s.opt : '-') + "|" + std::to_string(s.icol1) + "," + std::to_string(s.icol2);
    const float f[] = {s.factor, s.cval[0], s.cval[1], s.cval[2]};
    for (int i = 0; i < 4; ++i) {
        char buf[32];
        out.append(i < 2 ? "|" : ",").append(buf, std::to_chars(buf, buf + sizeof buf, f[i]).ptr);
    }
    return out;
}

TEST(ReadInp, ModelNames) {
    const std::string dir = scratch_dir();
    write_file(dir + "/a.inp", "thick 0.5\n");
    const std::pair<const char*, bool> cases[] = {{"KESTO", true}, {"KESTO3", true}, {"KESTO2X", true}, {"OLUX", true},
                                                  {"kesto", false}, {"OL", false},    {"KEST", false}};
    for (const auto& [name, known] : cases) {
        SoilCall call(1900, 2000, name, dir + "/a.inp");
        const std::string msg = call.run();
        EXPECT_EQ(tuple(msg, call.thick, call.site.has_value()), known ? tuple(std::string(), 0.5f, true)
                                                                      : tuple(std::string("xREADINP: Unknown model!"), kUnset, false))
            << name;
        EXPECT_TRUE(known || call.list->n == 0x20202020) << "the file is not loaded for " << name;
    }
}

TEST(ReadInp, PeriodFormsAndBounds) {
    const std::string dir = scratch_dir();
    struct Case { const char* model; const char* period; std::int32_t ib, ie, iyb, iye, nstep; const char* msg; };
    const Case cases[] = {  // period nullptr: the keyword absent
        {"KESTO", "1900 2000", 1800, 2100, 1900, 2000, 1, ""},
        {"OLU", "1900 2000", 1800, 2100, 1900, 2000, 1, ""},
        {"KESTO", "1900 2000 12", 1900, 1900 + 101 * 12 - 1, 1900, 2000, 12, ""},
        {"KESTO2", "1900 2000 12", 1900, 1900 + 101 * 12 - 2, 1900, 2000, 12, "xREADINP: last year (time step) > IE!"},
        {"OLU", "1900 2000 12", 1900, 2000, 1900, 2000, 1, ""},
        {"KESTO", "1899 2000", 1900, 2100, 1899, 2000, 1, "xREADINP: first year (time step) < IB!"},
        {"KESTO", nullptr, 1950, 1960, 1950, 1960, 1, ""},
        {"KESTO", "1900", 1800, 2100, -7, -7, 1, "xREADINP: Cannot read period: 1900"},
    };
    for (const Case& c : cases) {
        write_file(dir + "/p.inp", c.period ? std::string("period ") + c.period + "\n" : "thick 1\n");
        SoilCall call(c.ib, c.ie, c.model, dir + "/p.inp");
        const std::string msg = call.run();
        EXPECT_EQ(tuple(msg, call.iyb, call.iye, call.nstep), tuple(std::string(c.msg), c.iyb, c.iye, c.nstep))
            << c.model << " " << (c.period ? c.period : "-");
        EXPECT_EQ(call.got("period"), c.period && *c.msg == '\0');
    }
}

TEST(ReadInp, ExchangeableFractions) {
    const std::string dir = scratch_dir();
    const std::string msg = "xREADINP: None or all exchangeable fractions (ECa_0, EMg_0, EK_0) have to be defined!";
    struct Case { const char* model; const char* lines; std::string msg; F want; };  // want: ECa EMg EK bsat
    const Case cases[] = {
        {"KESTO", "ECa_0 0.2\n", msg, {0.2f, -1, -1, -1}},
        {"KESTO", "bsat_0 0.4\n", "", {-1, -1, -1, 0.4f}},
        {"KESTO", "ECa_0 0.2\nEMg_0 0.1\nEK_0 0.05\nbsat_0 0.4\n", "", {0.2f, 0.1f, -1, -1}},
        {"OLU", "EK_0 0.05\n", msg, {-1, -1, 0.05f, -1}},
        {"OLU", "ECa_0 0.2\nEMg_0 0.1\nEK_0 0.05\nbsat_0 0.4\n", "", {0.2f, 0.1f, 0.05f, -1}},
        {"OLU", "ECa_0 -1\nEMg_0 -1\nEK_0 -2\n", "", {-1, -1, -2, -1}},
    };
    for (const Case& c : cases) {
        write_file(dir + "/f.inp", c.lines);
        SoilCall call(1900, 2000, c.model, dir + "/f.inp");
        const std::string got = call.run();
        EXPECT_EQ(tuple(got, F{call.eca, call.emg, call.ek, call.bsat}), tuple(c.msg, c.want)) << c.model << ": " << c.lines;
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
    // Monitoring file from the model name; balance file untouched.
    EXPECT_EQ(rec(c.mon) + " " + rec(c.bal), "KESTO.mon|-1|-|0,0|0|0,0,0 |0|-|0,0|0|0,0,0");
}

TEST(ReadInp, OrganicAcidsOnlyWhereThereIsCharge) {
    const std::string dir = scratch_dir();
    struct Case { const char* model; const char* lines; std::int32_t rcoomod; F p, alapars; const char* msg; };
    const Case cases[] = {
        {"KESTO", "cRCOO 0\nRCOOmod 2\nRCOOpars 1 2\n", -1, {0, 0, 0}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 0\nRCOOpars 1 2 3\n", 0, {1, 2, 3}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 2\nRCOOpars 4 5 6\nAlApars 7 8\n", 2, {4, 5, 0}, {7, 8}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 1\nRCOOpars 4\nAlApars 7 8\n", 1, {4, 0, 0}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 5\nRCOOpars 1 2 3 4 5\n", 5, {1, 2, 3}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 0\nRCOOpars 1 2\n", 0, {0, 0, 0}, {kUnset, kUnset}, "xREADINP: Cannot read RCOOpars: 1 2"},
        {"OLU", "cRCOO 0.05\nRCOOmod 3\nRCOOpars 1 2 3\nAlApars 7 8\n", 3, {1, 2, 3}, {kUnset, kUnset}, ""},
        {"KESTO", "cRCOO 0.05\n", -1, {0, 0, 0}, {0, 0}, ""},
    };
    for (const Case& c : cases) {
        write_file(dir + "/o.inp", c.lines);
        SoilCall call(1990, 1995, c.model, dir + "/o.inp");
        const std::string msg = call.run();
        EXPECT_EQ(tuple(msg, call.rcoomod, call.rcoopars, call.alapars), tuple(std::string(c.msg), c.rcoomod, c.p, c.alapars))
            << c.lines;
    }
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
              (std::vector<std::string>{"run1.mon|-1|-|0,0|0|0,0,0", "run1.bal|-1|-|0,0|0|0,0,0",
                                        "1obsonly|-1|x|1,2|1|7.1,6.9,0", "obs/ca.txt|-1|o|3,4|1000|0,0,0",
                                        "|0|-|0,0|0|0,0,0"}));  // SO4 has no record index
    // A caller-given monitoring path is kept; monfile is not consulted.
    SoilCall own(1990, 1995, "KESTO", dir + "/m.inp");
    set_field(own.mon.path, 256, "mine.mon");
    EXPECT_EQ(own.run(), "");
    EXPECT_EQ(tuple(rec(own.mon), own.got("monfile")), tuple("mine.mon|-1|-|0,0|0|0,0,0", false));
}

TEST(ReadInp, SeriesFailureDoesNotStopTheReading) {
    const std::string dir = scratch_dir();
    write_file(dir + "/s.inp", "TempC missing.dat;\\1\nthick 0.4\npercol " + dir + "/nothere.dat\nAddSO4ss 1\n");
    SoilCall call(1990, 1995, "OLU", dir + "/s.inp");
    EXPECT_EQ(call.run(), "xVARIN01: File  " + dir + "/nothere.dat  does not exist!");
    EXPECT_EQ(tuple(call.thick, call.addso4ss, call.at(call.tempc, 1990)), tuple(0.4f, 1, kUnset));
}

TEST(ReadInp, MissingFileGivesDefaults) {
    SoilCall c(1990, 1995, "KESTO", "/nonexistent/x.inp");
    EXPECT_EQ(c.run(), "");
    EXPECT_EQ(tuple(c.list->n, c.iyb, c.at(c.theta, 1990), rec(c.mon), c.bsat),
              tuple(-1, 1990, 0.3f, "KESTO.mon|-1|-|0,0|0|0,0,0", -1.0f));
}

// Surface water: READINPW on the list READINP left.
TEST(ReadInpW, AfterTheSoilReader) {
    const std::string dir = scratch_dir();
    struct Case { const char* model; const char* lines; const char* msg; float area_c; std::int32_t orgmod; F want; };
    const Case cases[] = {  // want: ORGPARW(1), ORGPARW(3), MDOCW(4), retention(3), ALAPARW(2)
        {"KESTO2", "Area_c 2\n", "xREADINPw: Unknown model!", kUnset, -7, F(5, kUnset)},
        {"KESTO", "Area_l 3\n", "", 0, -7, F(5, kUnset)},
        {"KESTO", "Area_c 2\nOrgparw 1 2 3\nmDOCw 5\nretNH4 0.5\n", "", 2, -1, {0, 0, 0, 0.5f, 0}},
        {"KESTO", "Area_c 2\nOrgmodw 0\nOrgparw 1 2 3\nmDOCw 5\nAlAparw 1 2\n", "", 2, 0, {1, 3, 5, 0, 0}},
        {"KESTO", "Area_c 2\nOrgmodw 1\nOrgparw 4 9 9\nmDOCw 5\n", "", 2, 1, {4, 0, 5, 0, 0}},
        {"KESTO", "Area_c 2\nOrgmodw 2\nOrgparw 4 9 9\nAlAparw 1 2\n", "", 2, 2, {4, 0, 0, 0, 2}},
        {"OLU", "Area_c 2\nOrgmodw 2\nOrgparw 4 9\nretNH4 0.5\nAlAparw 1 2\n", "", 2, 2, {4, 0, 0, 0, kUnset}},
        {"KESTO", "Area_c 2\nOrgmodw 0\nOrgparw 4 9\n", "xREADINPw: Cannot read Orgparw: 4 9", 2, 0, {0, 0, 0, 0, kUnset}},
    };
    for (const Case& c : cases) {
        write_file(dir + "/w.inp", c.lines);
        SoilCall soil(1990, 1995, c.model, dir + "/w.inp");
        soil.run();
        float area_c = kUnset, area_l = kUnset, depth = kUnset, pco2 = kUnset, expal = kUnset, lgk = kUnset;
        F ret(9, kUnset), orgpar(3, kUnset), alapar(2, kUnset), mdoc(6, kUnset);
        std::int32_t orgmod = -7;
        WaterInput in;
        in.list = soil.list.get();
        in.ib = in.iyb = 1990, in.ie = in.iye = 1995, in.nstep = 1;
        in.area_c = &area_c, in.area_l = &area_l, in.depth_l = &depth, in.pco2facw = &pco2;
        in.expalw = &expal, in.lgkaloxw = &lgk, in.retention = ret.data(), in.orgmodw = &orgmod;
        in.orgparw = orgpar.data(), in.mdocw = mdoc.data(), in.alaparw = alapar.data();
        const std::string msg = readinpw(in);
        EXPECT_EQ(tuple(msg, area_c, orgmod, F{orgpar[0], orgpar[2], mdoc[3], ret[2], alapar[1]}),
                  tuple(std::string(c.msg), c.area_c, c.orgmod, c.want))
            << c.model << ": " << c.lines;
    }
}

}  // namespace
}  // namespace morvane
