// Number reading and writing shared by every instruction, independent of the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex {

// White space, an optional sign, decimal digits up to the first other byte; no digits give 0.
// Values beyond the 32-bit range are clamped to its ends.
std::int32_t read_whole_number(std::string_view text);
// White space, an optional sign, digits with an optional "." fraction and an optional exponent;
// reading stops at the first byte that does not fit; no number gives 0. No inf, nan or hex forms.
double read_real_number(std::string_view text);
// "%d"
std::string whole_number_text(std::int64_t value);

} // namespace korvex
