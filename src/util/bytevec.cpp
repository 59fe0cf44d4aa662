#include "util/bytevec.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {

std::string byte2str(const char* bytes, std::size_t n) {
    std::string out(n, ' ');
    if (bytes == nullptr) return out;
    const void* zero = std::memchr(bytes, 0, n);
    const std::size_t len = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : n;
    std::memcpy(out.data(), bytes, len);
    return out;
}

void str2byte(std::string_view text, std::size_t nmax, char* bytes) {
    if (bytes == nullptr || nmax < 1) return;
    const std::size_t len = std::min(nmax - 1, text.size());
    std::memcpy(bytes, text.data(), len);
    bytes[len] = '\0';
}

std::string message_text(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), kMessageWidth)));
}

void write_message(char* msg, std::string_view text) {
    if (msg == nullptr) return;
    std::string padded = message_text(text);
    padded.resize(kMessageWidth, ' ');
    str2byte(padded, kMessageBytes, msg);
}

}  // namespace morvane
