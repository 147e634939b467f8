// Text files: test, create, read a line or the whole file, append a line, size. Each instruction
// opens its file, works and closes it again; nothing stays open between instructions.
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/ascii.hpp"
#include "base/numbers.hpp"
#include "core/line_index.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "files/files.hpp"
#include "platform/files.hpp"

namespace korvex {
namespace {

using platform::DataFile;
using platform::FileAccess;

// Existing scripts rely on these limits: a line read by number, and a whole-file read.
constexpr std::size_t line_limit = 32768;
constexpr std::size_t whole_file_limit = 32767;
constexpr std::size_t block_size = 65536;

// Hands out a file's bytes a block at a time, from where the file was placed on. Blocks start small
// and grow: a read by line number from a known line start mostly needs only the bytes of one line.
// Given the line starts of the file's version, the reader first hands out the block read last in
// that version where it covers the start, and keeps each block it reads there for the next reader.
class BlockReader {
public:
    BlockReader(DataFile& file, std::int64_t start_offset, FileLines* lines = nullptr)
        : file(file), lines(lines), block_offset(start_offset), file_placed(start_offset == 0) {
        std::string_view kept = lines != nullptr ? lines->kept_block_from(start_offset) : std::string_view();
        if (!kept.empty()) {
            bytes = kept.data();
            filled = kept.size();
            file_placed = false;
        }
    }

    // The bytes not yet taken, read from the file when none are left; empty at the end or on an error.
    std::string_view available() {
        if (position == filled && !failed) {
            block_offset += static_cast<std::int64_t>(filled);
            filled = 0;
            position = 0;
            if (!file.is_open()) {
                // Working from the kept block alone: past its end, only the end of the file is known.
                needs_file = lines == nullptr || block_offset != lines->file_size();
                return {};
            }
            if (!file_placed) {
                file_placed = true;
                failed = !file.seek(block_offset);
            }
            if (!failed) {
                if (!block) block.reset(new char[block_size]);
                bytes = block.get();
                std::int64_t count = file.read(block.get(), read_size);
                read_size = std::min(read_size * 2, block_size);
                failed = count < 0;
                filled = count > 0 ? static_cast<std::size_t>(count) : 0;
                if (lines != nullptr && filled > 0)
                    lines->keep_block(block_offset, std::string_view(bytes, filled));
            }
        }
        return std::string_view(bytes + position, filled - position);
    }
    void take(std::size_t count) { position += count; }
    bool read_failed() const { return failed || needs_file; }
    // True when the reader had no file to read on from, so that nothing it handed out is complete.
    bool lacked_file() const { return needs_file; }
    // Where in the file the next byte not yet taken lies.
    std::int64_t offset() const { return block_offset + static_cast<std::int64_t>(position); }

private:
    DataFile& file;
    FileLines* lines;
    std::unique_ptr<char[]> block; // not cleared: only bytes read are looked at
    const char* bytes = nullptr;   // the block handed out: block, or the one kept with the lines
    std::int64_t block_offset;     // where in the file the handed-out bytes come from
    std::size_t read_size = 4096;
    std::size_t position = 0;
    std::size_t filled = 0;
    bool file_placed; // whether the file's read position is where the next block starts
    bool failed = false;
    bool needs_file = false;
};

// The bytes up to the next CR, LF or end of file, at most line_limit of them.
std::string collect_line(BlockReader& reader) {
    std::string line;
    while (line.size() < line_limit) {
        std::string_view bytes = reader.available();
        if (bytes.empty()) break;
        bytes = bytes.substr(0, line_limit - line.size());
        auto end =
            std::find_if(bytes.begin(), bytes.end(), [](char byte) { return byte == '\r' || byte == '\n'; });
        std::size_t length = static_cast<std::size_t>(end - bytes.begin());
        line.append(bytes.data(), length);
        reader.take(length);
        if (length < bytes.size()) break;
    }
    return line;
}

// The file's first bytes, at most whole_file_limit of them; nothing on a read error.
std::optional<std::string> read_file_start(BlockReader& reader) {
    std::string content;
    while (content.size() < whole_file_limit) {
        std::string_view bytes = reader.available();
        if (bytes.empty()) break;
        bytes = bytes.substr(0, whole_file_limit - content.size());
        content.append(bytes);
        reader.take(bytes.size());
    }
    if (reader.read_failed()) return std::nullopt;
    return content;
}

// needs_file: the line is not among the bytes kept for the file, which was not opened.
enum class ReadKind { text, missing_line, unreadable, needs_file };
struct ReadOutcome {
    ReadKind kind;
    std::string text;
};

// Line line_number (from 1) of the open file. The search for its start begins at the nearest line
// start the index knows for the file's version, and notes the starts it walks over.
ReadOutcome read_line(DataFile& file, LineIndex& index, std::int64_t line_number, FileLines* lines) {
    if (lines != nullptr && lines->ends_before(line_number)) return {ReadKind::missing_line, {}};
    LineStart start = lines != nullptr ? lines->start_before(line_number) : LineStart{};
    BlockReader reader(file, start.offset, lines);
    for (LineStart at = start; at.line < line_number;) {
        std::string_view bytes = reader.available();
        if (bytes.empty()) {
            if (reader.lacked_file()) return {ReadKind::needs_file, {}};
            if (reader.read_failed()) {
                index.forget(lines);
                return {ReadKind::unreadable, {}};
            }
            // A file that ends elsewhere than its size says is no file to know by its version.
            if (lines != nullptr && reader.offset() == lines->file_size())
                lines->note_end(at.line);
            else
                index.forget(lines);
            return {ReadKind::missing_line, {}};
        }
        const void* line_feed = std::memchr(bytes.data(), '\n', bytes.size());
        std::size_t walked =
            line_feed != nullptr ? static_cast<const char*>(line_feed) - bytes.data() + 1 : bytes.size();
        reader.take(walked);
        index.scanned_bytes += static_cast<std::int64_t>(walked);
        if (line_feed == nullptr) continue;
        at = LineStart{at.line + 1, reader.offset()};
        if (lines != nullptr) lines->note_start(at);
    }
    if (lines != nullptr) lines->note_located(LineStart{line_number, reader.offset()});
    std::string line = collect_line(reader);
    if (reader.lacked_file()) return {ReadKind::needs_file, {}};
    if (reader.read_failed()) {
        index.forget(lines);
        return {ReadKind::unreadable, {}};
    }
    return {ReadKind::text, std::move(line)};
}

// Line line_number of the file, or its start when line_number is below 1.
// A file read line after line whose version has not changed since is mostly answered from what is
// kept about it, without opening it again.
ReadOutcome read_from_file(LineIndex& index, const std::string& path, std::int64_t line_number) {
    if (line_number >= 1) {
        if (FileLines* known = index.known_lines_of(platform::unopened_file_version(path))) {
            DataFile unopened;
            ReadOutcome outcome = read_line(unopened, index, line_number, known);
            if (outcome.kind != ReadKind::needs_file) return outcome;
        }
    }
    DataFile file;
    if (!file.open(path, FileAccess::read)) return {ReadKind::unreadable, {}};
    if (line_number >= 1) return read_line(file, index, line_number, index.lines_of(file.version()));
    BlockReader reader(file, 0);
    std::optional<std::string> start = read_file_start(reader);
    if (!start) return {ReadKind::unreadable, {}};
    return {ReadKind::text, std::move(*start)};
}

// The text as a Windows text-mode stream stores it: up to its first zero byte, each LF as CR LF,
// and a closing CR LF.
std::string with_line_ends(std::string_view text) {
    text = text_before_zero(text);
    std::string stored;
    stored.reserve(text.size() + 2);
    for (char byte : text) {
        if (byte == '\n') stored += '\r';
        stored += byte;
    }
    stored += "\r\n";
    return stored;
}

} // namespace

// R019: tests whether a file can be read.
Step handle_test_file(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string path = read_value(runtime);
    DataFile file;
    set_variable(runtime, name, result_text(file.open(path, FileAccess::read)));
    return Step::next;
}

// R021: creates or empties a file.
Step handle_create_file(Runtime& runtime) {
    std::string path = read_value(runtime);
    DataFile file;
    bool created = file.open(path, FileAccess::create);
    report_result(runtime, created && file.close());
    return Step::next;
}

// R024: reads a line or the whole file.
Step handle_read_line(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string path = read_value(runtime);
    std::int64_t line_number = read_whole_number_operand(runtime);
    ReadOutcome outcome = read_from_file(runtime.lines, path, line_number);
    switch (outcome.kind) {
    case ReadKind::text: // the result variable first, so that [0] as output ends holding the line
        report_result(runtime, true);
        set_variable(runtime, name, std::move(outcome.text));
        break;
    case ReadKind::missing_line: // the output first, so that [0] as output ends holding "-1"
        set_variable(runtime, name, "EOF");
        report_result(runtime, false);
        break;
    case ReadKind::unreadable:
    case ReadKind::needs_file: report_result(runtime, false); break;
    }
    return Step::next;
}

// R025: appends a line.
Step handle_append_line(Runtime& runtime) {
    std::string path = read_value(runtime);
    std::string text = read_value(runtime);
    DataFile file;
    bool appended = file.open(path, FileAccess::append) && file.write(with_line_ends(text));
    bool closed = file.is_open() && file.close();
    report_result(runtime, appended && closed);
    return Step::next;
}

// R035: file size.
Step handle_file_size(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::string path(trim_blanks(read_value(runtime)));
    DataFile file;
    std::optional<std::int64_t> size;
    if (file.open(path, FileAccess::read)) size = file.size();
    // Sizes of 2 GiB and more are given in full rather than cut to 32 bits.
    set_variable(runtime, name, size ? whole_number_text(*size) : "-1");
    return Step::next;
}

} // namespace korvex
