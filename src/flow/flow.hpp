// Control flow: conditional blocks, the one-line if, labels, jumps, calls, returns, loops, the end.
// The handlers are declared with every other from the one list, in core/handlers.hpp.
#pragma once

#include <cstdint>

#include "core/handlers.hpp"

namespace korvex {

// Internal status of the one-line if: dispatch the rewritten current instruction again.
inline constexpr std::int32_t status_dispatch_again = 1000;

} // namespace korvex
