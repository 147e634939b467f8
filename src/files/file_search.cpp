// Recursive file search: the matches of a wildcard pattern in a directory and the directories
// below it, as "|"-separated paths relative to the start. The walk changes the current directory
// level by level and ends in the directory named by variable 2 (where it started when that fails).
#include <algorithm>
#include <optional>
#include <vector>

#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "files/files.hpp"
#include "platform/files.hpp"

namespace korvex {
namespace {

// Depth 0 stands for the whole tree, in practice.
constexpr std::int64_t whole_tree_levels = 255;

// One directory on the walk's current path.
struct SearchLevel {
    std::string name;   // its name in the level above; empty at the start
    std::string prefix; // relative path from the start, ending in a backslash; empty at the start
    std::int64_t levels = 0;
    std::optional<platform::FileIdentity> identity;
    std::vector<std::string> subdirectories;
    std::size_t next_subdirectory = 0;
};

// Walks depth first without recursion and without holding a directory open per level: it goes up
// by "..", and where that leads elsewhere (it came down through a link) it goes down again from the
// start by the names on its path. Each directory is known by its identity, so a walk that finds
// itself elsewhere than it should stops rather than list another place.
class FileSearch {
public:
    FileSearch(std::string pattern, const platform::DirectoryMark& start)
        : pattern(std::move(pattern)), start(start) {}

    // The matches of a directory, then everything below each of its subdirectories in listing order,
    // every entry followed by "|"; nothing when the walk could not list a directory or lost its way.
    std::optional<std::string> run(std::int64_t levels) {
        if (!enter_level({}, {}, levels, platform::file_identity("."))) return std::nullopt;
        while (!path.empty()) {
            SearchLevel& level = path.back();
            if (level.next_subdirectory == level.subdirectories.size()) {
                path.pop_back();
                if (!path.empty() && !return_up()) return std::nullopt;
                continue;
            }
            std::string name = level.subdirectories[level.next_subdirectory++];
            if (!go_down(name, level.prefix + name + '\\', level.levels - 1)) return std::nullopt;
        }
        return std::move(list);
    }

private:
    // Enters a subdirectory unless it cannot be entered or is already on the path (a link that
    // leads back up); false when the walk failed.
    bool go_down(const std::string& name, std::string prefix, std::int64_t levels) {
        if (!platform::enter_subdirectory(name)) return true;
        std::optional<platform::FileIdentity> identity = platform::file_identity(".");
        bool on_path = identity && std::any_of(path.begin(), path.end(), [&](const SearchLevel& level) {
                           return level.identity == identity;
                       });
        if (on_path) return return_up();
        return enter_level(name, std::move(prefix), levels, identity);
    }

    // Makes the last level on the path current again, from one below it.
    bool return_up() {
        if (platform::enter_subdirectory("..") && platform::file_identity(".") == path.back().identity)
            return true;
        if (!start.return_to()) return false;
        for (std::size_t index = 1; index < path.size(); ++index) {
            if (!platform::enter_subdirectory(path[index].name) ||
                platform::file_identity(".") != path[index].identity)
                return false;
        }
        return true;
    }

    bool enter_level(std::string name, std::string prefix, std::int64_t levels,
                     std::optional<platform::FileIdentity> identity) {
        std::optional<std::vector<std::string>> matches = platform::matching_entries(pattern);
        if (!matches) return false;
        for (const std::string& match : *matches) {
            if (match == "." || match == "..") continue;
            list += prefix;
            list += match;
            list += '|';
        }
        SearchLevel level{std::move(name), std::move(prefix), levels, identity, {}, 0};
        if (levels >= 1) {
            std::optional<std::vector<std::string>> subdirectories = platform::searchable_subdirectories();
            if (!subdirectories) return false;
            level.subdirectories = std::move(*subdirectories);
        }
        path.push_back(std::move(level));
        return true;
    }

    std::string pattern;
    const platform::DirectoryMark& start;
    std::string list;
    std::vector<SearchLevel> path;
};

} // namespace

// R034: file search.
Step handle_file_search(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string pattern(trim_blanks(read_value(runtime)));
    std::int64_t depth = read_whole_number(trim_blanks(read_value(runtime)));
    platform::DirectoryMark found; // where the search found the current directory
    if (pattern.empty() || !found.is_valid()) {
        report_result(runtime, false);
        return Step::next;
    }
    auto separator = std::find_if(pattern.rbegin(), pattern.rend(), platform::is_directory_separator);
    if (separator != pattern.rend()) {
        std::size_t directory_length = static_cast<std::size_t>(pattern.rend() - separator);
        if (!platform::change_directory(pattern.substr(0, directory_length))) {
            report_result(runtime, false);
            return Step::next;
        }
        pattern.erase(0, directory_length);
    }
    std::int64_t levels = depth - 1 == -1 ? whole_tree_levels : depth - 1;
    std::optional<std::string> list;
    if (platform::DirectoryMark start; start.is_valid()) list = FileSearch(pattern, start).run(levels);
    if (list) {
        if (!list->empty()) list->pop_back();
        set_variable(runtime, name, std::move(*list));
    }
    // The search ends in the directory variable 2 names, as scripts expect; where it found the
    // current directory when variable 2 leads nowhere (empty for a directory too long to name).
    if (!platform::change_directory(get_variable(runtime, SystemVariable::current_directory)))
        found.return_to();
    report_result(runtime, list.has_value());
    return Step::next;
}

} // namespace korvex
