// Pattern search in linear time; see pattern_search.hpp.
#include "text/pattern_search.hpp"

#include <cstring>

namespace korvex {

PatternSearch::PatternSearch(std::string_view pattern, MatchOverlap overlap)
    : pattern(pattern), overlap(overlap) {
    if (pattern.size() > in_place_length) border_on_heap.resize(pattern.size());
    border = pattern.size() > in_place_length ? border_on_heap.data() : border_in_place.data();
    border[0] = 0;
    for (std::size_t length = 1, candidate = 0; length < pattern.size(); ++length) {
        while (candidate > 0 && pattern[length] != pattern[candidate]) candidate = border[candidate - 1];
        if (pattern[length] == pattern[candidate]) ++candidate;
        border[length] = candidate;
    }
}

std::size_t PatternSearch::next_match_end(std::string_view piece, std::size_t from) {
    const char* bytes = piece.data();
    for (std::size_t at = from; at < piece.size();) {
        if (matched == 0) {
            // Nothing matched yet: memchr finds the next byte that can begin a match fastest.
            const void* start = std::memchr(bytes + at, pattern[0], piece.size() - at);
            if (start == nullptr) return std::string_view::npos;
            at = static_cast<std::size_t>(static_cast<const char*>(start) - bytes);
        }
        const char byte = bytes[at++];
        while (matched > 0 && pattern[matched] != byte) matched = border[matched - 1];
        if (pattern[matched] == byte) ++matched;
        if (matched == pattern.size()) {
            matched = overlap == MatchOverlap::allowed ? border[matched - 1] : 0;
            return at;
        }
    }
    return std::string_view::npos;
}

} // namespace korvex
