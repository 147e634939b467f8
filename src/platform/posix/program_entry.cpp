// The program entry on POSIX systems: the arguments joined by single blanks become the command line.
#include "host/host.hpp"

int main(int argc, char** argv) {
    korvex::ProgramStart start;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) start.command_line += ' ';
        start.command_line += argv[i];
    }
    return korvex::run_program(start);
}
