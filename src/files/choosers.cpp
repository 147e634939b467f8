// File and folder choosers.
#include "core/runtime.hpp"
#include "files/files.hpp"

namespace korvex {

std::int32_t handle_file_chooser(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_folder_chooser(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
