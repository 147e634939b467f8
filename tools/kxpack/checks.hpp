// Checks of a listing before it is packed: records the runtime would skip, misread or run in a way
// the writer hardly meant. Each finding names the listing line and says how to fix it.
#pragma once

#include <string>
#include <vector>

namespace korvex::listing {

struct ListedRecord {
    int line = 0;
    std::string text;
};

struct Finding {
    int line = 0;
    std::string message;
    std::string hint;
};

// The findings for a whole listing, in line order.
std::vector<Finding> check_records(const std::vector<ListedRecord>& records);

} // namespace korvex::listing
