// Control flow: conditional blocks, the one-line if, labels, jumps, calls, returns, loops, the end.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

struct Runtime;

// Internal status of the one-line if: dispatch the rewritten current instruction again.
inline constexpr std::int32_t status_dispatch_again = 1000;

std::int32_t handle_label(Runtime& runtime);
std::int32_t handle_end_if(Runtime& runtime);
std::int32_t handle_if(Runtime& runtime);
std::int32_t handle_else(Runtime& runtime);

std::int32_t handle_jump(Runtime& runtime);
std::int32_t handle_call(Runtime& runtime);
std::int32_t handle_return(Runtime& runtime);
std::int32_t handle_repeat(Runtime& runtime);
std::int32_t handle_until(Runtime& runtime);
std::int32_t handle_end(Runtime& runtime);

} // namespace korvex
