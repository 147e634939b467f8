// Current directory, creating and removing directories, shell commands.
#include "core/runtime.hpp"
#include "files/files.hpp"

namespace korvex {

std::int32_t handle_change_directory(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_create_directory(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_remove_directory(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_shell_command(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
