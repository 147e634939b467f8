// Script paths in the form POSIX systems take them: every backslash is a directory separator.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace korvex::platform {

inline std::string native_path(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

} // namespace korvex::platform
