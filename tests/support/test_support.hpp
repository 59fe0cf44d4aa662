// Helpers shared by the tests: scratch folders, whole files, the oracles'
// runs, bit patterns and padded texts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

// Number of open file descriptors of this process (Linux).
inline int open_fd_count() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// Output of a shell command.
inline std::string run_command(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t got;
        while ((got = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, got);
        pclose(p);
    }
    return out;
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
