// Writes the result of an arithmetic chain as a short decimal text.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

// Fixed notation with six decimals ("%lf" as the GNU C library writes it, on every platform), then
// trailing zeros and a bare decimal point cut off: 5 gives "5", 2/3 gives "0.666667", 1e-7 gives "0",
// and a negative zero or a negative value that rounds to zero gives "-0". Infinities are "+INF" and
// "-INF", not-a-numbers "+NAN" or "-NAN" after their sign bit.
std::string format_number(double value);

// The same text for a whole number of magnitude below 2^63 (zero of either sign included), written
// into `digits` without allocating.
std::string_view format_whole_number(double value, char (&digits)[24]);

} // namespace korvex
