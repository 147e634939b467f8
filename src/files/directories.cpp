// The current directory (kept in variable 2), creating and removing directories, shell commands.
#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "files/files.hpp"
#include "platform/files.hpp"
#include "platform/os.hpp"

namespace korvex {

// R011: changes the current directory.
Step handle_change_directory(Runtime& runtime) {
    if (!platform::change_directory(read_value(runtime))) {
        report_result(runtime, false);
        return Step::next;
    }
    report_result(runtime, true);
    // The system's full form of the new directory, not the operand.
    set_variable(runtime, SystemVariable::current_directory, platform::current_directory());
    return Step::next;
}

// R012: creates a directory path. Every parent named before a backslash is created, whatever comes
// of it; the last directory alone decides the result, so a directory that exists already gives "-1".
Step handle_create_directory(Runtime& runtime) {
    std::string path = read_value(runtime);
    std::string prefix;
    for (char byte : path) {
        if (byte == '\\') platform::create_directory(prefix);
        prefix += byte;
    }
    report_result(runtime, platform::create_directory(path));
    return Step::next;
}

// R013: removes a directory.
Step handle_remove_directory(Runtime& runtime) {
    report_result(runtime, platform::remove_directory(read_value(runtime)));
    return Step::next;
}

// R014: runs a shell command.
Step handle_shell_command(Runtime& runtime) {
    std::int32_t exit_status = platform::run_shell_command(read_value(runtime));
    set_variable(runtime, SystemVariable::result, whole_number_text(exit_status));
    return Step::next;
}

} // namespace korvex
