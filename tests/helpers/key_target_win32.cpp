// A Windows test program for the keystroke tests: a top-level window with the given title whose
// multi-line edit control takes the keyboard focus whenever the window does, so that the keys typed
// into the window can be read back from the edit control.
//
//   key_target TITLE [minimized]
//   "minimized" starts the window minimised and not active. The program ends when the window is closed.
#include <windows.h>

#include <cstring>

namespace {

constexpr int edit_id = 100;

HWND edit = nullptr;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        edit = CreateWindowExA(WS_EX_CLIENTEDGE, "edit", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                   ES_WANTRETURN,
                               0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(edit_id)),
                               GetModuleHandleA(nullptr), nullptr);
        return 0;
    case WM_SIZE: MoveWindow(edit, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE); return 0;
    // As editors do: the edit control takes the focus whenever the window does. A window restored
    // from minimised takes the focus while still minimised, where its child cannot have it, and is
    // activated again once restored.
    case WM_SETFOCUS: SetFocus(edit); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && HIWORD(wparam) == 0) SetFocus(edit);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    window_class.lpszClassName = "KxKeyTarget";
    if (RegisterClassA(&window_class) == 0) return 3;
    HWND window = CreateWindowExA(0, "KxKeyTarget", argv[1], WS_OVERLAPPEDWINDOW, 100, 100, 400, 200, nullptr,
                                  nullptr, window_class.hInstance, nullptr);
    if (window == nullptr) return 4;
    bool minimized = argc > 2 && std::strcmp(argv[2], "minimized") == 0;
    ShowWindow(window, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
