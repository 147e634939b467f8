// The operand readers: positions they leave and the forms they accept, never reading past the record.
#include "core/operands.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

class Operands : public ::testing::Test {
protected:
    // Places a record as the current instruction with the parse position at dispatch.
    Runtime& at(const std::string& record) {
        script.runtime->current_instruction = record;
        script.runtime->parse_position = 5;
        return *script.runtime;
    }
    ScriptRun script{""};
};

TEST_F(Operands, TokenStopsBehindItsDelimiterOrOnePastTheEnd) {
    Runtime& runtime = at("R001[31]'x'");
    EXPECT_EQ(read_token(runtime, ']'), "31");
    EXPECT_EQ(runtime.parse_position, 8);
    runtime.parse_position = 9;
    EXPECT_EQ(read_token(runtime, ']'), "x'");
    EXPECT_EQ(runtime.parse_position, 12);
    EXPECT_EQ(read_token(runtime, ']'), "");
    EXPECT_EQ(runtime.parse_position, 12);
}

TEST_F(Operands, ValuesJoinItemsAndStopOnTheNextOpener) {
    set_variable(*script.runtime, "31", "x");
    Runtime& runtime = at("R001'a'#[31]#'b''next'");
    EXPECT_EQ(read_value(runtime), "axb");
    EXPECT_EQ(runtime.current_instruction[runtime.parse_position], '\'');
    EXPECT_EQ(read_next_value(runtime), "next");
}

TEST_F(Operands, TwoEmptyLiteralsAreTwoOperands) {
    Runtime& runtime = at("R007'''''OK'");
    EXPECT_EQ(read_value(runtime), "");
    EXPECT_EQ(read_next_value(runtime), "");
    EXPECT_EQ(read_next_value(runtime), "OK");
}

TEST_F(Operands, TheEndOfTheRecordEndsEveryForm) {
    EXPECT_EQ(read_value(at("R001'abc")), "abc");
    EXPECT_EQ(read_value(at("R001'a'#")), "a");
    EXPECT_EQ(read_value(at("R001'a'#'")), "a");
    EXPECT_EQ(read_value(at("R001")), "");
    EXPECT_EQ(read_value(at("")), "");
    EXPECT_FALSE(evaluate_condition(at("RXIF'a'")));
    EXPECT_FALSE(evaluate_condition(at("RXIF'a'=")));
    EXPECT_TRUE(evaluate_condition(at("RXIF''=")));
    EXPECT_TRUE(evaluate_condition(at("RXIF'a'='a'|")));
    Runtime& runtime = at("R001");
    for (int i = 0; i < 5; ++i) read_next_value(runtime);
    EXPECT_LE(runtime.parse_position, 5 + 2);
}

TEST_F(Operands, ComparisonsAreTextualOrNumeric) {
    set_variable(*script.runtime, "31", "9");
    EXPECT_TRUE(evaluate_condition(at("RXIF[31]<'10'")));
    EXPECT_FALSE(evaluate_condition(at("RXIF[31]='9.0'")));
    EXPECT_TRUE(evaluate_condition(at("RXIF'abc'<'1'")));
    EXPECT_TRUE(evaluate_condition(at("RXIF' 1e1'>'9.5'")));
    EXPECT_FALSE(evaluate_condition(at("RXIF[31]x'9'")));
}

TEST_F(Operands, ChainsAreLeftToRightWithoutPrecedence) {
    set_variable(*script.runtime, "31", "z");
    // (false and ...) or true
    set_variable(*script.runtime, "33", "c");
    Runtime& runtime = at("RXIF[31]='a'&[32]='b'|[33]='c'R009");
    EXPECT_TRUE(evaluate_condition(runtime));
    EXPECT_EQ(runtime.current_instruction.substr(runtime.parse_position), "R009");
    // (true or ...) and false
    EXPECT_FALSE(evaluate_condition(at("RXIF'a'='a'|'x'='y'&'b'='c'")));
}

} // namespace
} // namespace korvex::testing
