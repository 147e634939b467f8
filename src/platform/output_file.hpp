// Files that the tools write whole: a file created new (to be renamed over the one it replaces), or an
// existing file that is no regular file, such as a device or a pipe, written where it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex::platform {

// The permissions a new file starts with, less the process's file creation mask: read and write for
// data, and also execute for programs (as a compiler gives the programs it links).
enum class NewFileKind { data, program };

// One file open for writing, closed by its destructor at the latest; paths are used as they stand.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates a file under a name that nothing has yet; false when the name is taken or the file
    // cannot be created.
    bool create_new(const std::string& path, NewFileKind kind);
    // Opens an existing file for writing without creating, emptying or replacing it.
    bool open_existing(const std::string& path);
    bool is_open() const { return handle != no_handle; }
    // Writes every byte; false when the system did not take them all.
    bool write(std::string_view bytes);
    // Gives the open file the read, write and execute permissions that the file at path has.
    bool copy_permissions_from(const std::string& path);
    // Closes the file; false when data could not be stored or the close failed.
    bool close();

private:
    static constexpr std::intptr_t no_handle = -1;
    std::intptr_t handle = no_handle;
};

} // namespace korvex::platform
