#include "cli.hpp"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "util/warnings.hpp"

namespace morvane::cli {

std::string json_string(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string json_number(float v) { return std::isfinite(v) ? real_text(v) : "null"; }

std::string json_array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string json_object(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out = "{";
    for (std::size_t i = 0; i < members.size(); ++i)
        out += (i ? "," : "") + json_string(members[i].first) + ":" + members[i].second;
    return out + "}";
}

std::string pad(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"morvane: check a model's input set, draw its monitoring file, compute exceedances of "
                 "critical loads, try a data-line format.\nExit status: 0 all went well, 1 warnings, 2 errors."};
    app.name("morvane");
    app.require_subcommand(1);
    app.set_version_flag("--version", "morvane 0.1.0");

    CheckOptions c;
    CLI::App* check_cmd = app.add_subcommand(
        "check", "Read a keyword input file as a model program does and tell what was read: each keyword "
                 "taken, defaulted or unknown, each series and observation source, the warnings and messages.");
    check_cmd->add_option("file", c.file, "the keyword input file (.inp)")->required();
    check_cmd->add_option("--model", c.model, "KESTO, KESTO2 or OLU (default: from the file's name, else KESTO)")
        ->check(CLI::IsMember({"KESTO", "KESTO2", "OLU"}));
    check_cmd->add_flag("--water", c.water, "read the surface-water keywords too (READINPW)");
    check_cmd->add_option("--vars", c.vars, "the model's variable names (default: those of the observation keywords)")
        ->delimiter(',');
    check_cmd->add_option("--xmiss", c.xmiss, "missing mark of the observation files (default -999)");
    check_cmd->add_option("--ib", c.ib, "first time step of the model's arrays (default: the file's period)");
    check_cmd->add_option("--ie", c.ie, "last time step of the model's arrays");
    check_cmd->add_flag("--json", c.json, "write the report as JSON");

    PlotOptions p;
    CLI::App* plot_cmd = app.add_subcommand(
        "plot", "Draw a monitoring file (and comparison runs) on one EPS page, with ranges and divisions "
                "chosen from the data; render it to PNG through Ghostscript when asked.");
    plot_cmd->add_option("files", p.files, "the run's monitoring file, then up to nine comparison runs")
        ->required();
    plot_cmd->add_option("-o,--output", p.output, "the EPS page (default: the run's name with .eps)");
    plot_cmd->add_flag("--png", p.png, "also render the page to PNG (needs Ghostscript, gs)");
    plot_cmd->add_option("--vars", p.vars, "the variables to draw, one window each (default: all, at most 25)")
        ->delimiter(',');
    plot_cmd->add_option("--obs", p.obs, "a keyword file whose observation keywords (pHobs, ...) add observations");
    plot_cmd->add_option("--title", p.title, "the page title (default: the run's own)");
    plot_cmd->add_flag("--json", p.json, "tell what was written as JSON");

    ExceedOptions e;
    CLI::App* exceed_cmd = app.add_subcommand(
        "exceed", "Exceedance of critical-load functions for a table of sites: CSV with the columns CLmaxS, "
                  "CLminN, CLmaxN, Ndep and Sdep (others are copied) in, the same with ExN, ExS and region out.");
    exceed_cmd->add_option("input", e.input, "the CSV table (default -: standard input)");
    exceed_cmd->add_option("-o,--output", e.output, "the CSV written (default -: standard output)");
    exceed_cmd->add_flag("!--no-progress", e.progress, "no progress bar on a terminal");
    exceed_cmd->add_flag("--json", e.json, "write the rows as a JSON array instead of CSV");

    FmtOptions f;
    CLI::App* fmt_cmd = app.add_subcommand(
        "fmt", "Write a data line of a monitoring file with a format, as MONWRITE does: the counter, then "
               "the values (the time first) as 32-bit reals.");
    fmt_cmd->add_option("format", f.format, "the format, for example (i6,99g13.5)")->required();
    fmt_cmd->add_option("values", f.values, "the time and the values")->required();
    fmt_cmd->add_option("--count", f.count, "the counter written first (default 0)");
    fmt_cmd->add_flag("--json", f.json, "write the record as JSON");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& ex) {
        return app.exit(ex, out, err);
    } catch (const CLI::CallForAllHelp& ex) {
        return app.exit(ex, out, err);
    } catch (const CLI::CallForVersion& ex) {
        return app.exit(ex, out, err);
    } catch (const CLI::ParseError& ex) {
        app.exit(ex, out, err);
        return kErrors;
    }
    try {
        if (check_cmd->parsed()) return check(c, out, err);
        if (plot_cmd->parsed()) return plot(p, out, err);
        if (exceed_cmd->parsed()) return exceed(e, out, err);
        if (fmt_cmd->parsed()) return fmt(f, out, err);
    } catch (const std::exception& ex) {
        err << "morvane: " << ex.what() << "\n";
    }
    return kErrors;
}

}  // namespace morvane::cli
