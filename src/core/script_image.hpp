// The layout of a program: the runtime's own image, a 64-byte banner, then the instruction stream of
// records separated by 0x01 and ended by 0x00.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace korvex {

inline constexpr char record_separator = '\x01';
inline constexpr char stream_terminator = '\x00';
inline constexpr std::size_t banner_length = 64;

// Thrown when the script runs past its last record, also in the middle of a jump or a skip; the host
// ends the process with status 0.
struct ScriptEnded {};

// Length of an executable image, computed from its own headers (ELF or PE); nothing when the
// bytes are no executable of a known format. The stream starts 64 bytes (the banner) behind it.
std::optional<std::size_t> executable_image_length(std::string_view file_bytes);

} // namespace korvex
