// Keystrokes typed into another window.
#include "core/runtime.hpp"
#include "system/system.hpp"

namespace korvex {

std::int32_t handle_send_keys(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
