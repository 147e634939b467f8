// Files and directories: text files, file management, directories and shell commands, file search,
// file and folder choosers. Their handlers are declared with every other from the one list, in
// core/handlers.hpp.
// Floor: interpreter, a room above core; may include base/, platform/, decoder/, core/ and files/.
#pragma once

#include "core/handlers.hpp"
