// Left-to-right arithmetic and random numbers.
#include "core/runtime.hpp"
#include "text/text.hpp"

namespace korvex {

std::int32_t handle_arithmetic(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_random(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
