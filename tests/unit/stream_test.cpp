// The in-memory stream and the executable-length reader behind it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/script_image.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

std::string bytes(const char* text, std::size_t length) {
    return std::string(text, length);
}

TEST(ScriptImage, ReadsRecordsUpToEachSeparator) {
    ScriptImage image(bytes("R009\x01\x01R001[31]'a\r\nb\0c'\x01\0", 24));
    EXPECT_EQ(image.next_record(), "R009");
    EXPECT_EQ(image.next_record(), "");
    EXPECT_EQ(image.next_record(), bytes("R001[31]'a\r\nb\0c'", 16));
    EXPECT_FALSE(image.at_end());
    // The terminator starts a record that the end of the file cuts off.
    EXPECT_EQ(image.next_record(), std::nullopt);
    EXPECT_TRUE(image.at_end());
}

TEST(ScriptImage, RewindPlacesTheReaderAtTheStart) {
    ScriptImage image(bytes("a\x01"
                            "b\x01"
                            "c\x01\0",
                            7));
    image.next_record();
    image.next_record();
    image.rewind();
    EXPECT_EQ(image.next_record(), "a");
}

TEST(ScriptImage, EmptyStreamEndsAtOnce) {
    ScriptImage image;
    EXPECT_EQ(image.next_record(), std::nullopt);
    EXPECT_TRUE(image.at_end());
}

TEST(ReadInstruction, CountsEveryRecordIncludingEmptyOnesAndEndsTheScriptAtTheEnd) {
    ScriptRun script("~\nR001[31]'x'\n~\n");
    Runtime& runtime = *script.runtime;
    read_instruction(runtime);
    read_instruction(runtime);
    read_instruction(runtime);
    EXPECT_EQ(runtime.instruction_counter, 3);
    EXPECT_THROW(read_instruction(runtime), ScriptEnded);
    EXPECT_EQ(runtime.instruction_counter, 3);
}

TEST(ReadInstruction, AfterARewindTheThirdRecordLeavesTheCounterAtThree) {
    ScriptRun script("R001[31]'a'\nR001[31]'b'\nR001[31]'c'\nR001[31]'d'\n");
    Runtime& runtime = *script.runtime;
    for (int i = 0; i < 4; ++i) read_instruction(runtime);
    rewind_stream(runtime);
    runtime.instruction_counter = 0;
    read_instruction(runtime);
    read_instruction(runtime);
    EXPECT_EQ(read_instruction(runtime), "R001[31]'c'");
    EXPECT_EQ(runtime.instruction_counter, 3);
    EXPECT_EQ(read_instruction(runtime), "R001[31]'d'");
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

namespace korvex::testing {
namespace {

TEST(ScriptImage, SeekingARecordReadBeforeEqualsRewindingAndReading) {
    ScriptImage image(std::string("a\x01\x01"
                                  "ccc\x01"
                                  "d\x01\0",
                                  10));
    EXPECT_EQ(image.seek_record(1), std::nullopt) << "nothing read yet";
    image.next_record();
    image.next_record();
    image.next_record();
    image.rewind();
    EXPECT_EQ(image.seek_record(4), std::nullopt) << "record 4 was never read";
    EXPECT_EQ(image.seek_record(3), "ccc");
    EXPECT_EQ(image.next_record(), "d");
    EXPECT_EQ(image.seek_record(2), "");
    EXPECT_EQ(image.next_record(), "ccc");
    EXPECT_EQ(image.seek_record(1), "a");
    EXPECT_EQ(image.seek_record(0), std::nullopt);
    EXPECT_EQ(image.seek_record(-1), std::nullopt);
}

} // namespace
} // namespace korvex::testing
