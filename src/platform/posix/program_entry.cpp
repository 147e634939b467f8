// The program entry on POSIX systems: the arguments joined by single blanks become the command line.
#include <signal.h>

#include "host/host.hpp"

namespace {

// A parent may leave SIGCHLD ignored or blocked, and children inherit both; ignored, the system
// reaps every child at once, so no start or wait could learn how a program ended.
void restore_child_signal() {
    signal(SIGCHLD, SIG_DFL);
    sigset_t child_signal;
    sigemptyset(&child_signal);
    sigaddset(&child_signal, SIGCHLD);
    sigprocmask(SIG_UNBLOCK, &child_signal, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    restore_child_signal();
    korvex::ProgramStart start;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) start.command_line += ' ';
        start.command_line += argv[i];
    }
    return korvex::run_program(start);
}
