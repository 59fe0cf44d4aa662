// Exports of the model input readers.
#include <optional>
#include <string>

#include "frame/guard.hpp"
#include "frame/last_message.hpp"
#include "input/model_input.hpp"
#include "morvane.h"

namespace {

// The caller's lookup function, called with the 8-character name.
morvane::ObsIndexFn lookup(morvane_obsind_fn fn) {
    return [fn](std::string_view name) -> std::int32_t {
        if (fn == nullptr) return 0;
        std::string n8(name.substr(0, 8));
        n8.resize(8, ' ');
        return fn(n8.data(), 8);
    };
}

}  // namespace

extern "C" {

MORVANE_API void MORVANE_CALL READINP(
    const int32_t* nvar, const VarDescriptor* vars, morvane_obsind_fn obsind, KEYLIST* list, const int32_t* ib,
    const int32_t* ie, char site[128], int32_t* iyb, int32_t* iye, int32_t* nstep, int32_t* addso4ss,
    float* thick, float* bulkdens, float* theta, float* pco2fac, float* cec, float* eca_0, float* emg_0,
    float* ek_0, float* bsat_0, int32_t* excmod, float* kexc, float* expal, float* lgkalox, float* nim_acc,
    float* cpool_0, float* cnrat_0, float* cnratmin, float* cnratmax, float* cnratseq, float* f_de,
    int32_t* rcoomod, float* rcoopars, float* crcoo, float* tempc, float* percol, float* cmin,
    float* weathering, float* uptake, float* deposition, SeriesSpec* mon, SeriesSpec* obs,
    float* parentca_or_carbonat, float* alox_0, float* so4admax, float* so4half, float* po4admax,
    float* po4half, float* exph, float* alapars, float* f_ni, float* al_we, float* n_fix, SeriesSpec* bal,
    char msg[128]) {
    morvane::frame::CallWarnings warnings("READINP");
    std::optional<std::string> site_text;
    morvane::frame::with_message(msg, "xREADINP: ", [&]() -> std::string {
        morvane::SoilInput in;
        in.vars = std::span<const VarDescriptor>(vars, *nvar > 0 ? static_cast<std::size_t>(*nvar) : 0);
        in.obsind = lookup(obsind);
        in.list = list;
        in.ib = *ib;
        in.ie = *ie;
        in.site = &site_text;
        in.iyb = iyb, in.iye = iye, in.nstep = nstep, in.addso4ss = addso4ss;
        in.thick = thick, in.bulkdens = bulkdens, in.theta = theta, in.pco2fac = pco2fac, in.cec = cec;
        in.eca_0 = eca_0, in.emg_0 = emg_0, in.ek_0 = ek_0, in.bsat_0 = bsat_0, in.excmod = excmod;
        in.kexc = kexc, in.expal = expal, in.lgkalox = lgkalox, in.nim_acc = nim_acc;
        in.cpool_0 = cpool_0, in.cnrat_0 = cnrat_0, in.cnratmin = cnratmin, in.cnratmax = cnratmax;
        in.cnratseq = cnratseq, in.f_de = f_de, in.rcoomod = rcoomod, in.rcoopars = rcoopars;
        in.crcoo = crcoo, in.tempc = tempc, in.percol = percol, in.cmin = cmin;
        in.weathering = weathering, in.uptake = uptake, in.deposition = deposition;
        in.mon = mon, in.obs = obs, in.bal = bal;
        in.parentca = parentca_or_carbonat, in.alox_0 = alox_0, in.so4admax = so4admax, in.so4half = so4half;
        in.po4admax = po4admax, in.po4half = po4half, in.exph = exph, in.alapars = alapars;
        in.f_ni = f_ni, in.al_we = al_we, in.n_fix = n_fix;
        return morvane::readinp(in);
    });
    // The site text is blank-padded like a message; it stays as it was when
    // the routine ended before reading it (unknown model).
    if (site_text) morvane::write_message(site, *site_text);
}

MORVANE_API void MORVANE_CALL READINPW(KEYLIST* list, const int32_t* ib, const int32_t* ie, const int32_t* iyb,
                                       const int32_t* iye, const int32_t* nstep, float* area_c, float* area_l,
                                       float* depth_l, float* pco2facw, float* expalw, float* lgkaloxw,
                                       float* retention, int32_t* orgmodw, float* orgparw, float* mdocw,
                                       float* alaparw, char msg[128]) {
    morvane::frame::CallWarnings warnings("READINPW");
    morvane::frame::with_message(msg, "xREADINPw: ", [&]() -> std::string {
        morvane::WaterInput in;
        in.list = list;
        in.ib = *ib, in.ie = *ie, in.iyb = *iyb, in.iye = *iye, in.nstep = *nstep;
        in.area_c = area_c, in.area_l = area_l, in.depth_l = depth_l, in.pco2facw = pco2facw;
        in.expalw = expalw, in.lgkaloxw = lgkaloxw, in.retention = retention, in.orgmodw = orgmodw;
        in.orgparw = orgparw, in.mdocw = mdocw, in.alaparw = alaparw;
        return morvane::readinpw(in);
    });
}

}  // extern "C"
