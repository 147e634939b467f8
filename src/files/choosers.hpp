// The file choosers' filter: the "|"-separated text of a script as the description and pattern pairs
// that a chooser's type list offers.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/desktop.hpp"

namespace korvex {

// The longest filter text a chooser takes whole; of a longer one, the pairs that end within it.
inline constexpr std::size_t longest_filter = 509;

// The pairs of "description|pattern|description|pattern": the list ends at the first empty
// description, a description without a pattern gets the empty pattern, the text ends at its first
// zero byte, and only pairs that end within the first longest_filter bytes are kept.
std::vector<FileFilter> filter_pairs(std::string_view text);

} // namespace korvex
