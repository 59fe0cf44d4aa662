// The keywords the library's readers know: which reader takes each, for
// which models, and under what condition. The readers themselves name their
// keywords where they read them; this table serves the warnings about
// keywords that nothing reads (a misspelt keyword leaves a default in
// place without a word) and the nearest known keyword to suggest.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "morvane.h"

namespace morvane {

enum class Model { unknown, olu, kesto, kesto2 };

// The model from the first characters of a model name: OLU, KESTO2, KESTO.
Model model_of(std::string_view name);
std::string_view model_name(Model model);

enum class KeyReader { soil, water };  // READINP, READINPW

struct KnownKeyword {
    std::string_view key;
    KeyReader reader;
    unsigned models;         // bits 1 << Model of the models that read it
    std::string_view when;   // the condition under which it is read; "" always
};

std::span<const KnownKeyword> known_keywords();

// The entry of a keyword (compared exactly); nullptr when no reader knows it.
const KnownKeyword* find_known(std::string_view key);

// True for a keyword of observations: a name followed by "obs", or by "obs_"
// and digits (GETOBS takes any variable's).
bool observation_keyword(std::string_view key);

// The known keyword (or one of extra) nearest to word, when it is near:
// equal but for the case of letters, else within an edit distance (a
// letter added, left out, changed, or two neighbours exchanged) of 1, or 2
// for words of six letters and more. "" when none is near.
std::string nearest_keyword(std::string_view word, std::span<const std::string> extra = {});

// Warnings about the loaded entries of the list (those not appended with a
// default) that one reader knows but did not take, or that no reader knows:
// "<key> is not read by model M", "<key> is given but not read: it is read
// only when ...", and, for the soil reader, "unknown keyword <key>" with the
// nearest known one. obs_names are the extra keywords to suggest (the
// variables' observation keywords). Nothing when no collector is open.
void warn_unread_keywords(const KEYLIST& list, Model model, KeyReader reader,
                          std::span<const std::string> obs_names = {});

}  // namespace morvane
