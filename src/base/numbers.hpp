// Number reading (numbers.cpp) and writing (format_number.cpp) shared by every instruction and the
// desktops, independent of the process locale.
// Floor: base, the ground floor (src/base/); may include the C++ library only.
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

// Fixed notation with six decimals ("%lf" as the GNU C library writes it, on every platform), then
// trailing zeros and a bare decimal point cut off: 5 gives "5", 2/3 gives "0.666667", 1e-7 gives "0",
// and a negative zero or a negative value that rounds to zero gives "-0". Infinities are "+INF" and
// "-INF", not-a-numbers "+NAN" or "-NAN" after their sign bit.
std::string format_number(double value);

// The same text for a whole number of magnitude below 2^63 (zero of either sign included), written
// into `digits` without allocating.
std::string_view format_whole_number(double value, char (&digits)[24]);

} // namespace korvex
