// Whole files: delete, rename, copy, and the test and setting of one attribute.
#include <array>
#include <optional>
#include <vector>

#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "files/files.hpp"
#include "platform/files.hpp"

namespace korvex {
namespace {

namespace file_attribute = platform::file_attribute;

// The attributes scripts name, by word or by digit (the position in this table).
struct AttributeName {
    std::string_view name;
    std::uint32_t bit;
};
constexpr std::array<AttributeName, 7> attribute_names{{
    {"NORMAL", file_attribute::normal},
    {"ARCHIVE", file_attribute::archive},
    {"READONLY", file_attribute::read_only},
    {"COMPRESSED", file_attribute::compressed},
    {"DIRECTORY", file_attribute::directory},
    {"HIDDEN", file_attribute::hidden},
    {"SYSTEM", file_attribute::system},
}};

// The bit an attribute operand names, letter case and surrounding blanks ignored; nothing for an
// unrecognised one.
std::optional<std::uint32_t> attribute_bit(std::string_view operand) {
    std::string key(trim_blanks(upper_case_ascii(operand)));
    for (std::size_t index = 0; index < attribute_names.size(); ++index) {
        const char digit[] = {static_cast<char>('0' + index), '\0'};
        if (key == attribute_names[index].name || key == digit) return attribute_names[index].bit;
    }
    return std::nullopt;
}

// Copies the bytes of an open file into another in large blocks; false on a read or write error.
bool copy_bytes(platform::DataFile& source, platform::DataFile& destination) {
    if (std::optional<bool> copied = source.copy_rest_to(destination)) return *copied;
    std::vector<char> block(1 << 20);
    for (;;) {
        std::int64_t count = source.read(block.data(), block.size());
        if (count == 0) return true;
        if (count < 0 || !destination.write(std::string_view(block.data(), static_cast<std::size_t>(count))))
            return false;
    }
}

bool copy_file(const std::string& source_path, const std::string& destination_path) {
    platform::DataFile source;
    if (!source.open(source_path, platform::FileAccess::read)) return false; // destination untouched
    // Opening a file's own name as the destination would empty it before a byte was copied.
    std::optional<platform::FileIdentity> source_identity = platform::file_identity(source_path);
    if (source_identity && source_identity == platform::file_identity(destination_path)) return false;
    platform::DataFile destination;
    if (!destination.open(destination_path, platform::FileAccess::create)) return false;
    bool copied = copy_bytes(source, destination);
    source.close();
    return destination.close() && copied;
}

// Adds one attribute, or with "normal" clears all others; no change is asked for when the word
// already says so.
bool add_attribute(const std::string& path, std::uint32_t bit) {
    std::optional<std::uint32_t> word = platform::file_attributes(path);
    if (!word) return false;
    if (bit == file_attribute::normal)
        return *word == file_attribute::normal || platform::set_file_attributes(path, bit);
    // "Normal" stands only for a word without other attributes, so it goes when one is added.
    return (*word & bit) != 0 || platform::set_file_attributes(path, (*word & ~file_attribute::normal) | bit);
}

} // namespace

// R017: deletes a file.
Step handle_delete_file(Runtime& runtime) {
    report_result(runtime, platform::delete_file(read_value(runtime)));
    return Step::next;
}

// R018: renames or moves a file.
Step handle_rename_file(Runtime& runtime) {
    std::string old_path = read_value(runtime);
    std::string new_path = read_value(runtime);
    report_result(runtime, platform::rename_file(old_path, new_path));
    return Step::next;
}

// R026: copies a file.
Step handle_copy_file(Runtime& runtime) {
    std::string source_path = read_value(runtime);
    std::string destination_path = read_value(runtime);
    report_result(runtime, copy_file(source_path, destination_path));
    return Step::next;
}

// R039: tests a file attribute.
Step handle_test_attribute(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string path = read_value(runtime);
    std::optional<std::uint32_t> bit = attribute_bit(read_value(runtime));
    std::optional<std::uint32_t> word = platform::file_attributes(path);
    // Stored twice as the instruction always did: the variable may act when written.
    set_variable(runtime, name, "-1");
    if (bit && word && (*word & *bit) != 0) set_variable(runtime, name, "0");
    return Step::next;
}

// R040: sets a file attribute.
Step handle_set_attribute(Runtime& runtime) {
    std::string path = read_value(runtime);
    std::optional<std::uint32_t> bit = attribute_bit(read_value(runtime));
    report_result(runtime, bit && add_attribute(path, *bit));
    return Step::next;
}

} // namespace korvex
