#include "util/files.hpp"

#include "util/strings.hpp"

namespace morvane {

std::string pathjoin(std::string_view dir, std::string_view file) {
    const Limits lim = strlim(file);
    if (lim.last == 0) return {};
    const std::string_view name = file.substr(static_cast<std::size_t>(lim.first - 1),
                                              static_cast<std::size_t>(lim.last - lim.first + 1));
    // The character after the first one is taken from FILE itself, so that a
    // one-letter name followed by blanks is relative.
    const std::size_t second = static_cast<std::size_t>(lim.first);
    const bool drive = second < file.size() && file[second] == ':';
    if (name.front() == '.' || name.front() == '\\' || name.front() == '/' || drive) return std::string(name);

    std::string out(trim_right(tidy(dir)));
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
