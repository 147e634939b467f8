// The operand grammar as records are decoded and read: the forms accepted, where each operand ends,
// and that the end of the record ends every form.
#include "core/operands.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

class Operands : public ::testing::Test {
protected:
    // Decodes one record and makes it the one the readers take.
    Runtime& at(const std::string& record) {
        text = record;
        program = DecodedProgram();
        program.bytes = text;
        std::uint32_t index = decode_record(program, text, script.runtime->variables, nullptr);
        begin_record(*script.runtime, program, program.records[index]);
        return *script.runtime;
    }
    std::string text;
    DecodedProgram program;
    ScriptRun script{""};
};

TEST_F(Operands, OutputNameEndsAtItsBracketOrTheRecord) {
    Runtime& runtime = at("R001[31]'x'");
    EXPECT_EQ(runtime.variables.name_of(read_output_variable(runtime)), "31");
    EXPECT_EQ(read_value(runtime), "x");
    EXPECT_EQ(runtime.variables.name_of(read_output_variable(at("R001[3'1"))), "3'1");
    EXPECT_EQ(read_value(runtime), "");
}

TEST_F(Operands, ValuesJoinItemsAndStopOnTheNextOpener) {
    set_variable(*script.runtime, "31", "x");
    Runtime& runtime = at("R007'a'#[31]#'b''next'");
    EXPECT_EQ(read_value(runtime), "axb");
    EXPECT_EQ(read_value(runtime), "next");
    EXPECT_EQ(read_value(runtime), "");
    EXPECT_EQ(runtime.operands.overruns, 0);
}

TEST_F(Operands, TwoEmptyLiteralsAreTwoOperands) {
    Runtime& runtime = at("R007'''''OK'");
    EXPECT_EQ(read_value(runtime), "");
    EXPECT_EQ(read_value(runtime), "");
    EXPECT_EQ(read_value(runtime), "OK");
}

TEST_F(Operands, TheEndOfTheRecordEndsEveryForm) {
    EXPECT_EQ(read_value(at("R027'abc")), "abc");
    EXPECT_EQ(read_value(at("R027'a'#")), "a");
    EXPECT_EQ(read_value(at("R027'a'#'")), "a");
    EXPECT_EQ(read_value(at("R027")), "");
    EXPECT_FALSE(evaluate_condition(at("RXIF'a'")));
    EXPECT_FALSE(evaluate_condition(at("RXIF'a'=")));
    EXPECT_TRUE(evaluate_condition(at("RXIF''=")));
    EXPECT_TRUE(evaluate_condition(at("RXIF'a'='a'|")));
    EXPECT_EQ(script.runtime->operands.overruns, 0);
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
    // (false and ...) or true; the one-line if runs what follows the whole chain
    set_variable(*script.runtime, "33", "c");
    EXPECT_EQ(script.execute("R0IF[31]='a'&[32]='b'|[33]='c'R009"), Step::stop);
    // (true or ...) and false
    EXPECT_FALSE(evaluate_condition(at("RXIF'a'='a'|'x'='y'&'b'='c'")));
}

TEST_F(Operands, ArithmeticStepsOverBytesThatAreNoOperator) {
    // The byte behind each value is its operator; "x" is none, so the value behind it is not read.
    EXPECT_EQ(result_of("RF01[31]'6'*'7'x'100'+'1'"), "43");
    EXPECT_EQ(result_of("RF01[31]'6'"), "6");
}

} // namespace
} // namespace korvex::testing
