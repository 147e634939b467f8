// Where a Windows runtime's own bytes end, for the layouts the mingw-w64 builds produce: PE32 (i686)
// and PE32+ (x86_64), stripped or with their COFF symbol and string tables, with or without an
// attached signature; and defined answers for headers that point outside the file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "decoder/script_image.hpp"

namespace korvex::testing {
namespace {

constexpr std::size_t pe_header = 0x80;
constexpr std::size_t coff = pe_header + 4;
constexpr std::size_t optional_header = coff + 20;

struct PeImage {
    std::string bytes;
    bool wide = false;

    void put(std::size_t at, std::uint64_t value, int width) {
        if (bytes.size() < at + width) bytes.resize(at + width, '\0');
        for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    std::size_t optional_size() const { return wide ? 0xF0 : 0xE0; }
    std::size_t section(int index) const { return optional_header + optional_size() + 40 * index; }
    std::size_t directories() const { return optional_header + (wide ? 112 : 96); }
};

// A PE image with the given sections (raw offset, raw size); the file is exactly as long as they need.
PeImage make_pe(bool wide, std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> sections) {
    PeImage image;
    image.wide = wide;
    image.bytes.assign(0x400, '\0');
    image.bytes[0] = 'M';
    image.bytes[1] = 'Z';
    image.put(0x3C, pe_header, 4);
    image.put(pe_header, 0x00004550, 4);
    image.put(coff + 2, sections.size(), 2);
    image.put(coff + 16, image.optional_size(), 2);
    image.put(optional_header, wide ? 0x20B : 0x10B, 2);
    int index = 0;
    std::size_t end = 0x400;
    for (auto [offset, size] : sections) {
        image.put(image.section(index) + 16, size, 4);
        image.put(image.section(index) + 20, offset, 4);
        if (size != 0) end = std::max<std::size_t>(end, offset + size);
        ++index;
    }
    image.bytes.resize(end, 'S');
    return image;
}

// Appends a COFF symbol table of count symbols and a string table of the given length.
void add_symbols(PeImage& image, std::uint32_t count, std::uint32_t strings_length) {
    std::size_t table = image.bytes.size();
    image.put(coff + 8, table, 4);
    image.put(coff + 12, count, 4);
    image.bytes.resize(table + count * 18 + strings_length, 'y');
    image.put(table + count * 18, strings_length, 4);
}

TEST(PeLength, StrippedBuildsEndBehindTheirLastSectionInBothWidths) {
    for (bool wide : {false, true}) {
        PeImage image = make_pe(wide, {{0x400, 0x1000}, {0x1400, 0x200}, {0x1600, 0}});
        EXPECT_EQ(executable_image_length(image.bytes), 0x1600u) << wide;
        EXPECT_EQ(executable_image_length(image.bytes + "\r\nbanner"), 0x1600u) << wide;
    }
}

TEST(PeLength, UnstrippedBuildsEndBehindTheirStringTable) {
    for (bool wide : {false, true}) {
        PeImage image = make_pe(wide, {{0x400, 0x800}});
        add_symbols(image, 1000, 0x4321);
        EXPECT_EQ(executable_image_length(image.bytes), image.bytes.size()) << wide;
        EXPECT_EQ(executable_image_length(image.bytes + std::string(64, ' ') + "R009\x01"),
                  image.bytes.size());
    }
}

TEST(PeLength, AnAttachedSignatureBelongsToTheImage) {
    for (bool wide : {false, true}) {
        PeImage image = make_pe(wide, {{0x400, 0x800}});
        std::size_t certificate = image.bytes.size();
        image.put(image.directories() + 4 * 8, certificate, 4);
        image.put(image.directories() + 4 * 8 + 4, 0x300, 4);
        image.bytes.resize(certificate + 0x300, 'c');
        EXPECT_EQ(executable_image_length(image.bytes), image.bytes.size()) << wide;
    }
}

TEST(PeLength, HeadersPointingOutsideTheFileGiveNoLength) {
    PeImage image = make_pe(false, {{0x400, 0x800}});
    PeImage beyond = image;
    beyond.put(image.section(0) + 16, 0x100000, 4);
    EXPECT_EQ(executable_image_length(beyond.bytes), std::nullopt) << "section beyond the end";

    PeImage symbols = image;
    symbols.put(coff + 8, 0xFFFFFFF0u, 4);
    symbols.put(coff + 12, 0xFFFFFFFFu, 4);
    EXPECT_EQ(executable_image_length(symbols.bytes), std::nullopt) << "symbol table beyond the end";

    PeImage sections = image;
    sections.put(coff + 2, 0xFFFF, 2);
    EXPECT_EQ(executable_image_length(sections.bytes), std::nullopt) << "more section headers than bytes";

    PeImage header = image;
    header.put(0x3C, 0xFFFFFFF0u, 4);
    EXPECT_EQ(executable_image_length(header.bytes), std::nullopt) << "PE header offset beyond the end";
    EXPECT_EQ(executable_image_length(image.bytes.substr(0, 0x90)), std::nullopt) << "cut inside the headers";
}

} // namespace
} // namespace korvex::testing
