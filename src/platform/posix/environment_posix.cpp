// The process environment on POSIX systems, looked up and changed by name without regard to letter
// case. The C library's setenv and unsetenv walk through every entry on each call, so a script that
// sets thousands of variables would wait for the square of their number. The table here puts an array
// of its own in environ, where getenv, started programs and the shell read it, and keeps an index from
// upper-cased names to the places of their entries. The environment is the process's, so its table is
// too: it lives as long as the process, as the C library's own would.
#include "platform/os.hpp"
#include "platform/process.hpp"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/ascii.hpp"

extern char** environ;

namespace korvex::platform {
namespace {

std::string folded_name(std::string_view name) {
    return upper_case_ascii(name);
}

std::string_view name_of(const char* entry) {
    std::string_view text(entry);
    return text.substr(0, text.find('='));
}

class EnvironmentTable {
public:
    // The place of the entry a lookup of name finds: the first of that spelling, else the first of any
    // spelling; nothing when the name has no entry.
    std::optional<std::size_t> find(std::string_view name) {
        keep_in_step();
        auto found = places.find(folded_name(name));
        if (found == places.end()) return std::nullopt;
        for (std::size_t place : found->second)
            if (name_of(entries[place]) == name) return place;
        return found->second.front();
    }

    const char* entry(std::size_t place) const { return entries[place]; }

    // Gives name the value: the entry a lookup finds keeps its spelling, entries of other spellings go,
    // and a name without entry gets one at the end.
    void set(std::string_view name, std::string_view value) {
        std::optional<std::size_t> kept = find(name);
        if (!kept) {
            entries.push_back(nullptr);
            owned.emplace_back();
            places[folded_name(name)].push_back(owned.size() - 1);
            put(owned.size() - 1, name, value);
        } else {
            put(*kept, name_of(entries[*kept]), value);
            std::vector<std::size_t> others = places[folded_name(name)];
            others.erase(std::find(others.begin(), others.end(), *kept));
            erase_all(std::move(others));
        }
        environ = entries.data();
    }

    // Removes the entries of name in every spelling.
    void remove(std::string_view name) {
        keep_in_step();
        auto found = places.find(folded_name(name));
        if (found != places.end()) erase_all(found->second);
        environ = entries.data();
    }

private:
    // Takes the environment as it stands unless environ is still the table's array as the table left
    // it: at the first use, and after other code changed the environment with setenv, putenv,
    // unsetenv or clearenv (the C library copies the array to add, shifts it to remove).
    void keep_in_step() {
        const std::size_t count = owned.size();
        if (environ == entries.data() && entries[count] == nullptr &&
            (count == 0 || entries[count - 1] != nullptr))
            return;
        // Texts of the table's that the environment still holds stay the table's.
        std::unordered_map<const char*, std::unique_ptr<char[]>> ours;
        for (std::unique_ptr<char[]>& text : owned)
            if (text) ours.emplace(text.get(), std::move(text));
        entries.clear();
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
            entries.push_back(*entry);
        entries.push_back(nullptr);
        owned.clear();
        owned.resize(entries.size() - 1);
        places.clear();
        for (std::size_t place = 0; place < owned.size(); ++place) {
            if (auto found = ours.find(entries[place]); found != ours.end())
                owned[place] = std::move(found->second);
            places[folded_name(name_of(entries[place]))].push_back(place);
        }
        environ = entries.data();
    }

    void put(std::size_t place, std::string_view name, std::string_view value) {
        std::unique_ptr<char[]> text(new char[name.size() + value.size() + 2]);
        std::memcpy(text.get(), name.data(), name.size());
        text[name.size()] = '=';
        std::memcpy(text.get() + name.size() + 1, value.data(), value.size());
        text[name.size() + 1 + value.size()] = '\0';
        entries[place] = text.get();
        owned[place] = std::move(text);
    }

    // Removes the entries at these places. The last entry takes each freed place, so nothing else
    // moves; from the highest place down, the places still to go are never the last.
    void erase_all(std::vector<std::size_t> doomed) {
        std::sort(doomed.begin(), doomed.end(), std::greater<>());
        for (std::size_t place : doomed) {
            const std::size_t last = owned.size() - 1;
            drop_place(place);
            if (place != last) {
                std::vector<std::size_t>& moved = places[folded_name(name_of(entries[last]))];
                std::replace(moved.begin(), moved.end(), last, place);
                std::sort(moved.begin(), moved.end());
                entries[place] = entries[last];
                owned[place] = std::move(owned[last]);
            }
            owned.pop_back();
            entries.pop_back();
            entries[last] = nullptr;
        }
    }

    // Takes a place out of the index.
    void drop_place(std::size_t place) {
        auto found = places.find(folded_name(name_of(entries[place])));
        std::vector<std::size_t>& list = found->second;
        list.erase(std::find(list.begin(), list.end(), place));
        if (list.empty()) places.erase(found);
    }

    std::vector<char*> entries{nullptr};        // the entries, then a null pointer: what environ points to
    std::vector<std::unique_ptr<char[]>> owned; // the text of each entry the table made, else nothing
    std::unordered_map<std::string, std::vector<std::size_t>> places; // by upper-cased name, ascending
};

EnvironmentTable& environment_table() {
    static EnvironmentTable table;
    return table;
}

} // namespace

std::optional<std::string> environment_variable(std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::optional<std::size_t> place = environment_table().find(name);
    if (!place) return std::nullopt;
    std::string_view entry(environment_table().entry(*place));
    std::size_t equals = entry.find('=');
    return std::string(equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1));
}

bool set_environment_variable(std::string_view name, std::string_view value) {
    std::string_view text_name = text_before_zero(name);
    if (text_name.empty() || text_name.find('=') != std::string_view::npos) return false;
    environment_table().set(text_name, text_before_zero(value));
    return true;
}

void remove_environment_variable(std::string_view name) {
    environment_table().remove(name);
}

} // namespace korvex::platform
