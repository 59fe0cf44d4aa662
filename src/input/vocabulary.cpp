#include "input/vocabulary.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "input/keylist.hpp"
#include "util/strings.hpp"
#include "util/warnings.hpp"

namespace morvane {
namespace {

constexpr unsigned bit(Model m) { return 1u << static_cast<unsigned>(m); }
constexpr unsigned kAll = bit(Model::olu) | bit(Model::kesto) | bit(Model::kesto2);
constexpr unsigned kOlu = bit(Model::olu);
constexpr unsigned kUptake = bit(Model::olu) | bit(Model::kesto);
constexpr unsigned kKestos = bit(Model::kesto) | bit(Model::kesto2);
constexpr unsigned kWater = bit(Model::olu) | bit(Model::kesto);
constexpr unsigned kKesto = bit(Model::kesto);

constexpr KeyReader S = KeyReader::soil;
constexpr KeyReader W = KeyReader::water;

constexpr std::string_view kLake = "Area_c > 0";
constexpr std::string_view kGrowth = "F_growth is given";
constexpr std::string_view kNoGrowth = "F_growth is not given";

// In the order the readers read them.
constexpr KnownKeyword kKnown[] = {
    {"SiteInfo", S, kAll, ""},
    {"period", S, kAll, ""},
    {"parentCa", S, kOlu, ""},
    {"thick", S, kAll, ""},
    {"bulkdens", S, kAll, ""},
    {"Theta", S, kAll, ""},
    {"pCO2fac", S, kAll, ""},
    {"CEC", S, kAll, ""},
    {"Excmod", S, kAll, ""},
    {"ECa_0", S, kAll, ""},
    {"EMg_0", S, kAll, ""},
    {"EK_0", S, kOlu, ""},
    {"bsat_0", S, kAll, "no exchangeable fraction (ECa_0, EMg_0, EK_0) is given"},
    {"lgKHBC", S, kAll, ""},
    {"lgKAlBC", S, kAll, ""},
    {"expAl", S, kAll, ""},
    {"lgKAlox", S, kAll, ""},
    {"SO4admax", S, kAll, ""},
    {"SO4half", S, kAll, "SO4admax > 0"},
    {"Nim_acc", S, kAll, ""},
    {"Cpool_0", S, kAll, ""},
    {"CNrat_0", S, kAll, ""},
    {"CNratmin", S, kAll, ""},
    {"CNratmax", S, kAll, ""},
    {"CNratseq", S, kAll, ""},
    {"f_de", S, kAll, ""},
    {"cRCOO", S, kAll, ""},
    {"RCOOmod", S, kAll, "cRCOO > 0 in some step"},
    {"RCOOpars", S, kAll, "cRCOO > 0 in some step and RCOOmod >= 0"},
    {"cN_min", S, kAll, ""},
    {"cCa_min", S, kAll, ""},
    {"cMg_min", S, kAll, ""},
    {"cK_min", S, kAll, ""},
    {"cP_min", S, kAll, ""},
    {"TempC", S, kAll, ""},
    {"percol", S, kAll, ""},
    {"Ca_we", S, kAll, ""},
    {"Mg_we", S, kAll, ""},
    {"K_we", S, kAll, ""},
    {"Na_we", S, kAll, ""},
    {"P_we", S, kAll, ""},
    {"F_growth", S, kUptake, ""},
    {"ctNst", S, kUptake, kGrowth},
    {"ctCast", S, kUptake, kGrowth},
    {"ctMgst", S, kUptake, kGrowth},
    {"ctKst", S, kUptake, kGrowth},
    {"ctPst", S, kUptake, kGrowth},
    {"N_gupt", S, kUptake, kNoGrowth},
    {"Ca_upt", S, kUptake, kNoGrowth},
    {"Mg_upt", S, kUptake, kNoGrowth},
    {"K_upt", S, kUptake, kNoGrowth},
    {"P_upt", S, kUptake, kNoGrowth},
    {"N_fix", S, kAll, ""},
    {"SO2_dep", S, kAll, ""},
    {"NOx_dep", S, kAll, ""},
    {"NH3_dep", S, kAll, ""},
    {"Ca_dep", S, kAll, ""},
    {"Mg_dep", S, kAll, ""},
    {"K_dep", S, kAll, ""},
    {"Na_dep", S, kAll, ""},
    {"Cl_dep", S, kAll, ""},
    {"P_dep", S, kAll, ""},
    {"AddSO4ss", S, kAll, ""},
    {"monfile", S, kAll, "the program names no monitoring file of its own"},
    {"balfile", S, kAll, "it has a value"},
    {"Carbonat", S, kKestos, ""},
    {"Alox_0", S, kKestos, ""},
    {"PO4admax", S, kKestos, ""},
    {"PO4half", S, kKestos, "PO4admax > 0"},
    {"lgKHAl", S, kKestos, ""},
    {"lgKHCa", S, kKestos, ""},
    {"lgKHMg", S, kKestos, ""},
    {"lgKHK", S, kKestos, ""},
    {"expH", S, kKestos, "Excmod = 1"},
    {"AlApars", S, kKestos, "RCOOmod >= 2"},
    {"f_ni", S, kKestos, ""},
    {"Al_we", S, kKestos, ""},
    {"ratwAlBC", S, kKestos, "Al_we is not given"},
    {"Area_c", W, kWater, ""},
    {"Area_l", W, kWater, kLake},
    {"depth_l", W, kWater, kLake},
    {"retSO4", W, kWater, kLake},
    {"retNO3", W, kWater, kLake},
    {"pCO2facw", W, kWater, kLake},
    {"expAlw", W, kWater, kLake},
    {"lgKAloxw", W, kWater, kLake},
    {"Orgmodw", W, kWater, kLake},
    {"Orgparw", W, kWater, "Area_c > 0 and Orgmodw >= 0"},
    {"mDOCw", W, kWater, "Area_c > 0, Orgmodw >= 0 and Orgparw is given"},
    {"retNH4", W, kKesto, kLake},
    {"AlAparw", W, kKesto, "Area_c > 0 and Orgmodw >= 2"},
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

// Edit distance with exchanges of neighbours (optimal string alignment).
std::size_t distance(std::string_view a, std::string_view b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::size_t> d((n + 1) * (m + 1));
    auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return d[i * (m + 1) + j]; };
    for (std::size_t i = 0; i <= n; ++i) at(i, 0) = i;
    for (std::size_t j = 0; j <= m; ++j) at(0, j) = j;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            std::size_t v = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) v = std::min(v, at(i - 2, j - 2) + 1);
            at(i, j) = v;
        }
    }
    return at(n, m);
}

}  // namespace

Model model_of(std::string_view name) {
    if (name.substr(0, 3) == "OLU") return Model::olu;
    if (name.substr(0, 6) == "KESTO2") return Model::kesto2;
    if (name.substr(0, 5) == "KESTO") return Model::kesto;
    return Model::unknown;
}

std::string_view model_name(Model model) {
    switch (model) {
    case Model::olu: return "OLU";
    case Model::kesto: return "KESTO";
    case Model::kesto2: return "KESTO2";
    default: return "";
    }
}

std::span<const KnownKeyword> known_keywords() { return kKnown; }

const KnownKeyword* find_known(std::string_view key) {
    for (const KnownKeyword& k : kKnown)
        if (k.key == key) return &k;
    return nullptr;
}

bool observation_keyword(std::string_view key) {
    const std::size_t p = key.rfind("obs");
    if (p == std::string_view::npos || p == 0) return false;
    const std::string_view rest = key.substr(p + 3);
    if (rest.empty()) return true;
    return rest.size() >= 2 && rest[0] == '_' &&
           std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string nearest_keyword(std::string_view word, std::span<const std::string> extra) {
    std::vector<std::string_view> cands;
    for (const KnownKeyword& k : kKnown) cands.push_back(k.key);
    for (const std::string& e : extra) cands.push_back(e);
    for (std::string_view c : cands)
        if (equal_nocase(c, word)) return std::string(c);
    const std::size_t limit = word.size() >= 6 ? 2 : 1;
    std::string_view best;
    std::size_t best_d = limit + 1;
    for (std::string_view c : cands) {
        const std::size_t d = distance(word, c);
        if (d < best_d) best_d = d, best = c;
    }
    return std::string(best);
}

void warn_unread_keywords(const KEYLIST& list, Model model, KeyReader reader, std::span<const std::string> obs_names) {
    if (!warnings_wanted()) return;
    const int n = std::clamp<int>(list.n, 0, kKeyEntries);
    std::vector<std::string_view> seen;
    for (int i = 1; i <= n; ++i) {
        if (list.def[i - 1] & 1) continue;  // appended with a default
        const std::string_view key = trim_right(key_of(list, i));
        if (key.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) continue;  // FIL2LIST told
        seen.push_back(key);
        if (observation_keyword(key)) continue;
        const KnownKeyword* k = find_known(key);
        const std::string kw(key);
        if (k == nullptr) {
            if (reader != KeyReader::soil) continue;
            const std::string near = nearest_keyword(key, obs_names);
            warn("unknown keyword " + kw + (near.empty() ? ": it is not read" : "; did you mean " + near + "?"));
        } else if (k->reader == reader) {
            if (!(k->models & (1u << static_cast<unsigned>(model)))) {
                warn(kw + " is not read by model " + std::string(model_name(model)));
            } else if (!(list.got[i - 1] & 1)) {
                warn(kw + " is given but not read" +
                     (k->when.empty() ? std::string() : ": it is read only when " + std::string(k->when)));
            }
        }
    }
}

}  // namespace morvane
