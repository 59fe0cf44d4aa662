// The model input readers: READINP (soil models KESTO, KESTO2 and OLU) and
// READINPW (the surface-water companion, from the same keyword list).
//
// The arguments mirror the exported routines: pointers to the caller's
// variables and arrays. A series pointer points at element IB of an array
// IB..IE; an ion matrix (9, IB:IE) at its element (1, IB).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "morvane.h"
#include "input/getobs.hpp"

namespace morvane {

struct SoilInput {
    std::span<const VarDescriptor> vars;  // NVAR descriptors
    ObsIndexFn obsind;                    // the caller's observation-record lookup
    KEYLIST* list = nullptr;
    std::int32_t ib = 0, ie = 0;
    std::optional<std::string>* site = nullptr;  // out: the site text (at most 127 characters), once set
    std::int32_t *iyb = nullptr, *iye = nullptr, *nstep = nullptr, *addso4ss = nullptr;
    float *thick = nullptr, *bulkdens = nullptr, *theta = nullptr, *pco2fac = nullptr, *cec = nullptr;
    float *eca_0 = nullptr, *emg_0 = nullptr, *ek_0 = nullptr, *bsat_0 = nullptr;
    std::int32_t* excmod = nullptr;
    float *kexc = nullptr;                // 6 x 6, column-major
    float *expal = nullptr, *lgkalox = nullptr, *nim_acc = nullptr;
    float *cpool_0 = nullptr, *cnrat_0 = nullptr, *cnratmin = nullptr, *cnratmax = nullptr;
    float *cnratseq = nullptr, *f_de = nullptr;
    std::int32_t* rcoomod = nullptr;
    float *rcoopars = nullptr;            // 3
    float *crcoo = nullptr, *tempc = nullptr, *percol = nullptr;
    float *cmin = nullptr;                // 9
    float *weathering = nullptr, *uptake = nullptr, *deposition = nullptr;  // 9 x (IB:IE)
    SeriesSpec *mon = nullptr, *obs = nullptr, *bal = nullptr;
    float *parentca = nullptr, *alox_0 = nullptr, *so4admax = nullptr, *so4half = nullptr;
    float *po4admax = nullptr, *po4half = nullptr, *exph = nullptr;
    float *alapars = nullptr;             // 2
    float *f_ni = nullptr, *al_we = nullptr, *n_fix = nullptr;
};

// READINP: reads the keyword file named in list->file for the model named in
// list->name. Returns the message of the last series that could not be read
// ("" when there was none); a failure throws Error with its message.
std::string readinp(const SoilInput& in);

struct WaterInput {
    KEYLIST* list = nullptr;
    std::int32_t ib = 0, ie = 0, iyb = 0, iye = 0, nstep = 1;
    float *area_c = nullptr, *area_l = nullptr, *depth_l = nullptr, *pco2facw = nullptr;
    float *expalw = nullptr, *lgkaloxw = nullptr;
    float *retention = nullptr;           // 9
    std::int32_t* orgmodw = nullptr;
    float *orgparw = nullptr;             // 3
    float *mdocw = nullptr;               // IB..IE
    float *alaparw = nullptr;             // 2
};

// READINPW: reads the surface-water keywords from the list loaded by READINP.
// Returns the message of the last series that could not be read ("" when
// there was none); a failure throws Error with its message.
std::string readinpw(const WaterInput& in);

}  // namespace morvane
