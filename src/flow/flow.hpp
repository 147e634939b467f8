// Control flow: conditional blocks, the one-line if, labels, jumps, calls, returns, loops, the end.
// The handlers are declared with every other from the one list, in core/handlers.hpp.
// Floor: interpreter, a room above core; may include base/, platform/, decoder/, core/ and flow/.
#pragma once

#include "core/handlers.hpp"
