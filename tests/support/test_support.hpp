// Helpers shared by the tests: scratch folders, whole files, the oracles'
// runs, bit patterns and padded texts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <stdlib.h>
#endif

namespace morvane::testing {

// The running test's name as a file name.
inline std::string test_name() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

// A fresh folder for the running test, below the build tree's tmp folder.
inline std::string scratch_dir() {
    std::filesystem::path dir = std::filesystem::path(MORVANE_TEST_TMP) / test_name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A text file the library wrote, with its line ends as line feeds: the
// library ends lines with a carriage return and a line feed on Windows.
inline std::string read_text(const std::string& path) {
    std::string text = read_file(path);
#ifdef _WIN32
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    text = std::move(out);
#endif
    return text;
}

// Where a file name given to the library lies: on POSIX systems its
// backslashes separate directories.
inline std::string on_disk(std::string name) {
#ifndef _WIN32
    std::replace(name.begin(), name.end(), '\\', '/');
#endif
    return name;
}

// Number of open file descriptors of this process.
inline int open_fd_count() {
    int n = 0;
#ifdef _WIN32
    for (int fd = 0; fd < 2048; ++fd) n += _get_osfhandle(fd) != -1;
#else
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
#endif
    return n;
}

// Output of a command of the system's command interpreter. On Windows
// (cmd.exe) the command's forward slashes become backslashes, so that the
// programs and files the tests name by their build-tree paths are found; the
// output goes through a file (under Wine much faster than a pipe) and its
// line ends are read as line feeds.
inline std::string run_command(const std::string& cmd) {
    std::string out;
#ifdef _WIN32
    const std::string file = (std::filesystem::path(MORVANE_TEST_TMP) / (test_name() + ".out")).string();
    std::string c = cmd + " > " + file;
    std::replace(c.begin(), c.end(), '/', '\\');
    if (std::system(c.c_str()) != -1) out = read_text(file);
#else
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t got;
        while ((got = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, got);
        pclose(p);
    }
#endif
    return out;
}

// Sets an environment variable of this process.
inline void set_env(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// Renders an EPS file with Ghostscript; true when it rendered without a word.
// A Windows program under Wine cannot run the host's Ghostscript and wait for
// it: there the page is put into the folder pages/ of the test tree, and the
// test windows_pages renders every page there after the suite, under the same
// condition.
inline bool renders(const std::string& eps) {
#ifdef _WIN32
    static int n = 0;
    const std::filesystem::path pages = std::filesystem::path(MORVANE_TEST_TMP) / "pages";
    std::filesystem::create_directories(pages);
    std::filesystem::copy_file(eps, pages / (test_name() + "." + std::to_string(++n) + ".eps"),
                               std::filesystem::copy_options::overwrite_existing);
    return true;
#else
    return run_command("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r60 -sDEVICE=png16m -sOutputFile=" + eps +
                       ".png " + eps + " 2>&1; echo rc=$?") == "rc=0\n";
#endif
}

// Output of an oracle program run with input as its standard input (the
// input passes through a file beside the test's scratch folder).
inline std::string run_oracle(const std::string& program, const std::string& input) {
    const std::string file = (std::filesystem::path(MORVANE_TEST_TMP) / (test_name() + ".oracle.in")).string();
    write_file(file, input);
    return run_command(program + " < " + file);
}

// The lines of an oracle's output as rows of integers.
inline std::vector<std::vector<std::int32_t>> int_rows(const std::string& text) {
    std::vector<std::vector<std::int32_t>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream ls(line);
        rows.emplace_back();
        for (std::int64_t v; ls >> v;) rows.back().push_back(static_cast<std::int32_t>(v));
    }
    return rows;
}

// The bit pattern of a REAL, and back.
inline std::int32_t bits(float v) { return std::bit_cast<std::int32_t>(v); }
inline float real(std::int32_t b) { return std::bit_cast<float>(b); }

// s cut or blank-padded to n characters.
inline std::string pad(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, n)) + std::string(n - std::min(n, s.size()), ' ');
}

// Runs a test in a folder, so that relative names are resolved there.
struct InFolder {
    std::filesystem::path old = std::filesystem::current_path();
    explicit InFolder(const std::string& dir) { std::filesystem::current_path(dir); }
    ~InFolder() { std::filesystem::current_path(old); }
};

}  // namespace morvane::testing
