// FIL2LIST: the keyword file (the main file, "k.inp") and the dictionary it
// names, from the input. Checked: the list as the loader promises it.
#include <cstring>
#include <memory>

#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!fuzz::stage(fuzz::split_files(text, "k.inp"))) return -1;
    auto list = std::make_unique<KEYLIST>();
    std::memset(list.get(), 'z', sizeof(KEYLIST));
    fuzz::put(list->name, sizeof list->name, "KESTO");
    fuzz::put(list->file, sizeof list->file, "k.inp");
    FIL2LIST(list.get());

    char msg[128];
    morvane_last_message(msg);
    FUZZ_CHECK(fuzz::message(msg).empty());
    FUZZ_CHECK(list->n >= 0 && list->n <= 206);
    for (int i = 0; i < MORVANE_KEYLIST_ENTRIES; ++i) {
        FUZZ_CHECK(list->got[i] == 0 && list->def[i] == 0);
        const bool loaded = i < list->n;
        // A loaded entry has a keyword; the others are blank.
        const std::string_view key(list->key[i], sizeof list->key[i]);
        FUZZ_CHECK(loaded == (key.find_first_not_of(' ') != std::string_view::npos));
        if (!loaded) FUZZ_CHECK(std::string_view(list->line[i], sizeof list->line[i]).find_first_not_of(' ') ==
                                std::string_view::npos);
    }
    return 0;
}
