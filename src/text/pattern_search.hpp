// The search behind the position, field and replace instructions: every match of one pattern in a
// text, in time proportional to the text plus the pattern however the two are made.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace korvex {

// Whether the match after a match may begin inside it.
enum class MatchOverlap { allowed, excluded };

// Walks a text left to right and stops behind each match of a non-empty pattern (Knuth, Morris and
// Pratt). A search that starts over at each place costs up to the pattern's length per byte on texts
// of near matches (100 KB of "a" before a "b", looked for in 4 MB of "a"); this one knows from the
// pattern alone how much of a partial match still counts after a mismatch, so it never steps back in
// the text and compares at most twice as many bytes as it walks over.
// The text may come in pieces: a match begun at the end of one piece is finished in the next.
class PatternSearch {
public:
    PatternSearch(std::string_view pattern, MatchOverlap overlap);
    PatternSearch(const PatternSearch&) = delete;
    PatternSearch& operator=(const PatternSearch&) = delete;

    // The offset in piece just behind the next match that ends at or after from; npos when the piece
    // ends first. from is where the previous call on this piece stopped (0 for a new piece).
    std::size_t next_match_end(std::string_view piece, std::size_t from);

private:
    std::string_view pattern;
    MatchOverlap overlap;
    // For each length n from 1, the length of the longest proper prefix of the pattern's first n
    // bytes that is also their suffix: where a partial match of n bytes goes on after a mismatch.
    // Short patterns, the most common, keep it in place: the instructions run often on short texts.
    static constexpr std::size_t in_place_length = 16;
    std::array<std::size_t, in_place_length> border_in_place;
    std::vector<std::size_t> border_on_heap;
    std::size_t* border;
    std::size_t matched = 0;
};

} // namespace korvex
