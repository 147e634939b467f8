// The program entry on Windows: a GUI program whose command-line text, after the program name and the
// blanks behind it, becomes the script's command line.
// Floor: entry (src/platform/entry/), the top; may include host/ and every floor below it.
#include <windows.h>

#include "host/host.hpp"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    korvex::ProgramStart start;
    if (command_line != nullptr) start.command_line = command_line;
    return korvex::run_program(start);
}
