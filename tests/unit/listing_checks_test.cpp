// The packer's checks: each kind of mistake a writer makes is found on its line with a fix, and the
// examples shipped with the runtime pass clean.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "checks.hpp"
#include "listing.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

std::string findings_of(const std::string& text) {
    std::vector<std::string> records;
    std::vector<listing::ParseError> errors;
    std::vector<int> lines;
    listing::parse(text, records, errors, &lines);
    std::vector<listing::ListedRecord> listed;
    for (std::size_t i = 0; i < records.size(); ++i) listed.push_back({lines[i], records[i]});
    std::string result;
    for (const listing::Finding& finding : listing::check_records(listed))
        result += std::to_string(finding.line) + ": " + finding.message + " | " + finding.hint + "\n";
    return result;
}

TEST(ListingChecks, FindEachMistakeOnItsLine) {
    EXPECT_EQ(
        findings_of("r001[x]'1'\n"
                    "  R009\n"
                    "R001[x]'1'# note\n"
                    "R007'text''title'\n"
                    "R001[x]'unclosed\n"
                    "R004Done\n"
                    "RLBLdone\n"
                    "RLBLdone\n"
                    "RRPT\n"
                    "RUNT[x]='1'\n"
                    "RUNT[x]='1'\n"
                    "RXIF[x]?'1'\n"
                    "R0IF'a'='a'R01\n"
                    "R001[x]'caf\xc3\xa9'\n"
                    "R009extra\n"),
        "1: unknown instruction 'r001': the runtime skips the record | did you mean R001? (instructions "
        "are upper case)\n"
        "2: an indented record: the runtime reads '  R0' as its instruction and skips it | remove the "
        "blanks before R009\n"
        "3: a value ([name] or 'text') is expected at byte 12 (' note') | # joins values ('a'#[x]) and "
        "starts no comment: a comment is a line of its own, starting with #\n"
        "4: R007 takes 3 operands, the record has 2 operands | add the missing values; '' is an empty one\n"
        "5: unclosed quote at byte 8 (''unclosed') | close the text with '\n"
        "6: no record defines the label 'Done': the script ends when it jumps there | did you mean the "
        "label 'done' on line 7? (labels are compared byte for byte)\n"
        "8: the label 'done' is defined again (first on line 7); jumps reach only the first | rename one "
        "of them\n"
        "11: RUNT without an open RRPT | start the loop with RRPT\n"
        "12: a comparison (= ! < >) is expected at byte 8 ('?'1'') | compare two values, as [x]='1'\n"
        "12: RXIF is never closed by an RXEI | end the block with RXEI\n"
        "13: unknown instruction 'R01': the runtime skips the record | see the reference of instructions\n"
        "14: the record holds UTF-8 text, which a Windows runtime reads in its ANSI code page (é shows "
        "as Ã©) | keep texts for Windows in ASCII, or save the listing in the ANSI code page\n"
        "15: R009 takes no operands, yet text follows it | remove the text behind R009\n");
}

// A jump to a missing label names the defined label nearest to it, and a blank that starts a label's
// name, which the jump left out.
TEST(ListingChecks, AMissingLabelNamesTheNearestOne) {
    EXPECT_EQ(findings_of("R005finsh\nR004again\nR004zzz\nR009\nRLBLfinish\nRLBL again\nR006\n"),
              "1: no record defines the label 'finsh': the script ends when it jumps there | did you mean "
              "the label 'finish' on line 5?\n"
              "2: no record defines the label 'again': the script ends when it jumps there | did you mean "
              "the label ' again' on line 6? Its name starts with a blank, which is part of it: remove the "
              "blank behind RLBL, or name it in the jump too (R004 again)\n"
              "3: no record defines the label 'zzz': the script ends when it jumps there | add a record "
              "RLBLzzz where the jump should go\n");
}

TEST(ListingChecks, ShippedExamplesPassClean) {
    for (const auto& entry : std::filesystem::directory_iterator(KORVEX_SOURCE_DIR "/examples")) {
        if (entry.path().extension() != ".kxs") continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        EXPECT_EQ(findings_of(text.str()), "") << entry.path();
    }
}

// A warning quotes a record's bytes as a terminal may show them.
TEST(ListingChecks, QuoteControlBytesEscaped) {
    std::string findings = findings_of("~R001[x]'1'\\x1B[2J\n");
    EXPECT_NE(findings.find("1: text after the last operand: '\\x1B[2J'"), std::string::npos) << findings;
    EXPECT_EQ(findings.find('\x1B'), std::string::npos) << findings;
}

} // namespace
} // namespace korvex::testing
