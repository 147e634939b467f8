// Files and directories: text files, file management, directories and shell commands, file search,
// file and folder choosers. Their handlers are declared with every other from the one list, in
// core/handlers.hpp.
#pragma once

#include "core/handlers.hpp"
