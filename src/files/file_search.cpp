// Recursive file search: the matches of a wildcard pattern in a directory and the directories
// below it, as "|"-separated paths relative to the start. The walk changes the current directory
// level by level and ends in the directory named by variable 2.
#include <algorithm>
#include <optional>
#include <vector>

#include "core/numbers.hpp"
#include "core/operands.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "files/files.hpp"
#include "files/results.hpp"
#include "platform/files.hpp"

namespace korvex {
namespace {

// Depth 0 stands for the whole tree, in practice.
constexpr std::int64_t whole_tree_levels = 255;

// One directory on the walk's current path.
struct SearchLevel {
    std::string prefix; // relative path from the start, ending in a backslash; empty at the start
    std::int64_t levels = 0;
    std::optional<platform::FileIdentity> identity;
    std::vector<std::string> subdirectories;
    std::size_t next_subdirectory = 0;
    std::optional<platform::DirectoryMark> way_back; // to the level above; none at the start
};

class FileSearch {
public:
    explicit FileSearch(std::string pattern) : pattern(std::move(pattern)) {}

    // Walks depth first without recursion: the matches of a directory, then everything below each
    // of its subdirectories in listing order. Every entry is followed by "|".
    std::string run(std::int64_t levels) {
        enter_level({}, levels, platform::file_identity("."), std::nullopt);
        while (!path.empty()) {
            SearchLevel& level = path.back();
            if (level.next_subdirectory == level.subdirectories.size()) {
                bool returned = !level.way_back || level.way_back->return_to();
                path.pop_back();
                if (!returned) break; // the walk lost its place: keep what it found
                continue;
            }
            std::string name = level.subdirectories[level.next_subdirectory++];
            if (!go_down(name, level.prefix + name + '\\', level.levels - 1)) break;
        }
        return std::move(list);
    }

private:
    // Enters a subdirectory unless it cannot be entered or is already on the path (a link that
    // leads back up); false when the walk could not return from it.
    bool go_down(const std::string& name, std::string prefix, std::int64_t levels) {
        platform::DirectoryMark way_back;
        if (!way_back.is_valid() || !platform::enter_subdirectory(name)) return true;
        std::optional<platform::FileIdentity> identity = platform::file_identity(".");
        bool on_path = identity && std::any_of(path.begin(), path.end(), [&](const SearchLevel& level) {
                           return level.identity == identity;
                       });
        if (on_path) return way_back.return_to();
        enter_level(std::move(prefix), levels, identity, std::move(way_back));
        return true;
    }

    void enter_level(std::string prefix, std::int64_t levels, std::optional<platform::FileIdentity> identity,
                     std::optional<platform::DirectoryMark> way_back) {
        for (const std::string& name : platform::matching_entries(pattern)) {
            if (name == "." || name == "..") continue;
            list += prefix;
            list += name;
            list += '|';
        }
        SearchLevel level{std::move(prefix), levels, identity, {}, 0, std::move(way_back)};
        if (levels >= 1) level.subdirectories = platform::searchable_subdirectories();
        path.push_back(std::move(level));
    }

    std::string pattern;
    std::string list;
    std::vector<SearchLevel> path;
};

} // namespace

// R034: file search.
std::int32_t handle_file_search(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string pattern(trim_blanks(read_value(runtime)));
    std::int64_t depth = read_whole_number(trim_blanks(read_value(runtime)));
    if (pattern.empty()) {
        report_result(runtime, false);
        return status_continue;
    }
    auto separator = std::find_if(pattern.rbegin(), pattern.rend(), platform::is_directory_separator);
    if (separator != pattern.rend()) {
        std::size_t directory_length = static_cast<std::size_t>(pattern.rend() - separator);
        if (!platform::change_directory(pattern.substr(0, directory_length))) {
            report_result(runtime, false);
            return status_continue;
        }
        pattern.erase(0, directory_length);
    }
    std::int64_t levels = depth - 1 == -1 ? whole_tree_levels : depth - 1;
    std::string list = FileSearch(pattern).run(levels);
    if (!list.empty()) list.pop_back();
    set_variable(runtime, name, std::move(list));
    platform::change_directory(get_variable(runtime, "2"));
    report_result(runtime, true);
    return status_continue;
}

} // namespace korvex
