// Strings and numbers: text functions, left-to-right arithmetic, random numbers.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

std::int32_t handle_join(Runtime& runtime);
std::int32_t handle_upper_case(Runtime& runtime);
std::int32_t handle_lower_case(Runtime& runtime);
std::int32_t handle_trim(Runtime& runtime);
std::int32_t handle_character(Runtime& runtime);
std::int32_t handle_character_code(Runtime& runtime);
std::int32_t handle_length(Runtime& runtime);
std::int32_t handle_piece(Runtime& runtime);
std::int32_t handle_position(Runtime& runtime);
std::int32_t handle_field(Runtime& runtime);
std::int32_t handle_replace(Runtime& runtime);

std::int32_t handle_arithmetic(Runtime& runtime);
std::int32_t handle_random(Runtime& runtime);

} // namespace korvex
