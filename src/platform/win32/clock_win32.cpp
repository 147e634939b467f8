// The calendar clock on Windows.
#include "platform/os.hpp"

#include <windows.h>

namespace korvex::platform {

std::int64_t calendar_seconds() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    // 100-nanosecond ticks since 1601-01-01; 11644473600 seconds lie between 1601 and 1970.
    ULARGE_INTEGER ticks{};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart / 10000000ULL) - 11644473600LL;
}

} // namespace korvex::platform
