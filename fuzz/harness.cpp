#include "harness.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

Sandbox& Sandbox::get() {
    static Sandbox box;
    return box;
}

Sandbox::Sandbox() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvane-fuzz-XXXXXX";
    if (mkdtemp(templ.data()) == nullptr || chdir(templ.c_str()) != 0) {
        std::perror("fuzz sandbox");
        std::abort();
    }
    dir_ = templ;
}

Sandbox::~Sandbox() {
    clear();
    rmdir(dir_.c_str());
}

void Sandbox::clear() const {
    DIR* d = opendir(".");
    if (d == nullptr) return;
    while (const dirent* e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) unlink(e->d_name);
    closedir(d);
}

void Sandbox::write(const std::string& name, std::string_view text) const {
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
}

std::string Sandbox::read(const std::string& name) const {
    std::string out;
    const int fd = open(name.c_str(), O_RDONLY);
    if (fd < 0) return out;
    char buf[65536];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    close(fd);
    return out;
}

bool Sandbox::exists(const std::string& name) const { return access(name.c_str(), F_OK) == 0; }

namespace {

bool name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

bool valid_name(std::string_view n) {
    return !n.empty() && n.size() <= 64 && n != "." && n != ".." && std::all_of(n.begin(), n.end(), name_char);
}

}  // namespace

Files split_files(std::string_view data, const std::string& main_name) {
    constexpr std::string_view kMark = "%%% ";
    Files out;
    std::string name = main_name;
    std::size_t start = 0, pos = 0;
    auto flush = [&](std::size_t end) {
        if (valid_name(name)) out.emplace_back(name, data.substr(start, end - start));
    };
    while (pos <= data.size()) {
        const bool at_mark = data.substr(pos).starts_with(kMark) && (pos == 0 || data[pos - 1] == '\n');
        if (at_mark) {
            flush(pos);
            std::size_t eol = data.find('\n', pos);
            if (eol == std::string_view::npos) eol = data.size();
            name = std::string(data.substr(pos + kMark.size(), eol - pos - kMark.size()));
            start = pos = std::min(eol + 1, data.size() + 1);
            if (start > data.size()) start = data.size();
            continue;
        }
        const std::size_t nl = data.find('\n', pos);
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    flush(data.size());
    return out;
}

bool stage(const Files& files) {
    for (const auto& [name, text] : files) {
        if (text.find("..") != std::string_view::npos) return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '/' && text[i] != '\\') continue;
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') continue;  // a column
            const char before = i == 0 ? ' ' : text[i - 1];
            if (before == ' ' || before == '\t' || before == '\n' || before == '\r' || before == '\0' ||
                before == ',')
                return false;
        }
    }
    const Sandbox& box = Sandbox::get();
    box.clear();
    for (const auto& [name, text] : files) box.write(name, text);
    return true;
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        out.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return out;
}

std::vector<double> numbers(std::string_view line) {
    std::vector<double> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j > i) {
            const std::string word(line.substr(i, j - i));
            out.push_back(std::strtod(word.c_str(), nullptr));
        }
        i = j;
    }
    return out;
}

std::int32_t int_at(const std::vector<double>& v, std::size_t i, std::int32_t fallback) {
    if (i >= v.size() || std::isnan(v[i])) return fallback;
    return static_cast<std::int32_t>(std::clamp(v[i], -2147483648.0, 2147483647.0));
}

float real_at(const std::vector<double>& v, std::size_t i, float fallback) {
    return i < v.size() ? static_cast<float>(v[i]) : fallback;
}

void show(const char* routine, const std::string& message) {
    static const bool on = std::getenv("MORVANE_FUZZ_SHOW") != nullptr;
    if (on) std::fprintf(stderr, "%s: [%s]\n", routine, message.c_str());
}

void put(char* field, std::size_t width, std::string_view text) {
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

std::string message(const char msg[128]) {
    std::string s(msg, 127);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

}  // namespace fuzz
