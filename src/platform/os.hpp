// Operating-system services the core needs: own path, files read whole, current directory,
// environment, user name, clock. One declaration set; one implementation per operating system.
// Floor: platform (src/platform/, posix/, win32/); may include base/ and platform/.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvex::platform {

// Full path of the running executable, as scripts see it; empty when it cannot be found.
std::string own_executable_path();
// Whether standard error is a terminal (a console window on Windows) that a person reads.
bool standard_error_is_terminal();
// The system's words for the error of the last system call that failed in this thread.
std::string last_system_error();
// The bytes of a file behind its first part: part_length is shown the whole file (mapped into memory
// where the system can, so only the pages it looks at are read) and says how long the first part is;
// the bytes from there to the end are read into memory. Nothing when the file cannot be opened or read.
std::optional<std::string> read_file_behind(const std::string& path,
                                            const std::function<std::size_t(std::string_view)>& part_length);
// The same for the running executable, found and opened by its full name whatever letters it holds
// (on Windows also those outside the ANSI code page).
std::optional<std::string>
read_own_executable_behind(const std::function<std::size_t(std::string_view)>& part_length);
// The whole content of a file, or nothing when it cannot be opened or read.
inline std::optional<std::string> read_whole_file(const std::string& path) {
    return read_file_behind(path, [](std::string_view) { return std::size_t{0}; });
}
std::string current_directory();
// Looks a name up in the process environment, letter case ignored.
std::optional<std::string> environment_variable(std::string_view name);
// The login name; "unknown" when it cannot be found.
std::string user_name();
// A short name of the operating-system version for variable 8.
std::string os_version_name();

struct LocalTime {
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalTime local_time();
// The calendar time in whole seconds since 1970-01-01 00:00 UTC.
std::int64_t calendar_seconds();

} // namespace korvex::platform
