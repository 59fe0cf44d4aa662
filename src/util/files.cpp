#include "util/files.hpp"

namespace morvane {
namespace {

bool blank_like(char c) { return c == ' ' || c == '\t' || c == '\0'; }

}  // namespace

std::string pathjoin(std::string_view dir, std::string_view file) {
    std::size_t first = 0;
    while (first < file.size() && blank_like(file[first])) ++first;
    if (first == file.size()) return {};
    std::size_t last = file.size();
    while (blank_like(file[last - 1])) --last;
    const std::string_view name = file.substr(first, last - first);

    // The character after the first one is taken from FILE itself, so that a
    // one-letter name followed by blanks is relative.
    const char second = first + 1 < file.size() ? file[first + 1] : ' ';
    if (name.front() == '.' || name.front() == '\\' || second == ':') return std::string(name);

    std::string out(dir);
    for (char& c : out)
        if (c == '\t' || c == '\0') c = ' ';
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out.append(name);
    return out;
}

int skipcom(TextReader& reader, char com) {
    int n = 0;
    std::string_view line;
    while (reader.next(line)) {
        const char first = line.empty() ? ' ' : line.front();
        if (first != com) {
            reader.back();
            return n;
        }
        ++n;
    }
    return -1;
}

}  // namespace morvane
