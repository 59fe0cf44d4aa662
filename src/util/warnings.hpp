// Warnings: what a careful colleague would say about an input, beside the
// exact results of the routine that read it. A routine's messages, records
// and arrays never depend on them; they go to the collector the calling
// thread has open (a WarningScope, opened by the export shim of the routine,
// by a test or by the command-line program) and nowhere when none is open.
//
// Besides the warnings, a collector keeps notes for the command-line
// program: the default each defaulted keyword took, the series read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Warnings kept per call; the ones after them are counted.
inline constexpr std::size_t kMaxWarnings = 100;

struct DefaultNote {
    std::string keyword;
    std::string value;  // the default as text ("0.3", "2 2 0 0", "KESTO.mon")
};

// A series keyword as the time-series reader took it.
struct SeriesNote {
    std::string keyword;
    std::string value;  // a constant, "=", or the file part (joined to the folder) and its columns
    // A file's first and last year with a value in the column; 0, 0 for a constant.
    std::int32_t first = 0, last = 0;
};

struct Diagnostics {
    std::vector<std::string> warnings;  // each "ROUTINE: text", at most 127 characters
    std::size_t dropped = 0;            // warnings beyond kMaxWarnings
    std::vector<DefaultNote> defaults;
    std::vector<SeriesNote> series;
    // The warnings as the caller sees them: the kept ones, and a last one
    // that counts those not kept.
    std::vector<std::string> texts() const;
};

// Opens a collector for the calling thread for its lifetime; the warnings of
// what runs meanwhile on the thread go into it, each text after "routine: ".
// Scopes nest: an inner one collects apart, and the outer one is open again
// when it closes.
class WarningScope {
public:
    // routine is kept as a view: a literal, or text that outlives the scope.
    explicit WarningScope(std::string_view routine) noexcept;
    ~WarningScope();
    WarningScope(const WarningScope&) = delete;
    WarningScope& operator=(const WarningScope&) = delete;

    const Diagnostics& diagnostics() const { return diag_; }
    std::vector<std::string> texts() const { return diag_.texts(); }

private:
    friend void warn(std::string_view text) noexcept;
    friend void note_default(std::string_view keyword, std::string value) noexcept;
    friend void note_series(std::string_view keyword, std::string_view value) noexcept;
    friend void note_series_span(std::int32_t first, std::int32_t last) noexcept;
    friend class WarningPrefix;
    std::string_view routine_;
    std::string_view prefix_;
    Diagnostics diag_;
    WarningScope* outer_;
};

// Puts text (a literal, or text that outlives it) before the warnings of
// the calling thread's open collector while it lives: a reader names the
// keyword whose value a routine it calls is reading.
class WarningPrefix {
public:
    explicit WarningPrefix(std::string_view text) noexcept;
    ~WarningPrefix();
    WarningPrefix(const WarningPrefix&) = delete;
    WarningPrefix& operator=(const WarningPrefix&) = delete;

private:
    std::string_view outer_;
};

// True when the calling thread has a collector open: a routine composes a
// warning only then.
bool warnings_wanted();

// Records a warning in the open collector (nothing when none is open).
// Never throws: a warning that cannot be stored is lost, the routine's
// results are what they would be without it.
void warn(std::string_view text) noexcept;

// Records the default a keyword took (nothing when no collector is open).
void note_default(std::string_view keyword, std::string value) noexcept;

// Records a series keyword and its value (nothing when no collector is open).
void note_series(std::string_view keyword, std::string_view value) noexcept;

// Sets the years of the last series noted (nothing when no collector is open).
void note_series_span(std::int32_t first, std::int32_t last) noexcept;

// A 32-bit real as the shortest text that reads back as the same value,
// fixed or with an exponent as is shorter ("0.3", "0.0001", "1e+09", "-1").
std::string real_text(float v);

}  // namespace morvane
