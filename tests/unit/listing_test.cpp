// The packer's listing format: records, escapes, comments, and what it refuses.
#include "listing.hpp"

#include <gtest/gtest.h>

#include "base/escapes.hpp"

namespace korvex::listing {
namespace {

std::vector<std::string> records_of(const std::string& text) {
    std::vector<std::string> records;
    std::vector<ParseError> errors;
    EXPECT_TRUE(parse(text, records, errors));
    return records;
}

TEST(Listing, OrdinaryLinesAreRecordsByteForByte) {
    EXPECT_EQ(records_of("R001[31]'C:\\Work\\new.txt'\r\n\n# comment\n   \nR009 \n"),
              (std::vector<std::string>{"R001[31]'C:\\Work\\new.txt'", "R009 "}));
}

TEST(Listing, EscapedLinesWriteAnyByte) {
    EXPECT_EQ(records_of("~R001[31]'a\\nb\\x00\\xFF\\\\'\n~\n~#not a comment\n"),
              (std::vector<std::string>{std::string("R001[31]'a\nb\0\xFF\\'", 16), "", "#not a comment"}));
}

TEST(Listing, RefusesTheSeparatorAndMalformedEscapesNamingTheLine) {
    std::vector<std::string> records;
    std::vector<ParseError> errors;
    EXPECT_FALSE(parse("R009\n~R001'\\x01'\nR001'\x01'\n~bad\\q\n~cut\\x4\n", records, errors));
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[1].line, 3);
    EXPECT_EQ(errors[2].line, 4);
    EXPECT_EQ(errors[3].line, 5);
}

TEST(Listing, AByteOrderMarkIsNoPartOfTheFirstRecord) {
    EXPECT_EQ(records_of("\xEF\xBB\xBFRRLR'4.4'\nR009\n"), (std::vector<std::string>{"RRLR'4.4'", "R009"}));
    // A record that starts with those bytes is written escaped, so it comes back whole as a first line.
    const std::string record = "\xEF\xBB\xBFR009";
    EXPECT_EQ(records_of(listing::line_of(record) + "\n"), std::vector<std::string>{record});
}

TEST(Listing, CrLfLineEndsReadAsLf) {
    const std::string lf = "# c\nRRLR'4.4'\n\n~R001[31]'a\\r'\nR001[32]'x' \n~\nR009";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(records_of(crlf), records_of(lf));
    EXPECT_EQ(records_of(crlf).size(), 5u);
}

TEST(Listing, RefusesLinesEndingInCrAlone) {
    std::vector<std::string> records;
    std::vector<ParseError> errors;
    EXPECT_FALSE(parse("RRLR'4.4'\rR009\r", records, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].message.find("CR alone"), std::string::npos) << errors[0].message;
    EXPECT_TRUE(records.empty());
}

TEST(Listing, StreamHasSeparatorsAndTerminator) {
    EXPECT_EQ(stream_of({"R009", ""}), std::string("R009\x01\x01\x00", 7));
    SplitStream split = split_stream(std::string("R009\x01\x01\x00", 7));
    EXPECT_EQ(split.records, (std::vector<std::string>{"R009", ""}));
    EXPECT_TRUE(split.terminated);
    EXPECT_FALSE(split_stream("R009\x01xy").terminated);
}

TEST(Listing, LinesOfRecordsThatALineCannotHoldAreEscaped) {
    EXPECT_EQ(line_of("R001[31]'x'"), "R001[31]'x'");
    EXPECT_EQ(line_of(""), "~");
    EXPECT_EQ(line_of("# x"), "~# x");
    EXPECT_EQ(line_of("a\r\nb"), "~a\\r\\nb");
    EXPECT_EQ(line_of("  "), "~  ");
}

// What a terminal is shown of a text: control bytes escaped as transcripts write them; line ends, tabs
// and backslashes as they are.
TEST(Listing, TextsForATerminalHoldNoControlBytes) {
    EXPECT_EQ(shown_on_terminal("x\x1B]52;c;cm0=\x07\x1B[2J.txt\r\nb\rc\x7F\td\\x\n"),
              "x\\x1B]52;c;cm0=\\x07\\x1B[2J.txt\r\nb\\rc\\x7F\td\\x\n");
    for (int byte = 0; byte < 256; ++byte) {
        std::string text(1, static_cast<char>(byte));
        bool kept = (byte >= 0x20 && byte != 0x7F) || byte == '\n' || byte == '\t';
        EXPECT_EQ(shown_on_terminal(text), kept ? text : escape_bytes(text)) << byte;
    }
}

} // namespace
} // namespace korvex::listing
