// The core language: version check, declaration, assignment (their handlers: core/handlers.hpp).
#pragma once

#include "base/version.hpp"
#include "core/handlers.hpp"
