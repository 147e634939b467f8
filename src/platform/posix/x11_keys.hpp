// Keystrokes on the X display named by DISPLAY: a window found by its title, raised and given the
// keyboard focus, and key events injected through the XTest extension. libX11 and libXtst are loaded
// when first needed, so the runtime starts without them; without them, or without a display, no
// window is ever found.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "platform/desktop.hpp"

namespace korvex {

class X11Keyboard {
public:
    X11Keyboard();
    ~X11Keyboard();
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // A top-level window whose whole title (_NET_WM_NAME, else WM_NAME) is title, the top-most first.
    ForeignWindow find_window(std::string_view title);
    // Maps and raises the window, asks the window manager to activate it and gives it the focus.
    void bring_to_front(ForeignWindow window);
    // The events as key presses and releases of the keys that carry the matching symbols; a key the
    // display's keyboard lacks is left out.
    void send_key_events(std::span<const KeyEvent> events);

private:
    struct Connection;
    // The open display; nothing when there is none. A failed attempt is made again next time, since
    // the script may set DISPLAY meanwhile.
    Connection* connection();

    std::unique_ptr<Connection> open_connection;
};

} // namespace korvex
