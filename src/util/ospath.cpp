#include "util/ospath.hpp"

#include <string>

#include "util/windows.hpp"

namespace morvane {
namespace {

#ifdef _WIN32
// The name widened from the code page of the narrow file functions.
std::wstring wide(std::string_view s) {
    if (s.empty()) return {};
    const UINT cp = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    const int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
#endif

}  // namespace

std::filesystem::path os_path(std::string_view name) {
#ifdef _WIN32
    return std::filesystem::path(wide(name));
#else
    std::string s(name);
    for (char& c : s)
        if (c == '\\') c = '/';
    return std::filesystem::path(std::move(s));
#endif
}

std::FILE* os_fopen(std::string_view name, const char* mode) {
#ifdef _WIN32
    return _wfopen(wide(name).c_str(), wide(mode).c_str());
#else
    return std::fopen(os_path(name).c_str(), mode);
#endif
}

bool os_replace(std::string_view from, std::string_view to) {
#ifdef _WIN32
    const std::wstring f = wide(from), t = wide(to);
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(f.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        const DWORD err = GetLastError();
        const bool held = err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION || err == ERROR_ACCESS_DENIED;
        if (!held || attempt == 20) return false;
        Sleep(50);
    }
#else
    return std::rename(os_path(from).c_str(), os_path(to).c_str()) == 0;
#endif
}

}  // namespace morvane
