// Starting programs, waiting for them, and opening documents with the shell.
#include <optional>

#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "platform/process.hpp"
#include "system/system.hpp"

namespace korvex {
namespace {

// A show mode by word or digit, trimmed and in any letter case; nothing for any other text.
std::optional<platform::ShowState> show_state(std::string_view mode) {
    std::string word = upper_case_ascii(trim_blanks(mode));
    if (word == "SHOW" || word == "0") return platform::ShowState::show;
    if (word == "HIDE" || word == "1") return platform::ShowState::hide;
    if (word == "MAXIMIZED" || word == "2") return platform::ShowState::maximized;
    if (word == "MINIMIZED" || word == "3") return platform::ShowState::minimized;
    return std::nullopt;
}

} // namespace

// R010: starts a program. An unknown show mode starts nothing.
Step handle_run_program(Runtime& runtime) {
    std::string command_line = read_value(runtime);
    std::optional<platform::ShowState> show = show_state(read_value(runtime));
    std::int32_t result = show ? platform::start_program(command_line, *show) : -1;
    set_variable(runtime, SystemVariable::result, whole_number_text(result));
    return Step::next;
}

// R030: starts a program and waits for it. An unknown show mode starts the program shown.
Step handle_run_and_wait(Runtime& runtime) {
    std::string command_line = read_value(runtime);
    platform::ShowState show = show_state(read_value(runtime)).value_or(platform::ShowState::show);
    std::optional<std::int32_t> exit_code = platform::run_program_and_wait(command_line, show);
    set_variable(runtime, SystemVariable::result, whole_number_text(exit_code.value_or(-1)));
    return Step::next;
}

// R020: opens a document with the shell.
Step handle_shell_open(Runtime& runtime) {
    std::string file = read_value(runtime);
    set_variable(runtime, SystemVariable::result, whole_number_text(platform::open_with_shell(file)));
    return Step::next;
}

} // namespace korvex
