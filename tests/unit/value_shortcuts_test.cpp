// Numbers kept beside texts, appends in place and literals read once as numbers are shortcuts only:
// random arithmetic, joins, comparisons and loops give byte for byte the same variables with and
// without them.
#include <random>

#include "base/numbers.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

const char* const values[] = {"'0'",
                              "'-0'",
                              "'1'",
                              "'3'",
                              "'7'",
                              "'-2'",
                              "'10'",
                              "'010'",
                              "'-6'",
                              "'-00'",
                              "'9007199254740992'",
                              "'0.5'",
                              "'1e20'",
                              "'1e-7'",
                              "'2.5e1'",
                              "' 12x'",
                              "'0.333333'",
                              "'9007199254740993'",
                              "'-1e300'",
                              "'abc'",
                              "''",
                              "[31]",
                              "[32]",
                              "[33]",
                              "[34]"};
const char operators[] = {'+', '-', '*', '/', '~', '^'};

std::string random_script(std::mt19937& random) {
    auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    auto variable = [&] { return "[" + std::to_string(31 + pick(4)) + "]"; };
    auto value = [&] { return std::string(values[pick(std::size(values))]); };
    std::string script = "R001[35]'0'\nRRPT\n";
    for (int i = 0; i < 12; ++i) {
        switch (pick(9)) {
        case 0:
        case 1: {
            std::string record = "RF01" + variable() + value();
            for (std::size_t operations = pick(4); operations > 0; --operations)
                record += operators[pick(std::size(operators))] + value();
            script += record + "\n";
            break;
        }
        case 2: script += "RF00" + variable() + variable() + value() + "\n"; break;
        case 3: script += "R001" + variable() + variable() + "#" + value() + "\n"; break;
        case 4: script += "R0IF" + variable() + "<" + value() + "R001[36][36]#'<'\n"; break;
        case 5: script += "R0IF" + value() + ">" + value() + "R001[36][36]#'>'\n"; break;
        case 6: script += "R0IF" + value() + "!" + variable() + "R001[36][36]#'!'\n"; break;
        // RF10 reports its success in variable 0 after whatever was stored there.
        case 7: script += "R001[0]" + value() + "\nRF10[36]" + variable() + value() + "[35]\n"; break;
        default: script += "R0IF" + variable() + "=" + value() + "R001[36][36]#'='\n"; break;
        }
        script += "RF07[37]" + variable() + "\nR001[38][38]#[37]#','\n";
    }
    // The counter itself is arithmetic compared as text on every pass.
    return script + "RF01[35][35]+'1'\nRUNT[35]='3'\n";
}

TEST(ValueShortcuts, ChangeNoResult) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; ++round) {
        std::string listing = random_script(random);
        ScriptRun with(listing), without(listing);
        without.runtime->options.value_shortcuts = false;
        with.run(10000);
        without.run(10000);
        for (int name : {0, 31, 32, 33, 34, 35, 36, 37, 38})
            ASSERT_EQ(with.variable(std::to_string(name)), without.variable(std::to_string(name)))
                << "variable " << name << " of\n"
                << listing;
    }
}

// A whole number held without its text is compared with texts that write it, nearly write it, or
// write another number: every comparison ends as comparing the written text would.
TEST(ValueShortcuts, HeldWholeNumbersCompareAsTheirTexts) {
    const char* const numbers[] = {"0", "-0", "7", "-7", "10", "1000000", "-1000000", "9007199254740992"};
    const char* const texts[] = {"0",
                                 "-0",
                                 "00",
                                 "+0",
                                 "7",
                                 "07",
                                 "-7",
                                 "--7",
                                 "17",
                                 "10",
                                 "010",
                                 "1",
                                 "1e1",
                                 " 10",
                                 "10 ",
                                 "1000000",
                                 "-1000000",
                                 "0000007",
                                 "9007199254740992",
                                 "9007199254740993",
                                 "",
                                 "-"};
    for (const char* number : numbers)
        for (const char* text : texts) {
            ScriptRun script("");
            script.execute(std::string("RF01[31]'") + number + "'");
            const std::string written = script.runtime->variables.holds_text(31) ? "" : "held";
            script.execute(std::string("R0IF[31]='") + text + "'R001[32]'='");
            script.execute(std::string("R0IF'") + text + "'![31]R001[33]'!'");
            const bool equal = format_number(read_real_number(number)) == text;
            EXPECT_EQ(written, "held") << number;
            EXPECT_EQ(script.variable("32"), equal ? "=" : "") << number << " = " << text;
            EXPECT_EQ(script.variable("33"), equal ? "" : "!") << text << " ! " << number;
        }
}

} // namespace
} // namespace korvex::testing
