// Programs, environment and system: starting programs and documents, keystrokes, environment
// variables, multimedia commands, pauses. Their handlers are declared with every other from the one
// list, in core/handlers.hpp.
// Floor: interpreter, a room above core; may include base/, platform/, decoder/, core/ and system/.
#pragma once

#include "core/handlers.hpp"
