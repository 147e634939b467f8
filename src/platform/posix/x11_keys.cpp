// Keystrokes on an X display. The X libraries are not linked: their functions are looked up with
// dlopen and dlsym on first use, with the types their headers give. Where the headers are missing at
// build time, the runtime has no X display at all.
#include "platform/posix/x11_keys.hpp"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#if __has_include(<X11/Xlib.h>) && __has_include(<X11/extensions/XTest.h>)
#include <dlfcn.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace korvex {
namespace {

// The functions of libX11 and libXtst that keystrokes use.
struct XLibrary {
    decltype(&XOpenDisplay) open_display;
    decltype(&XCloseDisplay) close_display;
    decltype(&XDefaultRootWindow) default_root_window;
    decltype(&XInternAtom) intern_atom;
    decltype(&XGetWindowProperty) get_window_property;
    decltype(&XQueryTree) query_tree;
    decltype(&XFree) free;
    decltype(&XMapRaised) map_raised;
    decltype(&XGetWindowAttributes) get_window_attributes;
    decltype(&XSendEvent) send_event;
    decltype(&XSetInputFocus) set_input_focus;
    decltype(&XKeysymToKeycode) keysym_to_keycode;
    decltype(&XSync) sync;
    decltype(&XSetErrorHandler) set_error_handler;
    decltype(&XTestQueryExtension) test_query_extension;
    decltype(&XTestFakeKeyEvent) test_fake_key_event;
};

template <typename Function> bool look_up(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

std::optional<XLibrary> load_x_library() {
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    void* xtst = x11 ? dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (xtst == nullptr) return std::nullopt;
    XLibrary x{};
    bool found =
        look_up(x11, "XOpenDisplay", x.open_display) && look_up(x11, "XCloseDisplay", x.close_display) &&
        look_up(x11, "XDefaultRootWindow", x.default_root_window) &&
        look_up(x11, "XInternAtom", x.intern_atom) &&
        look_up(x11, "XGetWindowProperty", x.get_window_property) &&
        look_up(x11, "XQueryTree", x.query_tree) && look_up(x11, "XFree", x.free) &&
        look_up(x11, "XMapRaised", x.map_raised) &&
        look_up(x11, "XGetWindowAttributes", x.get_window_attributes) &&
        look_up(x11, "XSendEvent", x.send_event) && look_up(x11, "XSetInputFocus", x.set_input_focus) &&
        look_up(x11, "XKeysymToKeycode", x.keysym_to_keycode) && look_up(x11, "XSync", x.sync) &&
        look_up(x11, "XSetErrorHandler", x.set_error_handler) &&
        look_up(xtst, "XTestQueryExtension", x.test_query_extension) &&
        look_up(xtst, "XTestFakeKeyEvent", x.test_fake_key_event);
    if (!found) return std::nullopt;
    return x;
}

// Loaded once for the process and never unloaded; nothing when a library or a function is missing.
const XLibrary* x_library() {
    static const std::optional<XLibrary> library = load_x_library();
    return library ? &*library : nullptr;
}

// A window that vanished or cannot take the focus yet gives a protocol error, which would end the
// process under the default handler; here it only makes that request fail.
int ignore_error(Display*, XErrorEvent*) {
    return 0;
}

// The symbol of the key with a virtual-key code; NoSymbol for a code without one.
KeySym keysym_of(std::uint8_t code) {
    if (code >= 'A' && code <= 'Z') return XK_a + (code - 'A');
    if (code >= '0' && code <= '9') return XK_0 + (code - '0');
    if (code >= virtual_key::f1 && code < virtual_key::f1 + 24) return XK_F1 + (code - virtual_key::f1);
    if (code >= 0x60 && code <= 0x69) return XK_KP_0 + (code - 0x60);
    switch (code) {
    case virtual_key::backspace: return XK_BackSpace;
    case virtual_key::tab: return XK_Tab;
    case virtual_key::enter: return XK_Return;
    case virtual_key::shift: return XK_Shift_L;
    case virtual_key::ctrl: return XK_Control_L;
    case virtual_key::alt: return XK_Alt_L;
    case 0x13: return XK_Pause;
    case virtual_key::caps_lock: return XK_Caps_Lock;
    case 0x1B: return XK_Escape;
    case virtual_key::space: return XK_space;
    case 0x21: return XK_Prior;
    case 0x22: return XK_Next;
    case 0x23: return XK_End;
    case 0x24: return XK_Home;
    case virtual_key::left: return XK_Left;
    case virtual_key::up: return XK_Up;
    case virtual_key::right: return XK_Right;
    case virtual_key::down: return XK_Down;
    case 0x2D: return XK_Insert;
    case 0x2E: return XK_Delete;
    case 0x5B: return XK_Super_L;
    case 0x5C: return XK_Super_R;
    case 0x5D: return XK_Menu;
    case virtual_key::multiply: return XK_KP_Multiply;
    case virtual_key::add: return XK_KP_Add;
    case 0x6C: return XK_KP_Separator;
    case virtual_key::subtract: return XK_KP_Subtract;
    case 0x6E: return XK_KP_Decimal;
    case virtual_key::divide: return XK_KP_Divide;
    case 0x90: return XK_Num_Lock;
    case 0x91: return XK_Scroll_Lock;
    case 0xA0: return XK_Shift_L;
    case 0xA1: return XK_Shift_R;
    case 0xA2: return XK_Control_L;
    case 0xA3: return XK_Control_R;
    case 0xA4: return XK_Alt_L;
    case 0xA5: return XK_Alt_R;
    case 0xBA: return XK_semicolon;
    case 0xBB: return XK_equal;
    case virtual_key::comma: return XK_comma;
    case 0xBD: return XK_minus;
    case virtual_key::period: return XK_period;
    case 0xBF: return XK_slash;
    case 0xC0: return XK_grave;
    case 0xDB: return XK_bracketleft;
    case 0xDC: return XK_backslash;
    case 0xDD: return XK_bracketright;
    case 0xDE: return XK_apostrophe;
    default: return NoSymbol;
    }
}

// Script texts are Latin-1; _NET_WM_NAME holds UTF-8.
std::string utf8_of_latin1(std::string_view text) {
    std::string out;
    for (unsigned char byte : text) {
        if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

} // namespace

struct X11Keyboard::Connection {
    Connection(const XLibrary& x, Display* display)
        : x(x), display(display), root(x.default_root_window(display)),
          net_wm_name(x.intern_atom(display, "_NET_WM_NAME", False)),
          net_client_list_stacking(x.intern_atom(display, "_NET_CLIENT_LIST_STACKING", False)),
          net_supported(x.intern_atom(display, "_NET_SUPPORTED", False)),
          net_active_window(x.intern_atom(display, "_NET_ACTIVE_WINDOW", False)) {}
    ~Connection() { x.close_display(display); }

    const XLibrary& x;
    Display* display;
    Window root;
    Atom net_wm_name, net_client_list_stacking, net_supported, net_active_window;

    // A property's bytes (8-bit format) or its 32-bit items as longs; nothing when the window lacks it.
    template <typename Item>
    std::optional<std::vector<Item>> property(Window window, Atom name, int wanted_format) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (x.get_window_property(display, window, name, 0, 1L << 20, False, AnyPropertyType, &type, &format,
                                  &count, &remaining, &data) != Success)
            return std::nullopt;
        std::optional<std::vector<Item>> items;
        if (type != None && format == wanted_format && data != nullptr) {
            const Item* first = reinterpret_cast<const Item*>(data);
            items.emplace(first, first + count);
        }
        if (data != nullptr) x.free(data);
        return items;
    }

    std::optional<std::string> text_property(Window window, Atom name) {
        std::optional<std::vector<char>> bytes = property<char>(window, name, 8);
        if (!bytes) return std::nullopt;
        return std::string(bytes->begin(), bytes->end());
    }

    bool has_title(Window window, std::string_view title, std::string_view utf8_title) {
        if (std::optional<std::string> name = text_property(window, net_wm_name)) return *name == utf8_title;
        std::optional<std::string> name = text_property(window, XA_WM_NAME);
        return name && *name == title;
    }

    std::vector<Window> children(Window window) {
        Window root_found = None, parent = None;
        Window* list = nullptr;
        unsigned int count = 0;
        std::vector<Window> found;
        if (x.query_tree(display, window, &root_found, &parent, &list, &count) != 0 && list != nullptr)
            found.assign(list, list + count);
        if (list != nullptr) x.free(list);
        return found;
    }

    // The top-level windows, the top-most first: the window manager's list where it keeps one, else
    // the root's children, each followed by its own children (a window manager's frame holds the
    // program's window).
    std::vector<Window> top_level_windows() {
        std::optional<std::vector<long>> managed = property<long>(root, net_client_list_stacking, 32);
        if (managed && !managed->empty()) return std::vector<Window>(managed->rbegin(), managed->rend());
        std::vector<Window> windows;
        std::vector<Window> stacked = children(root);
        for (auto child = stacked.rbegin(); child != stacked.rend(); ++child) {
            windows.push_back(*child);
            std::vector<Window> inner = children(*child);
            windows.insert(windows.end(), inner.rbegin(), inner.rend());
        }
        return windows;
    }

    bool manager_supports(Atom feature) {
        std::optional<std::vector<long>> supported = property<long>(root, net_supported, 32);
        if (!supported) return false;
        for (long item : *supported)
            if (static_cast<Atom>(item) == feature) return true;
        return false;
    }

    // Waits up to a second for the window manager to map the window: only a viewable window takes the focus.
    void wait_until_viewable(Window window) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            XWindowAttributes attributes{};
            if (x.get_window_attributes(display, window, &attributes) == 0) return;
            if (attributes.map_state == IsViewable) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
};

X11Keyboard::X11Keyboard() = default;
X11Keyboard::~X11Keyboard() = default;

X11Keyboard::Connection* X11Keyboard::connection() {
    if (open_connection) return open_connection.get();
    const char* display_name = std::getenv("DISPLAY");
    if (display_name == nullptr || *display_name == '\0') return nullptr;
    const XLibrary* x = x_library();
    if (x == nullptr) return nullptr;
    Display* display = x->open_display(display_name);
    if (display == nullptr) return nullptr;
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!x->test_query_extension(display, &event_base, &error_base, &major, &minor)) {
        x->close_display(display);
        return nullptr;
    }
    x->set_error_handler(ignore_error);
    open_connection = std::make_unique<Connection>(*x, display);
    return open_connection.get();
}

ForeignWindow X11Keyboard::find_window(std::string_view title) {
    Connection* x11 = connection();
    if (x11 == nullptr) return no_window;
    std::string utf8_title = utf8_of_latin1(title);
    for (Window window : x11->top_level_windows())
        if (x11->has_title(window, title, utf8_title)) return static_cast<ForeignWindow>(window);
    return no_window;
}

void X11Keyboard::bring_to_front(ForeignWindow window) {
    Connection* x11 = connection();
    if (x11 == nullptr || window == no_window) return;
    const XLibrary& x = x11->x;
    Window target = static_cast<Window>(window);
    x.map_raised(x11->display, target);
    if (x11->manager_supports(x11->net_active_window)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = x11->net_active_window;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // asked for by a tool acting for the user
        event.xclient.data.l[1] = CurrentTime;
        x.send_event(x11->display, x11->root, False, SubstructureRedirectMask | SubstructureNotifyMask,
                     &event);
    }
    x.sync(x11->display, False);
    x11->wait_until_viewable(target);
    x.set_input_focus(x11->display, target, RevertToParent, CurrentTime);
    x.sync(x11->display, False);
}

void X11Keyboard::send_key_events(std::span<const KeyEvent> events) {
    Connection* x11 = connection();
    if (x11 == nullptr) return;
    const XLibrary& x = x11->x;
    for (const KeyEvent& event : events) {
        KeySym keysym = keysym_of(event.code);
        KeyCode keycode = keysym == NoSymbol ? 0 : x.keysym_to_keycode(x11->display, keysym);
        if (keycode == 0) continue;
        x.test_fake_key_event(x11->display, keycode, event.direction == KeyDirection::press ? True : False,
                              CurrentTime);
    }
    x.sync(x11->display, False);
}

} // namespace korvex

#else // no X11 headers at build time

namespace korvex {

struct X11Keyboard::Connection {};

X11Keyboard::X11Keyboard() = default;
X11Keyboard::~X11Keyboard() = default;

X11Keyboard::Connection* X11Keyboard::connection() {
    return nullptr;
}

ForeignWindow X11Keyboard::find_window(std::string_view) {
    return no_window;
}

void X11Keyboard::bring_to_front(ForeignWindow) {}

void X11Keyboard::send_key_events(std::span<const KeyEvent>) {}

} // namespace korvex

#endif
