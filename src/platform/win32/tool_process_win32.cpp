// Running a program in place of a tool (kxpack --run) on Windows. A file of its own, so that only the
// tools that call it link it and its console call: the runtime's imports stay as they are.
#include "platform/process.hpp"

#include <windows.h>

namespace korvex::platform {
namespace {

// Ctrl+C and Ctrl+Break reach every program of the console: the program started ends by them, the
// tool waits for it.
BOOL WINAPI outlast_console_break(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

} // namespace

std::optional<std::int32_t> run_program_in_place_of_tool(std::string_view command_line) {
    SetConsoleCtrlHandler(outlast_console_break, TRUE);
    std::optional<std::int32_t> exit_code = run_program_and_wait(command_line, ShowState::show);
    SetConsoleCtrlHandler(outlast_console_break, FALSE);
    return exit_code;
}

} // namespace korvex::platform
