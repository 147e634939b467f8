// Where a program's stream starts: behind the runtime's own image and the banner (base/stream.hpp).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace korvex {

// Thrown when the script runs past its last record, also in the middle of a jump or a skip; the host
// ends the process with status 0.
struct ScriptEnded {};

// Length of an executable image, computed from its own headers (ELF or PE); nothing when the
// bytes are no executable of a known format. The stream starts 64 bytes (the banner) behind it.
std::optional<std::size_t> executable_image_length(std::string_view file_bytes);

} // namespace korvex
