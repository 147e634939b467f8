// The Win32 choosers: GetOpenFileNameA and GetSaveFileNameA, and SHBrowseForFolderA with the initial
// folder preselected. None has an owner window; each runs its own modal loop.
#include "platform/win32/choosers_win32.hpp"

#include <windows.h>

#include <algorithm>
#include <commdlg.h>
#include <cstddef>
#include <cstring>
#include <shlobj.h>
#include <string>
#include <vector>

namespace korvex::win32 {
namespace {

// The file dialogs' record without the fields that later Windows versions added (what
// OPENFILENAME_SIZE_VERSION_400A gives, written so that it is a constant): 76 bytes in the 32-bit
// build, and the same fields in the 64-bit one.
constexpr DWORD file_record_size =
    offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName);
static_assert(sizeof(void*) != 4 || file_record_size == 76);

// The room for a chosen path or names when a dialog opens: a choice of 1 MiB and its two closing
// zero bytes, some thousands of names. A choice that needs more makes the dialog fail with
// FNERR_BUFFERTOOSMALL (or, in Wine, come back cut), and the dialog is shown again with more room,
// until the whole choice fits.
constexpr std::size_t first_names_room = (std::size_t{1} << 20) + 2;

// Each pair as description and pattern, zero-terminated, and an empty text to end the list.
std::string filter_list(const std::vector<FileFilter>& filters) {
    std::string list;
    for (const FileFilter& filter : filters) {
        list += filter.description;
        list += '\0';
        list += filter.pattern;
        list += '\0';
    }
    list += '\0'; // with c_str()'s own zero, two zero bytes stand behind the last pattern
    return list;
}

// The dialog's answer: one path, or, with multiple selection, the zero-separated pieces (the folder,
// then each name; or one full path) up to the empty one. Nothing when the answer runs to the end of
// the room without its closing zero bytes: a dialog that cut the list instead of failing (Wine does).
std::optional<ChosenFiles> chosen_pieces(const std::vector<char>& names, FileSelection selection) {
    ChosenFiles pieces;
    std::size_t start = 0;
    for (;;) {
        if (start >= names.size()) return std::nullopt;
        if (names[start] == '\0') break;
        std::size_t length = strnlen(names.data() + start, names.size() - start);
        if (start + length == names.size()) return std::nullopt;
        pieces.emplace_back(names.data() + start, length);
        if (selection == FileSelection::single) break;
        start += length + 1;
    }
    if (pieces.empty()) pieces.emplace_back();
    return pieces;
}

// The room that a dialog which failed with FNERR_BUFFERTOOSMALL asks for: the first two bytes of the
// names (bytes in the ANSI dialogs), a number that cannot tell more than 65535, so the room at least
// doubles as well.
std::size_t room_asked_for(const std::vector<char>& names) {
    std::size_t told = static_cast<unsigned char>(names[0]) |
                       static_cast<std::size_t>(static_cast<unsigned char>(names[1])) << 8;
    return std::max(told + 2, names.size() * 2);
}

int CALLBACK preselect_initial_folder(HWND dialog, UINT message, LPARAM, LPARAM initial_folder) {
    if (message == BFFM_INITIALIZED && initial_folder != 0)
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, initial_folder);
    return 0;
}

// The file-system path of a chosen item; nothing for an item without one (a virtual folder). The ANSI
// call holds at most MAX_PATH bytes: a path that fills it may be longer, and is asked for again in
// full from the wide call where Windows has it.
std::optional<std::string> file_system_path(LPCITEMIDLIST item) {
    char short_path[MAX_PATH] = {};
    bool found = SHGetPathFromIDListA(item, short_path) != FALSE;
    std::size_t length = strnlen(short_path, MAX_PATH);
    if (found && length < MAX_PATH - 1) return std::string(short_path, length);

    using LongPathQuery = BOOL(WINAPI*)(LPCITEMIDLIST, PWSTR, DWORD, int);
    HMODULE shell = GetModuleHandleA("shell32.dll");
    auto long_path_query = shell == nullptr ? nullptr
                                            : reinterpret_cast<LongPathQuery>(reinterpret_cast<void*>(
                                                  GetProcAddress(shell, "SHGetPathFromIDListEx")));
    if (long_path_query == nullptr) return found ? std::optional<std::string>(short_path) : std::nullopt;
    constexpr DWORD longest_path = 32768; // the longest path Windows takes, in UTF-16 units
    std::vector<wchar_t> wide(longest_path, L'\0');
    if (!long_path_query(item, wide.data(), longest_path, 0))
        return found ? std::optional<std::string>(short_path) : std::nullopt;
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::nullopt;
    std::vector<char> narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow.data(), size, nullptr, nullptr);
    return std::string(narrow.data(), strnlen(narrow.data(), narrow.size()));
}

FolderChoice browse_for_folder(const std::string& title, const std::string& initial_folder) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return {FolderOutcome::failed, {}};
    char display_name[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = nullptr;
    info.pidlRoot = nullptr;
    info.pszDisplayName = display_name;
    info.lpszTitle = title.c_str();
    info.ulFlags = 0;
    info.lpfn = preselect_initial_folder;
    info.lParam = reinterpret_cast<LPARAM>(initial_folder.c_str());
    FolderChoice choice{FolderOutcome::cancelled, {}};
    if (LPITEMIDLIST item = SHBrowseForFolderA(&info); item != nullptr) {
        std::optional<std::string> path = file_system_path(item);
        choice = path ? FolderChoice{FolderOutcome::chosen, std::move(*path)}
                      : FolderChoice{FolderOutcome::no_path, {}};
        allocator->Free(item);
    }
    allocator->Release();
    return choice;
}

} // namespace

std::optional<ChosenFiles> show_file_chooser(const FileChooser& chooser) {
    std::string filters = filter_list(chooser.filters);
    bool multiple = chooser.selection == FileSelection::multiple;
    std::vector<char> names(first_names_room, '\0');
    for (;;) {
        OPENFILENAMEA record{};
        record.lStructSize = file_record_size;
        record.hwndOwner = nullptr;
        record.lpstrFilter = filters.c_str();
        record.lpstrCustomFilter = nullptr;
        record.nFilterIndex = 0;
        record.lpstrFile = names.data();
        record.nMaxFile = static_cast<DWORD>(names.size());
        record.lpstrFileTitle = nullptr;
        record.lpstrInitialDir = chooser.folder.c_str();
        record.lpstrTitle = chooser.title.c_str();
        record.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (multiple ? OFN_ALLOWMULTISELECT : 0);
        bool confirmed = (chooser.kind == FileChooserKind::save ? GetSaveFileNameA(&record)
                                                                : GetOpenFileNameA(&record)) != FALSE;
        if (confirmed) {
            if (std::optional<ChosenFiles> pieces = chosen_pieces(names, chooser.selection)) return pieces;
            names.assign(names.size() * 2, '\0');
            continue;
        }
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) return std::nullopt;
        names.assign(room_asked_for(names), '\0');
    }
}

FolderChoice show_folder_chooser(std::string_view title, std::string_view initial_folder) {
    HRESULT initialised = CoInitialize(nullptr);
    FolderChoice choice = browse_for_folder(std::string(title), std::string(initial_folder));
    if (SUCCEEDED(initialised)) CoUninitialize();
    return choice;
}

} // namespace korvex::win32
