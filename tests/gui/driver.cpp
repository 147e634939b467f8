// The GUI test driver (tests only): finds another program's windows by title, reports their class,
// place, size and the texts of their controls, and sets texts, presses buttons or closes windows.
//
//   korvex_gui_driver COMMAND... ; commands run in order on the "current" window:
//     wait TITLE [SECONDS]   wait for a visible top-level window with that title; it becomes current
//     show                   report the current window and its controls
//     family CLASS           report every top-level window of that class in the current window's process
//     set-text ID TEXT       set the text of the control with that id (backslash escapes in TEXT)
//     select ID INDEX        select an entry of the list box with that id
//     press ID               press the button with that id (as its click notification does)
//     key ID VK              type the virtual key VK (decimal) into the control with that id
//     paste ID               paste the clipboard into the control with that id, as the user does
//     selection ID           report the selection of an edit control
//     close                  close the current window as its close button does
//     gone [SECONDS]         wait until the current window is hidden or destroyed
//     clipboard-set TEXT     put TEXT (backslash escapes) on the clipboard as CF_TEXT
//     clipboard-get          report the clipboard's CF_TEXT
//     metrics                report the screen metrics and whether visual styles are active
//     resources PATH         report whether PATH has the icon 1000 and its file version
//     theme 0|1              switch visual styles off or on for programs started afterwards
//   for the choosers:
//     wait-child TEXT [SECONDS]  wait for a visible top-level window with a control showing TEXT (the
//                            folder browser, whose caption is the system's); it becomes current
//     set-text-file ID PATH  set the text of a control to the bytes of a file (texts too long for a
//                            command line)
//     tree ID                report the items a tree view has loaded, depth first
//     tree-select ID PATH    select an item of a tree view: PATH is item texts separated by "|", the
//                            first the first loaded item with that text, each next one a child of the
//                            one before, which is expanded to load its children
//   A control ID is its id ("7") or its class and place among the controls of that class ("Edit:0").
//   Exit status 0 when every command succeeded, 2 when one failed (the reason on standard error).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Failure {
    std::string reason;
};

std::string escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char e = text[++i];
        if (e == 'n')
            out += '\n';
        else if (e == 'r')
            out += '\r';
        else if (e == 't')
            out += '\t';
        else if (e == '0')
            out += '\0';
        else if (e == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += e;
    }
    return out;
}

std::string class_of(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool same_class(const std::string& left, const char* right) {
    return lstrcmpiA(left.c_str(), right) == 0;
}

// A message to another process's window, given up when that process does not answer.
bool send_with_timeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result) {
    return SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 3000, result) != 0;
}

// Edit controls keep their text themselves, so it is asked for; other windows' texts are read
// without a message, which works while their program waits outside a message loop.
std::string text_of(HWND window) {
    std::string window_class = class_of(window);
    if (same_class(window_class, "Edit")) {
        DWORD_PTR length = 0;
        if (!send_with_timeout(window, WM_GETTEXTLENGTH, 0, 0, &length)) return "<no answer>";
        std::vector<char> buffer(length + 2);
        DWORD_PTR copied = 0;
        send_with_timeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                          &copied);
        return std::string(buffer.data(), copied < buffer.size() ? copied : 0);
    }
    int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 2);
    int copied = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

// The messages that read the entries of a list box or of a combo box's list.
struct ItemMessages {
    UINT count, selected, length, text;
};
constexpr ItemMessages list_box_items{LB_GETCOUNT, LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT};
constexpr ItemMessages combo_box_items{CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT};

void report_list_items(HWND list, const ItemMessages& messages) {
    DWORD_PTR count = 0, selected = 0;
    if (!send_with_timeout(list, messages.count, 0, 0, &count)) return;
    send_with_timeout(list, messages.selected, 0, 0, &selected);
    std::printf("  items count=%d selected=%d\n", static_cast<int>(count), static_cast<int>(selected));
    // Asked in UTF-16: Wine hands another process's list entries over in UTF-16 even to the ANSI call.
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(list, messages.length, i, 0, SMTO_ABORTIFHUNG, 3000, &length);
        std::vector<wchar_t> wide(length + 2);
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(list, messages.text, i, reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG,
                            3000, &copied);
        if (copied > length) copied = 0;
        std::string text;
        if (copied > 0) {
            int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(copied), nullptr, 0,
                                           nullptr, nullptr);
            text.resize(size > 0 ? size : 0);
            WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(copied), text.data(), size, nullptr,
                                nullptr);
        }
        std::printf("  item %d \"%s\"\n", static_cast<int>(i), escaped(text).c_str());
    }
}

BOOL CALLBACK report_control(HWND control, LPARAM parent_value) {
    HWND parent = reinterpret_cast<HWND>(parent_value);
    if (GetParent(control) != parent) return TRUE;
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    std::string window_class = class_of(control);
    std::printf("  control id=%d class=%s text=\"%s\" x=%ld y=%ld width=%ld height=%ld style=0x%08lX "
                "exstyle=0x%08lX visible=%d\n",
                GetDlgCtrlID(control), window_class.c_str(), escaped(text_of(control)).c_str(), box.left,
                box.top, box.right - box.left, box.bottom - box.top,
                static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(control, GWL_EXSTYLE)),
                IsWindowVisible(control) ? 1 : 0);
    if (same_class(window_class, "ListBox")) report_list_items(control, list_box_items);
    if (same_class(window_class, "ComboBox")) report_list_items(control, combo_box_items);
    return TRUE;
}

void report_window(HWND window) {
    RECT box{}, client{};
    GetWindowRect(window, &box);
    GetClientRect(window, &client);
    std::printf(
        "window class=%s title=\"%s\" x=%ld y=%ld width=%ld height=%ld client_width=%ld client_height=%ld "
        "style=0x%08lX exstyle=0x%08lX visible=%d foreground=%d\n",
        class_of(window).c_str(), escaped(text_of(window)).c_str(), box.left, box.top, box.right - box.left,
        box.bottom - box.top, client.right, client.bottom,
        static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
        static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), IsWindowVisible(window) ? 1 : 0,
        GetForegroundWindow() == window ? 1 : 0);
    EnumChildWindows(window, report_control, reinterpret_cast<LPARAM>(window));
}

struct WindowSearch {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK match_title(HWND window, LPARAM search_value) {
    auto* search = reinterpret_cast<WindowSearch*>(search_value);
    if (IsWindowVisible(window) && text_of(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct FamilySearch {
    DWORD process = 0;
    std::string window_class;
    std::vector<HWND> found;
};

BOOL CALLBACK match_family(HWND window, LPARAM search_value) {
    auto* search = reinterpret_cast<FamilySearch*>(search_value);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && same_class(class_of(window), search->window_class.c_str()))
        search->found.push_back(window);
    return TRUE;
}

HWND wait_for_window(const std::string& title, double seconds) {
    DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        WindowSearch search{title};
        EnumWindows(match_title, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0)
            throw Failure{"no window titled \"" + title + "\""};
        Sleep(50);
    }
}

struct ControlSearch {
    HWND parent = nullptr;
    std::string window_class;
    int index = 0;
    HWND found = nullptr;
};

BOOL CALLBACK match_control(HWND control, LPARAM search_value) {
    auto* search = reinterpret_cast<ControlSearch*>(search_value);
    if (GetParent(control) != search->parent || !same_class(class_of(control), search->window_class.c_str()))
        return TRUE;
    if (search->index-- > 0) return TRUE;
    search->found = control;
    return FALSE;
}

// A control by its id ("7"), or by its class and place among the controls of that class ("Edit:0").
HWND control_of(HWND window, const std::string& description) {
    if (window == nullptr) throw Failure{"no current window"};
    HWND control = nullptr;
    if (std::size_t colon = description.find(':'); colon != std::string::npos) {
        ControlSearch search{window, description.substr(0, colon),
                             std::atoi(description.c_str() + colon + 1)};
        EnumChildWindows(window, match_control, reinterpret_cast<LPARAM>(&search));
        control = search.found;
    } else {
        control = GetDlgItem(window, std::atoi(description.c_str()));
    }
    if (control == nullptr) throw Failure{"no control " + description};
    return control;
}

// Writes the visual-style switch that the theme library reads when a program loads it.
void set_theme_active(bool active) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw Failure{"the theme settings cannot be opened"};
    const char* value = active ? "1" : "0";
    LONG result = RegSetValueExA(key, "ThemeActive", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), 2);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) throw Failure{"the theme switch cannot be written"};
}

bool theme_active() {
    HMODULE library = LoadLibraryA("UxTheme.dll");
    if (library == nullptr) return false;
    using ThemeQuery = BOOL(WINAPI*)();
    auto query =
        reinterpret_cast<ThemeQuery>(reinterpret_cast<void*>(GetProcAddress(library, "IsThemeActive")));
    return query != nullptr && (query() & 0xFF) == 1;
}

void set_clipboard(const std::string& text) {
    for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
        if (attempt == 40) throw Failure{"the clipboard cannot be opened"};
        Sleep(50);
    }
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* bytes = static_cast<char*>(GlobalLock(block));
    memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    bool stored = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!stored) throw Failure{"the clipboard refused the text"};
}

std::string clipboard() {
    for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
        if (attempt == 40) throw Failure{"the clipboard cannot be opened"};
        Sleep(50);
    }
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text.assign(bytes, strnlen(bytes, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// Whether a program carries the icon group 1000, and the file version of its version information.
void report_resources(const std::string& path) {
    HMODULE program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (program == nullptr) throw Failure{"cannot load " + path};
    bool icon =
        FindResourceA(program, MAKEINTRESOURCEA(1000), MAKEINTRESOURCEA(14)) != nullptr; // RT_GROUP_ICON
    unsigned version[4] = {};
    if (HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16))) { // RT_VERSION
        const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(program, found)));
        DWORD size = SizeofResource(program, found);
        // VS_FIXEDFILEINFO follows its signature 0xFEEF04BD; the file version is its third and fourth word.
        for (DWORD at = 0; bytes != nullptr && at + 16 <= size; at += 4) {
            DWORD word;
            memcpy(&word, bytes + at, 4);
            if (word != 0xFEEF04BD) continue;
            DWORD high, low;
            memcpy(&high, bytes + at + 8, 4);
            memcpy(&low, bytes + at + 12, 4);
            version[0] = HIWORD(high), version[1] = LOWORD(high), version[2] = HIWORD(low),
            version[3] = LOWORD(low);
            break;
        }
    }
    FreeLibrary(program);
    std::printf("resources icon1000=%d version=%u.%u.%u.%u\n", icon ? 1 : 0, version[0], version[1],
                version[2], version[3]);
}

// ---- Choosers ----------------------------------------------------------------------------------------

struct ChildTextSearch {
    std::string text;
    bool found = false;
};

BOOL CALLBACK match_child_text(HWND control, LPARAM search_value) {
    auto* search = reinterpret_cast<ChildTextSearch*>(search_value);
    if (text_of(control) != search->text) return TRUE;
    search->found = true;
    return FALSE;
}

BOOL CALLBACK match_window_with_child_text(HWND window, LPARAM search_value) {
    auto* search = reinterpret_cast<WindowSearch*>(search_value);
    if (!IsWindowVisible(window)) return TRUE;
    ChildTextSearch child{search->title};
    EnumChildWindows(window, match_child_text, reinterpret_cast<LPARAM>(&child));
    if (!child.found) return TRUE;
    search->found = window;
    return FALSE;
}

HWND wait_for_window_with_child_text(const std::string& text, double seconds) {
    DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        WindowSearch search{text};
        EnumWindows(match_window_with_child_text, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0)
            throw Failure{"no window with a control showing \"" + text + "\""};
        Sleep(50);
    }
}

std::string file_bytes(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw Failure{"cannot read " + path};
    std::string bytes;
    char block[4096];
    for (std::size_t count; (count = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.append(block, count);
    std::fclose(file);
    return bytes;
}

// A tree view item is read through memory in the tree's own process: Wine, like Windows, does not
// carry a tree view's item records across processes.
class TreeReader {
public:
    explicit TreeReader(HWND tree) : tree(tree) {
        DWORD process_id = 0;
        GetWindowThreadProcessId(tree, &process_id);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
        if (process == nullptr) throw Failure{"cannot open the tree's process"};
        remote = VirtualAllocEx(process, nullptr, sizeof(TVITEMW) + text_room * sizeof(wchar_t),
                                MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (remote == nullptr) throw Failure{"cannot reserve memory in the tree's process"};
    }
    ~TreeReader() {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
    }

    HTREEITEM next(HTREEITEM item, UINT relation) const {
        DWORD_PTR result = 0;
        send_with_timeout(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item), &result);
        return reinterpret_cast<HTREEITEM>(result);
    }

    // The item's text and whether it is selected.
    std::pair<std::string, bool> read(HTREEITEM item) const {
        auto* text_address = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(TVITEMW));
        TVITEMW record{};
        record.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
        record.hItem = item;
        record.stateMask = TVIS_SELECTED;
        record.pszText = text_address;
        record.cchTextMax = text_room;
        SIZE_T moved = 0;
        WriteProcessMemory(process, remote, &record, sizeof record, &moved);
        DWORD_PTR result = 0;
        send_with_timeout(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote), &result);
        ReadProcessMemory(process, remote, &record, sizeof record, &moved);
        std::vector<wchar_t> wide(text_room + 1, L'\0');
        ReadProcessMemory(process, text_address, wide.data(), text_room * sizeof(wchar_t), &moved);
        int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), size, nullptr, nullptr);
        text.resize(std::strlen(text.c_str()));
        return {text, (record.state & TVIS_SELECTED) != 0};
    }

    // Every loaded item, depth first, with its depth.
    template <typename Visit> void walk(Visit visit) const {
        std::vector<std::pair<HTREEITEM, int>> roots;
        for (HTREEITEM root = next(nullptr, TVGN_ROOT); root != nullptr; root = next(root, TVGN_NEXT))
            roots.push_back({root, 0});
        std::vector<std::pair<HTREEITEM, int>> pending(roots.rbegin(), roots.rend());
        while (!pending.empty()) {
            auto [item, depth] = pending.back();
            pending.pop_back();
            if (!visit(item, depth)) return;
            std::vector<std::pair<HTREEITEM, int>> children;
            for (HTREEITEM child = next(item, TVGN_CHILD); child != nullptr; child = next(child, TVGN_NEXT))
                children.push_back({child, depth + 1});
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
    }

    HTREEITEM find_path(const std::string& path) const {
        HTREEITEM found = nullptr;
        std::size_t start = 0;
        for (;;) {
            std::size_t bar = path.find('|', start);
            std::string text = path.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            if (found == nullptr) {
                walk([&](HTREEITEM item, int) {
                    if (read(item).first == text) found = item;
                    return found == nullptr;
                });
            } else {
                // Expanding lists a folder, which may take its time.
                DWORD_PTR result = 0;
                SendMessageTimeoutA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(found),
                                    SMTO_ABORTIFHUNG, 60000, &result);
                HTREEITEM child = next(found, TVGN_CHILD);
                while (child != nullptr && read(child).first != text) child = next(child, TVGN_NEXT);
                found = child;
            }
            if (found == nullptr || bar == std::string::npos) return found;
            start = bar + 1;
        }
    }

private:
    static constexpr int text_room = 1024;
    HWND tree;
    HANDLE process = nullptr;
    void* remote = nullptr;
};

void run(const std::vector<std::string>& arguments) {
    HWND current = nullptr;
    auto argument = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= arguments.size()) throw Failure{"missing argument after " + arguments[i]};
        return arguments[++i];
    };
    auto optional_seconds = [&](std::size_t& i) {
        if (i + 1 < arguments.size() && !arguments[i + 1].empty() &&
            isdigit(static_cast<unsigned char>(arguments[i + 1][0])))
            return std::atof(arguments[++i].c_str());
        return 60.0;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& command = arguments[i];
        if (command == "wait") {
            const std::string& title = argument(i);
            current = wait_for_window(title, optional_seconds(i));
            std::printf("found \"%s\"\n", escaped(title).c_str());
        } else if (command == "show") {
            if (current == nullptr) throw Failure{"no current window"};
            report_window(current);
        } else if (command == "family") {
            if (current == nullptr) throw Failure{"no current window"};
            FamilySearch search;
            search.window_class = argument(i);
            GetWindowThreadProcessId(current, &search.process);
            EnumWindows(match_family, reinterpret_cast<LPARAM>(&search));
            for (HWND window : search.found) report_window(window);
        } else if (command == "set-text") {
            HWND control = control_of(current, argument(i));
            std::string text = unescaped(argument(i));
            DWORD_PTR result = 0;
            if (!send_with_timeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result))
                throw Failure{"the control did not take the text"};
        } else if (command == "select") {
            HWND control = control_of(current, argument(i));
            DWORD_PTR result = 0;
            send_with_timeout(control, LB_SETCURSEL, std::atoi(argument(i).c_str()), 0, &result);
        } else if (command == "press") {
            const std::string& id = argument(i);
            HWND button = control_of(current, id);
            PostMessageA(current, WM_COMMAND, MAKEWPARAM(std::atoi(id.c_str()), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        } else if (command == "key") {
            HWND control = control_of(current, argument(i));
            WPARAM key = static_cast<WPARAM>(std::atoi(argument(i).c_str()));
            PostMessageA(control, WM_KEYDOWN, key, 1);
            PostMessageA(control, WM_KEYUP, key, 0xC0000001);
        } else if (command == "paste") {
            // Posted: a long paste may take the control longer than a sent message may wait.
            PostMessageA(control_of(current, argument(i)), WM_PASTE, 0, 0);
        } else if (command == "close") {
            if (current == nullptr) throw Failure{"no current window"};
            PostMessageA(current, WM_CLOSE, 0, 0);
        } else if (command == "gone") {
            double seconds = optional_seconds(i);
            DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
            while (current != nullptr && IsWindow(current) && IsWindowVisible(current)) {
                if (static_cast<LONG>(GetTickCount() - deadline) >= 0)
                    throw Failure{"the window is still shown"};
                Sleep(50);
            }
            std::printf("gone\n");
        } else if (command == "selection") {
            HWND control = control_of(current, argument(i));
            DWORD_PTR range = 0;
            if (!send_with_timeout(control, EM_GETSEL, 0, 0, &range)) throw Failure{"no answer to EM_GETSEL"};
            std::printf("selection start=%d end=%d\n", static_cast<int>(LOWORD(range)),
                        static_cast<int>(HIWORD(range)));
        } else if (command == "metrics") {
            std::printf("metrics screen_width=%d screen_height=%d full_width=%d full_height=%d theme=%d\n",
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                        GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN),
                        theme_active() ? 1 : 0);
        } else if (command == "resources") {
            report_resources(argument(i));
        } else if (command == "theme") {
            set_theme_active(argument(i) == "1");
        } else if (command == "clipboard-set") {
            set_clipboard(unescaped(argument(i)));
        } else if (command == "clipboard-get") {
            std::printf("clipboard \"%s\"\n", escaped(clipboard()).c_str());
        } else if (command == "wait-child") {
            const std::string& text = argument(i);
            current = wait_for_window_with_child_text(text, optional_seconds(i));
            std::printf("found \"%s\"\n", escaped(text).c_str());
        } else if (command == "set-text-file") {
            HWND control = control_of(current, argument(i));
            std::string text = file_bytes(argument(i));
            DWORD_PTR result = 0;
            if (!send_with_timeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result))
                throw Failure{"the control did not take the text"};
        } else if (command == "tree") {
            TreeReader tree(control_of(current, argument(i)));
            tree.walk([&](HTREEITEM item, int depth) {
                auto [text, selected] = tree.read(item);
                std::printf("  tree-item depth=%d selected=%d text=\"%s\"\n", depth, selected ? 1 : 0,
                            escaped(text).c_str());
                return true;
            });
        } else if (command == "tree-select") {
            HWND control = control_of(current, argument(i));
            std::string path = argument(i);
            TreeReader tree(control);
            HTREEITEM item = tree.find_path(path);
            if (item == nullptr) throw Failure{"no tree item \"" + path + "\""};
            DWORD_PTR result = 0;
            send_with_timeout(control, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &result);
        } else {
            throw Failure{"unknown command " + command};
        }
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        run(arguments);
    } catch (const Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "korvex_gui_driver: %s\n", failure.reason.c_str());
        return 2;
    }
    return 0;
}
