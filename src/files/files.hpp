// Files and directories: text files, file management, directories and shell commands, file search,
// file and folder choosers.
#pragma once

#include <cstdint>

namespace korvex {

struct Runtime;

std::int32_t handle_test_file(Runtime& runtime);
std::int32_t handle_create_file(Runtime& runtime);
std::int32_t handle_read_line(Runtime& runtime);
std::int32_t handle_append_line(Runtime& runtime);
std::int32_t handle_file_size(Runtime& runtime);

std::int32_t handle_delete_file(Runtime& runtime);
std::int32_t handle_rename_file(Runtime& runtime);
std::int32_t handle_copy_file(Runtime& runtime);
std::int32_t handle_test_attribute(Runtime& runtime);
std::int32_t handle_set_attribute(Runtime& runtime);

std::int32_t handle_change_directory(Runtime& runtime);
std::int32_t handle_create_directory(Runtime& runtime);
std::int32_t handle_remove_directory(Runtime& runtime);
std::int32_t handle_shell_command(Runtime& runtime);

std::int32_t handle_file_search(Runtime& runtime);

std::int32_t handle_file_chooser(Runtime& runtime);
std::int32_t handle_folder_chooser(Runtime& runtime);

} // namespace korvex
