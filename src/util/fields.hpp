// Fixed-width text fields of the records (SeriesSpec, KEYLIST, PlotSettings):
// blank-padded as the model programs lay them out; a C caller may end one
// early with a zero byte. Every record field is read and written here.
//
// The one text of a record read otherwise is a variable descriptor's name and
// description (tidy_field): the monitoring file and the plot show them cleaned
// whole, zero bytes and tabs as blanks, nothing cut at a zero byte, and the
// names keep their width as column headings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "util/strings.hpp"

namespace morvane {

// The text of a field: the bytes up to the first zero byte, tabs as blanks,
// trailing blanks removed.
std::string field_text(const char* field, std::size_t width);
template <std::size_t N>
std::string field_text(const char (&field)[N]) {
    return field_text(field, N);
}

// Writes text into a field, cut or blank-padded to its width.
void set_field(char* field, std::size_t width, std::string_view text);
template <std::size_t N>
void set_field(char (&field)[N], std::string_view text) {
    set_field(field, N, text);
}

// A descriptor text: all N characters, zero bytes and tabs as blanks.
template <std::size_t N>
std::string tidy_field(const char (&field)[N]) {
    return tidy(std::string_view(field, N));
}

}  // namespace morvane
