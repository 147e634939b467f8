// Strings and numbers: text functions, left-to-right arithmetic, random numbers. Their handlers are
// declared with every other from the one list, in core/handlers.hpp.
#pragma once

#include "core/handlers.hpp"
