// Must not compile: the platform sits below the interpreter and cannot reach its headers.
#include "core/runtime.hpp"
