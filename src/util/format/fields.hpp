// The fields of the formatted-output engine, inside the engine: one field
// description, one padding routine, and the editing of each kind of field.
// Each routine appends exactly w characters (for w = 0, the processor-chosen
// width where the notation allows it).
#pragma once

#include <cstdint>
#include <string>

namespace morvane::fmt::detail {

// A field: width, decimals (I: minimum digits, -1 none), exponent digits (0:
// none), scale factor (kP) and whether a plus sign is written (SP).
struct FieldSpec {
    int w = 0;
    int d = -1;
    int e = 0;
    int scale = 0;
    bool plus = false;
};

enum class ExpForm { E, D, ES, EN };

// w asterisks: a value that does not fit its field.
void stars(std::string& out, int w);

// The one padding routine: appends a field of w characters of which the last
// len are the caller's to fill (blanks before them: right-justified); returns
// where those len characters go.
char* pad_field(std::string& out, int w, int len);

inline char sign_char(bool neg, bool plus) { return neg ? '-' : (plus ? '+' : '\0'); }

// Infinity and NaN under F, E, ES, EN, D and G (w = 0: the short forms).
void put_special(std::string& out, double v, int w, bool plus);

// Lays out a fixed-point field from its integral digits ip[0..ni) (no
// leading zeros; ni = 0 when the integral part is zero) and fraction digits
// fp[0..d). Returns false, writing nothing, when the field is too narrow.
bool lay_fixed(std::string& out, int w, char sign, const char* ip, int ni, const char* fp, int d);

// Exponent part of an E-type field: letter, sign and digits into p; returns
// its length, or -1 when the exponent does not fit. e = 0: two digits after
// the letter, or three without it; e < 0: as few digits as the exponent
// needs, after the letter.
int exponent_text(char* p, int ex, int e, char letter);

// F editing in one pass when it can (no scale factor, 1 <= w <= 64, d <= 17,
// an exact integer rounding): writes the field and returns true, else returns
// false having written nothing.
bool fixed_fast(std::string& out, double v, int w, int d, bool plus);

// F editing of a REAL item in one pass when it can (no scale factor, 1 <= w
// <= 32, d <= 12, |v| * 10^d below 10^15): appends the field and returns
// true, else returns false having written nothing.
bool fixed_single_fast(std::string& out, float v, int w, int d, bool plus);

void int_field(std::string& out, std::int64_t v, const FieldSpec& spec);     // Iw[.m]
void fixed_field(std::string& out, double v, const FieldSpec& spec);         // Fw.d
// Ew.d[Ee], Dw.d, ESw.d[Ee], ENw.d[Ee]. False, writing nothing, when the
// scale factor is out of range for an E or D field (-d < scale <= d + 1).
bool exp_field(std::string& out, double v, const FieldSpec& spec, ExpForm form);

}  // namespace morvane::fmt::detail
