// The layout of a program: the runtime's own image, a 64-byte banner, then the instruction stream of
// records separated by 0x01 and ended by 0x00.
#pragma once

#include <cstddef>

namespace korvex {

inline constexpr std::size_t banner_length = 64;

} // namespace korvex
