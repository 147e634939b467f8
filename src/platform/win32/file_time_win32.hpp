// FILETIME, the Windows clock and file stamp, as the platform's FileTime: shared by the calendar
// clock and the file versions.
#pragma once

#include <windows.h>

#include "platform/files.hpp"

namespace korvex::platform {

// 100-nanosecond ticks since 1601-01-01; 11644473600 seconds lie between 1601 and 1970.
inline FileTime file_time_of(std::uint64_t ticks) {
    return FileTime{static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL,
                    static_cast<std::int64_t>(ticks % 10000000ULL) * 100};
}

inline FileTime file_time_of(const FILETIME& time) {
    ULARGE_INTEGER ticks{};
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return file_time_of(static_cast<std::uint64_t>(ticks.QuadPart));
}

} // namespace korvex::platform
