// Whole files: delete, rename, copy, attributes.
#include "core/runtime.hpp"
#include "files/files.hpp"

namespace korvex {

std::int32_t handle_delete_file(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_rename_file(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_copy_file(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_test_attribute(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_set_attribute(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
