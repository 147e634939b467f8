// Text functions: join, case, trim, character codes, length, pieces, positions, fields, replace.
#include "core/runtime.hpp"
#include "text/text.hpp"

namespace korvex {

std::int32_t handle_join(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_upper_case(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_lower_case(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_trim(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_character(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_character_code(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_length(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_piece(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_position(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_field(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_replace(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
