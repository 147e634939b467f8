// Starting programs, waiting for them, and opening documents with the shell.
#include "core/runtime.hpp"
#include "system/system.hpp"

namespace korvex {

std::int32_t handle_run_program(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_run_and_wait(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_shell_open(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
