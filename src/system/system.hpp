// Programs, environment and system: starting programs and documents, keystrokes, environment
// variables, multimedia commands, pauses.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

std::int32_t handle_run_program(Runtime& runtime);
std::int32_t handle_run_and_wait(Runtime& runtime);
std::int32_t handle_shell_open(Runtime& runtime);
std::int32_t handle_send_keys(Runtime& runtime);
std::int32_t handle_read_environment(Runtime& runtime);
std::int32_t handle_set_environment(Runtime& runtime);
std::int32_t handle_multimedia(Runtime& runtime);
std::int32_t handle_wait(Runtime& runtime);

} // namespace korvex
