// The program entry on POSIX systems: the arguments, each quoted as Windows quotes it where it needs
// quotes and joined by single blanks, become the command line, so that splitting it as Windows does
// gives the same arguments back.
// Floor: entry (src/platform/entry/), the top; may include host/ and every floor below it.
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

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

// A closed pipe or terminal behind standard output must not end the script at the next box it shows:
// the failed write is seen and told where it matters. Programs the script starts get the default
// back.
void ignore_broken_pipes() {
    signal(SIGPIPE, SIG_IGN);
}

// A standard descriptor the parent left closed would be taken by the next file opened (a transcript),
// and what goes to standard output or error would land in that file. Each closed one is held by the
// null device opened for reading only: reads end at once, and writes fail as on a closed descriptor.
void hold_closed_standard_descriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF) continue;
        int held = open("/dev/null", O_RDONLY);
        if (held >= 0 && held != descriptor) {
            dup2(held, descriptor);
            close(held);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    hold_closed_standard_descriptors();
    restore_child_signal();
    ignore_broken_pipes();
    korvex::ProgramStart start;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) start.command_line += ' ';
        start.command_line += korvex::platform::quote_argument(argv[i]);
    }
    return korvex::run_program(start);
}
