// Keystrokes on the Windows desktop, with the calls the keystroke instruction is defined by.
#include "platform/win32/keys_win32.hpp"

#include <windows.h>

#include <string>

namespace korvex::win32 {

ForeignWindow find_window(std::string_view title) {
    std::string terminated(title);
    return reinterpret_cast<ForeignWindow>(FindWindowA(nullptr, terminated.c_str()));
}

void bring_to_front(ForeignWindow window) {
    HWND handle = reinterpret_cast<HWND>(window);
    SetForegroundWindow(handle);
    ShowWindow(handle, SW_SHOWNORMAL);
}

// VkKeyScanA gives -1 (both bytes 0xFF) for a character no key types.
std::optional<LayoutKey> layout_key(unsigned char byte) {
    SHORT key = VkKeyScanA(static_cast<CHAR>(byte));
    if (key == -1) return std::nullopt;
    return LayoutKey{static_cast<std::uint8_t>(key & 0xFF), static_cast<std::uint8_t>((key >> 8) & 0xFF)};
}

void send_key_events(std::span<const KeyEvent> events) {
    for (const KeyEvent& event : events)
        keybd_event(event.code, 0, event.direction == KeyDirection::release ? KEYEVENTF_KEYUP : 0, 0);
}

} // namespace korvex::win32
