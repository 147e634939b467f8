// The file and folder choosers of the console desktop: what they print, and the paths typed at their
// prompt turned into what a chooser answers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.hpp"

namespace korvex::console {

// What every prompt of the console desktop says of the keys that cancel it: Escape typed in a line
// cancels as the end of input does, once Enter hands the line over.
inline constexpr std::string_view cancel_keys = "Esc+Enter or Ctrl-D";

// One typed line; nothing at the end of input or when the line cancels.
using LineReader = std::function<std::optional<std::string>()>;
// Writes a text to the terminal at once.
using Printer = std::function<void(std::string_view)>;

void print_file_chooser(const FileChooser& chooser, const Printer& print);
// Reads until a line names a file (or, with multiple selection, files in one folder), or the input
// ends; an empty line cancels. Relative paths are taken from the chooser's folder.
std::optional<ChosenFiles> ask_for_files(const FileChooser& chooser, const Printer& print,
                                         const LineReader& read_line);

void print_folder_chooser(std::string_view title, std::string_view initial_folder, const Printer& print);
// Reads until a line names an existing directory, or the input ends; an empty line takes the initial
// folder.
FolderChoice ask_for_folder(std::string_view initial_folder, const Printer& print,
                            const LineReader& read_line);

} // namespace korvex::console
