// The calendar clock on Windows.
#include "platform/os.hpp"

#include "platform/win32/file_time_win32.hpp"

namespace korvex::platform {

FileTime current_file_time() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return file_time_of(now);
}

std::int64_t calendar_seconds() {
    return current_file_time().seconds;
}

} // namespace korvex::platform
