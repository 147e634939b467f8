// The desktop: message boxes, the runtime's dialogs and information window, button captions, the
// clipboard, the file and folder choosers, and keystrokes to other programs' windows. One interface
// with a Win32, a console and a scripted implementation.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/exit_status.hpp"

namespace korvex {

// Message-box style bits and button codes, with the values of the Windows message box.
namespace message_box_style {
inline constexpr std::uint32_t ok = 0x0;
inline constexpr std::uint32_t ok_cancel = 0x1;
inline constexpr std::uint32_t abort_retry_ignore = 0x2;
inline constexpr std::uint32_t yes_no_cancel = 0x3;
inline constexpr std::uint32_t yes_no = 0x4;
inline constexpr std::uint32_t retry_cancel = 0x5;
inline constexpr std::uint32_t button_mask = 0xF;
inline constexpr std::uint32_t icon_stop = 0x10;
inline constexpr std::uint32_t icon_question = 0x20;
inline constexpr std::uint32_t icon_exclamation = 0x30;
inline constexpr std::uint32_t icon_information = 0x40;
inline constexpr std::uint32_t set_foreground = 0x10000;

// The words a script names the button sets by, each at the index of its style number. The box with
// Abort, Retry and Ignore is called CANCELRETRYIGNORE, as scripts have always named it; transcripts
// use the same words.
inline constexpr std::string_view button_set_names[] = {"OK",          "OKCANCEL", "CANCELRETRYIGNORE",
                                                        "YESNOCANCEL", "YESNO",    "RETRYCANCEL"};
} // namespace message_box_style

namespace button_code {
inline constexpr int none = 0; // the box could not be shown
inline constexpr int ok = 1;
inline constexpr int cancel = 2;
inline constexpr int abort = 3;
inline constexpr int retry = 4;
inline constexpr int ignore = 5;
inline constexpr int yes = 6;
inline constexpr int no = 7;
} // namespace button_code

// The buttons whose captions system variables 13, 14, 17, 18 and 23 set.
enum class DialogButton { input_ok, input_cancel, editor_ok, editor_cancel, list_ok };

enum class EditorMode { editable, read_only };

struct EditorDialog {
    std::string title;
    std::string content; // line ends already CR LF
    EditorMode mode = EditorMode::editable;
    int width = 0;
    int height = 0;
};

struct ListDialog {
    std::string title;
    std::vector<std::string> items;
    int width = 0;
    int height = 0;
};

// ---- Choosers --------------------------------------------------------------------------------------
// The open-file, save-file and folder choosers of the file instructions.

enum class FileChooserKind { open, save };
enum class FileSelection { single, multiple };

// One entry of a file chooser's type list: what the user reads, and the patterns it shows
// ("*.txt;*.log").
struct FileFilter {
    std::string description;
    std::string pattern;
};

struct FileChooser {
    FileChooserKind kind = FileChooserKind::open;
    std::string title;
    std::vector<FileFilter> filters; // the first is selected when the chooser opens
    std::string folder;              // where the chooser starts: the current directory
    FileSelection selection = FileSelection::single;
};

// A confirmed file choice: one full path, or, for several files, their folder and then each name.
using ChosenFiles = std::vector<std::string>;

enum class FolderOutcome {
    chosen,    // a folder with a file-system path
    cancelled, // closed without a choice
    no_path,   // an item without a file-system path (a virtual folder)
    failed,    // the chooser could not be shown
};

struct FolderChoice {
    FolderOutcome outcome = FolderOutcome::cancelled;
    std::string path; // set when chosen
};
// ---- end of Choosers ----------------------------------------------------------------------------------
// --- Keystrokes ------------------------------------------------------------------------------------

// A top-level window of another program, as the desktop identifies it; no_window when there is none.
using ForeignWindow = std::uintptr_t;
inline constexpr ForeignWindow no_window = 0;

enum class KeyDirection : std::uint8_t { press, release };

// One injected key event: a virtual-key code (Windows numbering) pressed or released.
struct KeyEvent {
    std::uint8_t code = 0;
    KeyDirection direction = KeyDirection::press;
};

// Virtual-key codes the keystroke code names.
namespace virtual_key {
inline constexpr std::uint8_t backspace = 0x08;
inline constexpr std::uint8_t tab = 0x09;
inline constexpr std::uint8_t enter = 0x0D;
inline constexpr std::uint8_t shift = 0x10;
inline constexpr std::uint8_t ctrl = 0x11;
inline constexpr std::uint8_t alt = 0x12;
inline constexpr std::uint8_t caps_lock = 0x14;
inline constexpr std::uint8_t space = 0x20;
inline constexpr std::uint8_t left = 0x25;
inline constexpr std::uint8_t up = 0x26;
inline constexpr std::uint8_t right = 0x27;
inline constexpr std::uint8_t down = 0x28;
inline constexpr std::uint8_t multiply = 0x6A;
inline constexpr std::uint8_t add = 0x6B;
inline constexpr std::uint8_t subtract = 0x6D;
inline constexpr std::uint8_t divide = 0x6F;
inline constexpr std::uint8_t f1 = 0x70;
inline constexpr std::uint8_t comma = 0xBC;
inline constexpr std::uint8_t period = 0xBE;
} // namespace virtual_key

// Where the keyboard layout puts a character: the key, and the modifiers to hold down for it
// (bit 0 Shift, bit 1 Ctrl, bit 2 Alt), as the layout lookup of Windows reports them.
struct LayoutKey {
    std::uint8_t code = 0;
    std::uint8_t shift_state = 0;
};
namespace shift_state {
inline constexpr std::uint8_t shift = 1;
inline constexpr std::uint8_t ctrl = 2;
inline constexpr std::uint8_t alt = 4;
} // namespace shift_state

// The US keyboard layout for the ASCII bytes but 0x1C to 0x1F and 0x7F; nothing for any other byte.
// The layout of every desktop but the Win32 one.
std::optional<LayoutKey> us_layout_key(unsigned char byte);

// A readable name of a key for transcripts ("A", "7", "shift", "enter", "F5", "comma"; "#233" for a
// code without one).
std::string key_name(std::uint8_t code);

// --- The desktop -----------------------------------------------------------------------------------

class Desktop {
public:
    virtual ~Desktop() = default;

    // --- Keystrokes: find another program's window, bring it forward, type into it.
    // The first top-level window whose whole title is title; no_window when none has it.
    virtual ForeignWindow find_window(std::string_view title) = 0;
    // Brings the window to the front in its normal state (a minimised window is restored); nothing
    // happens for no_window.
    virtual void bring_to_front(ForeignWindow window) = 0;
    // The key that types byte in the desktop's keyboard layout; nothing when the layout has none.
    virtual std::optional<LayoutKey> layout_key(unsigned char byte) = 0;
    // Injects the events in order, without pauses, into the input stream; they go to whichever window
    // has the keyboard focus, normally the window brought to the front.
    virtual void send_key_events(ForeignWindow window, std::span<const KeyEvent> events) = 0;

    // --- Boxes, dialogs, captions and the clipboard.

    // Shows a modal box; returns the pressed button's code, or button_code::none when it cannot be shown.
    virtual int message_box(std::string_view text, std::string_view title, std::uint32_t style) = 0;

    virtual void set_button_caption(DialogButton button, std::string_view caption) = 0;
    // The clipboard's text; empty when it holds none or cannot be opened.
    virtual std::string clipboard_text() = 0;
    virtual void set_clipboard_text(std::string_view text) = 0;

    // Modal dialog runs; nothing when the user cancelled or closed the dialog.
    virtual std::optional<std::string> run_input_dialog(std::string_view title, std::string_view prompt,
                                                        std::string_view default_text) = 0;
    virtual std::optional<std::string> run_editor_dialog(const EditorDialog& dialog) = 0;
    virtual std::optional<std::string> run_list_dialog(const ListDialog& dialog) = 0;

    // Choosers: modal, without an owner window. A file chooser gives nothing when the user cancelled
    // or it failed; the folder chooser starts with initial_folder selected.
    virtual std::optional<ChosenFiles> run_file_chooser(const FileChooser& chooser) = 0;
    virtual FolderChoice run_folder_chooser(std::string_view title, std::string_view initial_folder) = 0;

    // The non-modal information window: size and text, then visibility (variable 28).
    virtual void place_info_window(std::string_view text, int width, int height) = 0;
    virtual void set_info_window_visible(bool visible) = 0;

    // ---- Unattended runs --------------------------------------------------------------------------------
    // Where the number of the record being executed stands, for desktops that name it in what they write.
    virtual void follow_record_counter(const std::int32_t* counter) { (void)counter; }
    // The answers prepared for the run that no dialog took; none for a desktop with a user.
    virtual std::vector<std::string> unused_answers() const { return {}; }
    // At the run's end: stores what the desktop wrote down (the transcript), or throws OutputLost.
    virtual void finish_run() {}
};

// Thrown by an unattended desktop when an answer cannot be what the script's author meant (a button the
// box does not have, a list entry past the list's end): the run stops with status 3.
struct AnswerDoesNotFit {
    std::string message;
};

// Thrown when what a run writes down for later checking (the transcript, the trace) cannot be
// written: the run stops with status 1, since a run whose record is lost would pass for one that went
// as planned. The message names the file and the system's reason.
struct OutputLost {
    std::string message;
};

// A desktop as start-up gets it, or why it could not be had.
struct DesktopChoice {
    std::unique_ptr<Desktop> desktop;
    // When there is no desktop: what the user must be told, naming the file at fault. Empty when the
    // platform's own windows could not be made, which ends the runtime silently with status 0.
    std::string failure;
    // The exit status of a failure: stopped for a file that cannot be used, answer_misfit for an
    // answer file that holds a line that is no answer.
    int failure_status = exit_status::stopped;
};

// Desktops every platform has: the console (a terminal on standard input and output) and the
// scripted one (answers from a file, every operation written to a transcript).
std::unique_ptr<Desktop> make_console_desktop();
// A failure naming the file when the answer file cannot be read or the transcript cannot be opened
// for writing, or naming the file and line of the first line that is no answer. A dialog that finds no
// answer left is told on standard error, or with strictness stop, stops the run (AnswerDoesNotFit).
enum class Strictness { lenient, stop };
DesktopChoice make_scripted_desktop(const std::string& answer_file, const std::string& transcript_file,
                                    Strictness strictness);
std::unique_ptr<Desktop> make_scripted_desktop_from_text(std::string answers, std::string* transcript);

// The platform's own desktop: the windows of Win32, or the console elsewhere. Nothing when its windows
// cannot be created.
std::unique_ptr<Desktop> make_native_desktop();
// The desktop with the platform's own dialog windows made beside it, as start-up requires even when
// another desktop answers (on Windows: the window class and the hidden windows). Nothing when they
// cannot be made; elsewhere the desktop itself.
std::unique_ptr<Desktop> attach_native_windows(std::unique_ptr<Desktop> desktop);

// The desktop chosen by the environment variable KORVEX_DESKTOP ("console", "scripted:FILE", or on
// Windows "win32", the default there). A scripted desktop whose files fail gives a failure, which stops
// the runtime with status 1; native windows that cannot be made give none, and the runtime ends with
// status 0.
DesktopChoice make_desktop_from_environment();

} // namespace korvex
