// The morvane command: check an input set, draw a monitoring file, compute
// exceedances of critical loads, try a caller's format. It is built on the
// library's typed functions (not on the exported routines): they give what
// the C ABI does not carry (the defaults each keyword took, the series read,
// the vocabulary of the readers, the format engine) with the very results
// the exports give, since the export shims do nothing but call them.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::cli {

// Exit codes: all went well; there were warnings; there were errors (a
// routine's message, a file that cannot be read, a wrong command line).
enum Exit : int { kFine = 0, kWarnings = 1, kErrors = 2 };

// Runs the command line argv (argv[0] is the program's name) with its output
// in out and its diagnostics in err; returns the exit code.
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The subcommands, called by run once their options are parsed.
struct CheckOptions {
    std::string file;
    std::string model;               // "" = from the file's name, else KESTO
    bool water = false;
    std::vector<std::string> vars;   // "" = the names of the file's observation keywords
    float xmiss = -999.0f;
    int ib = 0, ie = 0;              // both 0: the file's period
    bool json = false;
};
int check(const CheckOptions& o, std::ostream& out, std::ostream& err);

struct PlotOptions {
    std::vector<std::string> files;  // the run, then up to nine comparison runs
    std::string output;              // "" = the run's name with .eps
    bool png = false;
    std::vector<std::string> vars;   // "" = every variable of the run (at most 25)
    std::string obs;                 // a keyword file naming observations
    std::string title;               // "" = the run's own title
    bool json = false;
};
int plot(const PlotOptions& o, std::ostream& out, std::ostream& err);

struct ExceedOptions {
    std::string input = "-";         // "-" = standard input
    std::string output = "-";
    bool progress = true;            // on a terminal only
    bool json = false;
};
int exceed(const ExceedOptions& o, std::ostream& out, std::ostream& err);

struct FmtOptions {
    std::string format;
    std::vector<std::string> values;
    int count = 0;
    bool json = false;
};
int fmt(const FmtOptions& o, std::ostream& out, std::ostream& err);

// ---- shared helpers ----

// JSON texts: a string, a number (null when not finite), an array or an
// object of texts that are JSON already.
std::string json_string(std::string_view s);
std::string json_number(float v);
std::string json_array(const std::vector<std::string>& items);
std::string json_object(const std::vector<std::pair<std::string, std::string>>& members);

// text left-justified in width characters (never cut).
std::string pad(std::string_view text, std::size_t width);

}  // namespace morvane::cli
