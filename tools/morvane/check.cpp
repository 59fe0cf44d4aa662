// morvane check: an input set read as a model program reads it.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>

#include "cli.hpp"
#include "input/getobs.hpp"
#include "input/keylist.hpp"
#include "input/model_input.hpp"
#include "input/vocabulary.hpp"
#include "output/prepobs.hpp"
#include "util/error.hpp"
#include "util/fields.hpp"
#include "util/strings.hpp"
#include "util/warnings.hpp"

namespace morvane::cli {
namespace {

// Steps a check allocates at most for the model's arrays (about 100 MB).
constexpr std::int64_t kMaxSteps = 1'000'000;

struct KeyRow {
    std::string keyword, status, value, suggestion;
};

struct ObsRow {
    std::string name, source;
    std::int64_t count = -1;  // observations in the run's years; -1 for constants or a record off
    std::string message;
};

struct Report {
    std::string file, model, site;
    std::int32_t iyb = 0, iye = 0, nstep = 1;
    std::vector<KeyRow> keys;
    std::vector<SeriesNote> series;
    std::vector<ObsRow> obs;
    std::vector<std::string> warnings, messages;
};

// The model from the file's name (olu.inp, kesto2_site.inp), else KESTO.
std::string model_from_name(const std::string& file) {
    std::string stem = std::filesystem::path(file).stem().string();
    for (char& ch : stem) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const std::string_view m = model_name(model_of(stem));
    return m.empty() ? "KESTO" : std::string(m);
}

// The observation keyword's variable and series number: "pHobs" -> (pH, 0),
// "Caobs_2" -> (Ca, 2).
std::pair<std::string, int> obs_parts(std::string_view key) {
    const std::size_t p = key.rfind("obs");
    const std::string_view rest = key.substr(p + 3);
    return {std::string(key.substr(0, p)), rest.empty() ? 0 : std::stoi(std::string(rest.substr(1)))};
}

// What the model program's arrays hold for one READINP and READINPW call.
struct Storage {
    std::int32_t ib, ie;
    std::size_t n;
    std::vector<VarDescriptor> vars;
    std::optional<std::string> site;
    std::int32_t iyb = 0, iye = 0, nstep = 1, addso4ss = 0, excmod = 0, rcoomod = 0, orgmodw = 0;
    float thick = 0, bulkdens = 0, cec = 0, eca = 0, emg = 0, ek = 0, bsat = 0, expal = 0, cpool = 0, cnrat = 0;
    float cnmin = 0, cnmax = 0, cnseq = 0, fde = 0, parentca = 0, alox = 0, so4admax = 0, so4half = 0;
    float po4admax = 0, po4half = 0, exph = 0, fni = 0;
    float kexc[36] = {}, rcoopars[3] = {}, cmin[9] = {}, alapars[2] = {};
    std::vector<float> theta, pco2, lgkalox, nimacc, crcoo, tempc, percol, alwe, nfix, mdocw, weath, upt, dep;
    SeriesSpec mon{}, bal{};
    float area_c = 0, area_l = 0, depth_l = 0, pco2w = 0, expalw = 0, lgkaloxw = 0;
    float retention[9] = {}, orgparw[3] = {}, alaparw[2] = {};

    Storage(std::int32_t ib_, std::int32_t ie_) : ib(ib_), ie(ie_), n(static_cast<std::size_t>(ie_ - ib_ + 1)) {
        for (auto* v : {&theta, &pco2, &lgkalox, &nimacc, &crcoo, &tempc, &percol, &alwe, &nfix, &mdocw}) v->assign(n, 0.0f);
        for (auto* v : {&weath, &upt, &dep}) v->assign(9 * n, 0.0f);
        set_field(mon.path, "");
        set_field(bal.path, "");
    }

    std::string readinp(KEYLIST& list, const ObsIndexFn& obsind, SeriesSpec* obs) {
        SoilInput in;
        in.vars = vars;
        in.obsind = obsind;
        in.list = &list;
        in.ib = ib, in.ie = ie, in.site = &site;
        in.iyb = &iyb, in.iye = &iye, in.nstep = &nstep, in.addso4ss = &addso4ss;
        in.thick = &thick, in.bulkdens = &bulkdens, in.theta = theta.data(), in.pco2fac = pco2.data();
        in.cec = &cec, in.eca_0 = &eca, in.emg_0 = &emg, in.ek_0 = &ek, in.bsat_0 = &bsat, in.excmod = &excmod;
        in.kexc = kexc, in.expal = &expal, in.lgkalox = lgkalox.data(), in.nim_acc = nimacc.data();
        in.cpool_0 = &cpool, in.cnrat_0 = &cnrat, in.cnratmin = &cnmin, in.cnratmax = &cnmax;
        in.cnratseq = &cnseq, in.f_de = &fde, in.rcoomod = &rcoomod, in.rcoopars = rcoopars;
        in.crcoo = crcoo.data(), in.tempc = tempc.data(), in.percol = percol.data(), in.cmin = cmin;
        in.weathering = weath.data(), in.uptake = upt.data(), in.deposition = dep.data();
        in.mon = &mon, in.obs = obs, in.bal = &bal;
        in.parentca = &parentca, in.alox_0 = &alox, in.so4admax = &so4admax, in.so4half = &so4half;
        in.po4admax = &po4admax, in.po4half = &po4half, in.exph = &exph, in.alapars = alapars;
        in.f_ni = &fni, in.al_we = alwe.data(), in.n_fix = nfix.data();
        return message_of([&] { return morvane::readinp(in); });
    }

    std::string readinpw(KEYLIST& list) {
        WaterInput in;
        in.list = &list;
        in.ib = ib, in.ie = ie, in.iyb = iyb, in.iye = iye, in.nstep = nstep;
        in.area_c = &area_c, in.area_l = &area_l, in.depth_l = &depth_l, in.pco2facw = &pco2w;
        in.expalw = &expalw, in.lgkaloxw = &lgkaloxw, in.retention = retention, in.orgmodw = &orgmodw;
        in.orgparw = orgparw, in.mdocw = mdocw.data(), in.alaparw = alaparw;
        return message_of([&] { return morvane::readinpw(in); });
    }
};

void take(Report& r, const WarningScope& scope) {
    for (std::string& w : scope.texts()) r.warnings.push_back(std::move(w));
}

// The run's steps from the file's period, as READINP will read it; nullopt
// when the file gives none that can be read (READINP then tells why).
std::optional<std::pair<std::int32_t, std::int32_t>> steps_of_period(const std::string& file, bool olu) {
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), ' ', sizeof(KEYLIST));
    set_field(list->file, file);
    fil2list(*list);
    KeyEntry e(*list, "period");
    if (!e) return std::nullopt;
    std::int32_t p[3] = {0, 0, 1};
    try {
        const std::size_t want = (olu || nitems(e.value()) == 2) ? 2 : 3;
        if (e.read(std::span<std::int32_t>(p, want)) < want) return std::nullopt;
    } catch (const Error&) {
        return std::nullopt;
    }
    const std::int64_t last = std::int64_t{p[0]} + (std::int64_t{p[1]} - p[0] + 1) * p[2] - 1;
    if (last < p[0] || last > INT32_MAX) return std::nullopt;
    return std::pair(p[0], static_cast<std::int32_t>(last));
}

// The status of each loaded entry and of each default.
void key_rows(Report& r, const KEYLIST& list, const std::vector<DefaultNote>& defaults, Model model, bool water,
              const std::vector<std::string>& obs_names) {
    std::set<std::string_view> seen;
    const int n = std::clamp<int>(list.n, 0, kKeyEntries);
    for (int i = 1; i <= n; ++i) {
        const std::string key(trim_right(key_of(list, i)));
        if (list.def[i - 1] & 1) continue;
        KeyRow row{key, "", std::string(trim_right(tidy(line_of(list, i)))), ""};
        const KnownKeyword* k = find_known(key);
        const bool for_model = k != nullptr && (k->models & (1u << static_cast<unsigned>(model)));
        if (!seen.insert(key_of(list, i)).second) {
            row.status = "twice";
        } else if (observation_keyword(key)) {
            row.status = "observations";
        } else if (k == nullptr) {
            row.status = "unknown";
            row.suggestion = nearest_keyword(key, obs_names);
        } else if (k->reader == KeyReader::water && !water && for_model) {
            row.status = "lake";  // for READINPW, not asked for
        } else if (list.got[i - 1] & 1) {
            row.status = "taken";
        } else {
            row.status = "not read";
        }
        r.keys.push_back(std::move(row));
    }
    for (const DefaultNote& nt : defaults) r.keys.push_back({nt.keyword, "default", nt.value, ""});
}

void print_text(const Report& r, std::ostream& out) {
    out << r.file << ": model " << r.model << ", years " << r.iyb << " to " << r.iye << ", " << r.nstep
        << (r.nstep == 1 ? " step" : " steps") << " a year\n";
    if (!r.site.empty()) out << "site: " << r.site << "\n";
    out << "\nkeywords\n";
    for (const KeyRow& k : r.keys) {
        out << "  " << pad(k.keyword, 16) << " " << pad(k.status, 12) << " " << k.value;
        if (!k.suggestion.empty()) out << "  (did you mean " << k.suggestion << "?)";
        out << "\n";
    }
    out << "\nseries\n";
    if (r.series.empty()) out << "  none\n";
    for (const SeriesNote& s : r.series) {
        out << "  " << pad(s.keyword, 16) << " " << s.value;
        if (s.first != 0 || s.last != 0) out << "  (data " << s.first << " to " << s.last << ")";
        out << "\n";
    }
    out << "\nobservations\n";
    if (r.obs.empty()) out << "  none\n";
    for (const ObsRow& o : r.obs) {
        out << "  " << pad(o.name, 16) << " " << o.source;
        if (o.count >= 0) out << ": " << o.count << (o.count == 1 ? " observation" : " observations");
        out << "\n";
    }
    out << "\nwarnings\n";
    if (r.warnings.empty()) out << "  none\n";
    for (const std::string& w : r.warnings) out << "  " << w << "\n";
    out << "\nmessages\n";
    if (r.messages.empty()) out << "  none\n";
    for (const std::string& m : r.messages) out << "  " << m << "\n";
}

void print_json(const Report& r, std::ostream& out, int code) {
    std::vector<std::string> keys, series, obs, warnings, messages;
    for (const KeyRow& k : r.keys)
        keys.push_back(json_object({{"keyword", json_string(k.keyword)}, {"status", json_string(k.status)},
                                    {"value", json_string(k.value)},
                                    {"suggestion", k.suggestion.empty() ? "null" : json_string(k.suggestion)}}));
    for (const SeriesNote& s : r.series)
        series.push_back(json_object(
            {{"keyword", json_string(s.keyword)}, {"value", json_string(s.value)},
             {"data", s.first != 0 || s.last != 0 ? json_array({std::to_string(s.first), std::to_string(s.last)}) : "null"}}));
    for (const ObsRow& o : r.obs)
        obs.push_back(json_object({{"name", json_string(o.name)}, {"source", json_string(o.source)},
                                   {"count", o.count >= 0 ? std::to_string(o.count) : "null"},
                                   {"message", o.message.empty() ? "null" : json_string(o.message)}}));
    for (const std::string& w : r.warnings) warnings.push_back(json_string(w));
    for (const std::string& m : r.messages) messages.push_back(json_string(m));
    out << json_object({{"file", json_string(r.file)},
                        {"model", json_string(r.model)},
                        {"years", json_array({std::to_string(r.iyb), std::to_string(r.iye)})},
                        {"steps_a_year", std::to_string(r.nstep)},
                        {"site", json_string(r.site)},
                        {"keywords", json_array(keys)},
                        {"series", json_array(series)},
                        {"observations", json_array(obs)},
                        {"warnings", json_array(warnings)},
                        {"messages", json_array(messages)},
                        {"exit", std::to_string(code)}})
        << "\n";
}

}  // namespace

int check(const CheckOptions& o, std::ostream& out, std::ostream& err) {
    Report r;
    r.file = o.file;
    r.model = o.model.empty() ? model_from_name(o.file) : o.model;
    const Model model = model_of(r.model);

    // The model program's arrays: IB..IE from the options, else the period.
    std::int32_t ib = o.ib, ie = o.ie;
    if (ib == 0 && ie == 0) {
        if (const auto steps = steps_of_period(o.file, model == Model::olu)) {
            std::tie(ib, ie) = *steps;
        } else if (std::filesystem::exists(o.file)) {
            err << "morvane check: " << o.file << " has no period that can be read: give --ib and --ie\n";
            return kErrors;
        } else {
            ib = ie = 1;  // nothing is read: every keyword takes its default
        }
    }
    if (ie < ib || std::int64_t{ie} - ib + 1 > kMaxSteps) {
        err << "morvane check: the steps " << ib << " to " << ie << " are not a run this command can hold\n";
        return kErrors;
    }

    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), ' ', sizeof(KEYLIST));
    set_field(list->name, r.model);
    set_field(list->file, o.file);

    // The variables: as given, else those of the observation keywords. Each
    // observation keyword (with or without a series number) has its record.
    std::vector<std::string> names = o.vars;
    std::map<std::pair<std::string, int>, std::int32_t> records;
    std::vector<std::pair<std::string, int>> order;  // the observation keywords in the file's order
    {
        auto probe = std::make_unique<KEYLIST>(*list);
        fil2list(*probe);
        for (int i = 1; i <= std::clamp<int>(probe->n, 0, kKeyEntries); ++i) {
            const std::string key(trim_right(key_of(*probe, i)));
            if (!observation_keyword(key)) continue;
            const auto parts = obs_parts(key);
            if (records.emplace(parts, static_cast<std::int32_t>(records.size() + 1)).second) order.push_back(parts);
            if (o.vars.empty() && std::find(names.begin(), names.end(), parts.first) == names.end())
                names.push_back(parts.first);
        }
    }
    Storage st(ib, ie);
    st.vars.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::memset(&st.vars[i], ' ', sizeof(VarDescriptor));
        set_field(st.vars[i].name, names[i]);
    }
    std::vector<SeriesSpec> obs(records.size() + 1);
    for (SeriesSpec& s : obs) std::memset(&s, 0, sizeof s), set_field(s.path, "");
    auto index_of = [&](std::string_view name, int suffix) -> std::int32_t {
        const auto it = records.find({std::string(trim_right(name)), suffix});
        return it == records.end() ? 0 : it->second;
    };

    std::vector<std::string> obs_names;
    for (const std::string& n : names) obs_names.push_back(obs_keyword(n, {}));
    std::vector<DefaultNote> defaults;
    auto keep = [&](const WarningScope& scope) {
        take(r, scope);
        const Diagnostics& d = scope.diagnostics();
        r.series.insert(r.series.end(), d.series.begin(), d.series.end());
        defaults.insert(defaults.end(), d.defaults.begin(), d.defaults.end());
    };
    {
        WarningScope scope("READINP");
        const std::string msg = st.readinp(*list, [&](std::string_view n) { return index_of(n, 0); }, obs.data());
        if (!msg.empty()) r.messages.push_back(msg);
        keep(scope);
    }
    r.iyb = st.iyb, r.iye = st.iye, r.nstep = st.nstep;
    r.site = st.site.value_or("");
    const bool soil_read = r.messages.empty() || r.messages[0].starts_with("xVARIN");
    const bool water = o.water && soil_read;
    if (water) {
        WarningScope scope("READINPW");
        const std::string msg = st.readinpw(*list);
        if (!msg.empty()) r.messages.push_back(msg);
        keep(scope);
    }
    key_rows(r, *list, defaults, model, water, obs_names);

    // Observations with a series number (GETOBS), then every source read.
    if (soil_read) {
        for (const auto& [key, idx] : records) {
            if (key.second == 0) continue;
            WarningScope scope("GETOBS");
            const std::string msg = message_of([&, k = key] {
                getobs([&](std::string_view n) { return index_of(n, k.second); }, *list, k.first, obs.data(), k.second);
            });
            if (!msg.empty()) r.messages.push_back("xGETOBS: " + msg);
            take(r, scope);
        }
        for (const auto& key : order) {
            const SeriesSpec& s = obs[static_cast<std::size_t>(records[key] - 1)];
            ObsRow row{obs_keyword(key.first, key.second ? std::optional(key.second) : std::nullopt), "", -1, ""};
            const std::string path = field_text(s.path);
            if (!(s.active & 1)) {
                row.source = "none";
            } else if (path == "1obsonly") {
                row.source = "constants " + real_text(s.cval[0]) + " " + real_text(s.cval[1]) + " " + real_text(s.cval[2]);
            } else {
                row.source = path + ", column " + std::to_string(s.icol1) +
                             (s.icol2 > s.icol1 ? " and " + std::to_string(s.icol2) : "");
                WarningScope scope("PREPOBS");
                try {
                    const ObsFile f = prepobs(s, o.xmiss, r.iyb, r.iye);
                    row.count = static_cast<std::int64_t>(f.points.size());
                    if (!f.msg.empty()) r.messages.push_back(row.message = f.msg);
                } catch (const Error& e) {
                    r.messages.push_back(row.message = e.what());
                }
                take(r, scope);
            }
            r.obs.push_back(std::move(row));
        }
    }

    const int code = !r.messages.empty() ? kErrors : !r.warnings.empty() ? kWarnings : kFine;
    if (o.json) {
        print_json(r, out, code);
    } else {
        print_text(r, out);
    }
    return code;
}

}  // namespace morvane::cli
