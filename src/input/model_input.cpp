#include "input/model_input.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <tuple>
#include <vector>

#include "input/keylist.hpp"
#include "input/vocabulary.hpp"
#include "util/bytevec.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/files.hpp"
#include "util/strings.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr float kUndefined = -999.0f;  // an undefined exchange constant

// The message of a value that cannot be read.
std::string cannot_read(std::string_view head, const BadValue& e) {
    return std::string(head) + "Cannot read " + e.keyword() + ": " + e.value();
}

// The parameters of an organic-acid model: as many numbers as the model
// number (three for model 0), at most the three the argument holds; the
// keyword is marked taken. False when the model is negative or the keyword absent.
bool read_acid_pars(KEYLIST& list, std::string_view keyword, std::int32_t model, float* pars) {
    if (model < 0) return false;
    KeyEntry e(list, keyword);
    if (!e) return false;
    e.read_exactly(std::span<float>(pars, model == 0 ? 3 : static_cast<std::size_t>(std::min(model, 3))));
    e.take();
    return true;
}

// The two aluminium-complex parameters: (0, 0), then two numbers of the
// keyword when the acid model has complexes (model 2 or more).
void read_al_pars(KEYLIST& list, std::string_view keyword, std::int32_t model, float* pars) {
    pars[0] = pars[1] = 0.0f;
    if (model < 2) return;
    if (KeyEntry e(list, keyword); e) {
        e.read_exactly(std::span<float>(pars, 2));
        e.take();
    }
}

// Reading state shared by the steps of one call.
class Reader {
public:
    Reader(KEYLIST& list, std::int32_t ib, std::int32_t ie) : list_(list), ib_(ib), ie_(ie) {}

    void run_period(std::int32_t iyb, std::int32_t iye, std::int32_t nstep) {
        nb_ = iyb;
        ne_ = iye;
        ns_ = nstep;
    }
    // Steps IB..IE of a series argument (0 when IE < IB).
    std::size_t steps() const { return ie_ >= ib_ ? static_cast<std::size_t>(ie_ - ib_ + 1) : 0; }

    // A series argument (IB..IE).
    void series(std::string_view keyword, float* vec, std::optional<float> dflt) {
        getseries(list_, keyword, ib_, nb_, ne_, ns_, std::span<float>(vec, steps()), dflt, tsmsg_);
    }
    // A series into row ion (1..9) of an ion matrix (9, IB:IE): the row is
    // gathered, read as a series and scattered back, so that what the
    // series reader leaves untouched keeps the caller's values.
    void ion_series(std::string_view keyword, float* matrix, int ion, std::optional<float> dflt) {
        const std::size_t k = static_cast<std::size_t>(ion - 1);
        if (int ind = 0; dflt && !keyfind(list_, keyword, ind)) {
            // Absent (most ions of most input sets): the series reader would
            // write the default over the period's steps of the row, which is
            // written into the matrix in place; the reader is called with no
            // steps for its bookkeeping of the default.
            getseries(list_, keyword, ib_, nb_, ne_, ns_, std::span<float>(), dflt, tsmsg_);
            const std::int64_t first = std::int64_t{nb_} - ib_;
            const std::int64_t count = (std::int64_t{ne_} - nb_ + 1) * ns_;
            const std::int64_t to = std::min<std::int64_t>(first + count, static_cast<std::int64_t>(steps()));
            for (std::int64_t t = std::max<std::int64_t>(first, 0); t < to; ++t)
                matrix[static_cast<std::size_t>(t) * 9 + k] = *dflt;
            return;
        }
        row_.resize(steps());  // one row for all ions: its memory is taken once
        for (std::size_t t = 0; t < row_.size(); ++t) row_[t] = matrix[t * 9 + k];
        series(keyword, row_.data(), dflt);
        for (std::size_t t = 0; t < row_.size(); ++t) matrix[t * 9 + k] = row_[t];
    }
    const std::string& series_message() const { return tsmsg_; }

private:
    KEYLIST& list_;
    std::int32_t ib_, ie_;
    std::int32_t nb_ = 0, ne_ = 0, ns_ = 1;
    std::string tsmsg_;  // the last message of the time-series reader
    std::vector<float> row_;
};

// Index of entry (i, j) of the 6 x 6 exchange-constant matrix.
constexpr std::size_t kx(int i, int j) { return static_cast<std::size_t>((i - 1) + (j - 1) * 6); }

// REAL keywords read one after the other: the keyword, the argument and the
// default (none: the argument keeps its value when the keyword is absent).
struct RealKey {
    std::string_view key;
    float* SoilInput::*arg;
    std::optional<float> dflt;
};
void get_reals(KEYLIST& list, const SoilInput& in, std::span<const RealKey> keys) {
    for (const RealKey& k : keys) getreal(list, k.key, *(in.*k.arg), k.dflt);
}

// Series of an ion (1..9) in an ion matrix.
struct IonKey {
    std::string_view key;
    int ion;
};

// SiteInfo: the site text, at most a message's length.
void read_site(KEYLIST& list, const SoilInput& in) {
    *in.site = std::string();
    if (KeyEntry e(list, "SiteInfo"); e) {
        *in.site = message_text(e.text());
        e.take();
    }
}

// period: first and last year and, but for OLU or two numbers, the steps a year.
void read_period(KEYLIST& list, const SoilInput& in, bool olu) {
    *in.nstep = 1;
    KeyEntry e(list, "period");
    if (!e) {
        *in.iyb = in.ib;
        *in.iye = in.ie;
        return;
    }
    std::array<std::int32_t, 3> p{0, 0, 1};
    const std::size_t want = (olu || nitems(e.value()) == 2) ? 2 : 3;
    e.read_exactly(std::span<std::int32_t>(p.data(), want));
    *in.iyb = p[0];
    *in.iye = p[1];
    if (want == 3) *in.nstep = p[2];
    if (*in.iyb < in.ib) throw Error("xREADINP: first year (time step) < IB!");
    const std::int64_t last =
        static_cast<std::int64_t>(*in.iyb) + (static_cast<std::int64_t>(*in.iye) - *in.iyb + 1) * *in.nstep - 1;
    if (last > in.ie) throw Error("xREADINP: last year (time step) > IE!");
    e.take();
}

// Initial exchangeable fractions: all of ECa_0, EMg_0 (and EK_0 for OLU), or
// none of them and the base saturation bsat_0.
void read_fractions(KEYLIST& list, const SoilInput& in, bool olu) {
    *in.eca_0 = *in.emg_0 = *in.ek_0 = *in.bsat_0 = -1.0f;
    int ind = 0;
    if (!keyfind(list, "ECa_0", ind) && !keyfind(list, "EMg_0", ind) && !(olu && keyfind(list, "EK_0", ind))) {
        getreal(list, "bsat_0", *in.bsat_0, -1.0f);
        return;
    }
    getreal(list, "ECa_0", *in.eca_0, -1.0f);
    getreal(list, "EMg_0", *in.emg_0, -1.0f);
    if (olu) getreal(list, "EK_0", *in.ek_0, -1.0f);
    const int missing = (*in.eca_0 < 0.0f) + (*in.emg_0 < 0.0f) + (olu && *in.ek_0 < 0.0f);
    if (olu ? (missing > 0 && missing < 3) : missing > 0)
        throw Error("xREADINP: None or all exchangeable fractions (ECa_0, EMg_0, EK_0) have to be defined!");
}

// Uptake, but for KESTO2: from growth and element contents when F_growth is
// given, else as series; no chloride uptake.
void read_uptake(KEYLIST& list, const SoilInput& in, Reader& rd) {
    std::vector<float> growth(rd.steps(), 0.0f);
    rd.series("F_growth", growth.data(), std::nullopt);
    if (keygot(list, "F_growth")) {
        float ct[5] = {0, 0, 0, 0, 0};
        static constexpr std::string_view kContents[] = {"ctNst", "ctCast", "ctMgst", "ctKst", "ctPst"};
        for (int k = 0; k < 5; ++k) getreal(list, kContents[k], ct[k], 0.0f);
        // Equivalents per unit of growth: the constant times the content first.
        const float per[5] = {0.713f * ct[0], 0.5f * ct[1], 0.823f * ct[2], 0.256f * ct[3], 0.32f * ct[4]};
        static constexpr int kIons[5] = {2, 4, 5, 6, 9};
        const std::int64_t first = static_cast<std::int64_t>(*in.iyb) - in.ib;
        const std::int64_t count = (static_cast<std::int64_t>(*in.iye) - *in.iyb + 1) * *in.nstep;
        for (std::int64_t t = std::max<std::int64_t>(first, 0); t < first + count; ++t) {
            if (t >= static_cast<std::int64_t>(rd.steps())) break;
            const std::size_t s = static_cast<std::size_t>(t);
            for (int k = 0; k < 5; ++k) in.uptake[s * 9 + static_cast<std::size_t>(kIons[k] - 1)] = per[k] * growth[s];
        }
    } else {
        static constexpr IonKey kUptake[] = {{"N_gupt", 2}, {"Ca_upt", 4}, {"Mg_upt", 5}, {"K_upt", 6}, {"P_upt", 9}};
        for (const auto& [key, ion] : kUptake) rd.ion_series(key, in.uptake, ion, 0.0f);
    }
    for (std::size_t t = 0; t < rd.steps(); ++t) in.uptake[t * 9 + 2] = 0.0f;
}

// The monitoring file: the caller's path, else monfile, else the model name;
// the balance file when balfile names one. Both joined to the input's folder.
void read_files(KEYLIST& list, const SoilInput& in) {
    const std::string dir = field_text(list.dir);
    std::string path = field_text(in.mon->path);
    if (is_blank(path)) {
        if (KeyEntry e(list, "monfile"); e) {
            path = e.text();
            e.take();
        } else {
            path = field_text(list.name) + ".mon";
            append_default(list, "monfile", path);
        }
    }
    set_field(in.mon->path, pathjoin(dir, path));
    in.mon->active = kTrue;

    if (KeyEntry e(list, "balfile"); e && !is_blank(e.value())) {
        set_field(in.bal->path, pathjoin(dir, e.text()));
        in.bal->active = kTrue;
        e.take();
    }
}

// Aluminium weathering from the base-cation weathering rates (KESTO family,
// when Al_we is not given): the four ratios of ratwAlBC, by default 2, 2, 0, 0.
void weathering_al(KEYLIST& list, const SoilInput& in, const Reader& rd) {
    std::array<float, 4> w{2.0f, 2.0f, 0.0f, 0.0f};
    if (KeyEntry e(list, "ratwAlBC"); e) {
        w = {0.0f, 0.0f, 0.0f, 0.0f};
        e.read(std::span<float>(w));
        e.take();
    } else {
        append_default(list, "ratwAlBC", "2 2 0 0");
    }
    for (std::size_t t = 0; t < rd.steps(); ++t) {
        const float* we = in.weathering + t * 9;
        in.al_we[t] = w[0] * we[3] + w[1] * we[4] + w[2] * we[5] + w[3] * we[6];
    }
}

// The keywords of the KESTO family alone.
void read_kesto(KEYLIST& list, const SoilInput& in, Reader& rd) {
    static constexpr RealKey kMinerals[] = {
        {"Carbonat", &SoilInput::parentca, 0.0f}, {"Alox_0", &SoilInput::alox_0, 1000000000.0f},
        {"PO4admax", &SoilInput::po4admax, 0.0f}};
    get_reals(list, in, kMinerals);
    if (*in.po4admax > 0.0f) getreal(list, "PO4half", *in.po4half);
    getreal(list, "lgKHAl", in.kexc[kx(1, 2)]);
    getreal(list, "lgKHCa", in.kexc[kx(1, 3)]);
    getreal(list, "lgKHMg", in.kexc[kx(1, 4)]);
    getreal(list, "lgKHK", in.kexc[kx(1, 5)]);
    if (*in.excmod == 1) getreal(list, "expH", *in.exph, 2.0f);
    read_al_pars(list, "AlApars", *in.rcoomod, in.alapars);
    getreal(list, "f_ni", *in.f_ni, 1.0f);
    rd.series("Al_we", in.al_we, std::nullopt);
    if (!keygot(list, "Al_we")) weathering_al(list, in, rd);
}

// READINP's keywords in the order they are read: the order in which defaulted
// entries are appended to the list.
std::string read_soil(const SoilInput& in) {
    KEYLIST& list = *in.list;
    const Model model = model_of(field_text(list.name));
    if (model == Model::unknown) throw Error("xREADINP: Unknown model!");
    const bool olu = model == Model::olu;

    fil2list(list);
    Reader rd(list, in.ib, in.ie);
    read_site(list, in);
    read_period(list, in, olu);
    rd.run_period(*in.iyb, *in.iye, *in.nstep);

    if (olu) {
        getreal(list, "parentCa", *in.parentca, -1.0f);
        *in.parentca = std::min(*in.parentca, 1.0f);
    }

    // Soil and exchange parameters.
    getreal(list, "thick", *in.thick);
    getreal(list, "bulkdens", *in.bulkdens);
    rd.series("Theta", in.theta, 0.3f);
    rd.series("pCO2fac", in.pco2fac, 20.0f);
    getreal(list, "CEC", *in.cec);
    getint(list, "Excmod", *in.excmod, 1);
    read_fractions(list, in, olu);

    // Exchange constants.
    std::fill(in.kexc, in.kexc + 36, kUndefined);
    getreal(list, "lgKHBC", in.kexc[kx(1, 3)]);
    getreal(list, "lgKAlBC", in.kexc[kx(2, 3)]);
    getreal(list, "expAl", *in.expal, 3.0f);
    rd.series("lgKAlox", in.lgkalox, std::nullopt);

    // Sulphate adsorption.
    getreal(list, "SO4admax", *in.so4admax, 0.0f);
    if (*in.so4admax > 0.0f) getreal(list, "SO4half", *in.so4half);

    // Nitrogen and carbon.
    rd.series("Nim_acc", in.nim_acc, 0.0f);
    static constexpr RealKey kCarbon[] = {
        {"Cpool_0", &SoilInput::cpool_0, 0.0f},    {"CNrat_0", &SoilInput::cnrat_0, 0.0f},
        {"CNratmin", &SoilInput::cnratmin, 10.0f}, {"CNratmax", &SoilInput::cnratmax, 40.0f},
        {"CNratseq", &SoilInput::cnratseq, 0.0f},  {"f_de", &SoilInput::f_de, 0.0f}};
    get_reals(list, in, kCarbon);

    // Organic acids: the model is read only where there is organic charge.
    *in.rcoomod = -1;
    std::fill(in.rcoopars, in.rcoopars + 3, 0.0f);
    rd.series("cRCOO", in.crcoo, 0.0f);
    if (std::any_of(in.crcoo, in.crcoo + rd.steps(), [](float c) { return c > 0.0f; })) {
        getint(list, "RCOOmod", *in.rcoomod, -1);
        read_acid_pars(list, "RCOOpars", *in.rcoomod, in.rcoopars);
    }

    // Minimum concentrations, by ion.
    std::fill(in.cmin, in.cmin + 9, 0.0f);
    static constexpr std::tuple<std::string_view, int, float> kMinima[] = {
        {"cN_min", 2, 0.0f}, {"cCa_min", 4, 0.0001f}, {"cMg_min", 5, 0.0001f}, {"cK_min", 6, 0.0001f}, {"cP_min", 9, 0.0f}};
    for (const auto& [key, ion, dflt] : kMinima) getreal(list, key, in.cmin[ion - 1], dflt);

    rd.series("TempC", in.tempc, 8.0f);
    rd.series("percol", in.percol, std::nullopt);

    static constexpr IonKey kWeathering[] = {{"Ca_we", 4}, {"Mg_we", 5}, {"K_we", 6}, {"Na_we", 7}, {"P_we", 9}};
    for (const auto& [key, ion] : kWeathering) rd.ion_series(key, in.weathering, ion, 0.0f);
    if (model != Model::kesto2) read_uptake(list, in, rd);
    rd.series("N_fix", in.n_fix, 0.0f);
    static constexpr IonKey kDeposition[] = {{"SO2_dep", 1}, {"NOx_dep", 2}, {"NH3_dep", 3}, {"Ca_dep", 4}, {"Mg_dep", 5},
                                             {"K_dep", 6},   {"Na_dep", 7},  {"Cl_dep", 8},  {"P_dep", 9}};
    for (const auto& [key, ion] : kDeposition) rd.ion_series(key, in.deposition, ion, 0.0f);
    getint(list, "AddSO4ss", *in.addso4ss, 0);

    read_files(list, in);
    if (model == Model::kesto || model == Model::kesto2) read_kesto(list, in, rd);

    // Observation records of the variables that have observations.
    for (const VarDescriptor& v : in.vars) getobs(in.obsind, list, std::string_view(v.name, sizeof v.name), in.obs);
    if (warnings_wanted()) {
        std::vector<std::string> obs_names;
        for (const VarDescriptor& v : in.vars) obs_names.push_back(obs_keyword(std::string_view(v.name, sizeof v.name), {}));
        warn_unread_keywords(list, model, KeyReader::soil, obs_names);
    }
    return rd.series_message();
}

}  // namespace

std::string readinp(const SoilInput& in) {
    try {
        return read_soil(in);
    } catch (const BadValue& e) {
        throw Error(cannot_read("xREADINP: ", e));
    }
}

namespace {

std::string read_water(const WaterInput& in) {
    KEYLIST& list = *in.list;
    const Model model = model_of(field_text(list.name));
    if (model != Model::olu && model != Model::kesto) throw Error("xREADINPw: Unknown model!");

    getreal(list, "Area_c", *in.area_c, 0.0f);
    if (*in.area_c <= 0.0f) {
        warn_unread_keywords(list, model, KeyReader::water);
        return "";
    }
    getreal(list, "Area_l", *in.area_l);
    std::fill(in.retention, in.retention + 9, 0.0f);
    getreal(list, "depth_l", *in.depth_l);
    getreal(list, "retSO4", in.retention[0], 0.0f);
    getreal(list, "retNO3", in.retention[1], 0.0f);
    getreal(list, "pCO2facw", *in.pco2facw);
    getreal(list, "expAlw", *in.expalw);
    getreal(list, "lgKAloxw", *in.lgkaloxw);
    getint(list, "Orgmodw", *in.orgmodw, -1);

    Reader rd(list, in.ib, in.ie);
    rd.run_period(in.iyb, in.iye, in.nstep);
    std::fill(in.mdocw, in.mdocw + rd.steps(), 0.0f);
    std::fill(in.orgparw, in.orgparw + 3, 0.0f);
    if (read_acid_pars(list, "Orgparw", *in.orgmodw, in.orgparw)) rd.series("mDOCw", in.mdocw, std::nullopt);

    if (model == Model::kesto) {
        getreal(list, "retNH4", in.retention[2], 0.0f);
        read_al_pars(list, "AlAparw", *in.orgmodw, in.alaparw);
    }
    warn_unread_keywords(list, model, KeyReader::water);
    return rd.series_message();
}

}  // namespace

std::string readinpw(const WaterInput& in) {
    try {
        return read_water(in);
    } catch (const BadValue& e) {
        throw Error(cannot_read("xREADINPw: ", e));
    }
}

}  // namespace morvane
