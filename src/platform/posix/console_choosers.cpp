// The console desktop's choosers: the chooser is printed with its title, file types and folder, and
// the user types a path, or, where the chooser allows several files, paths separated by "|".
#include "platform/posix/console_choosers.hpp"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

#include "platform/os.hpp"
#include "platform/posix/native_path.hpp"

namespace korvex::console {
namespace {

std::string_view trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A full path for a typed one, relative paths taken from base, with "." and ".." resolved as names (as
// the Windows choosers resolve them) and a trailing "/" kept: it tells that no file name was typed.
std::string full_path(std::string_view typed, std::string_view base) {
    std::string joined =
        typed.substr(0, 1) == "/" ? std::string(typed) : std::string(base) + "/" + std::string(typed);
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = std::min(joined.find('/', start), joined.size());
        std::string name = joined.substr(start, end - start);
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(std::move(name));
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string& name : names) path += "/" + name;
    if (path.empty() || joined.back() == '/') path += '/';
    return path;
}

bool is_directory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The chosen files for one typed line, or the reason why it chooses none.
struct TypedChoice {
    std::optional<ChosenFiles> files;
    std::string problem;
};

TypedChoice files_of_line(const FileChooser& chooser, std::string_view line) {
    std::vector<std::string> paths;
    if (chooser.selection == FileSelection::single) {
        paths.push_back(full_path(trimmed(line), chooser.folder));
    } else {
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t end = std::min(line.find('|', start), line.size());
            std::string_view piece = trimmed(line.substr(start, end - start));
            if (!piece.empty()) paths.push_back(full_path(piece, chooser.folder));
            start = end + 1;
        }
    }
    for (const std::string& path : paths)
        if (path.back() == '/') return {std::nullopt, path + " names no file"};
    if (paths.size() == 1) return {ChosenFiles{paths.front()}, {}};
    // Several files are given as their folder, then each name, as the Windows chooser gives them.
    ChosenFiles pieces;
    for (const std::string& path : paths) {
        std::size_t slash = path.rfind('/');
        std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        if (pieces.empty())
            pieces.push_back(folder);
        else if (folder != pieces.front())
            return {std::nullopt, "the files must be in one folder"};
        pieces.push_back(path.substr(slash + 1));
    }
    return {std::move(pieces), {}};
}

} // namespace

void print_file_chooser(const FileChooser& chooser, const Printer& print) {
    std::string text =
        "== " + chooser.title + " == (" + (chooser.kind == FileChooserKind::save ? "save" : "open") + ")\n";
    if (!chooser.filters.empty()) {
        text += "types:";
        for (const FileFilter& filter : chooser.filters)
            text += (&filter == &chooser.filters.front() ? " " : ", ") + filter.description + " (" +
                    filter.pattern + ")";
        text += "\n";
    }
    text += "folder: " + chooser.folder + "\n";
    if (chooser.selection == FileSelection::multiple)
        text +=
            "(a path, or several separated by \"|\"; Enter alone, " + std::string(cancel_keys) + ": cancel)";
    else
        text += "(a path; Enter alone, " + std::string(cancel_keys) + ": cancel)";
    print(text + "\n");
}

std::optional<ChosenFiles> ask_for_files(const FileChooser& chooser, const Printer& print,
                                         const LineReader& read_line) {
    for (;;) {
        print("> ");
        std::optional<std::string> line = read_line();
        if (!line || trimmed(*line).empty()) return std::nullopt;
        TypedChoice choice = files_of_line(chooser, *line);
        if (choice.files) return choice.files;
        print(choice.problem + "\n");
    }
}

void print_folder_chooser(std::string_view title, std::string_view initial_folder, const Printer& print) {
    std::string text = "== " + std::string(title) + " == (folder)\n";
    if (initial_folder.empty()) {
        print(text + "(a folder; " + std::string(cancel_keys) + ": cancel)\n");
        return;
    }
    text += "folder: " + platform::native_path(initial_folder) + "\n";
    print(text + "(a folder; Enter alone: the folder shown, " + std::string(cancel_keys) + ": cancel)\n");
}

FolderChoice ask_for_folder(std::string_view initial_folder, const Printer& print,
                            const LineReader& read_line) {
    std::string base = platform::current_directory();
    for (;;) {
        print("> ");
        std::optional<std::string> line = read_line();
        if (!line) return {FolderOutcome::cancelled, {}};
        std::string typed(trimmed(*line).empty() ? platform::native_path(initial_folder) : trimmed(*line));
        if (typed.empty()) {
            print("no folder is shown: type one\n");
            continue;
        }
        std::string path = full_path(typed, base);
        if (path.size() > 1 && path.back() == '/') path.pop_back();
        if (is_directory(path)) return {FolderOutcome::chosen, path};
        print(path + " is no folder\n");
    }
}

} // namespace korvex::console
