// Keystrokes on the Windows desktop: windows found by title, brought forward, and key events injected
// into the system's input stream.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/desktop.hpp"

namespace korvex::win32 {

// FindWindowA with any window class.
ForeignWindow find_window(std::string_view title);
// SetForegroundWindow, then ShowWindow with SW_SHOWNORMAL; both without effect on no_window.
void bring_to_front(ForeignWindow window);
// VkKeyScanA.
std::optional<LayoutKey> layout_key(unsigned char byte);
// One keybd_event per event.
void send_key_events(std::span<const KeyEvent> events);

} // namespace korvex::win32
