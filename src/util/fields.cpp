#include "util/fields.hpp"

#include <algorithm>
#include <cstring>

namespace morvane {

std::string field_text(const char* field, std::size_t width) {
    const void* zero = std::memchr(field, 0, width);
    std::size_t len = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : width;
    std::string out(field, len);
    std::replace(out.begin(), out.end(), '\t', ' ');
    while (len > 0 && out[len - 1] == ' ') --len;
    out.resize(len);
    return out;
}

void set_field(char* field, std::size_t width, std::string_view text) {
    const std::size_t n = std::min(width, text.size());
    if (n > 0) std::memcpy(field, text.data(), n);
    std::memset(field + n, ' ', width - n);
}

}  // namespace morvane
