// The listing format round trip: a listing that parses, written again line by line as `kxpack --list`
// writes records, parses into the same records; any record without the separator byte comes back from
// its own line; and a stream splits into the records it was made of.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "listing.hpp"

namespace {

using namespace korvex;

void require(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> parsed(std::string_view text) {
    std::vector<std::string> records;
    std::vector<listing::ParseError> errors;
    require(listing::parse(text, records, errors) && errors.empty());
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> records;
    std::vector<listing::ParseError> errors;
    if (listing::parse(text, records, errors)) {
        std::string written;
        for (const std::string& record : records) written += listing::line_of(record) + "\n";
        require(parsed(written) == records);
        listing::SplitStream split = listing::split_stream(listing::stream_of(records));
        require(split.terminated && split.records == records);
    }

    if (text.find('\x01') == std::string_view::npos)
        require(parsed(listing::line_of(text)) == std::vector<std::string>{std::string(text)});
    return 0;
}
