// Processes, shell commands and pauses on POSIX systems. Programs are started directly, without a
// shell, from a command line split as Windows splits it, with the environment as it stands; programs
// that are not waited for are started through a short-lived intermediate process so that no finished
// child is left behind. Shell commands go to /bin/sh -c.
#include "platform/files.hpp"
#include "platform/posix/native_path.hpp"
#include "platform/process.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
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

// Start attributes that give a started program these signals at their default: the runtime ignores
// SIGPIPE, and the shell's command also starts with the interrupt and quit keys it ignores meanwhile.
class DefaultSignals {
public:
    explicit DefaultSignals(std::initializer_list<int> signals) {
        posix_spawnattr_init(&attributes);
        sigset_t set;
        sigemptyset(&set);
        for (int number : signals) sigaddset(&set, number);
        posix_spawnattr_setsigdefault(&attributes, &set);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    }
    DefaultSignals(const DefaultSignals&) = delete;
    DefaultSignals& operator=(const DefaultSignals&) = delete;
    ~DefaultSignals() { posix_spawnattr_destroy(&attributes); }
    const posix_spawnattr_t* get() const { return &attributes; }

private:
    posix_spawnattr_t attributes;
};

// Starts arguments[0] (looked up along PATH when it names no directory) with the environment
// as it stands now: 0, or the error number of the failed start.
int spawn(const std::vector<std::string>& arguments, pid_t& child) {
    if (arguments.empty()) return ENOENT;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    DefaultSignals defaults({SIGPIPE});
    return posix_spawnp(&child, argv[0], nullptr, defaults.get(), argv.data(), environ);
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
    DefaultSignals defaults({SIGINT, SIGQUIT, SIGPIPE});
    const char* argv[] = {"sh", "-c", command_line.c_str(), nullptr};
    InterruptsIgnored interrupts_ignored;
    pid_t child = 0;
    int error = posix_spawn(&child, "/bin/sh", nullptr, defaults.get(), const_cast<char**>(argv), environ);
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
    // A path's backslashes are separators, as for every file instruction; an address stays as written.
    if (!looks_like_address(document)) {
        document = native_path(document);
        if (access(document.c_str(), F_OK) != 0) return error_file_not_found;
    }
    std::string opener = find_on_path("xdg-open");
    if (opener.empty()) opener = find_on_path("open");
    if (opener.empty()) return error_no_association;
    int error = start_detached({opener, document});
    return error == 0 ? document_opened : start_error_number(error);
}

std::int32_t send_multimedia_command(std::string_view) {
    return multimedia_unavailable;
}

namespace {

// The program that signals to the tool go on to while it runs; 0 when there is none. A signal handler
// can reach nothing else.
std::atomic<pid_t> signalled_program{0};

void pass_signal_on(int signal) {
    pid_t program = signalled_program.load();
    if (program > 0) kill(program, signal);
}

} // namespace

std::optional<std::int32_t> run_program_in_place_of_tool(std::string_view command_line) {
    std::vector<std::string> arguments = split_command_line(command_line);
    if (arguments.empty()) return std::nullopt;
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    constexpr int passed_on[] = {SIGINT, SIGTERM, SIGHUP};
    // Held back until the program is known, so that none comes while there is nobody to pass it to.
    sigset_t held, saved_mask;
    sigemptyset(&held);
    for (int signal : passed_on) sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &saved_mask);
    struct sigaction pass {};
    pass.sa_handler = pass_signal_on;
    sigemptyset(&pass.sa_mask);
    pass.sa_flags = SA_RESTART;
    struct sigaction saved[std::size(passed_on)]{};
    for (std::size_t i = 0; i < std::size(passed_on); ++i) {
        sigaction(passed_on[i], nullptr, &saved[i]);
        // A signal the tool was started to ignore stays ignored, for the program too.
        if (saved[i].sa_handler != SIG_IGN) sigaction(passed_on[i], &pass, nullptr);
    }
    // The program starts with the tool's own mask; caught signals are back at their default there.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigmask(&attributes, &saved_mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t child = 0;
    int error = posix_spawnp(&child, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error == 0) signalled_program = child;
    sigprocmask(SIG_SETMASK, &saved_mask, nullptr);
    std::optional<int> status;
    if (error == 0) {
        // The program is waited for without being reaped, so that no signal goes to its number after
        // the system has given it to another process.
        siginfo_t ended{};
        while (waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
        }
        signalled_program = 0;
        status = wait_for(child);
    }
    for (std::size_t i = 0; i < std::size(passed_on); ++i) sigaction(passed_on[i], &saved[i], nullptr);
    if (!status) return std::nullopt;
    if (WIFEXITED(*status)) return WEXITSTATUS(*status);
    if (WIFSIGNALED(*status)) return signal_exit_base + WTERMSIG(*status);
    return std::nullopt;
}

void sleep_milliseconds(std::int32_t milliseconds) {
    if (milliseconds <= 0) return;
    timespec remaining{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace korvex::platform
