// Processes, shell commands and pauses on POSIX systems. Programs are started directly, without a
// shell, from a command line split as Windows splits it, with the environment as it stands; programs
// that are not waited for are started through a short-lived intermediate process so that no finished
// child is left behind. Shell commands go to /bin/sh -c.
#include "platform/files.hpp"
#include "platform/process.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/ascii.hpp"

extern char** environ;

namespace korvex::platform {
namespace {

constexpr std::int32_t program_started = 33;
constexpr std::int32_t document_opened = 42;
constexpr std::int32_t error_file_not_found = 2;
constexpr std::int32_t error_no_association = 31;
// A program ended by signal N reports 256 + N, a value that no exit status can take.
constexpr std::int32_t signal_exit_base = 256;

// The small Windows error number that stands nearest to a failed start.
std::int32_t start_error_number(int error) {
    switch (error) {
    case ENOENT:
    case ENAMETOOLONG:
    case ELOOP: return 2;
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY: return 5;
    case ENOEXEC: return 11;
    case ENOMEM:
    case EAGAIN: return 0;
    default: return 31;
    }
}

// Starts arguments[0] (looked up along PATH when it names no directory) with the environment
// as it stands now: 0, or the error number of the failed start.
int spawn(const std::vector<std::string>& arguments, pid_t& child) {
    if (arguments.empty()) return ENOENT;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
}

// Waits for a child's end; its wait status, or nothing when the wait failed.
std::optional<int> wait_for(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    return status;
}

// Starts a program that nobody waits for: an intermediate child starts it and ends at once, so the
// program belongs to the system's reaper. 0, or the error number of the failed start.
int start_detached(const std::vector<std::string>& arguments) {
    pid_t intermediate = fork();
    if (intermediate < 0) return errno;
    if (intermediate == 0) {
        pid_t program = 0;
        _exit(spawn(arguments, program));
    }
    std::optional<int> status = wait_for(intermediate);
    if (!status || !WIFEXITED(*status)) return ECHILD;
    return WEXITSTATUS(*status);
}

// A file name on PATH that can be run, or the empty text.
std::string find_on_path(std::string_view program) {
    std::string_view path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t colon = path.find(':');
        std::string directory(path.substr(0, colon));
        std::string candidate = (directory.empty() ? "." : directory) + "/" + std::string(program);
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) return {};
        path.remove_prefix(colon + 1);
    }
}

// "http://...", "mailto:..." and the like go to the opener even though no such file exists.
bool looks_like_address(std::string_view text) {
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit_or_sign = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && digit_or_sign)) return false;
    }
    return true;
}

// Keeps the runtime from being stopped by the terminal's interrupt and quit keys while a command
// runs in the foreground, as the standard system function does; those keys stop the command.
class InterruptsIgnored {
public:
    InterruptsIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGINT, &ignore, &saved_interrupt);
        sigaction(SIGQUIT, &ignore, &saved_quit);
    }
    InterruptsIgnored(const InterruptsIgnored&) = delete;
    InterruptsIgnored& operator=(const InterruptsIgnored&) = delete;
    ~InterruptsIgnored() {
        sigaction(SIGINT, &saved_interrupt, nullptr);
        sigaction(SIGQUIT, &saved_quit, nullptr);
    }

private:
    struct sigaction saved_interrupt {};
    struct sigaction saved_quit {};
};

} // namespace

std::int32_t run_shell_command(const std::string& command_line) {
    std::fflush(nullptr); // what the runtime printed comes before what the command prints
    // Started directly rather than through the standard system function, whose child reports a shell
    // that could not start (a command line or environment too large, E2BIG) as exit status 127.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t default_signals;
    sigemptyset(&default_signals);
    sigaddset(&default_signals, SIGINT);
    sigaddset(&default_signals, SIGQUIT);
    posix_spawnattr_setsigdefault(&attributes, &default_signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    const char* argv[] = {"sh", "-c", command_line.c_str(), nullptr};
    InterruptsIgnored interrupts_ignored;
    pid_t child = 0;
    int error = posix_spawn(&child, "/bin/sh", nullptr, &attributes, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return -1;
    std::optional<int> status = wait_for(child);
    if (!status) return -1;
    if (WIFEXITED(*status)) return WEXITSTATUS(*status);
    if (WIFSIGNALED(*status)) return 128 + WTERMSIG(*status); // as the shell reports a killed command
    return -1;
}

std::int32_t start_program(std::string_view command_line, ShowState) {
    std::vector<std::string> arguments = split_command_line(command_line);
    if (arguments.empty()) return error_file_not_found;
    int error = start_detached(arguments);
    return error == 0 ? program_started : start_error_number(error);
}

std::optional<std::int32_t> run_program_and_wait(std::string_view command_line, ShowState) {
    pid_t child = 0;
    if (spawn(split_command_line(command_line), child) != 0) return std::nullopt;
    std::optional<int> status = wait_for(child);
    if (!status) return std::nullopt;
    if (WIFEXITED(*status)) return WEXITSTATUS(*status);
    if (WIFSIGNALED(*status)) return signal_exit_base + WTERMSIG(*status);
    return std::nullopt;
}

std::int32_t open_with_shell(std::string_view file) {
    std::string document(text_before_zero(file));
    if (document.empty()) return error_file_not_found;
    if (!looks_like_address(document) && access(document.c_str(), F_OK) != 0) return error_file_not_found;
    std::string opener = find_on_path("xdg-open");
    if (opener.empty()) opener = find_on_path("open");
    if (opener.empty()) return error_no_association;
    int error = start_detached({opener, document});
    return error == 0 ? document_opened : start_error_number(error);
}

std::int32_t send_multimedia_command(std::string_view) {
    return multimedia_unavailable;
}

void sleep_milliseconds(std::int32_t milliseconds) {
    if (milliseconds <= 0) return;
    timespec remaining{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace korvex::platform
