// Keystrokes typed into another program's window: the key text's rules here, the window and the
// injection of the events in the desktop.
#include "system/keystrokes.hpp"

#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "system/system.hpp"

namespace korvex {
namespace {

// The key a byte after "~" names (case-sensitive: "a" is Alt, "A" is F10).
std::optional<std::uint8_t> named_key(char byte) {
    if (byte >= '1' && byte <= '9') return static_cast<std::uint8_t>(virtual_key::f1 + (byte - '1'));
    switch (byte) {
    case 'A': return virtual_key::f1 + 9;
    case 'B': return virtual_key::f1 + 10;
    case 'C': return virtual_key::f1 + 11;
    case 'U': return virtual_key::up;
    case 'D': return virtual_key::down;
    case 'L': return virtual_key::left;
    case 'R': return virtual_key::right;
    case 'a': return virtual_key::alt;
    case 'b': return virtual_key::backspace;
    case 'c': return virtual_key::caps_lock;
    case 'r': return virtual_key::enter;
    case 't': return virtual_key::tab;
    default: return std::nullopt;
    }
}

// The key of a small letter or of one of the bytes typed without the layout.
std::optional<std::uint8_t> direct_key(char byte) {
    if (byte >= 'a' && byte <= 'z') return static_cast<std::uint8_t>(byte - 'a' + 'A');
    switch (byte) {
    case ' ': return virtual_key::space;
    case '*': return virtual_key::multiply;
    case '+': return virtual_key::add;
    case ',': return virtual_key::comma;
    case '-': return virtual_key::subtract;
    case '.': return virtual_key::period;
    case '/': return virtual_key::divide;
    default: return std::nullopt;
    }
}

class KeyEvents {
public:
    void press(std::uint8_t code) { events.push_back({code, KeyDirection::press}); }
    void release(std::uint8_t code) { events.push_back({code, KeyDirection::release}); }
    void tap(std::uint8_t code) {
        press(code);
        release(code);
    }

    // Modifiers go down Shift, Alt, Ctrl and come up in the same order.
    void type_by_layout(unsigned char byte, const KeyboardLayout& layout) {
        std::optional<LayoutKey> key = layout(byte);
        if (!key) return; // the layout has no key for it
        const std::uint8_t modifiers[][2] = {{shift_state::shift, virtual_key::shift},
                                             {shift_state::alt, virtual_key::alt},
                                             {shift_state::ctrl, virtual_key::ctrl}};
        for (const auto& [bit, modifier] : modifiers)
            if (key->shift_state & bit) press(modifier);
        tap(key->code);
        for (const auto& [bit, modifier] : modifiers)
            if (key->shift_state & bit) release(modifier);
    }

    // A key code after "#": 1 to 254 taps the key, 255 and more hold the key n - 254 down.
    void send_code(std::int32_t number) {
        if (number <= 0) return;
        if (number <= 254)
            tap(static_cast<std::uint8_t>(number));
        else
            press(static_cast<std::uint8_t>(number - 254));
    }

    std::vector<KeyEvent> events;
};

} // namespace

// A "~" at the very end is ignored; a "#" near the end reads the bytes there are.
std::vector<KeyEvent> type_keys(std::string_view key_text, const KeyboardLayout& layout) {
    KeyEvents keys;
    for (std::size_t i = 0; i < key_text.size(); ++i) {
        char byte = key_text[i];
        if (byte == '~') {
            if (++i == key_text.size()) break;
            if (std::optional<std::uint8_t> key = named_key(key_text[i]))
                keys.tap(*key);
            else
                keys.type_by_layout(static_cast<unsigned char>(key_text[i]), layout);
        } else if (byte == '#') {
            std::string_view digits = key_text.substr(i + 1, 3);
            i += digits.size();
            keys.send_code(read_whole_number(digits));
        } else if (byte >= 'A' && byte <= 'Z') {
            keys.press(virtual_key::shift);
            keys.tap(static_cast<std::uint8_t>(byte));
            keys.release(virtual_key::shift);
        } else if (std::optional<std::uint8_t> key = direct_key(byte)) {
            keys.tap(*key);
        } else {
            keys.type_by_layout(static_cast<unsigned char>(byte), layout);
        }
    }
    return std::move(keys.events);
}

// R033: keystrokes to a window. The window is brought forward even when none was found (to no
// effect), and the key text is read either way.
Step handle_send_keys(Runtime& runtime) {
    Desktop& desktop = runtime.desktop;
    ForeignWindow window = desktop.find_window(read_value(runtime));
    desktop.bring_to_front(window);
    std::string key_text = read_value(runtime);
    if (window == no_window) {
        report_result(runtime, false);
        return Step::next;
    }
    report_result(runtime, true);
    std::vector<KeyEvent> events =
        type_keys(key_text, [&desktop](unsigned char byte) { return desktop.layout_key(byte); });
    desktop.send_key_events(window, events);
    return Step::next;
}

} // namespace korvex
