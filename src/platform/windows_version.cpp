// Names the Windows version from its version record; everything outside the table is "unknown".
#include "platform/process.hpp"

namespace korvex::platform {
namespace {

constexpr std::uint32_t platform_windows_9x = 1;
constexpr std::uint32_t platform_windows_nt = 2;

// The 9x family carries its build in the low 16 bits only.
std::string windows_9x_name(std::uint32_t minor, std::uint32_t build) {
    if (minor == 0 || minor == 3) {
        if (build == 951) return "95A";
        if (build == 1111 || build == 1212) return "95B";
        if (build == 1214) return "95C";
    } else if (minor == 10) {
        if (build == 1998) return "98";
        if (build == 2000 || build == 2222) return "98SE";
    } else if (minor == 90) {
        if (build == 3000) return "ME";
    }
    return "unknown";
}

std::string windows_nt_name(std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
    if (major == 4) return "NT4";
    if (major == 5 && minor == 0 && build == 2195) return "2000";
    if (major == 5 && (minor == 0 || minor == 1) && (build == 2505 || build == 2600)) return "XP";
    return "unknown";
}

} // namespace

std::string windows_version_name(const VersionRecord& record) {
    if (record.platform_id == platform_windows_9x && record.major_version == 4)
        return windows_9x_name(record.minor_version, record.build_number & 0xFFFF);
    if (record.platform_id == platform_windows_nt)
        return windows_nt_name(record.major_version, record.minor_version, record.build_number);
    return "unknown";
}

} // namespace korvex::platform
