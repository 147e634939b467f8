// The input, editor and list instructions and the dialog runs the main loop performs for them.
#include "core/runtime.hpp"
#include "dialogs/dialogs.hpp"

namespace korvex {

std::int32_t handle_input_box(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_editor(Runtime&) { return status_unknown_opcode; }
std::int32_t handle_list_box(Runtime&) { return status_unknown_opcode; }
void run_input_dialog(Runtime&) {}
void run_editor_dialog(Runtime&) {}
void run_list_dialog(Runtime&) {}

} // namespace korvex
