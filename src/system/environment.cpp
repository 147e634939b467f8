// Environment variables, multimedia command strings and pauses.
#include "core/runtime.hpp"
#include "system/system.hpp"

namespace korvex {

std::int32_t handle_read_environment(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_set_environment(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_multimedia(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_wait(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
