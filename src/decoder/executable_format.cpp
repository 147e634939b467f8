// Finds where an executable's own bytes end, from its ELF or PE headers, so that the runtime and the
// packer agree on where the appended stream begins without a length fixed into the binary.
#include "decoder/script_image.hpp"

#include <algorithm>
#include <cstdint>

namespace korvex {
namespace {

// Little-endian field readers that refuse to read outside the bytes.
struct Reader {
    std::string_view bytes;
    bool ok = true;
    std::uint64_t unsigned_at(std::uint64_t offset, int width) {
        if (offset > bytes.size() || bytes.size() - offset < static_cast<std::uint64_t>(width)) {
            ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
        return value;
    }
};

std::optional<std::size_t> elf_length(std::string_view bytes) {
    Reader reader{bytes};
    // The fields are read as 32- or 64-bit little-endian ones, so only such files are understood, and
    // only executables and shared objects (a position-independent executable is one) are runtimes.
    std::uint64_t file_class = reader.unsigned_at(4, 1), byte_order = reader.unsigned_at(5, 1);
    std::uint64_t file_type = reader.unsigned_at(16, 2);
    if (!reader.ok || (file_class != 1 && file_class != 2) || byte_order != 1) return std::nullopt;
    if (file_type != 2 && file_type != 3) return std::nullopt;
    const bool wide = file_class == 2; // ELFCLASS64
    const int word = wide ? 8 : 4;
    std::uint64_t program_offset = reader.unsigned_at(wide ? 0x20 : 0x1C, word);
    std::uint64_t section_offset = reader.unsigned_at(wide ? 0x28 : 0x20, word);
    std::uint64_t program_entry_size = reader.unsigned_at(wide ? 0x36 : 0x2A, 2);
    std::uint64_t program_count = reader.unsigned_at(wide ? 0x38 : 0x2C, 2);
    std::uint64_t section_entry_size = reader.unsigned_at(wide ? 0x3A : 0x2E, 2);
    std::uint64_t section_count = reader.unsigned_at(wide ? 0x3C : 0x30, 2);
    if (!reader.ok) return std::nullopt;
    std::uint64_t end = wide ? 64 : 52;
    end = std::max(end, program_offset + program_count * program_entry_size);
    end = std::max(end, section_offset + section_count * section_entry_size);
    for (std::uint64_t i = 0; i < program_count; ++i) {
        std::uint64_t entry = program_offset + i * program_entry_size;
        std::uint64_t offset = reader.unsigned_at(entry + (wide ? 0x08 : 0x04), word);
        std::uint64_t file_size = reader.unsigned_at(entry + (wide ? 0x20 : 0x10), word);
        end = std::max(end, offset + file_size);
    }
    for (std::uint64_t i = 0; i < section_count; ++i) {
        std::uint64_t entry = section_offset + i * section_entry_size;
        std::uint64_t type = reader.unsigned_at(entry + 0x04, 4);
        std::uint64_t offset = reader.unsigned_at(entry + (wide ? 0x18 : 0x10), word);
        std::uint64_t size = reader.unsigned_at(entry + (wide ? 0x20 : 0x14), word);
        const std::uint64_t no_bits = 8;
        if (type != no_bits) end = std::max(end, offset + size);
    }
    if (!reader.ok || end > bytes.size()) return std::nullopt;
    return static_cast<std::size_t>(end);
}

std::optional<std::size_t> pe_length(std::string_view bytes) {
    Reader reader{bytes};
    std::uint64_t header = reader.unsigned_at(0x3C, 4);
    if (!reader.ok || reader.unsigned_at(header, 4) != 0x00004550) return std::nullopt; // "PE\0\0"
    std::uint64_t coff = header + 4;
    std::uint64_t section_count = reader.unsigned_at(coff + 2, 2);
    std::uint64_t symbol_table = reader.unsigned_at(coff + 8, 4);
    std::uint64_t symbol_count = reader.unsigned_at(coff + 12, 4);
    std::uint64_t optional_size = reader.unsigned_at(coff + 16, 2);
    std::uint64_t optional_header = coff + 20;
    std::uint64_t sections = optional_header + optional_size;
    if (!reader.ok) return std::nullopt;
    std::uint64_t end = sections + section_count * 40;
    for (std::uint64_t i = 0; i < section_count; ++i) {
        std::uint64_t entry = sections + i * 40;
        std::uint64_t raw_size = reader.unsigned_at(entry + 16, 4);
        std::uint64_t raw_offset = reader.unsigned_at(entry + 20, 4);
        if (raw_size != 0) end = std::max(end, raw_offset + raw_size);
    }
    if (symbol_table != 0) {
        // The COFF symbol table of an unstripped build, followed by its string table whose
        // first four bytes hold the string table's own length.
        std::uint64_t strings = symbol_table + symbol_count * 18;
        std::uint64_t strings_length = reader.unsigned_at(strings, 4);
        end = std::max(end, strings + std::max<std::uint64_t>(strings_length, 4));
    }
    // An attached signature (the security directory) lies outside the sections too.
    std::uint64_t magic = reader.unsigned_at(optional_header, 2);
    std::uint64_t directories = optional_header + (magic == 0x20B ? 112 : 96);
    if (optional_size >= (directories - optional_header) + 5 * 8) {
        std::uint64_t certificate_offset = reader.unsigned_at(directories + 4 * 8, 4);
        std::uint64_t certificate_size = reader.unsigned_at(directories + 4 * 8 + 4, 4);
        if (certificate_size != 0) end = std::max(end, certificate_offset + certificate_size);
    }
    if (!reader.ok || end > bytes.size()) return std::nullopt;
    return static_cast<std::size_t>(end);
}

} // namespace

std::optional<std::size_t> executable_image_length(std::string_view file_bytes) {
    if (file_bytes.substr(0, 4) == std::string_view("\177ELF", 4)) return elf_length(file_bytes);
    if (file_bytes.substr(0, 2) == "MZ") return pe_length(file_bytes);
    return std::nullopt;
}

} // namespace korvex
