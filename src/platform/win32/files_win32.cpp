// File and directory services on Windows: C runtime streams for data files, the ANSI file and
// directory calls for everything else, the C runtime's system for the command interpreter.
#include "platform/files.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/file_time_win32.hpp"

namespace korvex::platform {
namespace {

std::FILE* stream_of(std::intptr_t handle) {
    return reinterpret_cast<std::FILE*>(handle);
}

bool is_dot_name(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// True for the errors of a listing that found nothing, or nothing the user may see; others mean the
// listing itself failed.
bool found_nothing(DWORD error) {
    switch (error) {
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_NO_SYSTEM_RESOURCES: return false;
    default: return true;
    }
}

// Every name FindFirstFileA and FindNextFileA deliver for a pattern that the filter keeps; nothing
// when the listing failed.
template <typename Filter>
std::optional<std::vector<std::string>> find_files(const std::string& pattern, Filter keep) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        if (found_nothing(GetLastError())) return names;
        return std::nullopt;
    }
    do {
        if (keep(found.cFileName)) names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    if (!complete) return std::nullopt;
    return names;
}

} // namespace

DataFile::~DataFile() {
    if (is_open()) std::fclose(stream_of(handle));
}

std::optional<FileVersion> unopened_file_version(const std::string&) {
    return std::nullopt;
}

bool DataFile::open(const std::string& path, FileAccess access) {
    if (is_open()) close();
    const char* mode = access == FileAccess::read ? "rb" : access == FileAccess::create ? "wb" : "ab";
    std::FILE* stream = std::fopen(path.c_str(), mode); // refuses directories
    if (stream == nullptr) return false;
    handle = reinterpret_cast<std::intptr_t>(stream);
    return true;
}

std::int64_t DataFile::read(char* buffer, std::size_t capacity) {
    if (!is_open()) return -1;
    std::size_t count = std::fread(buffer, 1, capacity, stream_of(handle));
    if (count == 0 && std::ferror(stream_of(handle))) return -1;
    return static_cast<std::int64_t>(count);
}

bool DataFile::write(std::string_view bytes) {
    if (!is_open()) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), stream_of(handle)) == bytes.size();
}

std::optional<std::int64_t> DataFile::size() {
    if (!is_open() || _fseeki64(stream_of(handle), 0, SEEK_END) != 0) return std::nullopt;
    __int64 end = _ftelli64(stream_of(handle));
    if (end < 0) return std::nullopt;
    return static_cast<std::int64_t>(end);
}

bool DataFile::seek(std::int64_t offset) {
    return is_open() && _fseeki64(stream_of(handle), offset, SEEK_SET) == 0;
}

std::optional<FileVersion> DataFile::version() {
    if (!is_open()) return std::nullopt;
    auto file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream_of(handle))));
    BY_HANDLE_FILE_INFORMATION information{};
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file, &information))
        return std::nullopt;
    FileTime written = file_time_of(information.ftLastWriteTime);
    return FileVersion{
        FileIdentity{information.dwVolumeSerialNumber,
                     (std::uint64_t(information.nFileIndexHigh) << 32) | information.nFileIndexLow},
        static_cast<std::int64_t>((std::uint64_t(information.nFileSizeHigh) << 32) |
                                  information.nFileSizeLow),
        written, written};
}

std::optional<bool> DataFile::copy_rest_to(DataFile&) {
    return std::nullopt;
}

bool DataFile::close() {
    if (!is_open()) return false;
    int result = std::fclose(stream_of(handle)); // also stores what the stream still holds
    handle = no_handle;
    return result == 0;
}

std::optional<FileIdentity> file_identity(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    BOOL found = GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    if (!found) return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (std::uint64_t(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

bool delete_file(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool rename_file(const std::string& old_path, const std::string& new_path) {
    return MoveFileA(old_path.c_str(), new_path.c_str()) != 0;
}

std::optional<std::uint32_t> file_attributes(const std::string& path) {
    DWORD word = GetFileAttributesA(path.c_str());
    if (word == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return static_cast<std::uint32_t>(word);
}

bool set_file_attributes(const std::string& path, std::uint32_t word) {
    return SetFileAttributesA(path.c_str(), word) != 0;
}

bool change_directory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

bool create_directory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool remove_directory(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::int32_t run_shell_command(const std::string& command_line) {
    // The C runtime starts the interpreter named by COMSPEC with "/c" and the command line.
    return static_cast<std::int32_t>(std::system(command_line.c_str()));
}

bool is_directory_separator(char byte) {
    return byte == '\\';
}

std::optional<std::vector<std::string>> matching_entries(const std::string& pattern) {
    return find_files(pattern, [](const char*) { return true; });
}

std::optional<std::vector<std::string>> searchable_subdirectories() {
    return find_files("*", [](const char* name) {
        if (is_dot_name(name)) return false;
        DWORD word = GetFileAttributesA(name);
        return word != INVALID_FILE_ATTRIBUTES && (word & FILE_ATTRIBUTE_DIRECTORY) &&
               !(word & FILE_ATTRIBUTE_SYSTEM);
    });
}

bool enter_subdirectory(const std::string& name) {
    return SetCurrentDirectoryA(name.c_str()) != 0;
}

// The name is kept in UTF-16, so that a directory outside the ANSI code page can be returned to.
DirectoryMark::DirectoryMark() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return;
    std::wstring current(length, L'\0');
    DWORD written = GetCurrentDirectoryW(length, current.data());
    if (written == 0 || written >= length) return;
    current.resize(written);
    path = std::move(current);
    handle = 0;
}

DirectoryMark::DirectoryMark(DirectoryMark&& other) noexcept
    : handle(other.handle), path(std::move(other.path)) {
    other.handle = -1;
}

DirectoryMark& DirectoryMark::operator=(DirectoryMark&& other) noexcept {
    handle = other.handle;
    path = std::move(other.path);
    other.handle = -1;
    return *this;
}

DirectoryMark::~DirectoryMark() = default;

bool DirectoryMark::is_valid() const {
    return handle >= 0;
}

bool DirectoryMark::return_to() const {
    return handle >= 0 && SetCurrentDirectoryW(path.c_str()) != 0;
}

} // namespace korvex::platform
