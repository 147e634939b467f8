// Random records, random bytes and well-formed opcodes with random operands, through the listing:
// every record but the separator comes back from the line written for it. (The executor meets random
// streams in tests/fuzz.)
#include <random>

#include "test_support.hpp"

namespace korvex::testing {
namespace {

const char* const safe_opcodes[] = {"RRLR", "R000", "R001", "R004", "R005", "R006", "RXEL", "RXIE", "R0IF",
                                    "RXIF", "R007", "R008", "R031", "R032", "RRPT", "RUNT", "RF00", "RF01",
                                    "RF02", "RF03", "RF04", "RF05", "RF06", "RF07", "RF08", "RF09", "RF10",
                                    "RF11", "RF12", "R027", "R028", "R038", "RLBL", "RXEI", "R009"};

const char* const operand_pieces[] = {
    "[31]",
    "[32]",
    "[0]",
    "[25]",
    "[28]",
    "[13]",
    "[7]",
    "[",
    "]",
    "'",
    "''",
    "'abc'",
    "'-1'",
    "'0'",
    "'2147483648'",
    "'-2147483649'",
    "'1e400'",
    "'-0'",
    "'hide'",
    "'|a||b|'",
    "#",
    "=",
    "!",
    "<",
    ">",
    "|",
    "&",
    "'99999999999'",
    "'  '",
    "'~'",
    "'^'",
    "*",
    "/",
    "+",
    "-",
    "'A'",
    "'a'",
    "label",
};

class RandomRecords {
public:
    explicit RandomRecords(unsigned seed) : random(seed) {}

    std::string any_record() {
        switch (pick(4)) {
        case 0: return random_bytes();
        case 1: return std::string("RLBL") + label();
        case 2: return std::string(pick(2) ? "R004" : "R005") + label();
        default: return well_formed();
        }
    }

private:
    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    }

    std::string label() { return std::string(1, static_cast<char>('a' + pick(3))); }

    std::string random_bytes() {
        std::string bytes(pick(40), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(pick(256));
            if (c == '\x01') c = '\x02';
        }
        return bytes;
    }

    std::string well_formed() {
        std::string record = safe_opcodes[pick(std::size(safe_opcodes))];
        // The version record stops the run; keep it rare.
        if (record == "RRLR" && pick(8) != 0) record = "R001";
        std::size_t pieces = pick(10);
        for (std::size_t i = 0; i < pieces; ++i) {
            if (pick(6) == 0)
                record += static_cast<char>(2 + pick(254));
            else
                record += operand_pieces[pick(std::size(operand_pieces))];
        }
        return record;
    }

    std::mt19937 random;
};

std::string listing_of(const std::vector<std::string>& records) {
    std::string listing;
    for (const std::string& record : records) listing += listing::line_of(record) + "\n";
    return listing;
}

TEST(Robustness, ListingRoundTripsEveryRecordButTheSeparator) {
    RandomRecords generator(7);
    std::vector<std::string> records;
    for (int i = 0; i < 2000; ++i) records.push_back(generator.any_record());
    std::vector<std::string> parsed;
    std::vector<listing::ParseError> errors;
    ASSERT_TRUE(listing::parse(listing_of(records), parsed, errors))
        << errors.front().line << ": " << errors.front().message;
    EXPECT_EQ(parsed, records);
}

} // namespace
} // namespace korvex::testing
