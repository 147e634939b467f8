// Line starts of recently read files; see line_index.hpp.
#include "core/line_index.hpp"

#include <algorithm>

namespace korvex {
namespace {

// True when a change made now would get another stamp than the version's last one.
bool is_settled(const platform::FileVersion& version, platform::FileTime now) {
    platform::FileTime last = std::max(version.written, version.changed);
    // A stamp without a fraction of a second may come from a clock of two-second steps.
    const std::int64_t margin = last.nanoseconds == 0 ? 3'000'000'000 : 100'000'000;
    const std::int64_t seconds_between = now.seconds - last.seconds;
    if (seconds_between > 10) return true;
    if (seconds_between < -10) return false;
    return seconds_between * 1'000'000'000 + (now.nanoseconds - last.nanoseconds) >= margin;
}

} // namespace

LineStart FileLines::start_before(std::int64_t line) const {
    std::int64_t kept = std::min((line - 1) / stride, static_cast<std::int64_t>(kept_starts.size()) - 1);
    LineStart start{kept * stride + 1, kept_starts[static_cast<std::size_t>(kept)]};
    return located.line <= line && located.line > start.line ? located : start;
}

void FileLines::note_start(LineStart start) {
    if (start.line != static_cast<std::int64_t>(kept_starts.size()) * stride + 1) return;
    kept_starts.push_back(start.offset);
    if (kept_starts.size() < kept_starts_limit) return;
    // Every other start stays: those of lines 1, 2 * stride + 1, 4 * stride + 1 and so on.
    for (std::size_t kept = 1; 2 * kept < kept_starts.size(); ++kept)
        kept_starts[kept] = kept_starts[2 * kept];
    kept_starts.resize((kept_starts.size() + 1) / 2);
    stride *= 2;
}

std::string_view FileLines::kept_block_from(std::int64_t offset) const {
    if (offset < kept_block_offset || offset >= kept_block_offset + static_cast<std::int64_t>(kept_block.size()))
        return {};
    return std::string_view(kept_block).substr(static_cast<std::size_t>(offset - kept_block_offset));
}

void FileLines::keep_block(std::int64_t offset, std::string_view bytes) {
    kept_block.assign(bytes);
    kept_block_offset = offset;
}

FileLines* LineIndex::lines_of(const std::optional<platform::FileVersion>& version) {
    if (!version || version->size < smallest_indexed_size) return nullptr;
    // The file's own entry, else the one used longest ago.
    FileLines* chosen = &files[0];
    for (FileLines& lines : files) {
        if (lines.last_use != 0 && lines.version.identity == version->identity) {
            chosen = &lines;
            break;
        }
        if (lines.last_use < chosen->last_use) chosen = &lines;
    }
    if (!(chosen->settled && chosen->version == *version)) {
        *chosen = FileLines{};
        chosen->version = *version;
        chosen->settled = is_settled(*version, clock());
    }
    chosen->last_use = ++uses;
    return chosen;
}

FileLines* LineIndex::known_lines_of(const std::optional<platform::FileVersion>& version) {
    if (!version) return nullptr;
    for (FileLines& lines : files)
        if (lines.last_use != 0 && lines.settled && lines.version == *version) {
            lines.last_use = ++uses;
            return &lines;
        }
    return nullptr;
}

void LineIndex::forget(const FileLines* lines) {
    for (FileLines& kept : files)
        if (&kept == lines) kept = FileLines{};
}

} // namespace korvex
