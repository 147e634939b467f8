// The language version this runtime runs, as the version record, variable 29 and the packer's
// banner give it.
#pragma once

namespace korvex {

inline constexpr float language_version = 4.4f;
inline constexpr const char* language_version_text = "4.4";

} // namespace korvex
