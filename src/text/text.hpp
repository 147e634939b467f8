// Strings and numbers: text functions, left-to-right arithmetic, random numbers. Their handlers are
// declared with every other from the one list, in core/handlers.hpp.
// Floor: interpreter, a room above core; may include base/, platform/, decoder/, core/ and text/.
#pragma once

#include "core/handlers.hpp"
