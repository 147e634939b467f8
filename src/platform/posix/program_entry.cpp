// The program entry on POSIX systems: the arguments, each quoted as Windows quotes it where it needs
// quotes and joined by single blanks, become the command line, so that splitting it as Windows does
// gives the same arguments back.
#include "host/host.hpp"
#include "platform/process.hpp"

int main(int argc, char** argv) {
    korvex::ProgramStart start;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) start.command_line += ' ';
        start.command_line += korvex::platform::quote_argument(argv[i]);
    }
    return korvex::run_program(start);
}
