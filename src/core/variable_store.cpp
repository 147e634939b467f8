// The variable table and its name index.
#include "core/variable_store.hpp"

namespace korvex {

const std::string* VariableStore::find(std::string_view name) const {
    auto found = index.find(name);
    return found == index.end() ? nullptr : &table[found->second].value;
}

std::size_t VariableStore::entry_for(std::string_view name) {
    auto found = index.find(name);
    if (found != index.end()) return found->second;
    table.push_back(KX_VarSystem{std::string(name), std::string()});
    index.emplace(std::string(name), table.size() - 1);
    return table.size() - 1;
}

void VariableStore::store(std::string_view name, std::string value) {
    table[entry_for(name)].value = std::move(value);
}

void VariableStore::declare(std::string_view name) {
    entry_for(name);
}

} // namespace korvex
