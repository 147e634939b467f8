// The variable table, its slots and its name index.
#include "decoder/variable_store.hpp"

#include <cstring>
#include <functional>

namespace korvex {

VariableStore::~VariableStore() {
    for (VariableSlot slot = 0; slot < states.size(); ++slot)
        if (states[slot] & heap_bit) delete cells[slot].heap;
}

std::size_t VariableStore::bucket_of(std::string_view name) const {
    return std::hash<std::string_view>{}(name) & (index.size() - 1);
}

void VariableStore::grow_index() {
    std::vector<std::uint32_t> larger(index.empty() ? 64 : index.size() * 2, 0);
    index.swap(larger);
    for (VariableSlot slot = 0; slot < name_offset.size(); ++slot) {
        std::size_t bucket = bucket_of(name_of(slot));
        while (index[bucket] != 0) bucket = (bucket + 1) & (index.size() - 1);
        index[bucket] = slot + 1;
    }
}

void VariableStore::reserve(std::size_t slots) {
    name_offset.reserve(slots);
    name_length.reserve(slots);
    cells.reserve(slots);
    states.reserve(slots);
}

VariableSlot VariableStore::find_slot(std::string_view name) const {
    if (index.empty()) return no_slot;
    for (std::size_t bucket = bucket_of(name); index[bucket] != 0; bucket = (bucket + 1) & (index.size() - 1))
        if (name_of(index[bucket] - 1) == name) return index[bucket] - 1;
    return no_slot;
}

VariableSlot VariableStore::add_slot(std::string_view name, std::uint32_t offset, std::uint32_t length) {
    if ((name_offset.size() + 1) * 2 > index.size()) grow_index();
    auto slot = static_cast<VariableSlot>(name_offset.size());
    name_offset.push_back(offset);
    name_length.push_back(length);
    cells.emplace_back().small.length = 0;
    states.push_back(0);
    std::size_t bucket = bucket_of(name);
    while (index[bucket] != 0) bucket = (bucket + 1) & (index.size() - 1);
    index[bucket] = slot + 1;
    return slot;
}

VariableSlot VariableStore::intern(std::string_view name) {
    VariableSlot slot = find_slot(name);
    if (slot != no_slot) return slot;
    auto offset = static_cast<std::uint32_t>(owned_names.size());
    owned_names.append(name);
    return add_slot(name, offset, static_cast<std::uint32_t>(name.size()) | owned_name_bit);
}

VariableSlot VariableStore::intern_stable(std::string_view name) {
    VariableSlot slot = find_slot(name);
    if (slot != no_slot) return slot;
    if (name.empty() || name.data() < stable_bytes.data() ||
        name.data() >= stable_bytes.data() + stable_bytes.size())
        return intern(name);
    return add_slot(name, static_cast<std::uint32_t>(name.data() - stable_bytes.data()),
                    static_cast<std::uint32_t>(name.size()));
}

std::string_view VariableStore::text(VariableSlot slot) const {
    if (states[slot] & heap_bit) return *cells[slot].heap;
    return {cells[slot].small.bytes, cells[slot].small.length};
}

std::string& VariableStore::text_to_change(VariableSlot slot) {
    count_change(slot);
    if (!(states[slot] & heap_bit)) {
        auto* heap = new std::string(cells[slot].small.bytes, cells[slot].small.length);
        cells[slot].heap = heap;
        states[slot] |= heap_bit;
    }
    return *cells[slot].heap;
}

// A text already on the heap keeps its buffer; a short one goes in place.
void VariableStore::set_text(VariableSlot slot, std::string&& value) {
    count_change(slot);
    if (states[slot] & heap_bit) {
        *cells[slot].heap = std::move(value);
    } else if (value.size() <= sizeof cells[slot].small.bytes) {
        std::memcpy(cells[slot].small.bytes, value.data(), value.size());
        cells[slot].small.length = static_cast<std::uint8_t>(value.size());
    } else {
        cells[slot].heap = new std::string(std::move(value));
        states[slot] |= heap_bit;
    }
}

void VariableStore::make_number_room(VariableSlot slot) {
    numbers.resize(slot + 1);
}

void VariableStore::store_text(VariableSlot slot, std::string value) {
    set_text(slot, std::move(value));
    states[slot] = (states[slot] & heap_bit) | exists_bit | text_bit;
}

void VariableStore::keep_text(VariableSlot slot, std::string text) {
    set_text(slot, std::move(text));
    states[slot] |= text_bit;
}

std::optional<std::string_view> VariableStore::find(std::string_view name) const {
    VariableSlot slot = find_slot(name);
    if (slot == no_slot || !exists(slot) || (holds_number(slot) && !holds_text(slot))) return std::nullopt;
    return holds_text(slot) ? text(slot) : std::string_view();
}

std::vector<KX_VarSystem> VariableStore::entries() const {
    std::vector<KX_VarSystem> result;
    for (VariableSlot slot = 0; slot < name_offset.size(); ++slot)
        if (exists(slot))
            result.push_back({std::string(name_of(slot)), std::string(holds_text(slot) ? text(slot) : "")});
    return result;
}

} // namespace korvex
