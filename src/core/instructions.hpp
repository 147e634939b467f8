// Handlers of the core language: version check, declaration, assignment.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

// The language version this runtime runs, as the version record and variable 29 give it.
inline constexpr float language_version = 4.4f;
inline constexpr const char* language_version_text = "4.4";

std::int32_t handle_version_check(Runtime& runtime);
std::int32_t handle_declare(Runtime& runtime);
std::int32_t handle_assign(Runtime& runtime);

} // namespace korvex
