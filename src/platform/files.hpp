// File and directory services for the file instructions: data files read and written in blocks,
// file identities, deletion and renaming, the attribute word, the current directory, directories,
// directory listings with wildcard patterns, and the command interpreter.
//
// Paths come from scripts. On POSIX systems every backslash in them is a directory separator and is
// turned into "/" before the path reaches the system; on Windows they are passed unchanged.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::platform {

enum class FileAccess {
    read,   // existing file, from its start; a directory is refused
    create, // created, or an existing file emptied
    append, // created when missing; every write goes to its end
};

// What tells two names of one file apart from two files: the volume and the file's number on it.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A time as files are stamped with it: seconds since 1970-01-01 00:00 UTC and nanoseconds into that
// second (on Windows always whole hundreds, so that a FILETIME is kept in full).
struct FileTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    auto operator<=>(const FileTime&) const = default;
};
// The calendar time now, as precisely as the system gives it.
FileTime current_file_time();

// What tells one content of a regular file from another as far as the system can: the file, its
// size, when it was last written and when anything about it last changed (a time no program can set:
// the inode's change time on POSIX systems, the file's ChangeTime on Windows).
struct FileVersion {
    FileIdentity identity;
    std::int64_t size = 0;
    FileTime written;
    FileTime changed;
    bool operator==(const FileVersion&) const = default;
};

// The version of the regular file at path, found without opening it; nothing when it is no regular
// file or the system cannot tell it without opening the file (Windows, where opening is also what
// tells whether another program keeps the file to itself).
std::optional<FileVersion> unopened_file_version(const std::string& path);

// One open data file, closed by its destructor at the latest.
class DataFile {
public:
    DataFile() = default;
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;
    ~DataFile();

    bool open(const std::string& path, FileAccess access);
    bool is_open() const { return handle != no_handle; }
    // Reads up to capacity bytes: the count read, 0 at the end of the file, -1 on a read error.
    std::int64_t read(char* buffer, std::size_t capacity);
    // Writes every byte; false when the system did not take them all.
    bool write(std::string_view bytes);
    // The length of the file in bytes, nothing when it cannot be found.
    std::optional<std::int64_t> size();
    // Moves the read position to offset bytes from the file's start; false when that failed.
    bool seek(std::int64_t offset);
    // The version of the open file; nothing when the system cannot tell it or the file is no regular
    // file (a pipe, a device).
    std::optional<FileVersion> version();
    // Copies the bytes from the read position to the end into destination inside the system, where it
    // can do that for these two files: whether every byte was copied; nothing when the system cannot
    // copy them so and no byte has moved (the caller then copies block by block).
    std::optional<bool> copy_rest_to(DataFile& destination);
    // Closes the file; false when data could not be stored or the close failed.
    bool close();

private:
    static constexpr std::intptr_t no_handle = -1;
    std::intptr_t handle = no_handle;
    std::optional<FileVersion> version_at_open; // where opening learnt it already
};

// The identity of the file or directory a path names (links followed); nothing when it is missing.
std::optional<FileIdentity> file_identity(const std::string& path);

// Deletes a file; directories are refused.
bool delete_file(const std::string& path);
// Renames or moves a file or directory; fails when the new name already exists.
bool rename_file(const std::string& old_path, const std::string& new_path);

// The attribute word, with the bit values of the Windows file attributes.
namespace file_attribute {
inline constexpr std::uint32_t read_only = 0x01;
inline constexpr std::uint32_t hidden = 0x02;
inline constexpr std::uint32_t system = 0x04;
inline constexpr std::uint32_t directory = 0x10;
inline constexpr std::uint32_t archive = 0x20;
inline constexpr std::uint32_t normal = 0x80;
inline constexpr std::uint32_t compressed = 0x800;
} // namespace file_attribute

// The attribute word of a file or directory; nothing when the path does not exist.
std::optional<std::uint32_t> file_attributes(const std::string& path);
// Replaces the attribute word; false when the path is missing or the system refuses the change.
bool set_file_attributes(const std::string& path, std::uint32_t word);

bool change_directory(const std::string& path);
// Creates one directory; fails when it exists already or its parent is missing.
bool create_directory(const std::string& path);
// Removes an empty directory.
bool remove_directory(const std::string& path);

// Runs a command line through the command interpreter and waits for it: the interpreter's exit
// status, or -1 when no interpreter could be started.
std::int32_t run_shell_command(const std::string& command_line);

// True for the bytes that end the directory part of a search pattern.
bool is_directory_separator(char byte);
// Names in the current directory that match a wildcard pattern, in the order the system delivers
// them; "." and ".." included when they match. A directory the user may not list has no names;
// nothing when the listing failed otherwise (no descriptor or memory left) or, on Windows, an entry
// has no name in the ANSI code page that reaches it (see files_win32.cpp), so that a search never
// passes a directory or an entry over unnoticed.
std::optional<std::vector<std::string>> matching_entries(const std::string& pattern);
// Subdirectories of the current directory that a search goes down into: every directory entry
// (hidden ones too, links to directories followed) except ".", ".." and system directories.
// Nothing when the listing failed, as for matching_entries.
std::optional<std::vector<std::string>> searchable_subdirectories();
// Makes a subdirectory named by a listing (or "..") the current directory; the name is used as it
// stands.
bool enter_subdirectory(const std::string& name);

// Keeps a way back to the directory current when it was made, which stays right when the walk went
// down through a link. Holds one descriptor on POSIX systems.
class DirectoryMark {
public:
    DirectoryMark();
    DirectoryMark(DirectoryMark&& other) noexcept;
    DirectoryMark& operator=(DirectoryMark&& other) noexcept;
    DirectoryMark(const DirectoryMark&) = delete;
    DirectoryMark& operator=(const DirectoryMark&) = delete;
    ~DirectoryMark();

    // False when the directory could not be marked; such a mark leads nowhere.
    bool is_valid() const;
    bool return_to() const;

private:
    std::intptr_t handle = -1; // the directory's descriptor (POSIX), or 0 for a kept name
    std::wstring path;         // the directory's full name (Windows, in UTF-16)
};

// Windows wildcard matching of a whole name: "*" any run of bytes (one that stands before a "."
// not past the name's last "."), "?" any one byte (or none at the end of the name or before a
// "."), a "." that also matches the end of a name, and letter case ignored for A to Z.
bool wildcard_match(std::string_view pattern, std::string_view name);

} // namespace korvex::platform
