// Environment lookup on Windows, where names are matched without regard to letter case already.
#include "platform/os.hpp"

#include <windows.h>

#include "base/ascii.hpp"

namespace korvex::platform {

// Values of any length: the buffer grows to what the first call reports.
std::optional<std::string> environment_variable(std::string_view name) {
    std::string text_name(text_before_zero(name));
    if (text_name.empty()) return std::nullopt;
    std::string value(256, '\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD length =
            GetEnvironmentVariableA(text_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

} // namespace korvex::platform
