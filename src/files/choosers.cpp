// File and folder choosers.
#include "core/runtime.hpp"
#include "files/files.hpp"

namespace korvex {

// R022, R023: open-file and save-file choosers.
std::int32_t handle_file_chooser(Runtime&) {
    return status_unknown_opcode;
}
// R037: folder chooser.
std::int32_t handle_folder_chooser(Runtime&) {
    return status_unknown_opcode;
}

} // namespace korvex
