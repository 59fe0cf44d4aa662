// The PostScript drawing layer: one-page Encapsulated PostScript files written
// in the vocabulary of a fixed prolog (M, L, S, SG, Th, RS, W, WRB ...).
//
// A device (psdev) owns its output file. psopen_n writes the header and
// prolog, the drawing operations append lines, psclose ends the page and puts
// the file in place. The file is written beside its target and renamed over
// it only when the page is closed, so a page that fails half-way never
// replaces a good file. Every operation appends to one in-memory buffer that
// is written out in large blocks.
//
// User coordinates are mapped with x' = ox + sx * x, y' = oy + sy * y in
// single precision. Line widths and dash lengths are in points.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "util/textwriter.hpp"

namespace morvane {

// The device: output file, scale and origin, and the point counter of psmark.
// Lines drawn while it is closed only collect in its buffer; psopen_n starts afresh.
class psdev {
public:
    psdev() = default;
    psdev(const psdev&) = delete;
    psdev& operator=(const psdev&) = delete;

    int unit = 21;                      // unit number of the open file (set by psopen_n)
    std::string file = std::string(128, ' ');  // output file name; trailing blanks are ignored
    float sx = 1.0f;                    // x scale from user units to page units
    float sy = 1.0f;                    // y scale
    float ox = 0.0f;                    // x offset
    float oy = 0.0f;                    // y offset
    int npoint = 0;                     // points of the current psmark line so far

    bool is_open() const { return out_.is_open(); }
    std::string& buffer() { return out_.buffer(); }  // text not yet written to the file
    TextWriter& writer() { return out_; }
    // Puts the page drawn so far in place as it stands (no showpage, no %%EOF)
    // and closes the device; for a driver that gives up on a page but keeps it.
    bool keep_unfinished();

private:
    TextWriter out_;
};

// ---- device and page ----

// Opens dev.file (replaced when it exists) for the window xmin..xmax by
// ymin..ymax at zoom, and writes the header and prolog. zoom <= 0 stops the
// run with "psopen_n: zoom <= 0!"; false when stopped or the file cannot be created.
bool psopen_n(psdev& dev, std::string_view title, float xmin, float ymin, float xmax, float ymax, float zoom);
// Ends the page, puts the file in place and, unless action is "none" (any
// case, trailing blanks ignored), runs "action file" through the command
// interpreter and waits for it. False when the file could not be written.
bool psclose(psdev& dev, std::string_view action);
void psencode(psdev& dev);  // writes the font re-encoding procedure and the scandvec vector
void psprolog(psdev& dev);  // writes the prolog's procedure definitions

// ---- paths, lines and colours ----

void psmove(psdev& dev, float x, float y);                       // "x y M"
void psdraw(psdev& dev, float x, float y);                       // "x y L"
void pspen(psdev& dev, int& ipen, float x, float y);             // psmove and ipen = 0 if ipen != 0, else psdraw
void psline(psdev& dev, float x1, float y1, float x2, float y2); // one stroked segment
// Path through the points (x[i], y[i]) (spans of equal length; fewer than two
// points write nothing), ended by mode: 0 "S", 1 "CP S", > 1 "CP F", < 0 open.
void pspoly(psdev& dev, std::span<const float> x, std::span<const float> y, int mode);
void psstroke(psdev& dev);                    // "S"
void psreset(psdev& dev);                     // stroke, 0.12 pt line, solid, black
void psthick(psdev& dev, float t);            // line width t points, at least 0.24
void psdash(psdev& dev, std::span<const int, 4> d);  // dash on/off/on/off points; d[0] = 0: solid
void psnodash(psdev& dev);                    // solid line
void psgray(psdev& dev, int g);               // grey level 0 (black) .. 255 (white)
void pscolor(psdev& dev, std::span<const int, 3> rgb);  // colour levels 0..255; equal levels give psgray
void psblack(psdev& dev);                     // "0 SG"

// ---- fonts and text ----

// Selects font number ifont (10..13 Times, 20..23 Helvetica, 30..33 Courier,
// 40..43 Symbol; styles roman, bold, italic, bold italic), re-encoded with
// scandvec. Other numbers write nothing.
void psfont(psdev& dev, int ifont);
// The text as the inside of a PostScript string: parentheses and the OEM
// code-page letters of scandvec become octal escapes. Leading blanks are kept,
// trailing ones dropped; the result is at most 1024 characters.
std::string psescape(std::string_view text);
// Writes text at (x, y) with anchor |ipos| 1..9 (negative: on a white box),
// rotated by angle degrees, height in user units; "^" raises and "_" lowers a
// segment up to the next blank, "\^" and "\_" are plain characters. The
// third argument is not used. Blank texts, ipos 0 or |ipos| > 9 write nothing.
void pstext(psdev& dev, int ipos, float unused, float x, float y, float angle, float height, std::string_view text);

// ---- markers, shapes and arrows ----
// ifill of the circle, rectangle, triangle and quadrilateral: 0 (and below)
// outline, 1 filled with the current colour, 2 and above filled and outlined in black.

void pscircle(psdev& dev, float x, float y, float r, int ifill);          // radius r in page units
void psrect(psdev& dev, float x, float y, float w, float h, int ifill);   // corner (x, y), width w, height h
void pstri(psdev& dev, std::span<const float, 3> xs, std::span<const float, 3> ys, int ifill);
void psquad(psdev& dev, std::span<const float, 4> xs, std::span<const float, 4> ys, int ifill);
void psplus(psdev& dev, float x, float y, float hx, float hy);  // "+" with half-arms hx, hy (page units)
void pscross(psdev& dev, float x, float y, float r);            // "x" with half-diagonal r (page units)
// Regular n-gon of radius r around (x, y), bottom edge horizontal; ifill 0, 1
// outline, 2 filled, 3 and above filled and outlined in black. n < 2 writes nothing.
void psngon(psdev& dev, int n, float x, float y, float r, int ifill);
// Arrow from (x1, y1) to the tip (x2, y2); filled when ifill > 0, else outlined.
void psarrow(psdev& dev, float x1, float y1, float x2, float y2, float headlength, float headhalfwidth,
             float shafthalfwidth, int ifill);
// One data point in the style of style's first character: s w d b f next
// vertex of a line (ipen != 0 starts it; every 1000th point strokes the path
// and sets ipen), 3..9 polygon, o circle, c plus, x cross, n/t triangle
// down/up, q square, v diamond (all of size), l vertical line to y2; others nothing.
void psmark(psdev& dev, int& ipen, float x, float y, std::string_view style, float y2, float size, int ifill);

}  // namespace morvane
