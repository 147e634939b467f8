// The console desktop: boxes and dialogs on the terminal. Without a terminal on standard input, or
// when standard output takes nothing (a closed pipe), a box cannot be shown and gives 0, and a dialog
// counts as cancelled. Keystrokes go to the windows of the X display, when there is one.
#include <cctype>
#include <cstdio>
#include <limits>
#include <string>
#include <unistd.h>

#include "base/escapes.hpp"
#include "base/numbers.hpp"
#include "platform/desktop.hpp"
#include "platform/posix/console_choosers.hpp"
#include "platform/posix/x11_keys.hpp"

namespace korvex {
namespace {

struct ButtonChoice {
    const char* label;
    int code;
};

std::vector<ButtonChoice> buttons_of(std::uint32_t style) {
    switch (style & message_box_style::button_mask) {
    case message_box_style::ok_cancel: return {{"OK", button_code::ok}, {"Cancel", button_code::cancel}};
    case message_box_style::abort_retry_ignore:
        return {
            {"Abort", button_code::abort}, {"Retry", button_code::retry}, {"Ignore", button_code::ignore}};
    case message_box_style::yes_no_cancel:
        return {{"Yes", button_code::yes}, {"No", button_code::no}, {"Cancel", button_code::cancel}};
    case message_box_style::yes_no: return {{"Yes", button_code::yes}, {"No", button_code::no}};
    case message_box_style::retry_cancel:
        return {{"Retry", button_code::retry}, {"Cancel", button_code::cancel}};
    default: return {{"OK", button_code::ok}};
    }
}

bool has_terminal() {
    return isatty(STDIN_FILENO) == 1;
}

// A box or dialog clears the error mark of standard output before it prints, so that afterwards the
// mark tells whether what it printed got out; one that nobody can have seen cannot be answered.
void start_showing() {
    std::clearerr(stdout);
}
bool was_shown() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}
bool can_be_answered() {
    return was_shown() && has_terminal();
}

// Text to standard output. Its control bytes are shown escaped: a file name or a line of a file shown
// in a box must not reach the terminal as a command (clear the screen, set the clipboard).
void print(std::string_view text) {
    std::string shown = shown_on_terminal(text);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
}

// Text to standard output, shown at once.
void print_now(std::string_view text) {
    print(text);
    std::fflush(stdout);
}

// One line from the terminal; nothing at the end of input or when Escape was typed in the line (the
// terminal hands the line over at Enter). The end of input typed on a terminal (Ctrl-D) ends only
// this read, so that later boxes and dialogs can still be answered.
std::optional<std::string> read_line() {
    std::string line;
    int c;
    while ((c = std::getc(stdin)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    if (c == EOF && line.empty()) {
        std::clearerr(stdin);
        return std::nullopt;
    }
    if (line.find('\x1B') != std::string::npos) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// The entry number a typed line names: digits alone, blanks around them allowed; nothing for any
// other line. A number too long to read names no entry.
std::optional<std::size_t> entry_number(std::string_view line) {
    std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    std::string_view digits = line.substr(first, line.find_last_not_of(' ') - first + 1);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    if (digits.size() > 9) return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(read_whole_number(digits));
}

// A text shown in the terminal: one "| " line per line of the text, carriage returns left out.
void print_block(std::string_view text) {
    std::string line;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            print("| " + line + "\n");
            line.clear();
        } else if (text[i] != '\r') {
            line += text[i];
        }
    }
}

// The editor's new text: lines up to one holding only "."; ".." stands for a line ".". A first line
// "." alone keeps the shown text. Nothing when the input ends first.
std::optional<std::string> read_editor_text(const std::string& shown) {
    std::string text;
    for (bool first = true;; first = false) {
        print_now("> ");
        std::optional<std::string> line = read_line();
        if (!line) return std::nullopt;
        if (*line == ".") return first ? shown : text;
        if (!first) text += "\r\n";
        text += *line == ".." ? "." : *line;
    }
}

class ConsoleDesktop final : public Desktop {
public:
    // --- Keystrokes: through the X display, typed with the US layout.
    ForeignWindow find_window(std::string_view title) override { return x11.find_window(title); }
    void bring_to_front(ForeignWindow window) override { x11.bring_to_front(window); }
    std::optional<LayoutKey> layout_key(unsigned char byte) override { return us_layout_key(byte); }
    void send_key_events(ForeignWindow, std::span<const KeyEvent> events) override {
        x11.send_key_events(events);
    }

private:
    X11Keyboard x11;

public:
    // --- Boxes, dialogs, captions and the clipboard.
    // A button's number or first letter picks it; Enter alone takes a box's only button. Any other
    // answer is named as none of the box's keys, and the box asks again; a cancel gives 0.
    int message_box(std::string_view text, std::string_view title, std::uint32_t style) override {
        std::vector<ButtonChoice> buttons = buttons_of(style);
        start_showing();
        print("== " + std::string(title) + " ==\n" + std::string(text) + "\n");
        std::string keys;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            print("[" + std::to_string(i + 1) + "] " + buttons[i].label + "  ");
            keys += (i == 0 ? "" : ", ") + std::to_string(i + 1) + " or " +
                    static_cast<char>(std::tolower(buttons[i].label[0])) + ": " + buttons[i].label;
        }
        if (buttons.size() == 1) keys += ", Enter: " + std::string(buttons[0].label);
        print_now("(" + keys + "; " + std::string(console::cancel_keys) + ": no button, 0)\n");
        if (!can_be_answered()) return button_code::none;
        for (;;) {
            print_now("> ");
            std::optional<std::string> answer = read_line();
            if (!answer) return button_code::none;
            if (answer->empty() && buttons.size() == 1) return buttons[0].code;
            int choice = read_whole_number(*answer);
            if (choice >= 1 && static_cast<std::size_t>(choice) <= buttons.size())
                return buttons[choice - 1].code;
            for (const ButtonChoice& button : buttons)
                if (!answer->empty() && (std::tolower((*answer)[0]) == std::tolower(button.label[0])))
                    return button.code;
            print_now("\"" + *answer + "\" is none of this box's keys; type " + keys + "\n");
        }
    }

    void set_button_caption(DialogButton, std::string_view) override {}

    std::string clipboard_text() override { return clipboard; }
    void set_clipboard_text(std::string_view text) override { clipboard = text; }

    // Enter alone keeps the default text.
    std::optional<std::string> run_input_dialog(std::string_view title, std::string_view prompt,
                                                std::string_view default_text) override {
        start_showing();
        print_now("== " + std::string(title) + " ==\n" + std::string(prompt) + " [" +
                  std::string(default_text) + "]\n(Enter alone: the text in brackets, " +
                  std::string(console::cancel_keys) + ": cancel)\n");
        if (!can_be_answered()) return std::nullopt;
        print_now("> ");
        std::optional<std::string> line = read_line();
        if (line && line->empty()) return std::string(default_text);
        return line;
    }

    std::optional<std::string> run_editor_dialog(const EditorDialog& dialog) override {
        bool read_only = dialog.mode == EditorMode::read_only;
        start_showing();
        print("== " + dialog.title + " ==" + (read_only ? " (read-only)" : "") + "\n");
        print_block(dialog.content);
        if (read_only)
            print_now("(Enter: OK, " + std::string(console::cancel_keys) + ": cancel)\n");
        else
            print_now("(type the new text and end it with a line \".\"; \".\" alone keeps the text, "
                      "\"..\" is a line \".\", " +
                      std::string(console::cancel_keys) + " cancels)\n");
        if (!can_be_answered()) return std::nullopt;
        if (!read_only) return read_editor_text(dialog.content);
        print_now("> ");
        if (!read_line()) return std::nullopt;
        return dialog.content;
    }

    // A number picks its entry, Enter alone the first (the one selected when the list opens); any
    // other answer is told why it picks none before the list asks again.
    std::optional<std::string> run_list_dialog(const ListDialog& dialog) override {
        start_showing();
        print("== " + dialog.title + " ==\n");
        for (std::size_t i = 0; i < dialog.items.size(); ++i)
            print("[" + std::to_string(i + 1) + "] " + dialog.items[i] + "\n");
        print_now("(number of the entry; Enter: 1, " + std::string(console::cancel_keys) + ": cancel)\n");
        if (!can_be_answered() || dialog.items.empty()) return std::nullopt;
        const std::string range = "type a number from 1 to " + std::to_string(dialog.items.size());
        for (;;) {
            print_now("> ");
            std::optional<std::string> line = read_line();
            if (!line) return std::nullopt;
            if (line->empty()) return dialog.items.front();
            std::optional<std::size_t> choice = entry_number(*line);
            if (choice && *choice >= 1 && *choice <= dialog.items.size()) return dialog.items[*choice - 1];
            print_now("\"" + *line + "\" is " + (choice ? "no entry of the list" : "no number") + "; " +
                      range + "\n");
        }
    }

    // Choosers: the paths are typed; without a terminal they count as cancelled.
    std::optional<ChosenFiles> run_file_chooser(const FileChooser& chooser) override {
        start_showing();
        console::print_file_chooser(chooser, print_now);
        if (!can_be_answered()) return std::nullopt;
        return console::ask_for_files(chooser, print_now, read_line);
    }
    FolderChoice run_folder_chooser(std::string_view title, std::string_view initial_folder) override {
        start_showing();
        console::print_folder_chooser(title, initial_folder, print_now);
        if (!can_be_answered()) return {FolderOutcome::cancelled, {}};
        return console::ask_for_folder(initial_folder, print_now, read_line);
    }

    // The information window's text is printed when it comes into view and when it changes in view.
    void place_info_window(std::string_view text, int, int) override {
        if (info_visible && text != info_text) print_now("(info) " + std::string(text) + "\n");
        info_text = text;
    }
    void set_info_window_visible(bool visible) override {
        if (visible && !info_visible) print_now("(info) " + info_text + "\n");
        info_visible = visible;
    }

private:
    std::string clipboard;
    std::string info_text;
    bool info_visible = false;
};

} // namespace

std::unique_ptr<Desktop> make_console_desktop() {
    return std::make_unique<ConsoleDesktop>();
}

std::unique_ptr<Desktop> make_native_desktop() {
    return make_console_desktop();
}

} // namespace korvex
