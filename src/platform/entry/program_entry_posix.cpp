// The program entry on POSIX systems: the arguments, each quoted as Windows quotes it where it needs
// quotes and joined by single blanks, become the command line, so that splitting it as Windows does
// gives the same arguments back.
// Floor: entry (src/platform/entry/), the top; may include host/ and every floor below it.
#include <signal.h>

#include "host/host.hpp"
#include "platform/process.hpp"

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
        start.command_line += korvex::platform::quote_argument(argv[i]);
    }
    return korvex::run_program(start);
}
