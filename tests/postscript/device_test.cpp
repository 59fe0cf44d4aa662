// The page: header and prolog bytes, the scale arithmetic, the zoom stop,
// the file put in place only on closing, and the command run by psclose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "postscript/postscript.hpp"
#include "support/test_support.hpp"
#include "util/stop.hpp"

namespace morvane {
namespace {

using morvane::testing::read_file;
using morvane::testing::read_text;
using morvane::testing::scratch_dir;
using morvane::testing::set_env;
using morvane::testing::write_file;

const char* const kProlog =
    "%%EndComments\n%%BeginProlog\n/reencsmalldict 12 dict def\n/ReEncodeSmall\n{reencsmalldict begin\n"
    "/newcodesandnames exch def\n/newfontname exch def\n/basefontname exch def\n"
    "/basefontdict basefontname findfont def\n/newfont basefontdict maxlength dict def\nbasefontdict\n"
    " {exch dup /FID ne {dup /Encoding eq\n {exch dup length array copy newfont 3 1 roll put}\n"
    " {exch newfont 3 1 roll put} ifelse}\n {pop pop} ifelse} forall\nnewfont /FontName newfontname put\n"
    "newcodesandnames aload pop\nnewcodesandnames length 2 idiv\n"
    "{newfont /Encoding get 3 1 roll put} repeat\nnewfontname newfont definefont pop end} def\n/scandvec [\n"
    "8#321 /adieresis   8#331 /Adieresis\n8#322 /odieresis   8#332 /Odieresis\n"
    "8#323 /aring       8#333 /Aring\n8#324 /udieresis   8#334 /Udieresis\n8#325 /eacute      8#335 /Eacute\n"
    "8#326 /egrave      8#336 /Egrave\n8#327 /ocircumflex 8#337 /Ocircumflex\n8#346 /mu ] def\n"
    "/sA 1 array def /dA 4 array def /fA 1 array def /F{fill}def\n"
    "/M{moveto}def /L{lineto}def /RM{rmoveto}def /RL{rlineto}def\n"
    "/RGB{setrgbcolor}def /SG{setgray}def /S{stroke}def\n"
    "/CP{closepath}def /SW{stringwidth}def /T{translate}def\n"
    "/R{rotate}def /I{index}def /GS{gsave}def /GR{grestore}def\n"
    "/SSF{fA 0 get findfont exch scalefont setfont}def\n/Font{findfont exch scalefont setfont}def\n"
    "/Th{sA 0 get div setlinewidth}def /Da{sA 0 get div put}def\n"
    "/Re{M dup 0 RL exch 0 exch RL neg 0 RL CP}def\n"
    "/RS{Re S}def /RF{Re F}def /RR{4 copy RF GS 0 SG RS GR}def\n"
    "/Ci{0 360 arc}def /CS{Ci S}def /CF{Ci F}def /CC{3 copy CF GS 0 SG CS GR}def\n"
    "/Ta{M L L CP}def /TS{Ta S}def /TF{Ta F}def /TT{6 copy TF GS 0 SG TS GR}def\n"
    "/Qa{M L L L CP}def /QS{Qa S}def /QF{Qa F}def /QQ{8 copy QF GS 0 SG QS GR}def\n"
    "/Go{3 I SW pop mul -0.5 mul exch -0.5 mul 2 I mul M}def\n"
    "/Blank{GS 1 SG 0 1 I RL 1 I SW RL 0 exch neg RL CP F GR}def\n/W{GS T Go pop}def /WR{GS T R Go pop}def\n"
    "/WB{GS T Go Blank}def /WRB{GS T R Go Blank}def\n%Origin:\n";

// The file with its creation date replaced by a fixed one (checked for form).
std::string page(const std::string& path) {
    std::string text = read_text(path);
    const std::regex date("%%CreationDate: \\d\\d-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\\d{4} "
                          "[0-2]\\d:[0-5]\\d\n");
    std::smatch m;
    EXPECT_TRUE(std::regex_search(text, m, date)) << text.substr(0, 200);
    return std::regex_replace(text, date, "%%CreationDate: DATE\n");
}

std::string expected(const char* bbox, const char* title, const char* origin, const char* scale) {
    return std::string("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox:") + bbox + "\n%%Title: " + title +
           "\n%%Creator:\n%%CreationDate: DATE\n" + kProlog + origin + " T\n%%EndProlog\nsA 0" + scale +
           " put sA 0 get dup scale\n0 setlinewidth 0 SG newpath\nshowpage\n%%EOF\n";
}

TEST(PostScriptPage, HeaderAndScale) {
    const struct { std::string title; float w, h, zoom; const char *title_line, *bbox, *origin, *scale; } cases[] = {
        {"by Monplot", 1.0f, 1.25f, 1.0f, "by Monplot", "   20  112  570  800", "  20 112", "  550.000"},
        {"", 1.0f, 1.25f, 0.5f, "", "   20  456  295  800", "  20 456", "  275.000"},
        {std::string(" \t x\0 y  ", 9), 55.0f, 78.0f, 1.0f, "   x  y", "   20   20  570  800", "  20  20", "   10.000"},
        {"wide", 2.0f, 1.0f, 1.0f, "wide", "   20  525  570  800", "  20 525", "  275.000"},
        {"half", 0.1f, 1.0f, 0.375f, "half", "   20  507   49  800", "  20 507", "  292.500"},  // rounds away from 0
        {"huge", 1.0e-6f, 1.0e-6f, 1.0f, "huge", "   20  250  570  800", "  20 250", "*********"},
    };
    const std::string dir = scratch_dir();
    for (const auto& c : cases) {
        psdev d;
        d.file = dir + "/p.eps" + std::string(40, ' ');
        ASSERT_TRUE(psopen_n(d, c.title, 0.0f, 0.0f, c.w, c.h, c.zoom)) << c.title;
        EXPECT_GE(d.unit, 101);
        ASSERT_TRUE(psclose(d, "none"));
        EXPECT_EQ(page(dir + "/p.eps"), expected(c.bbox, c.title_line, c.origin, c.scale)) << c.title;
    }
}

std::string g_stop_message;
void record_stop(const char* message) { g_stop_message = message; }

// A stopped open, a file that cannot be created and a page that is never
// closed all leave an existing file as it was, with no temporary file beside it.
TEST(PostScriptPage, FailuresKeepTheOldFile) {
    const std::string dir = scratch_dir(), path = dir + "/old.eps";
    const auto open = [](psdev& d, const std::string& file, float zoom) { d.file = file; return psopen_n(d, "t", 0, 0, 1, 1, zoom); };
    write_file(path, "old page\n");
    set_stop_handler(record_stop);
    for (float zoom : {0.0f, -1.0f}) {
        g_stop_message.clear();
        psdev d;
        EXPECT_FALSE(open(d, path, zoom));
        EXPECT_EQ(g_stop_message, "psopen_n: zoom <= 0!");
        EXPECT_FALSE(d.is_open());
    }
    set_stop_handler(nullptr);
    {
        psdev d;
        EXPECT_FALSE(open(d, dir + "/no/such/folder/x.eps", 1));
        EXPECT_FALSE(psclose(d, "none"));
        psdev never_closed;
        ASSERT_TRUE(open(never_closed, path, 1));
        psline(never_closed, 0, 0, 1, 1);
    }
    EXPECT_EQ(read_file(path), "old page\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    // A NaN zoom is not stopped; an unfinished page can be kept as it stands; the device opens again after that.
    psdev d;
    ASSERT_TRUE(open(d, path, std::nanf("")));
    psstroke(d);
    ASSERT_TRUE(d.keep_unfinished());
    EXPECT_FALSE(d.is_open());
    EXPECT_TRUE(read_text(path).ends_with("0 setlinewidth 0 SG newpath\nS\n"));
    ASSERT_TRUE(open(d, path, 1));
    ASSERT_TRUE(psclose(d, "none"));
    EXPECT_TRUE(read_text(path).starts_with("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox:   20  250  570  800\n"));
}

// psclose runs "action file" unless the action is "none" in any case with
// trailing blanks; the command sees the finished file. The commands none,
// NONE and None log their name, their argument and the size of that file: on
// POSIX systems shell scripts, on Windows, where cmd.exe runs the action, one
// batch file (a name is the same in any case there).
TEST(PostScriptPage, CloseAction) {
    std::string dir = scratch_dir();
#ifdef _WIN32
    std::replace(dir.begin(), dir.end(), '/', '\\');
    const std::string log = dir + "\\log", eps = dir + "\\f.eps", eol = "\r\n", failing = "cmd /c exit 3";
    write_file(dir + "\\none.cmd", "@echo none %1 %~z1>>" + log + "\r\n");
    const char list = ';';
#else
    const std::string log = dir + "/log", eps = dir + "/f.eps", eol = "\n", failing = "false";
    for (const char* name : {"none", "NONE", "None"}) {
        const std::string script = dir + "/" + name;
        write_file(script, "#!/bin/sh\necho \"" + std::string(name) + " $1 $(stat -c %s \"$1\")\" >> " + log + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    const char list = ':';
#endif
    const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    set_env("PATH", dir + list + old_path);
    const struct { std::string action; bool logged; } cases[] = {
        {"none", false}, {"NONE", false}, {"None   ", false}, {" none", true},
        {failing, false},  // a failing command is of no interest
    };
    for (const auto& c : cases) {
        std::filesystem::remove(log);
        psdev d;
        d.file = eps;
        ASSERT_TRUE(psopen_n(d, "t", 0, 0, 1, 1, 1));
        EXPECT_TRUE(psclose(d, c.action)) << c.action;
        const std::string finished = "none " + eps + " " + std::to_string(std::filesystem::file_size(eps)) + eol;
        EXPECT_EQ(read_file(log), c.logged ? finished : "") << "action '" << c.action << "'";
    }
    set_env("PATH", old_path);
}

}  // namespace
}  // namespace morvane
