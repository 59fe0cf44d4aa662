// The library's conventions for files: unit numbers from one allocator, file
// names completed with the directory of the input file that names them, and
// comment lines at the top of text files passed over.
#pragma once

#include <string>
#include <string_view>

#include "util/textreader.hpp"

namespace morvane {

// FREEUNIT: the first unit number from 101 to 999 not held by an open file,
// or -1 when all are in use. It only inquires: the caller opens its file (File
// leases the number) before it asks for another.
inline int freeunit() { return free_unit(); }

// PATHJOIN: completes FILE with the directory DIR (which ends with its
// separator). FILE is taken without its leading and trailing blanks (zero
// bytes and tabs count as blanks); a name that starts with ".", with a
// backslash or a forward slash, or with a drive letter and colon is kept as it
// is, any other name (dir/x.txt as well as dir\x.txt) is put directly behind
// DIR with its trailing blanks removed. A blank FILE gives "". The result carries no padding: the
// caller cuts or pads it to the width of its record.
std::string pathjoin(std::string_view dir, std::string_view file);

// SKIPCOM: passes over the lines whose first character (column 1) is com and
// returns how many there were; the reader is then at the first other line, so
// that the next read gives it. -1 when the end of the file comes first (the
// reader is then at its end). An empty line counts as starting with a blank.
int skipcom(TextReader& reader, char com = '!');

}  // namespace morvane
