// Operating-system services on Windows: own path, whole files, current directory, user name, clock.
#include <windows.h>

#include <vector>

#include "platform/os.hpp"

namespace korvex::platform {

std::string own_executable_path() {
    // A path longer than the buffer comes back truncated, so the buffer grows until it fits.
    for (DWORD size = 2048; size <= 65536; size *= 2) {
        std::vector<char> buffer(size);
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size - 1) return std::string(buffer.data(), length);
    }
    return {};
}

std::optional<std::string> read_whole_file(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31))
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    std::vector<char> block(65536);
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &count, nullptr)) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (count == 0) break;
        content.append(block.data(), count);
    }
    CloseHandle(file);
    return content;
}

std::string current_directory() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::vector<char> buffer(needed + 1);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return {};
    return std::string(buffer.data(), length);
}

std::string user_name() {
    char buffer[2048];
    DWORD size = sizeof buffer;
    if (GetUserNameA(buffer, &size) != 1) return "unknown";
    return buffer;
}

LocalTime local_time() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace korvex::platform
