// Dialogs and messages: message boxes, the input, editor and list dialogs, the information window.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

std::int32_t handle_message_box(Runtime& runtime);
std::int32_t handle_notice(Runtime& runtime);
std::int32_t handle_confirmation(Runtime& runtime);

// The dialog instructions only prepare their dialog; the main loop runs it.
std::int32_t handle_input_box(Runtime& runtime);
std::int32_t handle_editor(Runtime& runtime);
std::int32_t handle_list_box(Runtime& runtime);
void run_input_dialog(Runtime& runtime);
void run_editor_dialog(Runtime& runtime);
void run_list_dialog(Runtime& runtime);

std::int32_t handle_info_window(Runtime& runtime);

} // namespace korvex
