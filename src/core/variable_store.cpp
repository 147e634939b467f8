// The variable table and its name index.
#include "core/variable_store.hpp"

#include <functional>

namespace korvex {

std::size_t VariableStore::bucket_of(std::string_view name) const {
    return std::hash<std::string_view>{}(name) & (index.size() - 1);
}

void VariableStore::grow_index() {
    std::vector<std::uint32_t> larger(index.empty() ? 64 : index.size() * 2, 0);
    index.swap(larger);
    for (VariableSlot slot = 0; slot < names.size(); ++slot) {
        std::size_t bucket = bucket_of(names[slot]);
        while (index[bucket] != 0) bucket = (bucket + 1) & (index.size() - 1);
        index[bucket] = slot + 1;
    }
}

VariableSlot VariableStore::find_slot(std::string_view name) const {
    if (index.empty()) return no_slot;
    for (std::size_t bucket = bucket_of(name); index[bucket] != 0; bucket = (bucket + 1) & (index.size() - 1))
        if (names[index[bucket] - 1] == name) return index[bucket] - 1;
    return no_slot;
}

VariableSlot VariableStore::add_slot(std::string_view name) {
    if ((names.size() + 1) * 2 > index.size()) grow_index();
    auto slot = static_cast<VariableSlot>(names.size());
    names.push_back(name);
    texts.emplace_back();
    numbers.push_back(0);
    states.push_back(0);
    std::size_t bucket = bucket_of(name);
    while (index[bucket] != 0) bucket = (bucket + 1) & (index.size() - 1);
    index[bucket] = slot + 1;
    return slot;
}

VariableSlot VariableStore::intern(std::string_view name) {
    VariableSlot slot = find_slot(name);
    if (slot != no_slot) return slot;
    return add_slot(owned_names.emplace_back(name));
}

VariableSlot VariableStore::intern_stable(std::string_view name) {
    VariableSlot slot = find_slot(name);
    return slot != no_slot ? slot : add_slot(name);
}

void VariableStore::store_text(VariableSlot slot, std::string value) {
    texts[slot] = std::move(value);
    states[slot] = exists_bit | text_bit;
}

void VariableStore::store_number(VariableSlot slot, double value) {
    texts[slot].clear();
    numbers[slot] = value;
    states[slot] = exists_bit | number_bit;
}

void VariableStore::keep_text(VariableSlot slot, std::string text) {
    texts[slot] = std::move(text);
    states[slot] |= text_bit;
}

void VariableStore::keep_number(VariableSlot slot, double value) {
    numbers[slot] = value;
    states[slot] |= number_bit;
}

const std::string* VariableStore::find(std::string_view name) const {
    VariableSlot slot = find_slot(name);
    if (slot == no_slot || !exists(slot) || (holds_number(slot) && !holds_text(slot))) return nullptr;
    return &texts[slot];
}

std::vector<KX_VarSystem> VariableStore::entries() const {
    std::vector<KX_VarSystem> result;
    for (VariableSlot slot = 0; slot < names.size(); ++slot)
        if (exists(slot)) result.push_back({std::string(names[slot]), texts[slot]});
    return result;
}

} // namespace korvex
