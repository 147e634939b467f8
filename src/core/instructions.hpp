// The core language: version check, declaration, assignment (their handlers: core/handlers.hpp).
#pragma once

#include "core/handlers.hpp"

namespace korvex {

// The language version this runtime runs, as the version record and variable 29 give it.
inline constexpr float language_version = 4.4f;
inline constexpr const char* language_version_text = "4.4";

} // namespace korvex
