// The Win32 desktop: the window class "KX4RTL", the four hidden windows (input, editor, list and
// information window) with their one window procedure and modal loop, message boxes, button captions,
// the clipboard in CF_TEXT, and keystrokes to other programs' windows (keys_win32.cpp).
#include <windows.h>

#include <vector>

#include "platform/desktop.hpp"
#include "platform/win32/choosers_win32.hpp"
#include "platform/win32/keys_win32.hpp"

namespace korvex {
namespace {

constexpr const char* window_class_name = "KX4RTL";

// Control ids; the OK ids 1, 5, 8 and the Cancel ids 2, 9 end a dialog.
enum ControlId : int {
    id_none = 0,
    id_input_ok = 1,
    id_input_cancel = 2,
    id_list_box = 4,
    id_list_ok = 5,
    id_editor_edit = 7,
    id_editor_ok = 8,
    id_editor_cancel = 9,
    id_info_text = 12,
};

constexpr DWORD input_window_style = WS_CAPTION | WS_SYSMENU;                      // 0x00C80000
constexpr DWORD editor_window_style = WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX; // 0x000E0000
constexpr DWORD list_window_style = WS_SYSMENU | WS_THICKFRAME;                    // 0x000C0000
constexpr DWORD info_window_style = WS_POPUPWINDOW;                                // 0x80880000
constexpr DWORD info_window_extended_style = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;  // 0x00000009

constexpr DWORD prompt_style = WS_CHILD | WS_VISIBLE; // 0x50000000
constexpr DWORD input_edit_style =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOVSCROLL | ES_AUTOHSCROLL; // 0x508100C0
constexpr DWORD input_button_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY;  // 0x50014000
constexpr DWORD editor_edit_style =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;       // 0x50201044
constexpr DWORD default_button_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON; // 0x50010001
constexpr DWORD plain_button_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;                      // 0x50010000
constexpr DWORD list_box_style =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT; // 0x50210100
constexpr DWORD info_text_style = WS_CHILD | WS_VISIBLE | SS_CENTER;        // 0x50000001

// 10 pixels more height when visual styles are active; the library is looked up at run time and
// never freed.
int query_theme_allowance() {
    HMODULE library = LoadLibraryA("UxTheme.dll");
    if (library == nullptr) return 0;
    using ThemeQuery = BOOL(WINAPI*)();
    auto is_theme_active =
        reinterpret_cast<ThemeQuery>(reinterpret_cast<void*>(GetProcAddress(library, "IsThemeActive")));
    if (is_theme_active == nullptr) return 0;
    return (is_theme_active() & 0xFF) == 1 ? 10 : 0;
}

void set_text(HWND window, std::string_view text) {
    std::string terminated(text);
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

std::string window_text(HWND window) {
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    LRESULT copied = SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

// Half of a screen metric minus half of a size: the top-left corner that centres the size.
int centred(int screen_metric, int size) {
    return GetSystemMetrics(screen_metric) / 2 - size / 2;
}

class Win32Desktop final : public Desktop {
public:
    // Registers the class and creates the hidden windows; false when the class cannot be registered.
    bool create_dialog_windows();

    // --- Keystrokes.
    ForeignWindow find_window(std::string_view title) override { return win32::find_window(title); }
    void bring_to_front(ForeignWindow window) override { win32::bring_to_front(window); }
    std::optional<LayoutKey> layout_key(unsigned char byte) override { return win32::layout_key(byte); }
    void send_key_events(ForeignWindow, std::span<const KeyEvent> events) override {
        win32::send_key_events(events);
    }

    // --- Boxes, dialogs, captions and the clipboard.

    int message_box(std::string_view text, std::string_view title, std::uint32_t style) override {
        return MessageBoxA(nullptr, std::string(text).c_str(), std::string(title).c_str(), style);
    }

    void set_button_caption(DialogButton button, std::string_view caption) override {
        set_text(button_window(button), caption);
    }

    std::string clipboard_text() override;
    void set_clipboard_text(std::string_view text) override;

    std::optional<std::string> run_input_dialog(std::string_view title, std::string_view prompt,
                                                std::string_view default_text) override;
    std::optional<std::string> run_editor_dialog(const EditorDialog& dialog) override;
    std::optional<std::string> run_list_dialog(const ListDialog& dialog) override;

    std::optional<ChosenFiles> run_file_chooser(const FileChooser& chooser) override {
        return win32::show_file_chooser(chooser);
    }
    FolderChoice run_folder_chooser(std::string_view title, std::string_view initial_folder) override {
        return win32::show_folder_chooser(title, initial_folder);
    }

    void place_info_window(std::string_view text, int width, int height) override;
    void set_info_window_visible(bool visible) override;

private:
    static LRESULT CALLBACK dialog_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void on_size(HWND window, int width, int height);
    void on_close();
    void on_command(int control_id, int notification);

    HWND create_window(DWORD extended_style, DWORD style, int x, int y, int width, int height);
    HWND create_control(HWND parent, const char* class_name, const char* text, DWORD extended_style,
                        DWORD style, int x, int y, int width, int height, int id);
    void run_modal_loop(HWND window);
    HWND button_window(DialogButton button) const;

    HINSTANCE instance = nullptr;
    int theme_allowance = 0;
    bool dialog_done = false;
    // 0 after OK, 1 after Cancel or close, -1 between dialogs; anything but 0 counts as cancelled.
    int dialog_cancelled = -1;

    HWND input_window = nullptr, input_prompt = nullptr, input_edit = nullptr;
    HWND input_ok = nullptr, input_cancel = nullptr;
    HWND editor_window = nullptr, editor_edit = nullptr, editor_ok = nullptr, editor_cancel = nullptr;
    HWND list_window = nullptr, list_box = nullptr, list_ok = nullptr;
    HWND info_window = nullptr, info_text = nullptr;
};

bool Win32Desktop::create_dialog_windows() {
    instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class{};
    window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = dialog_window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1000));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = window_class_name;
    if (RegisterClassA(&window_class) == 0) return false;

    theme_allowance = query_theme_allowance();

    input_window = create_window(0, input_window_style, GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 150,
                                 GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 55, 300, 102 + theme_allowance);
    input_prompt = create_control(input_window, "static", "", 0, prompt_style, 5, 5, 280, 20, id_none);
    input_edit =
        create_control(input_window, "edit", "", WS_EX_CLIENTEDGE, input_edit_style, 5, 22, 285, 24, id_none);
    input_ok =
        create_control(input_window, "button", "&Ok", 0, input_button_style, 15, 50, 80, 25, id_input_ok);
    input_cancel = create_control(input_window, "button", "&Cancel", 0, input_button_style, 200, 50, 80, 25,
                                  id_input_cancel);

    editor_window = create_window(0, editor_window_style, GetSystemMetrics(SM_CXSCREEN) / 2 - 175,
                                  GetSystemMetrics(SM_CYSCREEN) / 2 + theme_allowance - 119, 350, 238);
    editor_edit = create_control(editor_window, "edit", "", WS_EX_CLIENTEDGE, editor_edit_style, 1, 1, 342,
                                 180, id_editor_edit);
    // An edit control takes about 30,000 typed or pasted characters unless told otherwise; 0 lifts the
    // limit to the most the control can hold, as texts have no length limit.
    SendMessageA(editor_edit, EM_SETLIMITTEXT, 0, 0);
    editor_ok = create_control(editor_window, "button", "&Ok", 0, default_button_style, 1, 185, 100, 25,
                               id_editor_ok);
    editor_cancel = create_control(editor_window, "button", "&Cancel", 0, plain_button_style, 242, 185, 100,
                                   25, id_editor_cancel);

    list_window = create_window(0, list_window_style, GetSystemMetrics(SM_CXSCREEN) / 2 - 65,
                                GetSystemMetrics(SM_CYSCREEN) / 2 + theme_allowance - 88, 130, 176);
    list_box = create_control(list_window, "listbox", nullptr, WS_EX_CLIENTEDGE, list_box_style, 1, 1, 122,
                              140, id_list_box);
    list_ok =
        create_control(list_window, "button", "&Ok", 0, default_button_style, 1, 125, 122, 24, id_list_ok);

    info_window =
        create_window(info_window_extended_style, info_window_style, GetSystemMetrics(SM_CXSCREEN) / 2 - 150,
                      GetSystemMetrics(SM_CYSCREEN) / 2 - 12, 300, 24);
    info_text = create_control(info_window, "static", "", 0, info_text_style, 0, 2, 300, 30, id_info_text);
    return true;
}

HWND Win32Desktop::create_window(DWORD extended_style, DWORD style, int x, int y, int width, int height) {
    return CreateWindowExA(extended_style, window_class_name, "", style, x, y, width, height, nullptr,
                           nullptr, instance, this);
}

HWND Win32Desktop::create_control(HWND parent, const char* class_name, const char* text, DWORD extended_style,
                                  DWORD style, int x, int y, int width, int height, int id) {
    HWND control = CreateWindowExA(extended_style, class_name, text, style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

LRESULT CALLBACK Win32Desktop::dialog_window_procedure(HWND window, UINT message, WPARAM wparam,
                                                       LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* creation = reinterpret_cast<CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* desktop = reinterpret_cast<Win32Desktop*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (desktop == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    switch (message) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: desktop->on_size(window, LOWORD(lparam), HIWORD(lparam)); return 0;
    case WM_CLOSE: desktop->on_close(); return 0;
    case WM_COMMAND: desktop->on_command(LOWORD(wparam), HIWORD(wparam)); return 0;
    default: return DefWindowProcA(window, message, wparam, lparam);
    }
}

// Keeps each dialog's controls laid out over its new client size.
void Win32Desktop::on_size(HWND window, int width, int height) {
    if (window == editor_window) {
        MoveWindow(editor_edit, 0, 0, width, height - 35, TRUE);
        MoveWindow(editor_ok, 5, height - 28, 100, 25, TRUE);
        MoveWindow(editor_cancel, width - 105, height - 28, 100, 25, TRUE);
    } else if (window == list_window) {
        MoveWindow(list_box, 0, 0, width, height - 35, TRUE);
        MoveWindow(list_ok, 3, height - 28, width - 5, 25, TRUE);
    } else if (window == input_window) {
        MoveWindow(input_ok, 15, height - 28, 80, 25, TRUE);
        MoveWindow(input_cancel, width - 95, height - 28, 80, 25, TRUE);
    }
}

// The close button, system menu and Alt+F4 cancel; the window stays for the next run.
void Win32Desktop::on_close() {
    dialog_cancelled = 1;
    dialog_done = true;
}

void Win32Desktop::on_command(int control_id, int notification) {
    if (notification != 0) return;
    switch (control_id) {
    case id_input_ok:
    case id_list_ok:
    case id_editor_ok:
        dialog_done = true;
        dialog_cancelled = 0;
        break;
    case id_input_cancel:
    case id_editor_cancel:
        dialog_done = true;
        dialog_cancelled = 1;
        break;
    default: break;
    }
}

// Pumps every message of the thread until a button or the close command ends the dialog; the dialog
// manager gives the keyboard its usual meaning (Tab, Enter, Escape).
void Win32Desktop::run_modal_loop(HWND window) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (dialog_done) break;
    }
}

HWND Win32Desktop::button_window(DialogButton button) const {
    switch (button) {
    case DialogButton::input_ok: return input_ok;
    case DialogButton::input_cancel: return input_cancel;
    case DialogButton::editor_ok: return editor_ok;
    case DialogButton::editor_cancel: return editor_cancel;
    case DialogButton::list_ok: return list_ok;
    }
    return nullptr;
}

std::optional<std::string> Win32Desktop::run_input_dialog(std::string_view title, std::string_view prompt,
                                                          std::string_view default_text) {
    dialog_done = false;
    set_text(input_prompt, prompt);
    set_text(input_window, title);
    set_text(input_edit, default_text);
    SendMessageA(input_edit, EM_SETSEL, default_text.size(), static_cast<LPARAM>(default_text.size()));
    ShowWindow(input_window, SW_SHOW);
    SetFocus(input_edit);
    run_modal_loop(input_window);
    std::optional<std::string> answer;
    if (dialog_cancelled == 0) answer = window_text(input_edit);
    ShowWindow(input_window, SW_HIDE);
    dialog_cancelled = -1;
    return answer;
}

std::optional<std::string> Win32Desktop::run_editor_dialog(const EditorDialog& dialog) {
    dialog_done = false;
    set_text(editor_window, dialog.title);
    set_text(editor_edit, dialog.content);
    SendMessageA(editor_edit, EM_SETREADONLY, dialog.mode == EditorMode::read_only ? 1 : 0, 0);
    MoveWindow(editor_window, centred(SM_CXSCREEN, dialog.width),
               centred(SM_CYSCREEN, dialog.height) + theme_allowance, dialog.width, dialog.height, TRUE);
    ShowWindow(editor_window, SW_SHOW);
    SetFocus(editor_edit);
    run_modal_loop(editor_window);
    std::optional<std::string> answer;
    if (dialog_cancelled == 0) answer = window_text(editor_edit);
    ShowWindow(editor_window, SW_HIDE);
    dialog_cancelled = -1;
    return answer;
}

std::optional<std::string> Win32Desktop::run_list_dialog(const ListDialog& dialog) {
    dialog_done = false;
    SendMessageA(list_box, LB_RESETCONTENT, 0, 0);
    set_text(list_window, dialog.title);
    for (const std::string& item : dialog.items)
        SendMessageA(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    MoveWindow(list_window, centred(SM_CXSCREEN, dialog.width),
               centred(SM_CYSCREEN, dialog.height) + theme_allowance, dialog.width, dialog.height, TRUE);
    ShowWindow(list_window, SW_SHOW);
    SendMessageA(list_box, LB_SETCURSEL, 0, 0);
    SetFocus(list_box);
    run_modal_loop(list_window);
    std::optional<std::string> answer;
    if (dialog_cancelled == 0) {
        answer = std::string();
        LRESULT index = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
        // The entry is read into a buffer of its own length, however long the item is.
        LRESULT length = index == LB_ERR ? LB_ERR : SendMessageA(list_box, LB_GETTEXTLEN, index, 0);
        if (length != LB_ERR && length >= 0) {
            std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
            LRESULT copied =
                SendMessageA(list_box, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
            if (copied != LB_ERR && copied >= 0 && copied <= length)
                answer = std::string(buffer.data(), static_cast<std::size_t>(copied));
        }
    }
    ShowWindow(list_window, SW_HIDE);
    dialog_cancelled = -1;
    return answer;
}

void Win32Desktop::place_info_window(std::string_view text, int width, int height) {
    MoveWindow(info_window, centred(SM_CXSCREEN, width), centred(SM_CYSCREEN, height), width, height, TRUE);
    MoveWindow(info_text, 0, 3, width, height, TRUE);
    set_text(info_text, text);
}

void Win32Desktop::set_info_window_visible(bool visible) {
    if (visible) {
        ShowWindow(info_window, SW_SHOW);
    } else {
        ShowWindow(info_window, SW_HIDE);
        SetWindowPos(info_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    // Painted now: no message loop runs while the script goes on.
    UpdateWindow(info_window);
}

// The clipboard is opened with one of our own windows as owner: a clipboard emptied without an owner
// may refuse the data handed to it afterwards.
void Win32Desktop::set_clipboard_text(std::string_view text) {
    if (!OpenClipboard(info_window)) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (block != nullptr) {
        if (char* bytes = static_cast<char*>(GlobalLock(block)); bytes != nullptr) {
            text.copy(bytes, text.size());
            bytes[text.size()] = '\0';
            GlobalUnlock(block);
            if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
}

std::string Win32Desktop::clipboard_text() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT); data != nullptr) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data)); bytes != nullptr) {
            // Never past the block, even if its text lacks the terminating zero.
            std::size_t size = GlobalSize(data);
            std::size_t length = 0;
            while (length < size && bytes[length] != '\0') ++length;
            text.assign(bytes, length);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// A desktop of another kind (the scripted one) with the class registered and the hidden windows
// created beside it, as the runtime's start-up does on Windows.
class DesktopWithWindows final : public Desktop {
public:
    DesktopWithWindows(std::unique_ptr<Win32Desktop> windows, std::unique_ptr<Desktop> inner)
        : windows(std::move(windows)), inner(std::move(inner)) {}

    ForeignWindow find_window(std::string_view title) override { return inner->find_window(title); }
    void bring_to_front(ForeignWindow window) override { inner->bring_to_front(window); }
    std::optional<LayoutKey> layout_key(unsigned char byte) override { return inner->layout_key(byte); }
    void send_key_events(ForeignWindow window, std::span<const KeyEvent> events) override {
        inner->send_key_events(window, events);
    }

    int message_box(std::string_view text, std::string_view title, std::uint32_t style) override {
        return inner->message_box(text, title, style);
    }
    void set_button_caption(DialogButton button, std::string_view caption) override {
        inner->set_button_caption(button, caption);
    }
    std::string clipboard_text() override { return inner->clipboard_text(); }
    void set_clipboard_text(std::string_view text) override { inner->set_clipboard_text(text); }
    std::optional<std::string> run_input_dialog(std::string_view title, std::string_view prompt,
                                                std::string_view default_text) override {
        return inner->run_input_dialog(title, prompt, default_text);
    }
    std::optional<std::string> run_editor_dialog(const EditorDialog& dialog) override {
        return inner->run_editor_dialog(dialog);
    }
    std::optional<std::string> run_list_dialog(const ListDialog& dialog) override {
        return inner->run_list_dialog(dialog);
    }
    std::optional<ChosenFiles> run_file_chooser(const FileChooser& chooser) override {
        return inner->run_file_chooser(chooser);
    }
    FolderChoice run_folder_chooser(std::string_view title, std::string_view initial_folder) override {
        return inner->run_folder_chooser(title, initial_folder);
    }
    void place_info_window(std::string_view text, int width, int height) override {
        inner->place_info_window(text, width, height);
    }
    void set_info_window_visible(bool visible) override { inner->set_info_window_visible(visible); }
    void follow_record_counter(const std::int32_t* counter) override {
        inner->follow_record_counter(counter);
    }
    std::vector<std::string> unused_answers() const override { return inner->unused_answers(); }

private:
    std::unique_ptr<Win32Desktop> windows;
    std::unique_ptr<Desktop> inner;
};

} // namespace

std::unique_ptr<Desktop> make_native_desktop() {
    auto desktop = std::make_unique<Win32Desktop>();
    if (!desktop->create_dialog_windows()) return nullptr;
    return desktop;
}

// Windows has no console desktop of its own: its boxes and dialogs are the windows.
std::unique_ptr<Desktop> make_console_desktop() {
    return make_native_desktop();
}

std::unique_ptr<Desktop> attach_native_windows(std::unique_ptr<Desktop> desktop) {
    if (!desktop) return nullptr;
    auto windows = std::make_unique<Win32Desktop>();
    if (!windows->create_dialog_windows()) return nullptr;
    return std::make_unique<DesktopWithWindows>(std::move(windows), std::move(desktop));
}

} // namespace korvex
