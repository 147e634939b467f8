// Operating-system services on Windows: own path, whole files, current directory, user name, clock.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.hpp"

namespace korvex::platform {

bool standard_error_is_terminal() {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    return error != nullptr && error != INVALID_HANDLE_VALUE && GetFileType(error) == FILE_TYPE_CHAR;
}

std::string last_system_error() {
    const DWORD code = GetLastError();
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.'))
        --length;
    return length > 0 ? std::string(text, length) : "system error " + std::to_string(code);
}

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

namespace {

// Reads from file at offset to the end; false on a read error.
bool read_to_end(HANDLE file, std::uint64_t offset, std::string& content) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return false;
    std::vector<char> block(65536);
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &count, nullptr)) return false;
        if (count == 0) return true;
        content.append(block.data(), count);
    }
}

// The bytes of an open file behind its first part; closes the file.
std::optional<std::string> read_behind(HANDLE file,
                                       const std::function<std::size_t(std::string_view)>& part_length) {
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    HANDLE mapping = nullptr;
    const void* view = nullptr;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX) {
        mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping != nullptr) view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    }
    std::optional<std::string> content(std::in_place);
    if (view != nullptr) {
        auto length = static_cast<std::size_t>(size.QuadPart);
        std::size_t start =
            std::min(part_length(std::string_view(static_cast<const char*>(view), length)), length);
        UnmapViewOfFile(view);
        content->reserve(length - start);
        if (!read_to_end(file, start, *content)) content.reset();
    } else {
        // Not mapped (an empty file, or no room to map it): read whole, then drop the first part in
        // place, so that the bytes are never held twice.
        if (size.QuadPart > 0 && static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX)
            content->reserve(static_cast<std::size_t>(size.QuadPart));
        if (read_to_end(file, 0, *content))
            content->erase(0, std::min(part_length(*content), content->size()));
        else
            content.reset();
    }
    if (mapping != nullptr) CloseHandle(mapping);
    CloseHandle(file);
    return content;
}

constexpr DWORD shared_reading = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

std::optional<std::string> read_file_behind(const std::string& path,
                                            const std::function<std::size_t(std::string_view)>& part_length) {
    return read_behind(CreateFileA(path.c_str(), GENERIC_READ, shared_reading, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr),
                       part_length);
}

std::optional<std::string>
read_own_executable_behind(const std::function<std::size_t(std::string_view)>& part_length) {
    // In UTF-16: the ANSI name of a folder outside the code page holds "?" and names no file.
    for (DWORD size = 2048; size <= 65536; size *= 2) {
        std::vector<wchar_t> name(size);
        DWORD length = GetModuleFileNameW(nullptr, name.data(), size);
        if (length == 0) return std::nullopt;
        if (length < size - 1)
            return read_behind(CreateFileW(name.data(), GENERIC_READ, shared_reading, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr),
                               part_length);
    }
    return std::nullopt;
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
