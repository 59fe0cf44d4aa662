// Fonts and text: font selection, escaping of label characters, and text
// placement with anchors, rotation, white boxes and raised or lowered segments.
#include <cstddef>
#include <string>
#include <string_view>

#include "postscript/emit.hpp"
#include "postscript/postscript.hpp"
#include "util/strings.hpp"

namespace morvane {
namespace {

constexpr std::size_t kTextBuffer = 1024;
constexpr int kMaxSegments = 9;

// Family names and style suffixes of the font numbers 10 * family + style.
constexpr std::string_view kFamily[] = {"Times", "Helvetica", "Courier", "Symbol"};
constexpr std::string_view kStyle[][4] = {
    {"-Roman", "-Bold", "-Italic", "-BoldItalic"},
    {"", "-Bold", "-Oblique", "-BoldOblique"},
    {"", "-Bold", "-Oblique", "-BoldOblique"},
    {"", "", "", ""},
};

// The four-character octal code of a character, or an empty view.
std::string_view escape_of(unsigned char c) {
    switch (c) {
        case '(': return "\\050";
        case ')': return "\\051";
        case 0x84: return "\\321";  // a diaeresis
        case 0x94: return "\\322";  // o diaeresis
        case 0x86: return "\\323";  // a ring
        case 0x81: return "\\324";  // u diaeresis
        case 0x8E: return "\\331";  // A diaeresis
        case 0x99: return "\\332";  // O diaeresis
        case 0x8F: return "\\333";  // A ring
        case 0x9A: return "\\334";  // U diaeresis
        default: return {};
    }
}

// One raised or lowered piece of a text: buffer positions [start, end).
struct Segment {
    std::size_t start = 0;
    std::size_t end = 0;
    bool lowered = false;
};

void show(psdev& dev, std::string_view text) {
    std::string& b = dev.buffer();
    b += '(';
    b += text;
    b += ") show\n";
}

void select_size(psdev& dev, float fs) {
    ps::f(dev.buffer(), fs, 7, 4);
    dev.buffer() += " SSF\n";
}

}  // namespace

void psfont(psdev& dev, int ifont) {
    const int family = ifont / 10;
    const int style = ifont % 10;
    if (ifont < 10 || family > 4 || style > 3) return;  // not a font number: nothing
    std::string& b = dev.buffer();
    b += "fA 0 /";
    b += kFamily[family - 1];
    b += kStyle[family - 1][style];
    b += " put\nfA 0 get dup scandvec ReEncodeSmall\n";
    dev.writer().maybe_flush();
}

std::string psescape(std::string_view text) {
    // Positions of the first and last characters that are not blank (zero
    // bytes and tabs count as blanks); leading blanks keep their places.
    std::size_t first = 0;
    while (first < text.size() && blank_like(text[first])) ++first;
    std::size_t last = text.size();
    while (last > first && blank_like(text[last - 1])) --last;
    std::string out(first < kTextBuffer ? first : kTextBuffer, ' ');
    for (std::size_t k = first; k < last; ++k) {
        const std::string_view code = escape_of(static_cast<unsigned char>(text[k]));
        const std::size_t n = code.empty() ? 1 : code.size();
        // A character whose conversion no longer fits the buffer ends the text.
        if (out.size() + n > kTextBuffer) break;
        if (code.empty())
            out += blank_like(text[k]) ? ' ' : text[k];
        else
            out += code;
    }
    return out;
}

void pstext(psdev& dev, int ipos, float /*unused*/, float x, float y, float angle, float height,
            std::string_view text) {
    if (ipos == 0 || ipos < -9 || ipos > 9) return;  // no such anchor: nothing
    std::string buf = psescape(text);
    const std::size_t first = buf.find_first_not_of(' ');
    if (first == std::string::npos) return;  // blank text: nothing at all
    std::size_t end = buf.find_last_not_of(' ') + 1;  // one past the last position

    const float xp = ps::map_x(dev, x);
    const float yp = ps::map_y(dev, y);
    const float fs = height / 0.7f;
    select_size(dev, fs);

    // Find the segments and drop their markers, the blanks that end them and
    // the backslashes that make markers plain characters. Beyond nine
    // segments further markers are plain characters.
    Segment seg[kMaxSegments];
    int nseg = 0;
    bool inside = false;
    std::size_t p = first;
    while (p < end) {
        const char c = buf[p];
        if ((c == '^' || c == '_') && p > first && buf[p - 1] == '\\') {
            buf.erase(p - 1, 1);  // the marker moves to p - 1; p now holds the next character
            --end;
        } else if ((c == '^' || c == '_') && !inside && nseg < kMaxSegments) {
            seg[nseg] = Segment{p, 0, c == '_'};
            ++nseg;
            inside = true;
            buf.erase(p, 1);
            --end;
            p += 1;  // the character moved into the marker's place belongs to the segment as it is
        } else if (c == ' ' && inside) {
            seg[nseg - 1].end = p;
            inside = false;
            buf.erase(p, 1);
            --end;
        } else {
            ++p;
        }
    }
    if (inside) seg[nseg - 1].end = end;

    // The placement line with the whole text, measured at full size.
    const int a = ipos < 0 ? -ipos : ipos;
    static constexpr int kVertical[] = {2, 1, 0, 2, 1, 0, 2, 1, 0};
    static constexpr int kHorizontal[] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const std::string_view all = std::string_view(buf).substr(first, end - first);
    std::string& b = dev.buffer();
    b += '(';
    b += all;
    b += ')';
    ps::f(b, height, 6, 3);
    ps::i(b, kVertical[a - 1], 2);
    ps::i(b, kHorizontal[a - 1], 2);
    const bool rotated = angle != 0.0f;
    if (rotated) ps::f(b, angle, 9, 3);
    ps::f(b, xp, 8, 3);
    ps::f(b, yp, 8, 3);
    if (ipos > 0)
        b += rotated ? " WR\n" : " W\n";
    else
        b += rotated ? " WRB\n" : " WB\n";

    if (nseg == 0) {
        b += "show GR S\n";
        dev.writer().maybe_flush();
        return;
    }
    // The text shown piece by piece instead.
    b += "pop\n";
    const auto piece = [&](std::size_t from, std::size_t to) {
        return std::string_view(buf).substr(from, to > from ? to - from : 0);
    };
    if (seg[0].start > first) show(dev, piece(first, seg[0].start));
    for (int k = 0; k < nseg; ++k) {
        select_size(dev, 0.8f * fs);
        const float dy = seg[k].lowered ? -(0.2f * fs) : 0.4f * fs;
        b += '0';
        ps::f(b, dy, 8, 3);
        b += " RM (";
        b += piece(seg[k].start, seg[k].end);
        b += ") show 0";
        ps::f(b, -dy, 8, 3);
        b += " RM\n";
        const std::size_t next = k + 1 < nseg ? seg[k + 1].start : end;
        if (seg[k].end < next) {
            select_size(dev, fs);
            show(dev, piece(seg[k].end, next));
        }
    }
    b += "GR S\n";
    dev.writer().maybe_flush();
}

}  // namespace morvane
