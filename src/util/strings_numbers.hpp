// The string routines that read or write numbers (through the free-form
// reader and the format engine): column specifications, integers and reals
// as text, axis-label formats, decimal exponents and dates.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace morvane {

// PARSECOL: a column specification [factor "*"] ("\" number | name) ["+" offset].
struct ColumnSpec {
    float factor = 1.0f;
    float offset = 0.0f;
    std::string cname;   // the column name (trailing blanks removed), "" for a number
    bool isname = false;
    int icol = 1;        // the column number, 0 for a name
};
ColumnSpec parsecol(std::string_view line);

// I2STR: ival right-justified in exactly iwidth characters with at least
// idigits digits (zeros in front); iwidth asterisks when it does not fit.
std::string i2str(int ival, int iwidth, int idigits = 1);

// N_2_C: x written with the format fmt into 16 characters; "0" for zero;
// rounded to the nearest integer when fmt contains a lower-case i.
std::string n_2_c(float x, std::string_view fmt);

// GETFMT: 7-character format for the axis labels ymin + k (ymax - ymin) / ndiv.
std::string getfmt(float ymin, float ymax, int ndiv);

// EXPO10: decimal exponent of x; -999 for zero.
int expo10(float x);

// DATETIME: "dd-Mon-yyyy hh:mm" (17 characters) of the local time now; the
// time part blank when itime <= 0. The second form formats a given time.
std::string datetime(int itime);
std::string datetime(int itime, const std::tm& t);

}  // namespace morvane
