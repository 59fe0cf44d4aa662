#include "util/platform.hpp"

#include "util/ospath.hpp"
#include "util/windows.hpp"

#ifdef _WIN32
#include <process.h>

#include <string>
#else
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace morvane::platform {

#ifdef _WIN32

// Names are widened as the library opens its files (util/ospath.hpp), and
// the system's wide functions are called with them.

namespace {

// A wide name back in the code page of the narrow file functions.
std::string narrow(const std::wstring& w) {
    if (w.empty()) return {};
    const UINT cp = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    const int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

HANDLE open_for_query(const std::wstring& name) {
    return CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

PathKind path_kind(const std::string& path) {
    const std::wstring name = os_path(path).wstring();
    const DWORD attrs = GetFileAttributesW(name.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) return PathKind::Directory;
    // Devices (NUL, CON) and pipes are told apart from files by their handle.
    HANDLE h = open_for_query(name);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? PathKind::Missing : PathKind::Unknown;
    }
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_DISK ? PathKind::Regular : PathKind::Other;
}

bool resolve_links(const std::string& path, std::string& target) {
    target = path;
    const std::wstring name = os_path(path).wstring();
    const DWORD attrs = GetFileAttributesW(name.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // A link to an existing file: the system names the file at its end.
    HANDLE h = open_for_query(name);
    if (h == INVALID_HANDLE_VALUE) return true;  // a dangling link: written over as a file
    std::wstring buf(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= buf.size()) return false;
    buf.resize(n);
    if (buf.rfind(L"\\\\?\\", 0) == 0) buf.erase(0, 4);
    target = narrow(buf);
    return true;
}

bool replace_file(const std::string& from, const std::string& to) { return os_replace(from, to); }

bool remove_file(const std::string& path) { return DeleteFileW(os_path(path).c_str()) != 0; }

void copy_permissions(const std::string&, const std::string&) {}

long process_id() { return static_cast<long>(_getpid()); }

#else

PathKind path_kind(const std::string& path) {
    struct stat st;
    if (::stat(os_path(path).c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unknown;
    if (S_ISREG(st.st_mode)) return PathKind::Regular;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return PathKind::Other;
}

bool resolve_links(const std::string& path, std::string& target) {
    target = os_path(path).string();  // backslashes as slashes
    // As many links as the system follows in one name before it gives up.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<std::size_t>(n) >= text.size()) return false;
        text.resize(static_cast<std::size_t>(n));
        if (text.empty()) return false;
        if (text.front() != '/') {
            const std::size_t slash = target.rfind('/');
            text.insert(0, slash == std::string::npos ? std::string() : target.substr(0, slash + 1));
        }
        target = std::move(text);
    }
    return false;
}

bool replace_file(const std::string& from, const std::string& to) { return os_replace(from, to); }

bool remove_file(const std::string& path) { return ::unlink(os_path(path).c_str()) == 0; }

void copy_permissions(const std::string& original, const std::string& copy) {
    struct stat st;
    if (::stat(os_path(original).c_str(), &st) == 0) ::chmod(os_path(copy).c_str(), st.st_mode & 0777);
}

long process_id() { return static_cast<long>(::getpid()); }

#endif

}  // namespace morvane::platform
