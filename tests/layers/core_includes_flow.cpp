// Must not compile: core sits below the rooms that carry out instructions and cannot reach them.
#include "flow/flow.hpp"
