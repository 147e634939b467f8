// The non-modal information window.
#include "core/runtime.hpp"
#include "dialogs/dialogs.hpp"

namespace korvex {

std::int32_t handle_info_window(Runtime&) { return status_unknown_opcode; }

} // namespace korvex
