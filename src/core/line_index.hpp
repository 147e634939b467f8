// Where the lines of the files read last by line number start, so that a script reading a file line
// after line reads it about once instead of again from its start for every line (R024).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.hpp"

namespace korvex {

// A line and the offset where it begins.
struct LineStart {
    std::int64_t line = 1;
    std::int64_t offset = 0;
};

// The line starts a scan has found in one version of one file. Every stride-th start is kept, from
// line 1 on, and the stride doubles when too many are kept, so a file of many short lines needs no
// more memory than a few hundred kilobytes; the line located last is kept apart, so the next line
// is found from there.
class FileLines {
public:
    // The nearest line at or before line whose start is known.
    LineStart start_before(std::int64_t line) const;
    // Notes where a line begins, for a scan that walks over it; lines come in ascending order.
    void note_start(LineStart start);
    // Notes the line located last, where the next scan will most likely go on from.
    void note_located(LineStart start) { located = start; }
    // Notes that a scan came to the end of the file in its last line.
    void note_end(std::int64_t last_line) { line_count = last_line; }
    // True when the file is known to end before line.
    bool ends_before(std::int64_t line) const { return line_count > 0 && line > line_count; }
    // The file's size in the version the starts were found in.
    std::int64_t file_size() const { return version.size; }
    // The bytes of the block read last in this version, from offset to the block's end; empty when the
    // block does not hold offset.
    std::string_view kept_block_from(std::int64_t offset) const;
    // Keeps a block just read from this version in place of the one kept before.
    void keep_block(std::int64_t offset, std::string_view bytes);

private:
    friend class LineIndex;
    static constexpr std::size_t kept_starts_limit = 32768;

    platform::FileVersion version;
    bool settled = false; // whether version is also the content's: see LineIndex::lines_of
    std::uint64_t last_use = 0;
    std::vector<std::int64_t> kept_starts{0}; // kept_starts[k]: the start of line k * stride + 1
    std::int64_t stride = 1;
    LineStart located;
    std::int64_t line_count = 0; // once a scan has come to the file's end; 0 while unknown
    std::string kept_block;      // the block read last, from kept_block_offset on
    std::int64_t kept_block_offset = 0;
};

// The line starts of the last few files read by line number, each valid for one version of its file.
class LineIndex {
public:
    // Files smaller than this are read from their start every time: that costs no more than a read
    // of one block, and the files that change without their stamps changing (those of /proc and
    // /sys on Linux) are all smaller.
    static constexpr std::int64_t smallest_indexed_size = 65536;

    // The line starts of this version of a file, kept or new; nothing when there is no version or the
    // file is small. A version's line starts are used again only when it was settled when they were
    // found: file systems stamp files from a clock that moves in steps (some milliseconds; up to two
    // seconds where stamps have no fractions), so a change made within the step of the last one
    // could leave the version as it was.
    FileLines* lines_of(const std::optional<platform::FileVersion>& version);
    // The line starts already known for this version of a file, when they may be used again; nothing
    // otherwise. Unlike lines_of, this makes no new entry.
    FileLines* known_lines_of(const std::optional<platform::FileVersion>& version);
    // Drops what is known about a file whose scan failed.
    void forget(const FileLines* lines);

    // Where the time comes from that tells a settled version; tests put a clock of their own here.
    std::function<platform::FileTime()> clock = platform::current_file_time;
    // Bytes that scans walked over to find a line's start, counted for tests.
    std::int64_t scanned_bytes = 0;

private:
    static constexpr std::size_t file_limit = 4;
    std::array<FileLines, file_limit> files;
    std::uint64_t uses = 0;
};

} // namespace korvex
