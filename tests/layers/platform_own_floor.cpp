// Compiles with the platform's include roots: the platform's own headers and those of base below it.
#include "base/numbers.hpp"
#include "platform/os.hpp"
