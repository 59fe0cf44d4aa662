// READINP for each of the three soil models, then READINPW on the same list:
// the keyword file (the main file, "k.inp"), its dictionary and every series
// file it names come from the input. The run admits the steps 1850..2101:
// the yearly period 1850..2100, or 21 years of 12 steps.
#include <cstring>
#include <memory>
#include <vector>

#include "harness.hpp"

namespace {

constexpr std::int32_t kIb = 1850, kIe = 1850 + 21 * 12 - 1;
constexpr std::size_t kSteps = kIe - kIb + 1;
const char* const kNames[] = {"pH", "BS", "pH_lake", "ANC_lake", "SO4"};

std::int32_t MORVANE_CALL lookup(const char* name, std::int32_t len) {
    const std::string_view n(name, static_cast<std::size_t>(len));
    for (int i = 0; i < 5; ++i) {
        const std::string_view k(kNames[i]);
        if (n.substr(0, k.size()) == k && n.substr(k.size()).find_first_not_of(' ') == std::string_view::npos)
            return i + 1;
    }
    return 0;
}

// Every output of both routines; the arrays sized exactly, so that a write
// past their end is seen by the address sanitizer.
struct Outputs {
    std::vector<VarDescriptor> vars = std::vector<VarDescriptor>(5);
    char site[128], msg[128], wmsg[128];
    std::int32_t iyb = 0, iye = 0, nstep = 0, addso4ss = 0, excmod = 0, rcoomod = 0, orgmodw = 0;
    float thick = 0, bulkdens = 0, cec = 0, eca = 0, emg = 0, ek = 0, bsat = 0, expal = 0, cpool = 0, cnrat = 0;
    float cnmin = 0, cnmax = 0, cnseq = 0, fde = 0, parentca = 0, alox = 0, so4admax = 0, so4half = 0;
    float po4admax = 0, po4half = 0, exph = 0, fni = 0;
    std::vector<float> kexc = std::vector<float>(36), rcoopars = std::vector<float>(3),
                       cmin = std::vector<float>(9), alapars = std::vector<float>(2);
    std::vector<float> theta = std::vector<float>(kSteps), pco2 = theta, lgkalox = theta, nimacc = theta,
                       crcoo = theta, tempc = theta, percol = theta, alwe = theta, nfix = theta, mdocw = theta;
    std::vector<float> weath = std::vector<float>(9 * kSteps), upt = weath, dep = weath;
    std::vector<SeriesSpec> mon = std::vector<SeriesSpec>(1), bal = mon, obs = std::vector<SeriesSpec>(5);
    float area_c = 0, area_l = 0, depth_l = 0, pco2w = 0, expalw = 0, lgkaloxw = 0;
    std::vector<float> retention = std::vector<float>(9), orgparw = std::vector<float>(3),
                       alaparw = std::vector<float>(2);

    Outputs() {
        for (std::size_t i = 0; i < 5; ++i) std::memset(&vars[i], ' ', sizeof(VarDescriptor)), fuzz::put(vars[i].name, 8, kNames[i]);
        for (auto* v : {&mon, &bal, &obs})
            for (SeriesSpec& s : *v) std::memset(&s, 0, sizeof s), fuzz::put(s.path, sizeof s.path, "");
    }
};

// A 128-byte text vector: 127 characters and a zero byte.
void check_vector(const char v[128]) { FUZZ_CHECK(v[127] == '\0' && std::memchr(v, '\0', 127) == nullptr); }

// A message vector: blank, or a message of the routine's form.
void check_message(const char msg[128]) {
    check_vector(msg);
    const std::string m = fuzz::message(msg);
    FUZZ_CHECK(m.empty() || m[0] == 'x');
    // An unexpected failure (an exception) is reported as "<routine>: Internal error: ...".
    const std::size_t colon = m.find(": ");
    FUZZ_CHECK(colon == std::string::npos || m.compare(colon + 2, 15, "Internal error:") != 0);
}

void run(const char* model) {
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), ' ', sizeof(KEYLIST));
    fuzz::put(list->name, 16, model);
    fuzz::put(list->file, 256, "k.inp");
    auto o = std::make_unique<Outputs>();
    const std::int32_t nvar = 5, ib = kIb, ie = kIe;
    READINP(&nvar, o->vars.data(), lookup, list.get(), &ib, &ie, o->site, &o->iyb, &o->iye, &o->nstep, &o->addso4ss,
            &o->thick, &o->bulkdens, o->theta.data(), o->pco2.data(), &o->cec, &o->eca, &o->emg, &o->ek, &o->bsat,
            &o->excmod, o->kexc.data(), &o->expal, o->lgkalox.data(), o->nimacc.data(), &o->cpool, &o->cnrat,
            &o->cnmin, &o->cnmax, &o->cnseq, &o->fde, &o->rcoomod, o->rcoopars.data(), o->crcoo.data(),
            o->tempc.data(), o->percol.data(), o->cmin.data(), o->weath.data(), o->upt.data(), o->dep.data(),
            o->mon.data(), o->obs.data(), &o->parentca, &o->alox, &o->so4admax, &o->so4half, &o->po4admax,
            &o->po4half, &o->exph, o->alapars.data(), &o->fni, o->alwe.data(), o->nfix.data(), o->bal.data(), o->msg);
    fuzz::show(model, fuzz::message(o->msg));
    check_message(o->msg);
    FUZZ_CHECK(list->n >= 0 && list->n <= MORVANE_KEYLIST_ENTRIES);
    if (!fuzz::message(o->msg).empty()) return;
    check_vector(o->site);
    // The period the run was given lies within the steps the caller admits.
    FUZZ_CHECK(o->iyb >= kIb);
    FUZZ_CHECK(static_cast<std::int64_t>(o->iyb) + (static_cast<std::int64_t>(o->iye) - o->iyb + 1) * o->nstep - 1 <= kIe);

    READINPW(list.get(), &ib, &ie, &o->iyb, &o->iye, &o->nstep, &o->area_c, &o->area_l, &o->depth_l, &o->pco2w,
             &o->expalw, &o->lgkaloxw, o->retention.data(), &o->orgmodw, o->orgparw.data(), o->mdocw.data(),
             o->alaparw.data(), o->wmsg);
    fuzz::show("READINPW", fuzz::message(o->wmsg));
    check_message(o->wmsg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!fuzz::stage(fuzz::split_files(text, "k.inp"))) return -1;
    for (const char* model : {"KESTO", "KESTO2", "OLU"}) run(model);
    return 0;
}
