// The bundled example site read through the exported READINP and READINPW,
// with nothing but the public header, as a model program does.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "morvane.h"

namespace {

constexpr int32_t kIb = 1850, kIe = 1850 + 251 * 12 - 1;
constexpr std::size_t kSteps = kIe - kIb + 1;

void put(char* field, std::size_t width, const std::string& text) {
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

std::string text(const char* field, std::size_t width) {
    std::string s(field, strnlen(field, width));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

const char* const kNames[] = {"pH", "BS", "pH_lake", "ANC_lake", "SO4"};

int32_t MORVANE_CALL lookup(const char* name, int32_t len) {
    const std::string n = text(name, static_cast<std::size_t>(len));
    for (int i = 0; i < 5; ++i)
        if (n == kNames[i]) return i + 1;
    return 0;
}

struct SiteRun {
    std::unique_ptr<KEYLIST> list = std::make_unique<KEYLIST>();
    std::vector<VarDescriptor> vars = std::vector<VarDescriptor>(5);
    char site[128], msg[128], wmsg[128];
    int32_t iyb = 0, iye = 0, nstep = 0, addso4ss = 0, excmod = 0, rcoomod = 0, orgmodw = 0;
    float thick = 0, bulkdens = 0, cec = 0, eca = 0, emg = 0, ek = 0, bsat = 0, expal = 0, cpool = 0, cnrat = 0;
    float cnmin = 0, cnmax = 0, cnseq = 0, fde = 0, parentca = 0, alox = 0, so4admax = 0, so4half = 0;
    float po4admax = 0, po4half = 0, exph = 0, fni = 0;
    float kexc[36], rcoopars[3], cmin[9], alapars[2];
    std::vector<float> theta = std::vector<float>(kSteps), pco2 = theta, lgkalox = theta, nimacc = theta,
                       crcoo = theta, tempc = theta, percol = theta, alwe = theta, nfix = theta, mdocw = theta;
    std::vector<float> weath = std::vector<float>(9 * kSteps), upt = weath, dep = weath;
    SeriesSpec mon, bal;
    std::vector<SeriesSpec> obs = std::vector<SeriesSpec>(5);
    float area_c = 0, area_l = 0, depth_l = 0, pco2w = 0, expalw = 0, lgkaloxw = 0;
    float retention[9], orgparw[3], alaparw[2] = {-5.0f, -5.0f};

    explicit SiteRun(const std::string& model, const std::string& file) {
        std::memset(list.get(), ' ', sizeof(KEYLIST));
        put(list->name, 16, model);
        put(list->file, 256, file);
        for (std::size_t i = 0; i < 5; ++i) std::memset(&vars[i], ' ', sizeof(VarDescriptor)), put(vars[i].name, 8, kNames[i]);
        for (auto* o : {&mon, &bal, &obs[0], &obs[1], &obs[2], &obs[3], &obs[4]}) std::memset(o, 0, sizeof *o), put(o->path, 256, "");
        const int32_t nvar = 5, ib = kIb, ie = kIe;
        READINP(&nvar, vars.data(), lookup, list.get(), &ib, &ie, site, &iyb, &iye, &nstep, &addso4ss, &thick,
                &bulkdens, theta.data(), pco2.data(), &cec, &eca, &emg, &ek, &bsat, &excmod, kexc, &expal,
                lgkalox.data(), nimacc.data(), &cpool, &cnrat, &cnmin, &cnmax, &cnseq, &fde, &rcoomod, rcoopars,
                crcoo.data(), tempc.data(), percol.data(), cmin, weath.data(), upt.data(), dep.data(), &mon,
                obs.data(), &parentca, &alox, &so4admax, &so4half, &po4admax, &po4half, &exph, alapars, &fni,
                alwe.data(), nfix.data(), &bal, msg);
        READINPW(list.get(), &ib, &ie, &iyb, &iye, &nstep, &area_c, &area_l, &depth_l, &pco2w, &expalw, &lgkaloxw,
                 retention, &orgmodw, orgparw, mdocw.data(), alaparw, wmsg);
    }
    float series(const std::vector<float>& v, int32_t t) const { return v[static_cast<std::size_t>(t - kIb)]; }
    float ion(const std::vector<float>& m, int i, int32_t t) const {
        return m[static_cast<std::size_t>(t - kIb) * 9 + static_cast<std::size_t>(i - 1)];
    }
};

class ExampleSite : public ::testing::Test {  // in the example's folder, where its names are resolved
protected:
    void SetUp() override { std::filesystem::current_path(std::string(MORVANE_SOURCE_DIR) + "/examples/site"); }
    void TearDown() override { std::filesystem::current_path(saved_); }
    std::filesystem::path saved_ = std::filesystem::current_path();
};

TEST_F(ExampleSite, Kesto) {
    SiteRun r("KESTO", "kesto.inp");
    EXPECT_EQ(text(r.msg, 128) + "|" + text(r.wmsg, 128) + "|" + text(r.site, 128),
              "||Lake Harjulampi catchment, plot 2 (spruce on podzolic till)");
    EXPECT_EQ(std::tuple(r.iyb, r.iye, r.nstep, r.rcoomod, r.orgmodw), std::tuple(1850, 2100, 1, 2, 2));
    // The missing war years are interpolated between 1943 and 1946; Runoff is the dictionary's alias of percol.
    EXPECT_EQ((std::vector<float>{r.cec, r.kexc[12], r.alapars[1], r.ion(r.dep, 1, 1850), r.series(r.alwe, 1990),
                                  r.ion(r.upt, 2, 1850), r.series(r.percol, 1850), r.series(r.tempc, 1850), r.area_c,
                                  r.orgparw[1], r.series(r.mdocw, 2000), r.retention[2], r.alaparw[0]}),
              (std::vector<float>{62.5f, 5.338f, 9.7f, 12.0f, 2.0f * 18.5f + 2.0f * 7.2f, (0.713f * 1.2f) * 1.032f, 0.31f,
                                  3.2f, 2.35f, 4.42f, 6.5f, 7.0f, 5.5f}));
    EXPECT_NEAR(r.ion(r.dep, 1, 1944), 91.493f + (95.952f - 91.493f) / 3.0f, 1e-4f);
    EXPECT_EQ(text(r.mon.path, 256) + " " + text(r.bal.path, 256), "harjulampi_kesto.mon harjulampi_kesto.bal");
    EXPECT_EQ(text(r.obs[0].path, 256) + r.obs[0].opt + std::to_string(r.obs[0].icol2), "obs_soil.dato2");
    EXPECT_EQ(std::tuple(text(r.obs[1].path, 256), r.obs[1].cval[0], r.obs[1].cval[1], r.obs[1].cval[2]),
              std::tuple("1obsonly", 1988.5f, 0.14f, 0.03f));
    EXPECT_EQ(text(r.obs[3].path, 256) + r.obs[3].opt, "obs_lake.data");
    EXPECT_EQ(std::tuple(text(r.obs[4].path, 256), r.obs[4].opt, r.obs[4].factor, r.obs[4].icol1, r.obs[4].icol2),
              std::tuple("obs_soil.dat", 's', 0.001f, 3, 4));
    // The lake's observations, 1990.7 .. 1998.7 (1999.7 has no sample).
    const float xmiss = -999.0f;
    const int32_t iyb = 1990, iye = 2000;
    int32_t nobs = 0;
    float obs[3 * 20];
    char msg[128];
    PREPOBS(&r.obs[3], &xmiss, &iyb, &iye, &nobs, obs, msg);
    EXPECT_EQ(std::tuple(text(msg, 128), nobs, obs[0], obs[1], obs[2]), std::tuple("", 9, 1990.7f, -11.4f, 6.0f));
}

TEST_F(ExampleSite, KestoMonthly) {
    SiteRun r("KESTO2", "kesto2.inp");
    EXPECT_EQ(text(r.msg, 128) + "|" + text(r.wmsg, 128) + "|" + text(r.mon.path, 256),
              "|xREADINPw: Unknown model!|harjulampi_kesto2.mon");
    EXPECT_EQ(r.nstep, 12);
    // January 1850, April 1850, December 2100
    EXPECT_EQ((std::vector<float>{r.ion(r.dep, 1, 1850), r.ion(r.dep, 3, 1850 + 3), r.ion(r.dep, 1, kIe)}),
              (std::vector<float>{1.3f, 1.0667f, 2.6f}));
}

TEST_F(ExampleSite, Olu) {
    SiteRun r("OLU", "olu.inp");
    EXPECT_EQ(text(r.msg, 128) + "|" + text(r.wmsg, 128), "|");
    EXPECT_EQ(std::tuple(r.rcoomod, r.orgmodw), std::tuple(0, 1));
    // OLU leaves ALAPARW as the caller had it (-5).
    EXPECT_EQ((std::vector<float>{r.parentca, r.ek, r.bsat, r.rcoopars[0], r.ion(r.weath, 4, 1850), r.ion(r.upt, 2, 1850),
                                  r.orgparw[0], r.alaparw[0]}),
              (std::vector<float>{0.35f, 0.025f, -1.0f, 4.5f, 18.5f, 0.883f, 4.5f, -5.0f}));
}

}  // namespace
