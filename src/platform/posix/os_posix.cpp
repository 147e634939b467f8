// Operating-system services on POSIX systems.
#include "platform/os.hpp"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace korvex::platform {
std::string own_executable_path() {
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<std::string> read_whole_file(const std::string& path) {
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return std::nullopt;
    std::string content;
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) content.reserve(status.st_size);
    char block[65536];
    for (;;) {
        ssize_t count = read(descriptor, block, sizeof block);
        if (count == 0) break;
        if (count < 0) {
            close(descriptor);
            return std::nullopt;
        }
        content.append(block, static_cast<std::size_t>(count));
    }
    close(descriptor);
    return content;
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
