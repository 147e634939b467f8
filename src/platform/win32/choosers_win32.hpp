// The Win32 choosers: the common open-file and save-file dialogs and the shell's folder browser.
#pragma once

#include <optional>
#include <string_view>

#include "platform/desktop.hpp"

namespace korvex::win32 {

std::optional<ChosenFiles> show_file_chooser(const FileChooser& chooser);
FolderChoice show_folder_chooser(std::string_view title, std::string_view initial_folder);

} // namespace korvex::win32
