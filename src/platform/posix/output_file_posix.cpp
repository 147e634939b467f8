// Output files of the tools on POSIX systems: plain descriptors, so that every failed write is seen.
#include "platform/output_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex::platform {

OutputFile::~OutputFile() {
    if (is_open()) ::close(static_cast<int>(handle));
}

bool OutputFile::create_new(const std::string& path, NewFileKind kind) {
    if (is_open()) close();
    // The system takes the creation mask off these, as it does for every program that creates files.
    mode_t mode = kind == NewFileKind::program ? 0777 : 0666;
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor < 0) return false;
    handle = descriptor;
    return true;
}

bool OutputFile::open_existing(const std::string& path) {
    if (is_open()) close();
    int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return false;
    handle = descriptor;
    return true;
}

bool OutputFile::write(std::string_view bytes) {
    if (!is_open()) return false;
    while (!bytes.empty()) {
        ssize_t count = ::write(static_cast<int>(handle), bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

bool OutputFile::copy_permissions_from(const std::string& path) {
    struct stat status {};
    if (!is_open() || stat(path.c_str(), &status) != 0) return false;
    return fchmod(static_cast<int>(handle), status.st_mode & 0777) == 0;
}

bool OutputFile::close() {
    if (!is_open()) return false;
    int result = ::close(static_cast<int>(handle));
    handle = no_handle;
    return result == 0;
}

} // namespace korvex::platform
