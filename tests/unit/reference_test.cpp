// The reference in docs/ describes every instruction of the one list, and its index is made from it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/version.hpp"
#include "core/system_variables.hpp"
#include "decoder/opcodes.hpp"

namespace korvex::testing {
namespace {

std::vector<std::string> reference_lines() {
    std::ifstream file(KORVEX_REFERENCE_PATH);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string section_title(InstructionGroup group) {
    std::string title(group_name(group));
    title[0] = static_cast<char>(title[0] - 'a' + 'A');
    return title;
}

std::string entry_heading(const InstructionInfo& info) {
    return "### " + std::string(info.code) + " " + std::string(info.name);
}

// The anchor a code-hosting site gives a heading: small letters, blanks as hyphens, punctuation gone.
std::string anchor_of(std::string_view heading_text) {
    std::string anchor;
    for (char c : heading_text) {
        if (c >= 'A' && c <= 'Z')
            anchor += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            anchor += c;
        else if (c == ' ')
            anchor += '-';
    }
    return anchor;
}

std::string index_table() {
    // Blank lines around the table, so that no renderer takes it for part of the comment lines.
    std::string table = "\n| folder | instruction | name | written as |\n|---|---|---|---|\n";
    for (Opcode opcode : all_opcodes) {
        InstructionInfo info = instruction_info(opcode);
        table += "| " + std::string(group_name(info.group)) + " | [" + std::string(info.code) + "](#" +
                 anchor_of(entry_heading(info).substr(4)) + ") | " + std::string(info.name) + " | `" +
                 synopsis(info) + "` |\n";
    }
    return table + "\n";
}

TEST(Reference, DescribesEveryInstructionInItsFolderSection) {
    std::vector<std::string> lines = reference_lines();
    ASSERT_FALSE(lines.empty()) << "cannot read " << KORVEX_REFERENCE_PATH;
    for (Opcode opcode : all_opcodes) {
        InstructionInfo info = instruction_info(opcode);
        std::string heading = entry_heading(info);
        std::string section;
        std::size_t at = 0;
        while (at < lines.size() && lines[at] != heading) {
            if (lines[at].rfind("## ", 0) == 0) section = lines[at].substr(3);
            ++at;
        }
        if (at == lines.size()) {
            ADD_FAILURE() << "docs/reference.md has no entry \"" << heading << "\"";
            continue;
        }
        EXPECT_EQ(section, section_title(info.group)) << heading << " stands in the wrong section";
        std::size_t first = at + 1;
        while (first < lines.size() && lines[first].empty()) ++first;
        EXPECT_EQ(first < lines.size() ? lines[first] : "", "`" + synopsis(info) + "`")
            << heading << " does not start with its operands as opcodes.def lists them";
    }
}

TEST(Reference, IndexIsMadeFromTheListOfInstructions) {
    std::vector<std::string> lines = reference_lines();
    std::string index;
    bool inside = false;
    for (const std::string& line : lines) {
        if (line.rfind("<!-- index end", 0) == 0) break;
        if (inside) index += line + "\n";
        if (line.rfind("<!-- index:", 0) == 0) inside = true;
    }
    EXPECT_EQ(index, index_table()) << "put this between the index lines of docs/reference.md:\n"
                                    << index_table();
}

// What the start-value column of the reference's table begins with for a variable of the list; empty
// where the table words it freely (facts of the start, a text of control bytes).
std::string start_column(const char* text, SystemRead) {
    for (const char* byte = text; *byte != '\0'; ++byte)
        if (static_cast<unsigned char>(*byte) < 0x20) return "";
    return "`" + std::string(text) + "`";
}
std::string start_column(SystemStart start, SystemRead read) {
    if (read == SystemRead::computed && start != SystemStart::none) return "*computed*";
    if (start == SystemStart::empty) return "empty";
    if (start == SystemStart::none) return "none";
    return "";
}

TEST(Reference, SystemVariablesTableFollowsTheList) {
    std::vector<std::string> rows;
    bool inside = false;
    for (const std::string& line : reference_lines()) {
        if (line.rfind("## ", 0) == 0) inside = line == "## System variables";
        if (inside && line.size() > 2 && line.rfind("| ", 0) == 0 && line[2] >= '0' && line[2] <= '9')
            rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), system_variable_count)
        << "the table of ## System variables has a row per variable";
    using enum SystemStart;
    std::vector<std::string> expected_starts;
#define KORVEX_SYSTEM_VARIABLE(name, number, start, read, store)                                             \
    expected_starts.push_back(start_column(start, SystemRead::read));
#include "core/system_variables.def"
#undef KORVEX_SYSTEM_VARIABLE
    for (VariableSlot slot = 0; slot < system_variable_count; ++slot) {
        const std::string& row = rows[slot];
        std::string number = "| " + std::to_string(slot) + " | ";
        ASSERT_EQ(row.rfind(number, 0), 0u) << "row " << slot << " is out of order: " << row;
        std::string start = row.substr(number.size());
        EXPECT_EQ(start.rfind(expected_starts[slot], 0), 0u)
            << "variable " << slot << " starts as " << expected_starts[slot] << ": " << row;
        EXPECT_EQ(row.find("*computed*") != std::string::npos, is_computed_variable(slot)) << row;
        EXPECT_EQ(row.find("*acts*") != std::string::npos, is_acting_variable(slot)) << row;
    }
}

} // namespace
} // namespace korvex::testing
