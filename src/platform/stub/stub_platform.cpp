// The stub platform's machine in memory: one table of files and directories by full path, the
// current directory, the environment and a clock that moves only when the script waits. Programs and
// documents never start (the system's error for a missing file), the command interpreter is missing,
// and there is no console or native desktop: a stub run uses the scripted one.
#include "platform/stub/stub_machine.hpp"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "base/ascii.hpp"
#include "platform/files.hpp"
#include "platform/os.hpp"
#include "platform/process.hpp"

namespace korvex::platform {
namespace {

constexpr std::int32_t file_not_found = 2;

struct Node {
    bool directory = false;
    std::string bytes;
    std::uint32_t attributes = file_attribute::normal;
    std::uint64_t index = 0;
    FileTime written;
    // Counts up at every change of any file, so that a content rewritten within one tick of the clock
    // still has a version of its own, as a real file's change time gives it.
    std::int64_t change = 0;
};

// An open data file: the node it reads or writes, by path, and the read position.
struct OpenFile {
    std::string path;
    FileAccess access = FileAccess::read;
    std::size_t position = 0;
};

struct Machine {
    std::map<std::string, Node> nodes;
    std::string current = "/work";
    std::map<std::string, std::string> environment; // upper-cased names
    std::map<std::intptr_t, OpenFile> open_files;
    std::intptr_t next_handle = 0;
    std::uint64_t next_index = 1;
    std::int64_t next_change = 1;
    std::int64_t milliseconds = 0;

    Machine() {
        nodes["/"].directory = true;
        nodes["/work"].directory = true;
    }
};

Machine& machine() {
    static Machine the_machine;
    return the_machine;
}

// The full path a script's path names: backslashes as separators, relative to the current
// directory, "." and ".." resolved; "/" for the root.
std::string full_path(std::string_view path) {
    std::string text(text_before_zero(path));
    for (char& byte : text)
        if (byte == '\\') byte = '/';
    if (text.empty() || text[0] != '/') text = machine().current + "/" + text;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string full;
    for (const std::string& part : parts) full += "/" + part;
    return full.empty() ? "/" : full;
}

std::string parent_of(const std::string& full) {
    std::size_t slash = full.rfind('/');
    return slash == 0 ? "/" : full.substr(0, slash);
}

Node* find_node(const std::string& full) {
    auto found = machine().nodes.find(full);
    return found == machine().nodes.end() ? nullptr : &found->second;
}

bool parent_is_directory(const std::string& full) {
    Node* parent = find_node(parent_of(full));
    return full != "/" && parent != nullptr && parent->directory;
}

Node& make_node(const std::string& full, bool directory) {
    Node& node = machine().nodes[full];
    node.directory = directory;
    node.attributes = directory ? file_attribute::directory : file_attribute::archive;
    node.index = machine().next_index++;
    node.written = current_file_time();
    node.change = machine().next_change++;
    return node;
}

// The names directly inside a directory, in byte order.
std::vector<std::string> children_of(const std::string& directory) {
    std::string prefix = directory == "/" ? "/" : directory + "/";
    std::vector<std::string> names;
    for (auto it = machine().nodes.lower_bound(prefix); it != machine().nodes.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        std::string rest = it->first.substr(prefix.size());
        if (!rest.empty() && rest.find('/') == std::string::npos) names.push_back(rest);
    }
    return names;
}

FileVersion version_of(const Node& node) {
    return {{1, node.index}, static_cast<std::int64_t>(node.bytes.size()), node.written, {node.change, 0}};
}

} // namespace

namespace stub {

void reset_machine() {
    machine() = Machine();
}

} // namespace stub

// The operating system.

std::string own_executable_path() {
    return "/work/program";
}
bool standard_error_is_terminal() {
    return false;
}
std::string last_system_error() {
    return "not in the stub machine";
}
std::optional<std::string> read_file_behind(const std::string& path,
                                            const std::function<std::size_t(std::string_view)>& part_length) {
    Node* node = find_node(full_path(path));
    if (node == nullptr || node->directory) return std::nullopt;
    std::size_t start = std::min(part_length(node->bytes), node->bytes.size());
    return node->bytes.substr(start);
}
std::optional<std::string>
read_own_executable_behind(const std::function<std::size_t(std::string_view)>& part_length) {
    return read_file_behind(own_executable_path(), part_length);
}
std::string current_directory() {
    return machine().current;
}
std::optional<std::string> environment_variable(std::string_view name) {
    auto found = machine().environment.find(upper_case_ascii(text_before_zero(name)));
    if (found == machine().environment.end()) return std::nullopt;
    return found->second;
}
std::string user_name() {
    return "stub";
}
std::string os_version_name() {
    return "Stub";
}
LocalTime local_time() {
    return {2026, 1, 1, 0, 0, static_cast<int>(machine().milliseconds / 1000 % 60)};
}
std::int64_t calendar_seconds() {
    return 1767225600 + machine().milliseconds / 1000;
}

// Processes and the environment.

std::int32_t start_program(std::string_view, ShowState) {
    return file_not_found;
}
std::optional<std::int32_t> run_program_and_wait(std::string_view, ShowState) {
    return std::nullopt;
}
std::int32_t open_with_shell(std::string_view) {
    return file_not_found;
}
bool set_environment_variable(std::string_view name, std::string_view value) {
    std::string_view text_name = text_before_zero(name);
    if (text_name.empty() || text_name.find('=') != std::string_view::npos) return false;
    machine().environment[upper_case_ascii(text_name)] = std::string(text_before_zero(value));
    return true;
}
void remove_environment_variable(std::string_view name) {
    machine().environment.erase(upper_case_ascii(text_before_zero(name)));
}
std::int32_t send_multimedia_command(std::string_view) {
    return multimedia_unavailable;
}
void sleep_milliseconds(std::int32_t milliseconds) {
    if (milliseconds > 0) machine().milliseconds += milliseconds;
}

// Files and directories.

FileTime current_file_time() {
    return {calendar_seconds(), machine().milliseconds % 1000 * 1000000};
}

std::optional<FileVersion> unopened_file_version(const std::string& path) {
    Node* node = find_node(full_path(path));
    if (node == nullptr || node->directory) return std::nullopt;
    return version_of(*node);
}

DataFile::~DataFile() {
    close();
}

bool DataFile::open(const std::string& path, FileAccess access) {
    close();
    std::string full = full_path(path);
    Node* node = find_node(full);
    if (node != nullptr && node->directory) return false;
    if (access == FileAccess::read && node == nullptr) return false;
    if (access != FileAccess::read) {
        if (node == nullptr) {
            if (!parent_is_directory(full)) return false;
            node = &make_node(full, false);
        }
        if ((node->attributes & file_attribute::read_only) != 0) return false;
        if (access == FileAccess::create) {
            node->bytes.clear();
            node->change = machine().next_change++;
        }
    }
    handle = machine().next_handle++;
    machine().open_files[handle] = {full, access, 0};
    return true;
}

std::int64_t DataFile::read(char* buffer, std::size_t capacity) {
    auto found = machine().open_files.find(handle);
    if (found == machine().open_files.end()) return -1;
    Node* node = find_node(found->second.path);
    if (node == nullptr) return -1;
    std::size_t& position = found->second.position;
    if (position >= node->bytes.size()) return 0;
    std::size_t count = std::min(capacity, node->bytes.size() - position);
    std::memcpy(buffer, node->bytes.data() + position, count);
    position += count;
    return static_cast<std::int64_t>(count);
}

bool DataFile::write(std::string_view bytes) {
    auto found = machine().open_files.find(handle);
    if (found == machine().open_files.end() || found->second.access == FileAccess::read) return false;
    Node* node = find_node(found->second.path);
    if (node == nullptr) return false;
    node->bytes += bytes;
    node->written = current_file_time();
    node->change = machine().next_change++;
    return true;
}

std::optional<std::int64_t> DataFile::size() {
    auto found = machine().open_files.find(handle);
    Node* node = found == machine().open_files.end() ? nullptr : find_node(found->second.path);
    if (node == nullptr) return std::nullopt;
    return static_cast<std::int64_t>(node->bytes.size());
}

bool DataFile::seek(std::int64_t offset) {
    auto found = machine().open_files.find(handle);
    if (found == machine().open_files.end() || offset < 0) return false;
    found->second.position = static_cast<std::size_t>(offset);
    return true;
}

std::optional<FileVersion> DataFile::version() {
    auto found = machine().open_files.find(handle);
    Node* node = found == machine().open_files.end() ? nullptr : find_node(found->second.path);
    if (node == nullptr) return std::nullopt;
    return version_of(*node);
}

std::optional<bool> DataFile::copy_rest_to(DataFile&) {
    return std::nullopt;
}

bool DataFile::close() {
    if (handle == no_handle) return true;
    machine().open_files.erase(handle);
    handle = no_handle;
    return true;
}

std::optional<FileIdentity> file_identity(const std::string& path) {
    Node* node = find_node(full_path(path));
    if (node == nullptr) return std::nullopt;
    return FileIdentity{1, node->index};
}

bool delete_file(const std::string& path) {
    std::string full = full_path(path);
    Node* node = find_node(full);
    if (node == nullptr || node->directory || (node->attributes & file_attribute::read_only) != 0)
        return false;
    machine().nodes.erase(full);
    return true;
}

bool rename_file(const std::string& old_path, const std::string& new_path) {
    std::string from = full_path(old_path), to = full_path(new_path);
    if (find_node(from) == nullptr || from == "/" || find_node(to) != nullptr || !parent_is_directory(to))
        return false;
    // A directory cannot move into itself.
    if (to.compare(0, from.size() + 1, from + "/") == 0) return false;
    std::map<std::string, Node> moved;
    for (auto it = machine().nodes.begin(); it != machine().nodes.end();) {
        if (it->first == from || it->first.compare(0, from.size() + 1, from + "/") == 0) {
            moved[to + it->first.substr(from.size())] = it->second;
            it = machine().nodes.erase(it);
        } else {
            ++it;
        }
    }
    machine().nodes.merge(moved);
    return true;
}

std::optional<std::uint32_t> file_attributes(const std::string& path) {
    Node* node = find_node(full_path(path));
    if (node == nullptr) return std::nullopt;
    return node->attributes;
}

bool set_file_attributes(const std::string& path, std::uint32_t word) {
    Node* node = find_node(full_path(path));
    if (node == nullptr) return false;
    node->attributes =
        (word & ~file_attribute::directory) | (node->directory ? file_attribute::directory : 0);
    return true;
}

bool change_directory(const std::string& path) {
    std::string full = full_path(path);
    Node* node = find_node(full);
    if (node == nullptr || !node->directory) return false;
    machine().current = full;
    return true;
}

bool create_directory(const std::string& path) {
    std::string full = full_path(path);
    if (find_node(full) != nullptr || !parent_is_directory(full)) return false;
    make_node(full, true);
    return true;
}

bool remove_directory(const std::string& path) {
    std::string full = full_path(path);
    Node* node = find_node(full);
    if (node == nullptr || !node->directory || full == "/" || !children_of(full).empty()) return false;
    if (machine().current == full) return false;
    machine().nodes.erase(full);
    return true;
}

std::int32_t run_shell_command(const std::string&) {
    return -1;
}

bool is_directory_separator(char byte) {
    return byte == '/' || byte == '\\';
}

std::optional<std::vector<std::string>> matching_entries(const std::string& pattern) {
    std::vector<std::string> names;
    for (const char* dot : {".", ".."})
        if (wildcard_match(pattern, dot)) names.push_back(dot);
    for (const std::string& name : children_of(machine().current))
        if (wildcard_match(pattern, name)) names.push_back(name);
    return names;
}

std::optional<std::vector<std::string>> searchable_subdirectories() {
    std::vector<std::string> names;
    std::string prefix = machine().current == "/" ? "/" : machine().current + "/";
    for (const std::string& name : children_of(machine().current)) {
        const Node& node = machine().nodes[prefix + name];
        if (node.directory && (node.attributes & file_attribute::system) == 0) names.push_back(name);
    }
    return names;
}

bool enter_subdirectory(const std::string& name) {
    return change_directory(name);
}

// A mark keeps the directory's name, kept in the wide text as its bytes.
DirectoryMark::DirectoryMark() : handle(0), path(machine().current.begin(), machine().current.end()) {}
DirectoryMark::DirectoryMark(DirectoryMark&& other) noexcept
    : handle(other.handle), path(std::move(other.path)) {
    other.handle = -1;
}
DirectoryMark& DirectoryMark::operator=(DirectoryMark&& other) noexcept {
    handle = other.handle;
    path = std::move(other.path);
    other.handle = -1;
    return *this;
}
DirectoryMark::~DirectoryMark() = default;
bool DirectoryMark::is_valid() const {
    return handle == 0;
}
bool DirectoryMark::return_to() const {
    if (handle != 0) return false;
    std::string name;
    for (wchar_t unit : path) name += static_cast<char>(unit);
    return change_directory(name);
}

} // namespace korvex::platform
