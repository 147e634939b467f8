// The in-memory stream and the executable-length reader behind it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "decoder/script_image.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

std::string bytes(const char* text, std::size_t length) {
    return std::string(text, length);
}

TEST(ScriptIndex, RecordsEndAtEachSeparatorAndTheTerminatorIsNone) {
    ScriptIndex index(bytes("R009\x01\x01R001[31]'a\r\nb\0c'\x01\0", 24));
    VariableStore variables;
    index.decode(variables);
    ASSERT_EQ(index.record_count(), 3);
    EXPECT_EQ(index.record_text(1), "R009");
    EXPECT_EQ(index.record_text(2), "");
    EXPECT_EQ(index.record_text(3), bytes("R001[31]'a\r\nb\0c'", 16));
    EXPECT_EQ(index.record(2).opcode, Opcode::unknown);

    ScriptIndex empty((std::string()));
    empty.decode(variables);
    EXPECT_EQ(empty.record_count(), 0);
}

TEST(MainLoop, CountsEveryRecordIncludingEmptyOnesAndEndsBehindTheLast) {
    ScriptRun script("~\nR001[31]'x'\n~\n");
    script.run();
    EXPECT_EQ(script.runtime->reader.instruction_counter, 3);
    EXPECT_EQ(script.variable("31"), "x");
    EXPECT_THROW(go_to_record(*script.runtime, 4), ScriptEnded);
    EXPECT_THROW(go_to_record(*script.runtime, 0), ScriptEnded);
}

std::string own_executable() {
    std::ifstream file("/proc/self/exe", std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST(ExecutableLength, AnUnpackedElfImageEndsAtItsLastByte) {
    std::string image = own_executable();
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(executable_image_length(image), image.size());
    // Appended bytes are not part of the image.
    EXPECT_EQ(executable_image_length(image + std::string(100, 'x')), image.size());
}

TEST(ExecutableLength, RefusesTruncatedOrForeignBytes) {
    std::string image = own_executable();
    EXPECT_EQ(executable_image_length(image.substr(0, image.size() / 2)), std::nullopt);
    std::string big_endian = image;
    big_endian[5] = 2; // ELFDATA2MSB: its fields would be misread
    EXPECT_EQ(executable_image_length(big_endian), std::nullopt);
    EXPECT_EQ(executable_image_length("\x7F"
                                      "ELF"),
              std::nullopt);
    EXPECT_EQ(executable_image_length("MZ"), std::nullopt);
    EXPECT_EQ(executable_image_length("#!/bin/sh\n"), std::nullopt);
    EXPECT_EQ(executable_image_length(""), std::nullopt);
}

// A minimal PE image: DOS header, "PE\0\0", a COFF header with one section, an optional header.
std::string minimal_pe(std::uint32_t raw_offset, std::uint32_t raw_size, std::uint32_t symbols = 0,
                       std::uint32_t symbol_count = 0) {
    std::string image(0x200, '\0');
    auto put = [&](std::size_t at, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) image[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    image[0] = 'M';
    image[1] = 'Z';
    put(0x3C, 0x80, 4);
    put(0x80, 0x00004550, 4);
    put(0x84 + 2, 1, 2);             // one section
    put(0x84 + 8, symbols, 4);       // symbol table
    put(0x84 + 12, symbol_count, 4); // symbols
    put(0x84 + 16, 0xE0, 2);         // optional header size (32-bit)
    put(0x98, 0x10B, 2);             // PE32 magic
    std::size_t section = 0x98 + 0xE0;
    put(section + 16, raw_size, 4);
    put(section + 20, raw_offset, 4);
    return image;
}

TEST(ExecutableLength, PeImageEndsBehindItsLastSectionOrSymbolTable) {
    std::string image = minimal_pe(0x200, 0x100);
    image.resize(0x300, 'S');
    EXPECT_EQ(executable_image_length(image), 0x300u);
    EXPECT_EQ(executable_image_length(image + "appended"), 0x300u);

    // An unstripped image: 2 symbols of 18 bytes and a string table of 8 bytes behind the section.
    std::string unstripped = minimal_pe(0x200, 0x100, 0x300, 2);
    unstripped.resize(0x300 + 36 + 8, '\0');
    unstripped[0x300 + 36] = 8;
    EXPECT_EQ(executable_image_length(unstripped), unstripped.size());
    EXPECT_EQ(executable_image_length(minimal_pe(0x200, 0x1000)), std::nullopt) << "section beyond the file";
}

} // namespace
} // namespace korvex::testing
