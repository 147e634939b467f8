// Text files: test, create, read a line or the whole file, append a line, size.
#include "core/runtime.hpp"
#include "files/files.hpp"

namespace korvex {

std::int32_t handle_test_file(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_create_file(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_read_line(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_append_line(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_file_size(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
