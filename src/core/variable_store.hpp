// The table of named variables: entries in the order of their first store or declaration, with a
// hash index beside the table so that a name is found in constant time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvex {

// One variable: a name text and a value text. Names are raw text ("31" and "031" differ).
struct KX_VarSystem {
    std::string name;
    std::string value;
};

class VariableStore {
public:
    // The value stored under name, or null when the name was never stored or declared.
    const std::string* find(std::string_view name) const;
    void store(std::string_view name, std::string value);
    // Reserves an entry with the empty value; never changes an existing value.
    void declare(std::string_view name);
    const std::vector<KX_VarSystem>& entries() const { return table; }

private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    std::size_t entry_for(std::string_view name);

    std::vector<KX_VarSystem> table;
    std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> index;
};

} // namespace korvex
