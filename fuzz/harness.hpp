// What the fuzz targets share: a private working folder into which an input's
// files are written before the calls, the split of an input into those files,
// small parsers of the targets' text inputs, and the check that turns a broken
// promise of a routine into a finding.
//
// Inputs are text. The part before the first line "%%% NAME" is the target's
// main file; each such line starts another file, named NAME (letters, digits,
// ".", "_" and "-"; other lines of that form are dropped with their text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "morvane.h"

namespace fuzz {

// A broken promise: the routine, the check and the input size on standard
// error, then abort(), which libFuzzer reports as a crash with the input.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) ::fuzz::fail(#cond, __FILE__, __LINE__);                             \
    } while (0)
[[noreturn]] void fail(const char* what, const char* file, int line);

// The working folder of the process: a fresh folder below $TMPDIR (or /tmp),
// made the current folder on first use, so that relative names stay in it.
class Sandbox {
public:
    static Sandbox& get();
    ~Sandbox();  // the folder goes at exit; a crash leaves it for the finding
    const std::string& dir() const { return dir_; }
    // Removes every file of the folder (what the last input left).
    void clear() const;
    void write(const std::string& name, std::string_view text) const;
    // Whole file, or "" when it cannot be read.
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    Sandbox();
    std::string dir_;
};

using Files = std::vector<std::pair<std::string, std::string_view>>;

// Splits an input into its files; the first is named main_name.
Files split_files(std::string_view data, const std::string& main_name);

// Clears the sandbox and writes the files of the input. False (nothing
// written) when the input could name a file outside the folder: a "/" or
// "\" that begins a word (absolute names; "\" and a digit is a column) or
// "..": the targets read only what the input brings, never the machine's files.
bool stage(const Files& files);

// The lines of a text (a final line without newline included).
std::vector<std::string_view> lines(std::string_view text);

// Numbers of a line, blank-separated, read with strtod / strtoll; a word
// that is no number gives 0, integers are clamped to 32 bits.
std::vector<double> numbers(std::string_view line);
std::int32_t int_at(const std::vector<double>& v, std::size_t i, std::int32_t fallback = 0);
float real_at(const std::vector<double>& v, std::size_t i, float fallback = 0.0f);

// With MORVANE_FUZZ_SHOW set in the environment (reproducing one input), the
// routine's message on standard error.
void show(const char* routine, const std::string& message);

// A fixed-width field: text cut or blank-padded.
void put(char* field, std::size_t width, std::string_view text);
// A message vector: 127 characters and a zero byte; the text without trailing blanks.
std::string message(const char msg[128]);

}  // namespace fuzz
