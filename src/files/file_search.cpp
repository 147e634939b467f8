// Recursive file search.
#include "core/runtime.hpp"
#include "files/files.hpp"

namespace korvex {

std::int32_t handle_file_search(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
