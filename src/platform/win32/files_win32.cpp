// File and directory services on Windows: C runtime streams for data files, the ANSI file and
// directory calls for everything else but directory listings, which are read in UTF-16 so that every
// name is seen; the C runtime's system for the command interpreter.
#include "platform/files.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/file_time_win32.hpp"

namespace korvex::platform {
namespace {

std::FILE* stream_of(std::intptr_t handle) {
    return reinterpret_cast<std::FILE*>(handle);
}

bool is_dot_name(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
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

// The wide form of an ANSI text.
std::wstring wide_of(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The name in the ANSI code page; nothing when the code page cannot spell it, which shows as the name
// not coming back whole from the code page ("?" or a letter of best fit in its place).
std::optional<std::string> ansi_name(const std::wstring& name) {
    int size = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), narrow.data(), size, nullptr,
                        nullptr);
    if (wide_of(narrow) != name) return std::nullopt;
    return narrow;
}

// True for a name that begins as a device's does (letter case ignored): the only names worth asking
// the system about.
bool starts_like_a_device(const std::wstring& name) {
    if (name.size() < 3) return false;
    std::wstring start = name.substr(0, 3);
    for (wchar_t& letter : start)
        if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"COM", L"LPT"})
        if (start == device) return true;
    return false;
}

// True when the system takes the name, in the current directory, for something other than the entry
// of that name: a device (NUL, CON, AUX, COM1 and the like, on older systems with any extension too),
// or a name ending in a dot or blank, which the system cuts off.
bool names_another_thing(const std::wstring& name) {
    if (name.empty()) return true;
    if (!starts_like_a_device(name) && name.back() != L'.' && name.back() != L' ') return false;
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0) return true;
    std::wstring full(size, L'\0');
    DWORD written = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) return true;
    full.resize(written);
    return full.rfind(L"\\\\.\\", 0) == 0 || full.size() <= name.size() ||
           full.compare(full.size() - name.size(), name.size(), name) != 0 ||
           full[full.size() - name.size() - 1] != L'\\';
}

// The name by which a script reaches a listed entry through the ANSI calls: its own name, else its
// short (8.3) name; nothing when neither spells it in the code page and names that entry.
std::optional<std::string> reachable_name(const WIN32_FIND_DATAW& found) {
    for (const wchar_t* candidate : {found.cFileName, found.cAlternateFileName}) {
        std::wstring name(candidate);
        if (name.empty() || names_another_thing(name)) continue;
        if (std::optional<std::string> narrow = ansi_name(name)) return narrow;
    }
    return std::nullopt;
}

// Every entry FindFirstFileW and FindNextFileW deliver for a pattern that the filter keeps, by the
// name that reaches it; nothing when the listing failed or a kept entry has no such name, so that it
// is never passed over unnoticed.
template <typename Filter>
std::optional<std::vector<std::string>> find_files(const std::string& pattern, Filter keep) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(wide_of(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        if (found_nothing(GetLastError())) return names;
        return std::nullopt;
    }
    bool complete = true;
    do {
        if (!keep(found)) continue;
        std::optional<std::string> name =
            is_dot_name(found.cFileName) ? ansi_name(found.cFileName) : reachable_name(found);
        if (!name) {
            complete = false;
            break;
        }
        names.push_back(std::move(*name));
    } while (FindNextFileW(search, &found));
    complete = complete && GetLastError() == ERROR_NO_MORE_FILES;
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
    // The change time, which no program sets: a rewrite that puts the write time back still moves it.
    // A file system that keeps none (it reads 0) gives no version, so the file is read anew each time.
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        basic.ChangeTime.QuadPart == 0)
        return std::nullopt;
    return FileVersion{
        FileIdentity{information.dwVolumeSerialNumber,
                     (std::uint64_t(information.nFileIndexHigh) << 32) | information.nFileIndexLow},
        static_cast<std::int64_t>((std::uint64_t(information.nFileSizeHigh) << 32) |
                                  information.nFileSizeLow),
        written, file_time_of(static_cast<std::uint64_t>(basic.ChangeTime.QuadPart))};
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
    return find_files(pattern, [](const WIN32_FIND_DATAW&) { return true; });
}

std::optional<std::vector<std::string>> searchable_subdirectories() {
    auto is_searched = [](DWORD word) {
        return word != INVALID_FILE_ATTRIBUTES && (word & FILE_ATTRIBUTE_DIRECTORY) &&
               !(word & FILE_ATTRIBUTE_SYSTEM);
    };
    // The listing's own attributes first, so that a directory with a device's name is not asked for
    // by that name; then those of what a link leads to.
    return find_files("*", [&](const WIN32_FIND_DATAW& found) {
        if (is_dot_name(found.cFileName)) return false;
        return is_searched(found.dwFileAttributes) || is_searched(GetFileAttributesW(found.cFileName));
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
