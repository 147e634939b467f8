// A small X program for the keystroke tests (tests only): a top-level window with a title that
// appends the keys it receives, as text, to a file.
//   x11_key_target TITLE OUTPUT [hidden]
// A key press is written as the text it types, or as <NAME> of its key symbol when it types none;
// modifier keys are left out. "hidden" leaves the window unmapped, as a program hides its window.
// "ready" is printed once the window can be found (and, unless hidden, is on the screen).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string title = argv[1];
    const bool hidden = argc > 3 && std::strcmp(argv[3], "hidden") == 0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 3;
    std::FILE* output = std::fopen(argv[2], "ab");
    if (output == nullptr) return 4;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    if (hidden) {
        XSync(display, False);
        std::puts("ready");
        std::fflush(stdout);
    } else {
        XMapWindow(display, window);
    }
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && !hidden) {
            std::puts("ready");
            std::fflush(stdout);
        } else if (event.type == KeyPress) {
            char text[32];
            KeySym keysym = NoSymbol;
            int length = XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
            if (length > 0) {
                std::fwrite(text, 1, static_cast<std::size_t>(length), output);
            } else if (!IsModifierKey(keysym) && keysym != NoSymbol) {
                const char* name = XKeysymToString(keysym);
                std::fprintf(output, "<%s>", name != nullptr ? name : "?");
            }
            std::fflush(output);
        }
    }
}
