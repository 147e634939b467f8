// Output files of the tools on Windows: file handles of the ANSI calls. Files carry no permission bits
// here, so a new file takes what its folder gives and there is nothing to copy.
#include "platform/output_file.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

namespace korvex::platform {
namespace {

HANDLE file_handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

OutputFile::~OutputFile() {
    if (is_open()) CloseHandle(file_handle(handle));
}

bool OutputFile::create_new(const std::string& path, NewFileKind) {
    if (is_open()) close();
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool OutputFile::open_existing(const std::string& path) {
    if (is_open()) close();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool OutputFile::write(std::string_view bytes) {
    if (!is_open()) return false;
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_handle(handle), bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool OutputFile::copy_permissions_from(const std::string& path) {
    return is_open() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool OutputFile::close() {
    if (!is_open()) return false;
    BOOL closed = CloseHandle(file_handle(handle));
    handle = no_handle;
    return closed != FALSE;
}

} // namespace korvex::platform
