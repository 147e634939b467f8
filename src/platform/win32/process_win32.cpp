// Processes, environment changes, multimedia commands and pauses on Windows.
#include "platform/process.hpp"

#include <stdlib.h>
#include <windows.h>

#include <shellapi.h>

#include "base/ascii.hpp"

namespace korvex::platform {
namespace {

int show_command(ShowState show) {
    switch (show) {
    case ShowState::hide: return SW_HIDE;
    case ShowState::maximized: return SW_SHOWMAXIMIZED;
    case ShowState::minimized: return SW_SHOWMINIMIZED;
    case ShowState::show: break;
    }
    return SW_SHOW;
}

// The text up to its first zero byte, as the ANSI entry points read it.
std::string c_text(std::string_view text) {
    return std::string(text_before_zero(text));
}

// Hands every message waiting for the runtime's thread to its window. A quit request is not for
// this wait: it is kept and put back when the wait is over.
void service_windows(std::optional<WPARAM>& quit_request) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit_request = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Waits for a process's end while the runtime's windows keep repainting and answering: the wait
// wakes for the process and for every message, and each wake-up empties the queue. True when the
// process has ended.
bool wait_serviced(HANDLE process) {
    std::optional<WPARAM> quit_request;
    DWORD woken;
    while ((woken = MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE)) ==
           WAIT_OBJECT_0 + 1)
        service_windows(quit_request);
    bool ended = woken == WAIT_OBJECT_0 || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (quit_request) PostQuitMessage(static_cast<int>(*quit_request));
    return ended;
}

using MciSendStringFunction = DWORD(WINAPI*)(LPCSTR, LPSTR, UINT, HWND);

// The multimedia interpreter lives in winmm, loaded on first use and kept for the whole run so
// that devices a script opened stay open until it closes them.
MciSendStringFunction multimedia_interpreter() {
    HMODULE winmm = GetModuleHandleA("winmm.dll");
    if (!winmm) winmm = LoadLibraryA("winmm.dll");
    if (!winmm) return nullptr;
    FARPROC entry = GetProcAddress(winmm, "mciSendStringA");
    return reinterpret_cast<MciSendStringFunction>(reinterpret_cast<void*>(entry));
}

} // namespace

std::int32_t start_program(std::string_view command_line, ShowState show) {
    return static_cast<std::int32_t>(WinExec(c_text(command_line).c_str(), show_command(show)));
}

std::optional<std::int32_t> run_program_and_wait(std::string_view command_line, ShowState show) {
    // Process creation may write into the command line, so it gets its own copy of any length.
    std::string writable = c_text(command_line);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show_command(show));
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return std::nullopt;
    std::optional<std::int32_t> exit_code;
    DWORD code = 0;
    if (wait_serviced(process.hProcess) && GetExitCodeProcess(process.hProcess, &code))
        exit_code = static_cast<std::int32_t>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exit_code;
}

std::int32_t open_with_shell(std::string_view file) {
    HINSTANCE result = ShellExecuteA(nullptr, nullptr, c_text(file).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(result));
}

// The C runtime's copy of the environment is kept in step too, for code that reads it.
bool set_environment_variable(std::string_view name, std::string_view value) {
    std::string text_name = c_text(name);
    std::string text_value = c_text(value);
    if (text_name.empty() || text_name.find('=') != std::string::npos) return false;
    if (!SetEnvironmentVariableA(text_name.c_str(), text_value.c_str())) return false;
    // The C runtime would take an empty value for a removal.
    if (!text_value.empty()) _putenv_s(text_name.c_str(), text_value.c_str());
    return true;
}

void remove_environment_variable(std::string_view name) {
    std::string text_name = c_text(name);
    if (text_name.empty() || text_name.find('=') != std::string::npos) return;
    SetEnvironmentVariableA(text_name.c_str(), nullptr);
    _putenv_s(text_name.c_str(), "");
}

std::int32_t send_multimedia_command(std::string_view command) {
    MciSendStringFunction send = multimedia_interpreter();
    if (!send) return multimedia_unavailable;
    return static_cast<std::int32_t>(send(c_text(command).c_str(), nullptr, 0, nullptr));
}

void sleep_milliseconds(std::int32_t milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

} // namespace korvex::platform
