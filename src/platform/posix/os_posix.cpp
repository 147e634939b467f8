// Operating-system services on POSIX systems.
#include "platform/os.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace korvex::platform {
bool standard_error_is_terminal() {
    return isatty(STDERR_FILENO) == 1;
}

std::string last_system_error() {
    return std::strerror(errno);
}

std::string own_executable_path() {
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

namespace {

// Reads from descriptor at offset to the end; false on a read error.
bool read_to_end(int descriptor, std::uint64_t offset, std::string& content) {
    char block[65536];
    for (;;) {
        ssize_t count = pread(descriptor, block, sizeof block, static_cast<off_t>(offset));
        if (count == 0) return true;
        if (count < 0) return false;
        content.append(block, static_cast<std::size_t>(count));
        offset += static_cast<std::uint64_t>(count);
    }
}

// The bytes of an open file behind its first part; closes the descriptor.
std::optional<std::string> read_behind(int descriptor,
                                       const std::function<std::size_t(std::string_view)>& part_length) {
    if (descriptor < 0) return std::nullopt;
    struct stat status {};
    void* mapping = MAP_FAILED;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
        mapping =
            mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, descriptor, 0);
    std::optional<std::string> content(std::in_place);
    if (mapping != MAP_FAILED) {
        auto size = static_cast<std::size_t>(status.st_size);
        std::size_t start =
            std::min(part_length(std::string_view(static_cast<const char*>(mapping), size)), size);
        munmap(mapping, size);
        content->reserve(size - start);
        if (!read_to_end(descriptor, start, *content)) content.reset();
    } else {
        // Not a file that can be mapped (or an empty one, or no room to map it): read whole, then drop
        // the first part in place, so that the bytes are never held twice.
        if (S_ISREG(status.st_mode)) content->reserve(static_cast<std::size_t>(status.st_size));
        if (read_to_end(descriptor, 0, *content))
            content->erase(0, std::min(part_length(*content), content->size()));
        else
            content.reset();
    }
    close(descriptor);
    return content;
}

} // namespace

std::optional<std::string> read_file_behind(const std::string& path,
                                            const std::function<std::size_t(std::string_view)>& part_length) {
    return read_behind(open(path.c_str(), O_RDONLY | O_CLOEXEC), part_length);
}

std::optional<std::string>
read_own_executable_behind(const std::function<std::size_t(std::string_view)>& part_length) {
    // The running file itself, even when its name has changed since it started.
    return read_behind(open("/proc/self/exe", O_RDONLY | O_CLOEXEC), part_length);
}

std::string current_directory() {
    std::vector<char> buffer(PATH_MAX + 1);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return {};
    return buffer.data();
}

std::string user_name() {
    if (struct passwd* account = getpwuid(geteuid()); account && account->pw_name && *account->pw_name)
        return account->pw_name;
    if (const char* name = std::getenv("USER"); name && *name) return name;
    return "unknown";
}

std::string os_version_name() {
    struct utsname system {};
    if (uname(&system) != 0) return "unknown";
    return system.sysname;
}

LocalTime local_time() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::int64_t calendar_seconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace korvex::platform
