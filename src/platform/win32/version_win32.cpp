// The Windows version name for variable 8, from the version record the system reports.
#include "platform/os.hpp"
#include "platform/process.hpp"

#include <windows.h>

namespace korvex::platform {

std::string os_version_name() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return "unknown";
    return windows_version_name(
        VersionRecord{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId});
}

} // namespace korvex::platform
