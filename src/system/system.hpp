// Programs, environment and system: starting programs and documents, keystrokes, environment
// variables, multimedia commands, pauses. Their handlers are declared with every other from the one
// list, in core/handlers.hpp.
#pragma once

#include "core/handlers.hpp"
