// The device and the page: psopen_n writes the header, the re-encoding
// procedure and vector, and the prolog; psclose ends the page, puts the file
// in place and runs the optional command on it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "postscript/emit.hpp"
#include "postscript/postscript.hpp"
#include "util/fields.hpp"
#include "util/numeric.hpp"
#include "util/stop.hpp"
#include "util/strings.hpp"
#include "util/strings_numbers.hpp"
#include "util/textfile.hpp"

namespace morvane {
namespace {

constexpr std::string_view kEncode[] = {
    "/reencsmalldict 12 dict def",
    "/ReEncodeSmall",
    "{reencsmalldict begin",
    "/newcodesandnames exch def",
    "/newfontname exch def",
    "/basefontname exch def",
    "/basefontdict basefontname findfont def",
    "/newfont basefontdict maxlength dict def",
    "basefontdict",
    " {exch dup /FID ne {dup /Encoding eq",
    " {exch dup length array copy newfont 3 1 roll put}",
    " {exch newfont 3 1 roll put} ifelse}",
    " {pop pop} ifelse} forall",
    "newfont /FontName newfontname put",
    "newcodesandnames aload pop",
    "newcodesandnames length 2 idiv",
    "{newfont /Encoding get 3 1 roll put} repeat",
    "newfontname newfont definefont pop end} def",
    "/scandvec [",
    "8#321 /adieresis   8#331 /Adieresis",
    "8#322 /odieresis   8#332 /Odieresis",
    "8#323 /aring       8#333 /Aring",
    "8#324 /udieresis   8#334 /Udieresis",
    "8#325 /eacute      8#335 /Eacute",
    "8#326 /egrave      8#336 /Egrave",
    "8#327 /ocircumflex 8#337 /Ocircumflex",
    "8#346 /mu ] def",
};

constexpr std::string_view kProlog[] = {
    "/sA 1 array def /dA 4 array def /fA 1 array def /F{fill}def",
    "/M{moveto}def /L{lineto}def /RM{rmoveto}def /RL{rlineto}def",
    "/RGB{setrgbcolor}def /SG{setgray}def /S{stroke}def",
    "/CP{closepath}def /SW{stringwidth}def /T{translate}def",
    "/R{rotate}def /I{index}def /GS{gsave}def /GR{grestore}def",
    "/SSF{fA 0 get findfont exch scalefont setfont}def",
    "/Font{findfont exch scalefont setfont}def",
    "/Th{sA 0 get div setlinewidth}def /Da{sA 0 get div put}def",
    "/Re{M dup 0 RL exch 0 exch RL neg 0 RL CP}def",
    "/RS{Re S}def /RF{Re F}def /RR{4 copy RF GS 0 SG RS GR}def",
    "/Ci{0 360 arc}def /CS{Ci S}def /CF{Ci F}def /CC{3 copy CF GS 0 SG CS GR}def",
    "/Ta{M L L CP}def /TS{Ta S}def /TF{Ta F}def /TT{6 copy TF GS 0 SG TS GR}def",
    "/Qa{M L L L CP}def /QS{Qa S}def /QF{Qa F}def /QQ{8 copy QF GS 0 SG QS GR}def",
    "/Go{3 I SW pop mul -0.5 mul exch -0.5 mul 2 I mul M}def",
    "/Blank{GS 1 SG 0 1 I RL 1 I SW RL 0 exch neg RL CP F GR}def",
    "/W{GS T Go pop}def /WR{GS T R Go pop}def",
    "/WB{GS T Go Blank}def /WRB{GS T R Go Blank}def",
};

// The file name field: its first 128 characters read as a record field.
std::string file_name(const psdev& dev) { return field_text(dev.file.data(), std::min<std::size_t>(dev.file.size(), 128)); }

}  // namespace

bool psdev::keep_unfinished() { return out_.commit(); }

void psencode(psdev& dev) {
    for (std::string_view l : kEncode) ps::line(dev, l);
}

void psprolog(psdev& dev) {
    for (std::string_view l : kProlog) ps::line(dev, l);
}

bool psopen_n(psdev& dev, std::string_view title, float xmin, float ymin, float xmax, float ymax, float zoom) {
    if (zoom <= 0.0f) {  // a NaN zoom passes
        stop_run("psopen_n: zoom <= 0!");
        return false;
    }
    const float w = xmax - xmin;
    const float h = ymax - ymin;
    float s = 550.0f / w;
    if (780.0f / h <= 550.0f / w) s = 780.0f / h;
    s = s * zoom;
    const std::int64_t lly = 800 - std::int64_t{nint(h * s)};
    const std::int64_t urx = std::int64_t{nint(w * s)} + 20;

    dev.unit = free_unit();  // the writer's file takes this first free number
    if (dev.unit < 0) return false;
    if (!dev.writer().open(file_name(dev))) return false;

    std::string& b = dev.buffer();
    b += "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox:";
    for (std::int64_t v : {std::int64_t{20}, lly, urx, std::int64_t{800}}) ps::i(b, v, 5);
    b += "\n%%Title: ";
    b += trim_right(tidy(title));
    b += "\n%%Creator:\n%%CreationDate: ";
    b += datetime(1);
    b += "\n%%EndComments\n%%BeginProlog\n";
    psencode(dev);
    psprolog(dev);
    b += "%Origin:\n";
    ps::i(b, 20, 4);
    ps::i(b, lly, 4);
    b += " T\n%%EndProlog\nsA 0";
    ps::f(b, s, 9, 3);
    b += " put sA 0 get dup scale\n0 setlinewidth 0 SG newpath\n";
    dev.writer().maybe_flush();
    return true;
}

bool psclose(psdev& dev, std::string_view action) {
    if (!dev.is_open()) return false;
    dev.buffer() += "showpage\n%%EOF\n";
    if (!dev.writer().commit()) return false;

    const std::string_view act = trim_right(action);
    if (act.size() == 4 && upp2low(act) == "none") return true;
    // The action, one blank and the file name field (trailing blanks of the
    // whole command removed, so a blank action leaves only the file name).
    std::string command(act);
    command += ' ';
    command += file_name(dev);
    command.resize(trim_right(command).size());
    // std::system hands the command to /bin/sh -c (cmd.exe /c on Windows) and
    // waits for it; the exit status is of no interest.
    [[maybe_unused]] const int status = std::system(command.c_str());
    return true;
}

}  // namespace morvane
