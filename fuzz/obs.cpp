// GETOBS for every "<name>obs" and "<name>obs_<n>" keyword of the keyword file
// (the main file, "k.inp"), then PREPOBS on every record it made active, in a
// window of the 20th century and in the widest window; the observation files
// come from the input.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "harness.hpp"

namespace {

constexpr int kRecords = 4;

// Records 1..4 by the bytes of the name; 0 (none) for every fifth name.
std::int32_t MORVANE_CALL lookup(const char* name, std::int32_t len) {
    unsigned sum = 0;
    for (std::int32_t i = 0; i < len; ++i) sum += static_cast<unsigned char>(name[i]);
    return static_cast<std::int32_t>(sum % (kRecords + 1));
}

std::string_view trimmed(const char* field, std::size_t width) {
    std::string_view s(field, strnlen(field, width));
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

void prepobs(const SeriesSpec& spec, std::int32_t iyb, std::int32_t iye) {
    // One triple per line of the file, as the routine's callers must size it.
    const std::string text = fuzz::Sandbox::get().read(std::string(trimmed(spec.path, sizeof spec.path)));
    const std::size_t capacity = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::vector<float> obs(3 * capacity);
    const float xmiss = -999.0f;
    std::int32_t nobs = -7;
    char msg[128];
    PREPOBS(&spec, &xmiss, &iyb, &iye, &nobs, obs.data(), msg);
    FUZZ_CHECK(msg[127] == '\0');
    const std::string m = fuzz::message(msg);
    fuzz::show("PREPOBS", m + " nobs " + std::to_string(nobs));
    if (m.starts_with("xFile  ")) {
        FUZZ_CHECK(nobs == -7);  // the message is cut to 127 characters with a long name
        return;
    }
    FUZZ_CHECK(m.empty() || m.starts_with("xPREPOBS: File "));
    FUZZ_CHECK(nobs >= 0 && static_cast<std::size_t>(nobs) <= capacity);
    for (std::int32_t k = 0; k < nobs; ++k) {
        const float t = obs[3 * static_cast<std::size_t>(k)];
        FUZZ_CHECK(static_cast<float>(iyb) <= t && t <= static_cast<float>(iye));
        FUZZ_CHECK(obs[3 * static_cast<std::size_t>(k) + 1] != xmiss);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!fuzz::stage(fuzz::split_files(text, "k.inp"))) return -1;
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), ' ', sizeof(KEYLIST));
    fuzz::put(list->name, 16, "KESTO");
    fuzz::put(list->file, 256, "k.inp");
    FIL2LIST(list.get());

    std::vector<SeriesSpec> specs(kRecords);
    for (SeriesSpec& s : specs) std::memset(&s, 0, sizeof s), fuzz::put(s.path, sizeof s.path, "");
    for (int i = 0; i < std::max(list->n, 0); ++i) {
        const std::string_view key = trimmed(list->key[i], 16);
        const std::size_t at = key.rfind("obs");
        if (at == std::string_view::npos || at == 0) continue;
        const std::string_view suffix = key.substr(at + 3);
        std::int32_t isuf = 0;
        const bool with_suffix = suffix.size() > 1 && suffix[0] == '_';
        if (with_suffix) isuf = static_cast<std::int32_t>(std::strtol(std::string(suffix.substr(1)).c_str(), nullptr, 10));
        else if (!suffix.empty()) continue;
        const std::string name(key.substr(0, at));
        const std::vector<SeriesSpec> before = specs;
        GETOBS(lookup, list.get(), name.data(), static_cast<std::int32_t>(name.size()), specs.data(),
               with_suffix ? &isuf : nullptr);
        char msg[128];
        morvane_last_message(msg);
        const std::string m = fuzz::message(msg);
        fuzz::show("GETOBS", name + ": " + m);
        // A constant that is no number leaves every record as it was.
        FUZZ_CHECK(m.empty() || m.starts_with("xGETOBS: "));
        if (!m.empty()) FUZZ_CHECK(std::memcmp(before.data(), specs.data(), sizeof(SeriesSpec) * kRecords) == 0);
    }
    for (const SeriesSpec& s : specs) {
        if ((s.active & 1) == 0) continue;
        prepobs(s, 1900, 2000);
        prepobs(s, -2147483647 - 1, 2147483647);
    }
    return 0;
}
