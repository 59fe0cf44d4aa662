// File names as the operating system takes them. The library's file names are
// bytes, as the model programs pass them and as input files hold them:
// - on POSIX systems a backslash separates directories, as it does on
//   Windows, so every backslash of a name is given to the system as '/'
//   (an input set written on Windows runs unchanged);
// - on Windows the bytes are text in the code page of the process's narrow
//   file functions (the ANSI code page, unless the program switched them to
//   the OEM one), which is what the model program's own run-time library
//   uses when it opens a file by the same name; the name is widened from it
//   and given to the system's wide functions, so that the library and its
//   caller always mean the same file.
// Every file operation of the library goes through these functions.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace morvane {

// The system's name of a file name.
std::filesystem::path os_path(std::string_view name);

// std::fopen of a file name; mode as for fopen.
std::FILE* os_fopen(std::string_view name, const char* mode);

// The fopen mode of the library's text output: each line feed written is the
// line end of the system, a line feed on POSIX systems, a carriage return and
// a line feed on Windows.
#ifdef _WIN32
inline constexpr const char* kTextWriteMode = "w";
#else
inline constexpr const char* kTextWriteMode = "wb";
#endif

// Renames the file from over the file to, replacing an existing one (on
// Windows a rename does not replace unless asked to). A target that another
// process holds open for a moment (a virus scanner, an indexer) is waited
// for up to about a second. False when the rename failed; from then still
// exists.
bool os_replace(std::string_view from, std::string_view to);

}  // namespace morvane
