#include "input/model_input.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "input/keylist.hpp"
#include "util/strings.hpp"
#include "support/test_support.hpp"

namespace morvane {
namespace {

using morvane::testing::scratch_dir;
using morvane::testing::write_file;

constexpr float kUnset = 12345.0f;  // what the caller put into every output

// A model program's storage for one READINP call, every output preset to kUnset.
struct SoilCall {
    std::int32_t ib, ie;
    std::size_t n;
    std::vector<VarDescriptor> vars;
    std::unique_ptr<KEYLIST> list = std::make_unique<KEYLIST>();
    std::optional<std::string> site;
    std::int32_t iyb = -7, iye = -7, nstep = -7, addso4ss = -7, excmod = -7, rcoomod = -7;
    float thick = kUnset, bulkdens = kUnset, cec = kUnset, eca = kUnset, emg = kUnset, ek = kUnset, bsat = kUnset;
    float expal = kUnset, cpool = kUnset, cnrat = kUnset, cnmin = kUnset, cnmax = kUnset, cnseq = kUnset;
    float fde = kUnset, parentca = kUnset, alox = kUnset, so4admax = kUnset, so4half = kUnset;
    float po4admax = kUnset, po4half = kUnset, exph = kUnset, fni = kUnset;
    std::vector<float> kexc = std::vector<float>(36, kUnset), rcoopars = std::vector<float>(3, kUnset);
    std::vector<float> cmin = std::vector<float>(9, kUnset), alapars = std::vector<float>(2, kUnset);
    std::vector<float> theta, pco2, lgkalox, nimacc, crcoo, tempc, percol, alwe, nfix, weath, upt, dep;
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
        for (auto* s : {&mon, &bal}) {
            std::memset(s, 0, sizeof *s);
            set_field(s->path, 256, "");
        }
        for (auto& o : obs) {
            std::memset(&o, 0, sizeof o);
            set_field(o.path, 256, "");
        }
        vars.resize(3);
        for (auto& v : vars) std::memset(&v, ' ', sizeof v);
        set_field(vars[0].name, 8, "pH");
        set_field(vars[1].name, 8, "Ca");
        set_field(vars[2].name, 8, "SO4");
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
    float ion(const std::vector<float>& m, int i, std::int32_t t) const {
        return m[static_cast<std::size_t>(t - ib) * 9 + static_cast<std::size_t>(i - 1)];
    }
    float at(const std::vector<float>& v, std::int32_t t) const { return v[static_cast<std::size_t>(t - ib)]; }
    bool got(std::string_view key) const { return keygot(*list, key); }
    bool defaulted(std::string_view key) const {
        int ind = 0;
        return keyfind(*list, key, ind) && list->def[ind - 1] != 0;
    }
};

std::string path_text(const SeriesSpec& s) { return std::string(trim_right(std::string_view(s.path, 256))); }

TEST(ReadInp, ModelNames) {
    const std::string dir = scratch_dir();
    write_file(dir + "/a.inp", "thick 0.5\n");
    struct Case {
        const char* name;
        bool known;
    } cases[] = {{"KESTO", true}, {"KESTO3", true}, {"KESTO2X", true}, {"OLUX", true},
                 {"kesto", false}, {"OL", false},   {"KEST", false}};
    for (const Case& c : cases) {
        SoilCall call(1900, 2000, c.name, dir + "/a.inp");
        const std::string msg = call.run();
        if (c.known) {
            EXPECT_EQ(msg, "") << c.name;
            EXPECT_EQ(call.thick, 0.5f) << c.name;
        } else {
            EXPECT_EQ(msg, "xREADINP: Unknown model!") << c.name;
            EXPECT_EQ(call.list->n, 0x20202020) << "the file is not loaded for " << c.name;
            EXPECT_FALSE(call.site.has_value());
        }
    }
}

TEST(ReadInp, PeriodFormsAndBounds) {
    const std::string dir = scratch_dir();
    struct Case {
        const char* model;
        const char* period;  // nullptr: keyword absent
        std::int32_t ib, ie;
        std::int32_t iyb, iye, nstep;
        const char* msg;
    } cases[] = {
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
        EXPECT_EQ(call.run(), c.msg) << c.model << " " << (c.period ? c.period : "-");
        EXPECT_EQ(call.iyb, c.iyb);
        EXPECT_EQ(call.iye, c.iye);
        EXPECT_EQ(call.nstep, c.nstep);
        if (c.period) {
            EXPECT_EQ(call.got("period"), *c.msg == '\0');
        }
    }
}

TEST(ReadInp, ExchangeableFractions) {
    const std::string dir = scratch_dir();
    const std::string msg = "xREADINP: None or all exchangeable fractions (ECa_0, EMg_0, EK_0) have to be defined!";
    struct Case {
        const char* model;
        const char* lines;
        const char* msg;
        float eca, emg, ek, bsat;
    } cases[] = {
        {"KESTO", "ECa_0 0.2\n", msg.c_str(), 0.2f, -1.0f, -1.0f, -1.0f},
        {"KESTO", "bsat_0 0.4\n", "", -1.0f, -1.0f, -1.0f, 0.4f},
        {"KESTO", "ECa_0 0.2\nEMg_0 0.1\nEK_0 0.05\nbsat_0 0.4\n", "", 0.2f, 0.1f, -1.0f, -1.0f},
        {"OLU", "EK_0 0.05\n", msg.c_str(), -1.0f, -1.0f, 0.05f, -1.0f},
        {"OLU", "ECa_0 0.2\nEMg_0 0.1\nEK_0 0.05\nbsat_0 0.4\n", "", 0.2f, 0.1f, 0.05f, -1.0f},
        {"OLU", "ECa_0 -1\nEMg_0 -1\nEK_0 -2\n", "", -1.0f, -1.0f, -2.0f, -1.0f},
    };
    for (const Case& c : cases) {
        write_file(dir + "/f.inp", c.lines);
        SoilCall call(1900, 2000, c.model, dir + "/f.inp");
        EXPECT_EQ(call.run(), c.msg) << c.model << ": " << c.lines;
        EXPECT_EQ(call.eca, c.eca);
        EXPECT_EQ(call.emg, c.emg);
        EXPECT_EQ(call.ek, c.ek);
        EXPECT_EQ(call.bsat, c.bsat);
    }
}

TEST(ReadInp, DefaultsExchangeMatrixAndBookkeeping) {
    const std::string dir = scratch_dir();
    write_file(dir + "/k.inp",
               "SiteInfo   Test site\t(north)   ! comment\n"
               "thick 0.5\nlgKHBC 5.3\nlgKHCa 6.1\nlgKHAl 3\nparentCa 2.5\nCEC 60\nSO4admax 0\nSO4half 9\n");
    SoilCall call(1990, 1995, "KESTO", dir + "/k.inp");
    EXPECT_EQ(call.run(), "");
    EXPECT_EQ(call.site.value(), "Test site (north)");
    EXPECT_EQ(call.kexc[0 + 2 * 6], 6.1f) << "lgKHCa overwrites lgKHBC in (1,3)";
    EXPECT_EQ(call.kexc[0 + 1 * 6], 3.0f);
    EXPECT_EQ(call.kexc[1 + 2 * 6], -999.0f);
    EXPECT_EQ(call.kexc[35], -999.0f);
    EXPECT_EQ(call.parentca, 0.0f) << "KESTO takes Carbonat (default 0) into argument 43";
    EXPECT_EQ(call.expal, 3.0f);
    EXPECT_EQ(call.exph, 2.0f);
    EXPECT_EQ(call.excmod, 1);
    EXPECT_EQ(call.alox, 1000000000.0f);
    EXPECT_EQ(call.so4half, kUnset) << "SO4half is read only when SO4admax > 0";
    EXPECT_EQ(call.cnmin, 10.0f);
    EXPECT_EQ(call.cnmax, 40.0f);
    EXPECT_EQ(call.fni, 1.0f);
    EXPECT_EQ(call.bulkdens, kUnset) << "no default: left as the caller set it";
    EXPECT_EQ(call.at(call.theta, 1993), 0.3f);
    EXPECT_EQ(call.at(call.pco2, 1990), 20.0f);
    EXPECT_EQ(call.at(call.tempc, 1995), 8.0f);
    EXPECT_EQ(call.at(call.percol, 1995), kUnset);
    EXPECT_EQ(call.at(call.lgkalox, 1995), kUnset);
    const std::vector<float> cmin = {0.0f, 0.0f, 0.0f, 0.0001f, 0.0001f, 0.0001f, 0.0f, 0.0f, 0.0f};
    EXPECT_EQ(call.cmin, cmin) << "cleared first, then the five minimum concentrations";
    EXPECT_EQ(call.ion(call.upt, 3, 1992), 0.0f);
    EXPECT_EQ(call.ion(call.weath, 1, 1992), kUnset) << "weathering of S is not an input";
    EXPECT_EQ(call.ion(call.dep, 9, 1992), 0.0f);
    // Bookkeeping: taken and defaulted keywords.
    EXPECT_TRUE(call.got("thick"));
    EXPECT_FALSE(call.got("SO4half"));
    EXPECT_TRUE(call.got("SiteInfo"));
    EXPECT_TRUE(call.defaulted("Theta"));
    EXPECT_TRUE(call.defaulted("expAl"));
    EXPECT_FALSE(call.defaulted("thick"));
    EXPECT_FALSE(call.defaulted("bulkdens"));
    EXPECT_TRUE(call.defaulted("monfile"));
    EXPECT_TRUE(call.defaulted("ratwAlBC"));
    // Monitoring file from the model name; balance file untouched.
    EXPECT_EQ(path_text(call.mon), "KESTO.mon");
    EXPECT_EQ(call.mon.active, -1);
    EXPECT_EQ(call.bal.active, 0);
    EXPECT_EQ(path_text(call.bal), "");
}

TEST(ReadInp, OrganicAcidsOnlyWhereThereIsCharge) {
    const std::string dir = scratch_dir();
    struct Case {
        const char* model;
        const char* lines;
        std::int32_t rcoomod;
        float p[3];
        float alapars[2];
        const char* msg;
    } cases[] = {
        {"KESTO", "cRCOO 0\nRCOOmod 2\nRCOOpars 1 2\n", -1, {0, 0, 0}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 0\nRCOOpars 1 2 3\n", 0, {1, 2, 3}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 2\nRCOOpars 4 5 6\nAlApars 7 8\n", 2, {4, 5, 0}, {7, 8}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 1\nRCOOpars 4\nAlApars 7 8\n", 1, {4, 0, 0}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 5\nRCOOpars 1 2 3 4 5\n", 5, {1, 2, 3}, {0, 0}, ""},
        {"KESTO", "cRCOO 0.05\nRCOOmod 0\nRCOOpars 1 2\n", 0, {0, 0, 0}, {kUnset, kUnset},
         "xREADINP: Cannot read RCOOpars: 1 2"},
        {"OLU", "cRCOO 0.05\nRCOOmod 3\nRCOOpars 1 2 3\nAlApars 7 8\n", 3, {1, 2, 3}, {kUnset, kUnset}, ""},
        {"KESTO", "cRCOO 0.05\n", -1, {0, 0, 0}, {0, 0}, ""},
    };
    for (const Case& c : cases) {
        write_file(dir + "/o.inp", c.lines);
        SoilCall call(1990, 1995, c.model, dir + "/o.inp");
        EXPECT_EQ(call.run(), c.msg) << c.lines;
        EXPECT_EQ(call.rcoomod, c.rcoomod) << c.lines;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(call.rcoopars[static_cast<std::size_t>(i)], c.p[i]) << c.lines;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(call.alapars[static_cast<std::size_t>(i)], c.alapars[i]) << c.lines;
    }
}

TEST(ReadInp, WeatheringUptakeAndDerivedAluminium) {
    const std::string dir = scratch_dir();
    write_file(dir + "/g.dat", "!Year Growth\n1990 2.0\n1995 7.0\n");
    // KESTO without Al_we or ratwAlBC: Al_we = 2 Ca_we + 2 Mg_we.
    write_file(dir + "/w.inp", "Ca_we 1.5\nMg_we 0.25\nK_we 9\nNa_we 4\nN_gupt 3\nCa_upt 2\n");
    {
        SoilCall call(1990, 1995, "KESTO", dir + "/w.inp");
        EXPECT_EQ(call.run(), "");
        for (std::int32_t t = 1990; t <= 1995; ++t) EXPECT_EQ(call.at(call.alwe, t), 3.5f);
        EXPECT_EQ(call.ion(call.weath, 4, 1990), 1.5f);
        EXPECT_EQ(call.ion(call.weath, 9, 1990), 0.0f);
        EXPECT_EQ(call.ion(call.upt, 2, 1991), 3.0f);
        EXPECT_EQ(call.ion(call.upt, 4, 1991), 2.0f);
        EXPECT_EQ(call.ion(call.upt, 3, 1991), 0.0f);
        EXPECT_TRUE(call.defaulted("ratwAlBC"));
        EXPECT_TRUE(call.got("N_gupt"));
    }
    // Ratios given (fewer than four), and Al_we given.
    write_file(dir + "/r.inp", "Ca_we 1.5\nMg_we 0.25\nK_we 9\nNa_we 4\nratwAlBC 1 0 0.5\n");
    {
        SoilCall call(1990, 1995, "KESTO2", dir + "/r.inp");
        EXPECT_EQ(call.run(), "");
        EXPECT_EQ(call.at(call.alwe, 1992), 1.5f * 1.0f + 0.25f * 0.0f + 9.0f * 0.5f + 4.0f * 0.0f);
        EXPECT_TRUE(call.got("ratwAlBC"));
        EXPECT_FALSE(call.defaulted("ratwAlBC"));
        EXPECT_EQ(call.ion(call.upt, 2, 1991), kUnset) << "KESTO2 leaves uptake untouched";
    }
    write_file(dir + "/a.inp", "Al_we 0.7\nratwAlBC 9 9\n");
    {
        SoilCall call(1990, 1995, "KESTO", dir + "/a.inp");
        EXPECT_EQ(call.run(), "");
        EXPECT_EQ(call.at(call.alwe, 1995), 0.7f);
        EXPECT_FALSE(call.got("ratwAlBC"));
    }
    // F_growth: uptake from growth and contents, the uptake keywords not read.
    write_file(dir + "/u.inp", "F_growth " + dir + "/g.dat;Growth\nctNst 1.2\nctCast 2.4\nctPst 0.3\nN_gupt 99\n");
    {
        SoilCall call(1990, 1995, "OLU", dir + "/u.inp");
        EXPECT_EQ(call.run(), "");
        const float g1993 = 2.0f + (7.0f - 2.0f) / 5.0f * 3.0f;
        EXPECT_FLOAT_EQ(call.at(call.alwe, 1993), kUnset);
        EXPECT_EQ(call.ion(call.upt, 2, 1990), (0.713f * 1.2f) * 2.0f);
        EXPECT_EQ(call.ion(call.upt, 4, 1995), (0.5f * 2.4f) * 7.0f);
        EXPECT_EQ(call.ion(call.upt, 5, 1995), 0.0f);
        EXPECT_EQ(call.ion(call.upt, 9, 1990), (0.32f * 0.3f) * 2.0f);
        EXPECT_NEAR(call.ion(call.upt, 2, 1993), (0.713f * 1.2f) * g1993, 1e-5f);
        EXPECT_EQ(call.ion(call.upt, 3, 1993), 0.0f);
        EXPECT_FALSE(call.got("N_gupt"));
        EXPECT_TRUE(call.defaulted("ctMgst"));
    }
}

TEST(ReadInp, OutputFilesAndObservationRecords) {
    const std::string dir = scratch_dir();
    write_file(dir + "/m.inp",
               "monfile run1.mon\nbalfile run1.bal\n"
               "pHobs 7.1 6.9\n"
               "Caobs obs/ca.txt/o;1000*\\3 \\4\n"
               "SO4obs 1 2 3\n");
    SoilCall call(1990, 1995, "KESTO", dir + "/m.inp");
    EXPECT_EQ(call.run(), "");
    EXPECT_EQ(path_text(call.mon), "run1.mon");
    EXPECT_TRUE(call.got("monfile"));
    EXPECT_EQ(path_text(call.bal), "run1.bal");
    EXPECT_EQ(call.bal.active, -1);
    const SeriesSpec& ph = call.obs[0];
    EXPECT_EQ(path_text(ph), "1obsonly");
    EXPECT_EQ(ph.active, -1);
    EXPECT_EQ(ph.opt, 'x');
    EXPECT_EQ(ph.cval[0], 7.1f);
    EXPECT_EQ(ph.cval[1], 6.9f);
    EXPECT_EQ(ph.cval[2], 0.0f);
    EXPECT_EQ(ph.icol1, 1);
    EXPECT_EQ(ph.icol2, 2);
    const SeriesSpec& ca = call.obs[1];
    EXPECT_EQ(path_text(ca), "obs/ca.txt");
    EXPECT_EQ(ca.opt, 'o');
    EXPECT_EQ(ca.factor, 1000.0f);
    EXPECT_EQ(ca.icol1, 3);
    EXPECT_EQ(ca.icol2, 4);
    EXPECT_EQ(path_text(call.obs[2]), "") << "SO4 has no record index";

    // A caller-given monitoring path is kept; monfile is not consulted.
    SoilCall own(1990, 1995, "KESTO", dir + "/m.inp");
    set_field(own.mon.path, 256, "mine.mon");
    EXPECT_EQ(own.run(), "");
    EXPECT_EQ(path_text(own.mon), "mine.mon");
    EXPECT_FALSE(own.got("monfile"));
}

TEST(ReadInp, SeriesFailureDoesNotStopTheReading) {
    const std::string dir = scratch_dir();
    write_file(dir + "/s.inp", "TempC missing.dat;\\1\nthick 0.4\npercol " + dir + "/nothere.dat\nAddSO4ss 1\n");
    SoilCall call(1990, 1995, "OLU", dir + "/s.inp");
    EXPECT_EQ(call.run(), "xVARIN01: File  " + dir + "/nothere.dat  does not exist!");
    EXPECT_EQ(call.thick, 0.4f);
    EXPECT_EQ(call.addso4ss, 1) << "reading went on after the series failures";
    EXPECT_EQ(call.at(call.tempc, 1990), kUnset);
}

TEST(ReadInp, MissingFileGivesDefaults) {
    SoilCall call(1990, 1995, "KESTO", "/nonexistent/x.inp");
    EXPECT_EQ(call.run(), "");
    EXPECT_EQ(call.list->n, -1);
    EXPECT_EQ(call.iyb, 1990);
    EXPECT_EQ(call.at(call.theta, 1990), 0.3f);
    EXPECT_EQ(path_text(call.mon), "KESTO.mon");
    EXPECT_EQ(call.bsat, -1.0f);
}

// ---- surface water ----

struct WaterCall {
    std::int32_t ib = 1990, ie = 1995;
    float area_c = kUnset, area_l = kUnset, depth = kUnset, pco2 = kUnset, expal = kUnset, lgk = kUnset;
    std::vector<float> ret = std::vector<float>(9, kUnset), orgpar = std::vector<float>(3, kUnset);
    std::vector<float> alapar = std::vector<float>(2, kUnset), mdoc = std::vector<float>(6, kUnset);
    std::int32_t orgmod = -7;

    std::string run(KEYLIST& list) {
        WaterInput in;
        in.list = &list;
        in.ib = ib, in.ie = ie, in.iyb = ib, in.iye = ie, in.nstep = 1;
        in.area_c = &area_c, in.area_l = &area_l, in.depth_l = &depth, in.pco2facw = &pco2;
        in.expalw = &expal, in.lgkaloxw = &lgk, in.retention = ret.data(), in.orgmodw = &orgmod;
        in.orgparw = orgpar.data(), in.mdocw = mdoc.data(), in.alaparw = alapar.data();
        return readinpw(in);
    }
};

TEST(ReadInpW, AfterTheSoilReader) {
    const std::string dir = scratch_dir();
    struct Case {
        const char* model;
        const char* lines;
        const char* msg;
        float area_c;
        std::int32_t orgmod;
        float orgpar0, orgpar2, mdoc, ret3, alapar1;
    } cases[] = {
        {"KESTO2", "Area_c 2\n", "xREADINPw: Unknown model!", kUnset, -7, kUnset, kUnset, kUnset, kUnset, kUnset},
        {"KESTO", "Area_l 3\n", "", 0.0f, -7, kUnset, kUnset, kUnset, kUnset, kUnset},
        {"KESTO", "Area_c 2\nOrgparw 1 2 3\nmDOCw 5\nretNH4 0.5\n", "", 2.0f, -1, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f},
        {"KESTO", "Area_c 2\nOrgmodw 0\nOrgparw 1 2 3\nmDOCw 5\nAlAparw 1 2\n", "", 2.0f, 0, 1.0f, 3.0f, 5.0f, 0.0f,
         0.0f},
        {"KESTO", "Area_c 2\nOrgmodw 1\nOrgparw 4 9 9\nmDOCw 5\n", "", 2.0f, 1, 4.0f, 0.0f, 5.0f, 0.0f, 0.0f},
        {"KESTO", "Area_c 2\nOrgmodw 2\nOrgparw 4 9 9\nAlAparw 1 2\n", "", 2.0f, 2, 4.0f, 0.0f, 0.0f, 0.0f, 2.0f},
        {"OLU", "Area_c 2\nOrgmodw 2\nOrgparw 4 9\nretNH4 0.5\nAlAparw 1 2\n", "", 2.0f, 2, 4.0f, 0.0f, 0.0f, 0.0f,
         kUnset},
        {"KESTO", "Area_c 2\nOrgmodw 0\nOrgparw 4 9\n", "xREADINPw: Cannot read Orgparw: 4 9", 2.0f, 0, 0.0f, 0.0f,
         0.0f, 0.0f, kUnset},
    };
    for (const Case& c : cases) {
        write_file(dir + "/w.inp", c.lines);
        SoilCall soil(1990, 1995, c.model, dir + "/w.inp");
        soil.run();
        WaterCall w;
        EXPECT_EQ(w.run(*soil.list), c.msg) << c.model << ": " << c.lines;
        EXPECT_EQ(w.area_c, c.area_c) << c.lines;
        EXPECT_EQ(w.orgmod, c.orgmod) << c.lines;
        EXPECT_EQ(w.orgpar[0], c.orgpar0) << c.lines;
        EXPECT_EQ(w.orgpar[2], c.orgpar2) << c.lines;
        EXPECT_EQ(w.mdoc[3], c.mdoc) << c.lines;
        EXPECT_EQ(w.ret[2], c.ret3) << c.lines;
        EXPECT_EQ(w.alapar[1], c.alapar1) << c.lines;
    }
}

}  // namespace
}  // namespace morvane
