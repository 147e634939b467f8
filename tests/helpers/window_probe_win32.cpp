// A Windows test program that checks whether the runtime's windows answer: it finds the visible
// runtime window (class "KX4RTL") whose child control shows the given text, then sends a message
// to that child, which only a thread that services its windows can answer.
//
//   window_probe TEXT [SECONDS]
//   exit code 0: answered; 1: no such window within SECONDS (default 10); 2: the window did not answer
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

struct Search {
    std::string text;
    HWND control = nullptr;
};

BOOL CALLBACK match_control(HWND control, LPARAM search_value) {
    auto* search = reinterpret_cast<Search*>(search_value);
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    if (search->text == text) {
        search->control = control;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK match_window(HWND window, LPARAM search_value) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (!IsWindowVisible(window) || lstrcmpiA(name, "KX4RTL") != 0) return TRUE;
    EnumChildWindows(window, match_control, search_value);
    return reinterpret_cast<Search*>(search_value)->control == nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 3;
    DWORD wait_ms = static_cast<DWORD>((argc > 2 ? std::atoi(argv[2]) : 10) * 1000);
    Search search{argv[1]};
    for (DWORD start = GetTickCount(); !search.control; Sleep(50)) {
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (!search.control && GetTickCount() - start > wait_ms) return 1;
    }
    char text[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(search.control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_BLOCK, 5000, &copied))
        return 2;
    return search.text == text ? 0 : 2;
}
