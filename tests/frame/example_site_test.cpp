// The bundled example site read through the exported READINP and READINPW,
// with nothing but the public header, as a model program does.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
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

const char* const kNames[] = {"pH", "BS", "pH_lake", "ANC_lake"};

int32_t MORVANE_CALL lookup(const char* name, int32_t len) {
    const std::string n = text(name, static_cast<std::size_t>(len));
    for (int i = 0; i < 4; ++i)
        if (n == kNames[i]) return i + 1;
    return 0;
}

struct SiteRun {
    std::unique_ptr<KEYLIST> list = std::make_unique<KEYLIST>();
    std::vector<VarDescriptor> vars = std::vector<VarDescriptor>(4);
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
    std::vector<SeriesSpec> obs = std::vector<SeriesSpec>(4);
    float area_c = 0, area_l = 0, depth_l = 0, pco2w = 0, expalw = 0, lgkaloxw = 0;
    float retention[9], orgparw[3], alaparw[2] = {-5.0f, -5.0f};

    explicit SiteRun(const std::string& model, const std::string& file) {
        std::memset(list.get(), ' ', sizeof(KEYLIST));
        put(list->name, 16, model);
        put(list->file, 256, file);
        for (int i = 0; i < 4; ++i) {
            std::memset(&vars[static_cast<std::size_t>(i)], ' ', sizeof(VarDescriptor));
            put(vars[static_cast<std::size_t>(i)].name, 8, kNames[i]);
        }
        std::memset(&mon, 0, sizeof mon);
        std::memset(&bal, 0, sizeof bal);
        put(mon.path, 256, "");
        put(bal.path, 256, "");
        for (auto& o : obs) {
            std::memset(&o, 0, sizeof o);
            put(o.path, 256, "");
        }
        const int32_t nvar = 4, ib = kIb, ie = kIe;
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

class ExampleSite : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(std::string(MORVANE_SOURCE_DIR) + "/examples/site");
    }
    void TearDown() override { std::filesystem::current_path(saved_); }
    std::filesystem::path saved_;
};

TEST_F(ExampleSite, Kesto) {
    SiteRun r("KESTO", "kesto.inp");
    EXPECT_EQ(text(r.msg, 128), "");
    EXPECT_EQ(text(r.wmsg, 128), "");
    EXPECT_EQ(text(r.site, 128), "Lake Harjulampi catchment, plot 2 (spruce on podzolic till)");
    EXPECT_EQ(r.iyb, 1850);
    EXPECT_EQ(r.iye, 2100);
    EXPECT_EQ(r.nstep, 1);
    EXPECT_EQ(r.cec, 62.5f);
    EXPECT_EQ(r.kexc[12], 5.338f);
    EXPECT_EQ(r.rcoomod, 2);
    EXPECT_EQ(r.alapars[1], 9.7f);
    EXPECT_EQ(r.ion(r.dep, 1, 1850), 12.0f);
    EXPECT_NEAR(r.ion(r.dep, 1, 1944), 91.493f + (95.952f - 91.493f) / 3.0f, 1e-4f)
        << "the missing war years are interpolated between 1943 and 1946";
    EXPECT_EQ(r.series(r.alwe, 1990), 2.0f * 18.5f + 2.0f * 7.2f);
    EXPECT_EQ(r.ion(r.upt, 2, 1850), (0.713f * 1.2f) * 1.032f);
    EXPECT_EQ(r.series(r.percol, 1850), 0.31f) << "Runoff is the dictionary's alias of percol";
    EXPECT_EQ(r.series(r.tempc, 1850), 3.2f);
    EXPECT_EQ(text(r.mon.path, 256), "harjulampi_kesto.mon");
    EXPECT_EQ(text(r.bal.path, 256), "harjulampi_kesto.bal");
    EXPECT_EQ(text(r.obs[0].path, 256), "obs_soil.dat");
    EXPECT_EQ(r.obs[0].opt, 'o');
    EXPECT_EQ(r.obs[0].icol2, 2);
    EXPECT_EQ(text(r.obs[1].path, 256), "1obsonly");
    EXPECT_EQ(r.obs[1].cval[1], 0.14f);
    EXPECT_EQ(text(r.obs[3].path, 256), "obs_lake.dat");
    EXPECT_EQ(r.obs[3].opt, 'a');
    EXPECT_EQ(r.area_c, 2.35f);
    EXPECT_EQ(r.orgmodw, 2);
    EXPECT_EQ(r.orgparw[1], 4.42f);
    EXPECT_EQ(r.series(r.mdocw, 2000), 6.5f);
    EXPECT_EQ(r.retention[2], 7.0f);
    EXPECT_EQ(r.alaparw[0], 5.5f);
}

TEST_F(ExampleSite, KestoMonthly) {
    SiteRun r("KESTO2", "kesto2.inp");
    EXPECT_EQ(text(r.msg, 128), "");
    EXPECT_EQ(text(r.wmsg, 128), "xREADINPw: Unknown model!");
    EXPECT_EQ(r.nstep, 12);
    EXPECT_EQ(r.ion(r.dep, 1, 1850), 1.3f) << "January";
    EXPECT_EQ(r.ion(r.dep, 3, 1850 + 3), 1.0667f) << "April";
    EXPECT_EQ(r.ion(r.dep, 1, 1850 + 251 * 12 - 1), 2.6f) << "December 2100";
    EXPECT_EQ(text(r.mon.path, 256), "harjulampi_kesto2.mon");
}

TEST_F(ExampleSite, Olu) {
    SiteRun r("OLU", "olu.inp");
    EXPECT_EQ(text(r.msg, 128), "");
    EXPECT_EQ(text(r.wmsg, 128), "");
    EXPECT_EQ(r.parentca, 0.35f);
    EXPECT_EQ(r.ek, 0.025f);
    EXPECT_EQ(r.bsat, -1.0f);
    EXPECT_EQ(r.rcoomod, 0);
    EXPECT_EQ(r.rcoopars[0], 4.5f);
    EXPECT_EQ(r.ion(r.weath, 4, 1850), 18.5f);
    EXPECT_EQ(r.ion(r.upt, 2, 1850), 0.883f);
    EXPECT_EQ(r.orgmodw, 1);
    EXPECT_EQ(r.orgparw[0], 4.5f);
    EXPECT_EQ(r.alaparw[0], -5.0f) << "OLU leaves argument 17 as the caller had it";
}

}  // namespace
